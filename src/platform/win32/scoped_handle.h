#pragma once
// One move-only owner for every kind of Win32 handle, told apart by traits:
// the close function and the invalid value.
#include <windows.h>

#include <utility>

namespace mw::win32 {

template <class Traits>
class ScopedHandle {
 public:
  using Handle = typename Traits::Handle;

  ScopedHandle() = default;
  explicit ScopedHandle(Handle handle) : handle_(handle) {}
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ScopedHandle(ScopedHandle&& other) noexcept
      : handle_(std::exchange(other.handle_, Traits::Invalid())) {}
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    Reset(std::exchange(other.handle_, Traits::Invalid()));
    return *this;
  }
  ~ScopedHandle() { Reset(); }

  [[nodiscard]] bool valid() const { return handle_ != Traits::Invalid(); }
  Handle get() const { return handle_; }
  [[nodiscard]] Handle release() { return std::exchange(handle_, Traits::Invalid()); }
  void Reset(Handle handle = Traits::Invalid()) {
    if (valid()) {
      // Closing must not disturb the error the caller is about to read.
      const DWORD error = GetLastError();
      Traits::Close(handle_);
      SetLastError(error);
    }
    handle_ = handle;
  }

 private:
  Handle handle_ = Traits::Invalid();
};

struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { CloseHandle(handle); }
};

struct RegistryKeyTraits {
  using Handle = HKEY;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { RegCloseKey(handle); }
};

using ScopedKernelHandle = ScopedHandle<KernelHandleTraits>;
using ScopedKey = ScopedHandle<RegistryKeyTraits>;

}  // namespace mw::win32
