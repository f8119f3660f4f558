#pragma once
// Named mutexes, detached work, sleeping and the tick count.
#include <cstdint>
#include <string>

#include "platform/scoped_handle.h"

namespace mw {

class ThreadPort {
 public:
  using Mutex = std::uintptr_t;  // opaque mutex handle; 0 is none
  using ThreadRoutine = std::uint32_t (*)(void* parameter);

  virtual ~ThreadPort() = default;
  // CreateMutexA(NULL, initially_owned, name). *already_existed tells
  // ERROR_ALREADY_EXISTS apart; returns 0 on failure.
  [[nodiscard]] virtual Mutex CreateNamedMutex(const std::string& name, bool initially_owned,
                                               bool* already_existed) = 0;
  // WaitForSingleObject(mutex, INFINITE).
  virtual void WaitMutex(Mutex mutex) = 0;
  // ReleaseMutex.
  virtual void ReleaseMutex(Mutex mutex) = 0;
  // CloseHandle.
  virtual void CloseMutex(Mutex mutex) = 0;
  // Runs routine at once on a thread of the system's pool, which may hold
  // it for hours (TrySubmitThreadpoolCallback, CallbackMayRunLong); nobody
  // waits for it. Each routine begins with no last error. Returns false with
  // *last_error set when the pool takes no more work.
  [[nodiscard]] virtual bool RunDetached(ThreadRoutine routine, void* parameter,
                                         std::uint32_t* last_error) = 0;
  // Sleep.
  virtual void Sleep(std::uint32_t milliseconds) = 0;
  // GetTickCount64.
  virtual std::uint64_t Milliseconds() = 0;

  using Signal = std::uintptr_t;  // an auto-reset event; 0 is none
  // CreateEventA(NULL, FALSE, FALSE, NULL); 0 on failure.
  [[nodiscard]] virtual Signal CreateSignal() = 0;
  // SetEvent.
  virtual void RaiseSignal(Signal signal) = 0;
  // WaitForSingleObject(signal, milliseconds): true when it was raised.
  virtual bool WaitSignal(Signal signal, std::uint32_t milliseconds) = 0;
  // CloseHandle.
  virtual void CloseSignal(Signal signal) = 0;
};

// Closes its mutex through the port when it goes out of scope.
using ScopedMutex = ScopedPortHandle<ThreadPort, ThreadPort::Mutex, &ThreadPort::CloseMutex>;
using ScopedSignal = ScopedPortHandle<ThreadPort, ThreadPort::Signal, &ThreadPort::CloseSignal>;

}  // namespace mw
