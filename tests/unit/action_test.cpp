#include "model/action.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>

#include "engine/decimal.h"
#include "engine/pending_runs.h"
#include "fakes/fake_threads.h"

namespace mw {
namespace {

TEST(ActionRecord, ANewActionHasTheDefaults) {
  const Action action;
  EXPECT_EQ(action.Name, "新しいアクション");
  EXPECT_EQ(action.Name.size(), 16u);  // eight double-byte characters
  for (const std::string* flag :
       {&action.State, &action.Eject, &action.Ex_RunVolumeChk, &action.Ex_RunPathChk,
        &action.Ex_RunWaitChk, &action.Ex_RmvWaitChk, &action.Ex_RmvRetryChk})
    EXPECT_EQ(*flag, "0");
  for (const std::string* text :
       {&action.HardwareID, &action.ExeFile, &action.Ex_RunVolume, &action.Ex_RunPath})
    EXPECT_EQ(*text, "");
  EXPECT_EQ(action.Ex_RunWait, "2000");
  EXPECT_EQ(action.Ex_RmvWait, "1000");
  EXPECT_EQ(action.Ex_RmvRetryWait, "3000");
  EXPECT_EQ(action.Ex_RmvRetryCount, "1");
  EXPECT_EQ(action.DriveLetter, '\0');
}

TEST(ActionRecord, ResetKeepsTheDriveLetterAndCopiesShareNothing) {
  Action run;
  run.Name = "x";
  run.Ex_RunPath = "DCIM";
  run.DriveLetter = 'E';
  Action copy = run;
  ResetToDefaults(run);
  EXPECT_EQ(run.Name, kNewActionName);
  EXPECT_EQ(run.Ex_RunPath, "");
  EXPECT_EQ(run.DriveLetter, 'E');
  EXPECT_EQ(copy.Name, "x");
  EXPECT_EQ(copy.Ex_RunPath, "DCIM");
  EXPECT_EQ(copy.DriveLetter, 'E');
}

TEST(ActionRecord, FieldTestsCompareWholeTextsExactly) {
  struct Case {
    std::string state;
    bool dispatched;
    bool shown_enabled;
  };
  for (const Case& c : std::vector<Case>{{"0", true, true},
                                         {"1", false, false},
                                         {"", true, false},
                                         {"2", true, false},
                                         {" 1", true, false}}) {
    Action action;
    action.State = c.state;
    EXPECT_EQ(IsDispatched(action), c.dispatched) << "'" << c.state << "'";
    EXPECT_EQ(IsShownEnabled(action), c.shown_enabled) << "'" << c.state << "'";
  }
  EXPECT_TRUE(IsFlagOn("1"));
  EXPECT_FALSE(IsFlagOn("01"));
  EXPECT_TRUE(IsShownChecked(""));
  EXPECT_TRUE(IsShownChecked("2"));
  EXPECT_FALSE(IsShownChecked("0"));
  Action bound;
  bound.HardwareID = "USB\\VID_1234&PID_5678";
  EXPECT_TRUE(BindsDevice(bound, "USB\\VID_1234&PID_5678"));
  EXPECT_FALSE(BindsDevice(bound, "usb\\vid_1234&pid_5678"));
  EXPECT_FALSE(BindsDevice(bound, "USB\\VID_1234&PID_567"));
}

TEST(DecimalConversion, LeadingDigitsCountAndTheRestIsIgnored) {
  struct Case {
    std::string text;
    std::int32_t value;
  };
  for (const Case& c : std::vector<Case>{{"1500ms", 1500},
                                         {"2000", 2000},
                                         {"abc", 0},
                                         {"", 0},
                                         {"  \t42", 42},
                                         {"+7", 7},
                                         {"-3", -3},
                                         {"-99", -99},
                                         {"12 34", 12},
                                         {"99999999999", 2147483647},
                                         {"-99999999999", -2147483647 - 1}}) {
    EXPECT_EQ(DecimalToInt(c.text), c.value) << c.text;
  }
  EXPECT_EQ(DecimalToWait("-1"), 0u);
  EXPECT_EQ(DecimalToWait("1500ms"), 1500u);
}

// Runner threads take runs concurrently; each run is taken exactly once.
TEST(PendingRuns, ConcurrentTakersEachGetOneRunOnce) {
  fake::FakeThreads threads;
  DeviceDiffMutex mutex(threads);
  PendingRuns pending(mutex);
  constexpr int kRuns = 200;
  {
    DeviceDiffLock lock(mutex);
    for (int i = 0; i < kRuns; ++i) {
      Action run;
      run.Name = std::to_string(i);
      pending.AppendLocked(run);
    }
  }
  std::mutex taken_guard;
  std::multiset<std::string> taken;
  std::vector<std::thread> takers;
  for (int i = 0; i < kRuns; ++i) {
    takers.emplace_back([&] {
      std::optional<Action> run = pending.Take();
      ASSERT_TRUE(run.has_value());
      std::lock_guard lock(taken_guard);
      taken.insert(run->Name);
    });
  }
  for (auto& taker : takers) taker.join();
  ASSERT_EQ(taken.size(), static_cast<std::size_t>(kRuns));
  for (int i = 0; i < kRuns; ++i) EXPECT_EQ(taken.count(std::to_string(i)), 1u);
  EXPECT_FALSE(pending.Take().has_value());
}

TEST(PendingRuns, TakesTheLastRunAndUsesTheNamedMutex) {
  fake::FakeThreads threads;
  DeviceDiffMutex mutex(threads);
  PendingRuns pending(mutex);
  Action first, second;
  first.Name = "first";
  second.Name = "second";
  {
    DeviceDiffLock lock(mutex);
    EXPECT_TRUE(threads.IsHeld("Mutex_Mountwick_DiffDevice"));
    pending.AppendLocked(first);
    pending.AppendLocked(second);
  }
  EXPECT_FALSE(threads.IsHeld("Mutex_Mountwick_DiffDevice"));
  EXPECT_EQ(pending.Take()->Name, "second");
  EXPECT_EQ(pending.Take()->Name, "first");
}

}  // namespace
}  // namespace mw
