#include "engine/runner.h"

#include <gtest/gtest.h>

#include <set>

#include "engine/decimal.h"
#include "fakes/fake_world.h"

namespace mw {
namespace {

using Set = std::map<std::string, std::string>;
constexpr char kReader[] = "USB\\VID_0BDA&PID_0158";

// A run of C:\APP.EXE for the card reader, with the fields of `set` and a letter.
Action MakeRun(Set set, char letter = '\0') {
  set.emplace("ExeFile", "C:\\APP.EXE");
  set.emplace("HardwareID", kReader);
  Action run = fake::MakeAction(set);
  run.DriveLetter = letter;
  return run;
}

TEST(Runner, ReplacesEveryDriveTokenOnlyInRunsWithALetter) {
  fake::FakeWorld world;
  for (const char letter : {'E', '\0'})
    ExecuteRun(world.platform(),
               MakeRun({{"ExeFile", "%_newdrv_%:\\a.exe %_newdrv_% %_NEWDRV_%"}}, letter));
  EXPECT_EQ(world.StartedCommands(),
            (std::vector<std::string>{"E:\\a.exe E %_NEWDRV_%",
                                      "%_newdrv_%:\\a.exe %_newdrv_% %_NEWDRV_%"}));
}

TEST(Runner, WaitsAndChecksTheNewDriveBeforeTheProgramStarts) {
  struct Case {
    Set set;
    char letter;
    bool starts;
    std::vector<std::uint32_t> sleeps;
  };
  const std::vector<std::uint32_t> never_answers(27, 300);  // asked every 300 ms
  const std::vector<Case> cases = {
      {{{"Ex_RunWaitChk", "1"}, {"Ex_RunWait", "1500ms"}}, 'E', true, {1500}},
      {{{"Ex_RunWaitChk", "1"}, {"Ex_RunWait", "-1"}}, 'E', true, {0}},  // never endless
      {{{"Ex_RunWaitChk", "0"}, {"Ex_RunWait", "1500"}}, 'E', true, {}},
      {{{"Ex_RunVolumeChk", "1"}, {"Ex_RunVolume", "PHOTOS"}}, 'E', true, {}},  // upper-cased
      {{{"Ex_RunVolumeChk", "1"}, {"Ex_RunVolume", "Photos"}}, 'E', false, {}},
      {{{"Ex_RunVolumeChk", "1"}, {"Ex_RunVolume", ""}}, 'E', false, {}},
      {{{"Ex_RunVolumeChk", "1"}, {"Ex_RunVolume", ""}}, 'F', true, {}},  // unlabelled
      {{{"Ex_RunPathChk", "1"}, {"Ex_RunPath", "\\dcim"}}, 'E', true, {}},
      {{{"Ex_RunPathChk", "1"}, {"Ex_RunPath", "MISSING"}}, 'E', false, {}},
      {{{"Ex_RunPathChk", "1"}, {"Ex_RunPath", ""}}, 'E', true, {}},  // the root
      {{{"Ex_RunVolumeChk", "1"}, {"Ex_RunVolume", "X"}, {"Ex_RunPathChk", "1"}}, 'E', false, {}},
      {{{"Ex_RunVolume", "X"}, {"Ex_RunPath", "X"}}, 'E', true, {}},  // checks off
      {{{"Ex_RunVolumeChk", "1"}, {"Ex_RunPathChk", "1"}}, '\0', true, {}},
      {{{"Ex_RunPathChk", "1"}}, 'H', false, never_answers},
  };
  for (const Case& c : cases) {
    fake::FakeWorld world;
    world.volumes = {{"E:\\", "Photos"}, {"F:\\", ""}};
    world.existing_paths = {"E:\\DCIM"};
    EXPECT_EQ(ExecuteRun(world.platform(), MakeRun(c.set, c.letter)), 0u);
    SCOPED_TRACE(testing::PrintToString(c.set) + c.letter);
    EXPECT_EQ(world.started.size(), c.starts ? 1u : 0u);
    EXPECT_EQ(world.sleeps, c.sleeps);
    EXPECT_TRUE(world.shown.empty());  // a failed check ends silently
  }
}

TEST(Runner, RemovalFollowsTheProgramAndRetriesByTheCount) {
  const std::vector<
      std::tuple<std::string, std::string, std::string, std::deque<std::uint32_t>, std::size_t>>
      cases = {
          // automatic removal, retries, count, the configuration manager's answers, requests
          {"0", "1", "5", {23}, 0},
          {"1", "0", "5", {23}, 1},
          {"1", "1", "1", {23, 23, 0}, 2},
          {"1", "1", "2", {23, 0}, 2},
          {"1", "1", "0", {23, 23, 23, 0}, 4},  // 0: for as long as refused
          {"1", "1", "none", {23, 23, 0}, 3},
          {"1", "1", "-3", {23}, 1},
          {"1", "1", "-99", {23, 23, 0}, 3},
          {"1", "1", "5", {5, 23}, 1},  // only a veto is repeated
      };
  for (const auto& [eject, retry, count, answers, requests] : cases) {
    fake::FakeWorld world;
    fake::FakeDevice reader;
    reader.eject_answers = answers;
    world.Add(reader.Multi(setup::kSpdrpHardwareId, {kReader}));
    ExecuteRun(world.platform(), MakeRun({{"Eject", eject},
                                          {"Ex_RmvWaitChk", "1"},
                                          {"Ex_RmvWait", "1000"},
                                          {"Ex_RmvRetryChk", retry},
                                          {"Ex_RmvRetryCount", count},
                                          {"Ex_RmvRetryWait", "3000"}}));
    SCOPED_TRACE(eject + retry + count);
    EXPECT_EQ(world.eject_requests.size(), requests);
    // The program is waited for, then the removal wait, then a pause before each repetition.
    EXPECT_EQ(world.started.at(0).waited, requests > 0);
    std::vector<std::uint32_t> sleeps(requests, 3000);
    if (requests > 0) sleeps[0] = 1000;
    EXPECT_EQ(world.sleeps, sleeps);
  }
}

TEST(Runner, AFailedLaunchRequestsNoRemovalAndReturnsTheLastError) {
  fake::FakeWorld world;
  world.FailAlways("StartProcess", 2);
  fake::FakeWorld::SetLastError(1234);
  EXPECT_EQ(ExecuteRun(world.platform(), MakeRun({{"Eject", "1"}})), 1234u);
  EXPECT_TRUE(world.eject_requests.empty());
  EXPECT_EQ(world.shown.size(), 1u);
}

TEST(PendingRuns, EachTakerGetsTheLastRunOnceUnderTheNamedMutex) {
  fake::FakeWorld world;
  DeviceDiffMutex mutex(world);
  PendingRuns pending(mutex);
  {
    DeviceDiffLock lock(mutex);
    EXPECT_TRUE(world.MutexHeld());
    for (int i = 0; i < 200; ++i) pending.AppendLocked(MakeRun({{"Name", std::to_string(i)}}));
  }
  EXPECT_FALSE(world.MutexHeld());
  RunnerContext context{world.platform(), pending};
  EXPECT_EQ(RunnerThread(&context), 0u);
  EXPECT_EQ(world.StartedCommands(), std::vector<std::string>{"C:\\APP.EXE "});
  std::mutex guard;
  std::set<std::string> taken;  // by runner threads, concurrently
  std::vector<std::thread> takers;
  for (int i = 0; i < 199; ++i)
    takers.emplace_back([&] {
      const std::string name = pending.Take().value_or(Action{}).Name;
      std::lock_guard lock(guard);
      taken.insert(name);
    });
  for (auto& taker : takers) taker.join();
  EXPECT_EQ(taken.size(), 199u);
  EXPECT_EQ(taken.count("199"), 0u);
  EXPECT_EQ(RunnerThread(&context), 0u);  // none left: ends at once
  EXPECT_EQ(world.started.size(), 1u);
}

TEST(ActionFields, OnlyExactTextsCountAndNumbersTakeTheLeadingDigits) {
  for (const auto& [state, dispatched, checked] : std::vector<std::tuple<std::string, bool, bool>>{
           {"0", true, false}, {"1", false, true}, {"", true, true}, {" 1", true, true}}) {
    EXPECT_EQ(IsDispatched(fake::MakeAction({{"State", state}})), dispatched) << state;
    EXPECT_EQ(IsShownChecked(state), checked) << state;
  }
  for (const auto& [text, value] :
       std::vector<std::pair<std::string, std::int32_t>>{{"1500ms", 1500},
                                                         {"abc", 0},
                                                         {"  \t+42", 42},
                                                         {"-3", -3},
                                                         {"99999999999", 2147483647},
                                                         {"-99999999999", -2147483647 - 1}})
    EXPECT_EQ(DecimalToInt(text), value) << text;
}

}  // namespace
}  // namespace mw
