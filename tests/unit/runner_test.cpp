#include "engine/runner.h"

#include <gtest/gtest.h>

#include <set>

#include "engine/decimal.h"
#include "fakes/fake_world.h"

namespace mw {
namespace {

constexpr char kReader[] = "USB\\VID_0BDA&PID_0158";

Action MakeRun(char letter = '\0') {
  Action run;
  run.ExeFile = "C:\\APP.EXE";
  run.HardwareID = kReader;
  run.DriveLetter = letter;
  return run;
}

TEST(Runner, ReplacesEveryDriveTokenOnlyInRunsWithALetter) {
  fake::FakeWorld world;
  Action run = MakeRun('E');
  run.ExeFile = "%_newdrv_%:\\run.exe %_newdrv_% %_NEWDRV_%";
  ExecuteRun(world.platform(), run);
  run.DriveLetter = '\0';
  ExecuteRun(world.platform(), run);
  EXPECT_EQ(world.StartedCommands(),
            (std::vector<std::string>{"E:\\run.exe E %_NEWDRV_%",
                                      "%_newdrv_%:\\run.exe %_newdrv_% %_NEWDRV_%"}));
}

TEST(Runner, WaitsBeforeRunningByTheLeadingDigits) {
  const std::vector<std::tuple<std::string, std::string, std::vector<std::uint32_t>>> cases = {
      {"1", "1500ms", {1500}}, {"1", "letters", {0}}, {"1", "-1", {0}}, {"0", "1500", {}}};
  for (const auto& [check, wait, sleeps] : cases) {
    fake::FakeWorld world;
    Action run = MakeRun();
    run.Ex_RunWaitChk = check;
    run.Ex_RunWait = wait;
    ExecuteRun(world.platform(), run);
    EXPECT_EQ(world.sleeps, sleeps) << check << " " << wait;
    EXPECT_EQ(world.started.size(), 1u);
  }
}

TEST(Runner, NewDriveChecksDecideWhetherTheProgramStarts) {
  struct Case {
    const char* name;
    char letter;
    std::string volume_check, volume, path_check, path;
    bool starts;
    std::size_t volume_queries;  // a drive is asked every 300 ms until it answers
  };
  const std::vector<Case> cases = {
      {"label matches upper-cased", 'E', "1", "PHOTOS", "0", "", true, 1},
      {"label is compared as typed", 'E', "1", "Photos", "0", "", false, 1},
      {"empty label only for unlabelled drives", 'E', "1", "", "0", "", false, 1},
      {"unlabelled drive", 'F', "1", "", "0", "", true, 1},
      {"folder exists", 'E', "0", "", "1", "DCIM", true, 1},
      {"leading backslash", 'E', "0", "", "1", "\\dcim", true, 1},
      {"missing folder", 'E', "0", "", "1", "MISSING", false, 1},
      {"empty path tests the root", 'E', "0", "", "1", "", true, 1},
      {"label fails first", 'E', "1", "OTHER", "1", "DCIM", false, 1},
      {"checks off", 'E', "0", "NOPE", "0", "NOPE", true, 0},
      {"no letter: no checks", '\0', "1", "X", "1", "NOWHERE", true, 0},
      {"drive becomes ready", 'G', "1", "CARD", "0", "", true, 5},
      {"drive never answers", 'H', "0", "", "1", "", false, 27},
  };
  for (const Case& c : cases) {
    fake::FakeWorld world;
    world.volumes = {{"E:\\", "Photos"}, {"F:\\", ""}, {"G:\\", "Card"}};
    world.failures_before_ready["G:\\"] = 4;
    world.existing_paths = {"E:\\DCIM"};
    Action run = MakeRun(c.letter);
    run.Ex_RunVolumeChk = c.volume_check;
    run.Ex_RunVolume = c.volume;
    run.Ex_RunPathChk = c.path_check;
    run.Ex_RunPath = c.path;
    EXPECT_EQ(ExecuteRun(world.platform(), run), 0u);
    EXPECT_EQ(world.started.size(), c.starts ? 1u : 0u) << c.name;
    EXPECT_EQ(world.volume_queries, c.volume_queries) << c.name;
    // A pause follows every query that failed: all of them, or all but the last.
    const std::size_t pauses = c.volume_queries - (c.volume_queries % 27 != 0);
    EXPECT_EQ(world.sleeps, std::vector<std::uint32_t>(pauses, 300)) << c.name;
    EXPECT_TRUE(world.shown.empty()) << c.name;  // a failed check ends silently
  }
}

TEST(Runner, RemovalFollowsTheProgramAndRetriesByTheCount) {
  struct Case {
    const char* name;
    std::string eject, retry_check, count;
    std::deque<std::uint32_t> answers;  // the configuration manager's, in turn
    std::size_t requests;
  };
  const std::vector<Case> cases = {
      {"no automatic removal", "0", "1", "5", {23}, 0},
      {"retries off: one request", "1", "0", "5", {23}, 1},
      {"count 1: one repetition", "1", "1", "1", {23}, 2},
      {"count 2, granted at the second", "1", "1", "2", {23, 0}, 2},
      {"count 0: for as long as refused", "1", "1", "0", {23, 23, 23, 23, 23, 0}, 6},
      {"no digits: no limit", "1", "1", "none", {23, 23, 0}, 3},
      {"negative: no repetition", "1", "1", "-3", {23}, 1},
      {"-99: no limit", "1", "1", "-99", {23, 23, 23, 0}, 4},
      {"other refusal never repeated", "1", "1", "5", {5, 23}, 1},
  };
  for (const Case& c : cases) {
    fake::FakeWorld world;
    fake::FakeDevice reader;
    reader.eject_answers = c.answers;
    world.Add(reader.Multi(setup::kSpdrpHardwareId, {kReader}));
    Action run = MakeRun();
    run.Eject = c.eject;
    run.Ex_RmvWaitChk = "1";
    run.Ex_RmvWait = "1000";
    run.Ex_RmvRetryChk = c.retry_check;
    run.Ex_RmvRetryCount = c.count;
    run.Ex_RmvRetryWait = "3000";
    ExecuteRun(world.platform(), run);
    EXPECT_EQ(world.eject_requests.size(), c.requests) << c.name;
    // The program is waited for, then the removal wait, then a pause before each repetition.
    EXPECT_EQ(world.started.at(0).waited, c.requests > 0) << c.name;
    std::vector<std::uint32_t> sleeps(c.requests > 0 ? c.requests : 0, 3000);
    if (!sleeps.empty()) sleeps[0] = 1000;
    EXPECT_EQ(world.sleeps, sleeps) << c.name;
  }
}

TEST(Runner, AFailedLaunchRequestsNoRemovalAndReturnsTheLastError) {
  fake::FakeWorld world;
  world.FailAlways("StartProcess", 2);
  Action run = MakeRun();
  run.Eject = "1";
  fake::FakeWorld::SetLastError(1234);
  EXPECT_EQ(ExecuteRun(world.platform(), run), 1234u);
  EXPECT_TRUE(world.eject_requests.empty());
  EXPECT_EQ(world.shown.size(), 1u);
}

TEST(Runner, EachThreadTakesTheLastPendingRunOnce) {
  fake::FakeWorld world;
  DeviceDiffMutex mutex(world);
  PendingRuns pending(mutex);
  RunnerContext context{world.platform(), pending};
  Action first = MakeRun(), second = MakeRun();
  second.ExeFile = "C:\\SECOND.EXE";
  {
    DeviceDiffLock lock(mutex);
    EXPECT_TRUE(world.IsHeld("Mutex_Mountwick_DiffDevice"));
    pending.AppendLocked(first);
    pending.AppendLocked(second);
  }
  EXPECT_FALSE(world.IsHeld("Mutex_Mountwick_DiffDevice"));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(RunnerThread(&context), 0u);  // the third finds none
  EXPECT_EQ(world.StartedCommands(), (std::vector<std::string>{"C:\\SECOND.EXE ", "C:\\APP.EXE "}));
}

TEST(PendingRuns, ConcurrentTakersEachGetOneRunOnce) {
  fake::FakeWorld world;
  DeviceDiffMutex mutex(world);
  PendingRuns pending(mutex);
  constexpr int kRuns = 200;
  {
    DeviceDiffLock lock(mutex);
    for (int i = 0; i < kRuns; ++i) pending.AppendLocked(MakeRun());
  }
  std::mutex guard;
  int taken = 0;
  std::vector<std::thread> takers;
  for (int i = 0; i < kRuns; ++i)
    takers.emplace_back([&] {
      const bool got = pending.Take().has_value();
      std::lock_guard lock(guard);
      taken += got;
    });
  for (auto& taker : takers) taker.join();
  EXPECT_EQ(taken, kRuns);
  EXPECT_FALSE(pending.Take().has_value());
}

TEST(ActionFields, OnlyExactTextsCountAndNumbersTakeTheLeadingDigits) {
  for (const auto& [state, dispatched, checked] : std::vector<std::tuple<std::string, bool, bool>>{
           {"0", true, false}, {"1", false, true}, {"", true, true}, {" 1", true, true}}) {
    Action action;
    action.State = state;
    EXPECT_EQ(IsDispatched(action), dispatched) << "'" << state << "'";
    EXPECT_EQ(IsShownChecked(state), checked) << "'" << state << "'";
  }
  for (const auto& [text, value] :
       std::vector<std::pair<std::string, std::int32_t>>{{"1500ms", 1500},
                                                         {"abc", 0},
                                                         {"  \t42", 42},
                                                         {"+7", 7},
                                                         {"-3", -3},
                                                         {"99999999999", 2147483647},
                                                         {"-99999999999", -2147483647 - 1}})
    EXPECT_EQ(DecimalToInt(text), value) << text;
}

}  // namespace
}  // namespace mw
