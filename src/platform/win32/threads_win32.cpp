#include <windows.h>

#include <new>

#include "platform/win32/win32_ports.h"

namespace mw::win32 {
namespace {
HANDLE AsHandle(ThreadPort::Mutex mutex) {
  return reinterpret_cast<HANDLE>(mutex);
}

struct ThreadStart {
  ThreadPort::ThreadRoutine routine;
  void* parameter;
};

// The pool calls with its own calling convention; a routine may wait hours
// for a program, so the pool is told not to hold other work behind it.
VOID CALLBACK RunFromPool(PTP_CALLBACK_INSTANCE instance, PVOID start_parameter) {
  const ThreadStart start = *static_cast<ThreadStart*>(start_parameter);
  delete static_cast<ThreadStart*>(start_parameter);
  CallbackMayRunLong(instance);
  // Each routine begins as on a thread of its own.
  SetLastError(ERROR_SUCCESS);
  start.routine(start.parameter);
}
}  // namespace

ThreadPort::Mutex Win32Threads::CreateNamedMutex(const std::string& name, bool initially_owned,
                                                 bool* already_existed) {
  HANDLE mutex = CreateMutexA(nullptr, initially_owned ? TRUE : FALSE, name.c_str());
  *already_existed = GetLastError() == ERROR_ALREADY_EXISTS;
  return reinterpret_cast<Mutex>(mutex);
}

void Win32Threads::WaitMutex(Mutex mutex) {
  WaitForSingleObject(AsHandle(mutex), INFINITE);
}
void Win32Threads::ReleaseMutex(Mutex mutex) {
  ::ReleaseMutex(AsHandle(mutex));
}
void Win32Threads::CloseMutex(Mutex mutex) {
  CloseHandle(AsHandle(mutex));
}

bool Win32Threads::RunDetached(ThreadRoutine routine, void* parameter, std::uint32_t* last_error) {
  auto* start = new (std::nothrow) ThreadStart{routine, parameter};
  if (start && TrySubmitThreadpoolCallback(&RunFromPool, start, nullptr)) return true;
  *last_error = start ? GetLastError() : ERROR_NOT_ENOUGH_MEMORY;
  delete start;
  return false;
}

void Win32Threads::Sleep(std::uint32_t milliseconds) {
  ::Sleep(milliseconds);
}

std::uint64_t Win32Threads::Milliseconds() {
  return ::GetTickCount64();
}

ThreadPort::Signal Win32Threads::CreateSignal() {
  return reinterpret_cast<Signal>(CreateEventA(nullptr, FALSE, FALSE, nullptr));
}
void Win32Threads::RaiseSignal(Signal signal) {
  SetEvent(AsHandle(signal));
}
bool Win32Threads::WaitSignal(Signal signal, std::uint32_t milliseconds) {
  return WaitForSingleObject(AsHandle(signal), milliseconds) == WAIT_OBJECT_0;
}
void Win32Threads::CloseSignal(Signal signal) {
  CloseHandle(AsHandle(signal));
}

}  // namespace mw::win32
