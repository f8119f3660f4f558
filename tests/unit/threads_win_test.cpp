// Work handed to the real adapter under Wine: a routine runs at once beside one
// that still runs, and begins without the error a routine before it left on the
// same thread.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/win32_ports.h"

namespace mw {
namespace {

struct Probe {
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  DWORD error_at_start = ~0u;
  ~Probe() {
    CloseHandle(release);
    CloseHandle(done);
  }
};

std::uint32_t Routine(void* parameter) {
  auto& probe = *static_cast<Probe*>(parameter);
  probe.error_at_start = GetLastError();
  WaitForSingleObject(probe.release, 10000);
  SetLastError(ERROR_ACCESS_DENIED);
  SetEvent(probe.done);
  return 0;
}

TEST(ThreadsOnWindows, EachRoutineRunsAtOnceAndBeginsWithNoErrorLeftOver) {
  win32::Win32Threads threads;
  Probe held;
  std::uint32_t error = 0;
  ASSERT_TRUE(threads.RunDetached(&Routine, &held, &error));
  // One after another, so that the pool hands later routines a thread on which
  // an earlier one left its error.
  for (int i = 0; i < 4; ++i) {
    Probe quick;
    SetEvent(quick.release);
    ASSERT_TRUE(threads.RunDetached(&Routine, &quick, &error));
    ASSERT_EQ(WaitForSingleObject(quick.done, 10000), WAIT_OBJECT_0) << "waited behind another";
    EXPECT_EQ(quick.error_at_start, 0u) << i;
    Sleep(50);
  }
  SetEvent(held.release);
  EXPECT_EQ(WaitForSingleObject(held.done, 10000), WAIT_OBJECT_0);
}

}  // namespace
}  // namespace mw
