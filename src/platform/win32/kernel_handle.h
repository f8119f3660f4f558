#pragma once
// Owners for the kernel handles an adapter holds itself, closed by
// CloseHandle. Files say "none" with INVALID_HANDLE_VALUE, everything else
// with a null handle.
#include <windows.h>

#include "platform/scoped_handle.h"

namespace mw::win32 {

struct KernelHandleTraits {
  using Handle = HANDLE;
  static inline const HANDLE kInvalid = nullptr;
  void Close(HANDLE handle) { CloseHandle(handle); }
};

struct FileHandleTraits : KernelHandleTraits {
  static inline const HANDLE kInvalid = INVALID_HANDLE_VALUE;
};

using ScopedKernelHandle = ScopedHandle<KernelHandleTraits>;
using ScopedFileHandle = ScopedHandle<FileHandleTraits>;

}  // namespace mw::win32
