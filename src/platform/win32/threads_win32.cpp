#include <windows.h>

#include "platform/win32/win32_ports.h"

namespace mw::win32 {
namespace {
HANDLE AsHandle(ThreadPort::Mutex mutex) {
  return reinterpret_cast<HANDLE>(mutex);
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
  HANDLE thread = CreateThread(nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(routine),
                               parameter, 0, nullptr);
  if (thread == nullptr) {
    *last_error = GetLastError();
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

}  // namespace mw::win32
