#include <windows.h>

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

// The system calls a thread routine with its own calling convention; the
// portable routine is called from here.
DWORD WINAPI ThreadTrampoline(LPVOID start_parameter) {
  const ThreadStart start = *static_cast<ThreadStart*>(start_parameter);
  delete static_cast<ThreadStart*>(start_parameter);
  return start.routine(start.parameter);
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

bool Win32Threads::StartDetachedThread(ThreadRoutine routine, void* parameter,
                                       std::uint32_t* last_error) {
  auto* start = new ThreadStart{routine, parameter};
  HANDLE thread = CreateThread(nullptr, 0, &ThreadTrampoline, start, 0, nullptr);
  if (thread == nullptr) {
    *last_error = GetLastError();
    delete start;
    return false;
  }
  CloseHandle(thread);
  return true;
}

std::uint32_t Win32Threads::LastError() {
  return GetLastError();
}
void Win32Threads::Sleep(std::uint32_t milliseconds) {
  ::Sleep(milliseconds);
}

std::uint64_t Win32Threads::Milliseconds() { return ::GetTickCount64(); }

}  // namespace mw::win32
