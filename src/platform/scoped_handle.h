#pragma once
// One move-only owner for every handle the program holds. The traits name the
// handle type, the value that means none, and how a handle is closed; they may
// carry state, such as the port the handle came from.
#include <type_traits>
#include <utility>

namespace mw {

template <class Traits>
class ScopedHandle {
 public:
  using Handle = typename Traits::Handle;

  ScopedHandle() requires std::is_default_constructible_v<Traits>
  = default;
  explicit ScopedHandle(Traits traits) : traits_(std::move(traits)) {}
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ScopedHandle(ScopedHandle&& other) noexcept
      : traits_(other.traits_), handle_(std::exchange(other.handle_, Traits::kInvalid)) {}
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      traits_ = other.traits_;
      handle_ = std::exchange(other.handle_, Traits::kInvalid);
    }
    return *this;
  }
  ~ScopedHandle() { Reset(); }

  explicit operator bool() const { return handle_ != Traits::kInvalid; }
  Handle get() const { return handle_; }
  // For a call that writes the new handle; whatever was held is closed first.
  Handle* receive() {
    Reset();
    return &handle_;
  }
  // Hands the handle over to the caller, who closes it from now on.
  [[nodiscard]] Handle release() { return std::exchange(handle_, Traits::kInvalid); }
  void Reset(Handle handle = Traits::kInvalid) {
    if (handle_ != Traits::kInvalid) traits_.Close(handle_);
    handle_ = handle;
  }

 protected:
  Traits& traits() { return traits_; }

 private:
  Traits traits_;
  Handle handle_ = Traits::kInvalid;
};

// Traits for a handle that a port hands out and takes back through one of its
// members; 0 is never a valid handle of a port.
template <class Port, class PortHandle, void (Port::*CloseMember)(PortHandle)>
struct PortHandleTraits {
  using Handle = PortHandle;
  static constexpr Handle kInvalid = 0;

  // Implicit, so that an owner is made from its port alone.
  PortHandleTraits(Port& owner) : port(&owner) {}
  void Close(Handle handle) { (port->*CloseMember)(handle); }

  Port* port;
};

template <class Port, class Handle, void (Port::*CloseMember)(Handle)>
using ScopedPortHandle = ScopedHandle<PortHandleTraits<Port, Handle, CloseMember>>;

}  // namespace mw
