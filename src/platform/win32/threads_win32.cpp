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

// A thread whose routine has ended waits here to be handed the next one, so
// that an arrival wakes a thread rather than making one: under Wine a new
// thread takes longer to run than the rest of the arrival's own work. One
// thread at most waits; every other ends as before. It lives as long as the
// process, as do the threads that use it, so it is never destroyed.
struct ReadyThread {
  SRWLOCK lock = SRWLOCK_INIT;
  CONDITION_VARIABLE handed = CONDITION_VARIABLE_INIT;
  bool waiting = false;
  bool has_routine = false;
  ThreadStart next{};
};
constinit ReadyThread ready_thread;

bool HandToReadyThread(const ThreadStart& start) {
  AcquireSRWLockExclusive(&ready_thread.lock);
  const bool handed = ready_thread.waiting && !ready_thread.has_routine;
  if (handed) {
    ready_thread.next = start;
    ready_thread.has_routine = true;
  }
  ReleaseSRWLockExclusive(&ready_thread.lock);
  if (handed) WakeConditionVariable(&ready_thread.handed);
  return handed;
}

// False when another thread already waits: the caller ends.
bool WaitForNextRoutine(ThreadStart& start) {
  AcquireSRWLockExclusive(&ready_thread.lock);
  const bool waits = !ready_thread.waiting;
  if (waits) {
    ready_thread.waiting = true;
    while (!ready_thread.has_routine)
      SleepConditionVariableSRW(&ready_thread.handed, &ready_thread.lock, INFINITE, 0);
    start = ready_thread.next;
    ready_thread.has_routine = false;
    ready_thread.waiting = false;
  }
  ReleaseSRWLockExclusive(&ready_thread.lock);
  return waits;
}

// The system calls a thread routine with its own calling convention; the
// portable routines are called from here, one after another.
DWORD WINAPI ThreadTrampoline(LPVOID start_parameter) {
  ThreadStart start = *static_cast<ThreadStart*>(start_parameter);
  delete static_cast<ThreadStart*>(start_parameter);
  do {
    // Each routine begins as on a thread of its own.
    SetLastError(ERROR_SUCCESS);
    start.routine(start.parameter);
  } while (WaitForNextRoutine(start));
  return 0;
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
  if (HandToReadyThread({routine, parameter})) return true;
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

void Win32Threads::Sleep(std::uint32_t milliseconds) {
  ::Sleep(milliseconds);
}

std::uint64_t Win32Threads::Milliseconds() {
  return ::GetTickCount64();
}

}  // namespace mw::win32
