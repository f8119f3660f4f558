// Work handed to the real adapter under Wine: a routine runs at once beside ones that
// still run, on a thread the pool kept free because they said they may run long, and
// begins without the error a routine before it left on the same thread.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <set>

#include "platform/win32/win32_ports.h"

namespace mw {
namespace {

struct Probe {
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE began = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  DWORD error_at_start = ~0u, thread = 0;
  ~Probe() { CloseHandle(release), CloseHandle(began); }
};

std::uint32_t Routine(void* parameter) {
  auto& probe = *static_cast<Probe*>(parameter);
  probe.error_at_start = GetLastError();
  probe.thread = GetCurrentThreadId();
  const HANDLE release = probe.release;
  SetEvent(probe.began);  // the probe may be gone from here on
  WaitForSingleObject(release, 10000);
  SetLastError(ERROR_ACCESS_DENIED);
  return 0;
}

std::set<DWORD> ThreadsOfThisProcess() {
  std::set<DWORD> threads;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) threads.insert(entry.th32ThreadID);
  CloseHandle(snapshot);
  return threads;
}

TEST(ThreadsOnWindows, EachRoutineRunsAtOnceOnAThreadKeptFreeAndBeginsWithNoErrorLeftOver) {
  win32::Win32Threads threads;
  std::uint32_t error = 0;
  // Routines that wait as runs wait for their programs, more than the pool had spare.
  Probe held[8];
  for (Probe& probe : held) {
    ASSERT_TRUE(threads.RunDetached(&Routine, &probe, &error));
    ASSERT_EQ(WaitForSingleObject(probe.began, 10000), WAIT_OBJECT_0) << "waited behind another";
  }
  // One after another, so that the pool hands later routines a thread on which
  // an earlier one left its error; none waits for a thread to be made.
  for (int i = 0; i < 4; ++i) {
    Probe quick;
    SetEvent(quick.release);
    const std::set<DWORD> there = ThreadsOfThisProcess();
    ASSERT_TRUE(threads.RunDetached(&Routine, &quick, &error));
    ASSERT_EQ(WaitForSingleObject(quick.began, 10000), WAIT_OBJECT_0) << "waited behind another";
    EXPECT_EQ(quick.error_at_start, 0u) << i;
    EXPECT_TRUE(there.contains(quick.thread)) << i;
    Sleep(50);
  }
  for (Probe& probe : held) SetEvent(probe.release);
}

}  // namespace
}  // namespace mw
