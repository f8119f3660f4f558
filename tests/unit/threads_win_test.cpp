// Threads started through the real adapter under Wine: a routine runs at once
// beside one that still runs, and begins without the error a routine before it
// left on the same thread.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/win32_ports.h"

namespace mw {
namespace {

struct Probe {
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  DWORD thread = 0;
  DWORD error_at_start = ~0u;
  ~Probe() {
    CloseHandle(release);
    CloseHandle(done);
  }
};

std::uint32_t Routine(void* parameter) {
  auto& probe = *static_cast<Probe*>(parameter);
  probe.error_at_start = GetLastError();
  probe.thread = GetCurrentThreadId();
  WaitForSingleObject(probe.release, 10000);
  SetLastError(ERROR_ACCESS_DENIED);
  SetEvent(probe.done);
  return 0;
}

TEST(ThreadsOnWindows, EachRoutineRunsAtOnceAndBeginsWithNoErrorLeftOver) {
  win32::Win32Threads threads;
  Probe held, quick, next;
  std::uint32_t error = 0;
  SetEvent(quick.release);
  SetEvent(next.release);
  ASSERT_TRUE(threads.StartDetachedThread(&Routine, &held, &error));
  ASSERT_TRUE(threads.StartDetachedThread(&Routine, &quick, &error));
  ASSERT_EQ(WaitForSingleObject(quick.done, 10000), WAIT_OBJECT_0) << "waited behind another";
  Sleep(200);  // quick's thread now waits for another routine
  ASSERT_TRUE(threads.StartDetachedThread(&Routine, &next, &error));
  ASSERT_EQ(WaitForSingleObject(next.done, 10000), WAIT_OBJECT_0);
  EXPECT_EQ(next.thread, quick.thread);
  EXPECT_EQ(next.error_at_start, 0u);
  SetEvent(held.release);
  EXPECT_EQ(WaitForSingleObject(held.done, 10000), WAIT_OBJECT_0);
}

}  // namespace
}  // namespace mw
