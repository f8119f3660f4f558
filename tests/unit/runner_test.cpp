#include "engine/runner.h"

#include <gtest/gtest.h>

#include "fakes/fake_world.h"

namespace mw {
namespace {

constexpr char kCardReader[] = "USB\\VID_0BDA&PID_0158";

class Runner : public ::testing::Test {
 protected:
  void SetUp() override {
    world_.devices.Add(fake::FakeDevice{}
                           .Multi(setup::kSpdrpHardwareId, {"USB\\VID_0BDA&PID_0158"})
                           .Text(setup::kSpdrpService, "USBSTOR"));
    run_.ExeFile = "C:\\APP.EXE";
    run_.HardwareID = kCardReader;
  }

  std::uint32_t Execute() { return ExecuteRun(world_.platform(), run_); }
  std::vector<std::string> Started() const { return world_.processes.StartedCommands(); }

  fake::FakeWorld world_;
  Action run_;
};

TEST_F(Runner, ReplacesEveryDriveTokenOnlyInRunsWithALetter) {
  run_.ExeFile = "%_newdrv_%:\\run.exe %_newdrv_% %_NEWDRV_%";
  run_.DriveLetter = 'E';
  Execute();
  run_.DriveLetter = '\0';
  Execute();
  EXPECT_EQ(Started(), (std::vector<std::string>{"E:\\run.exe E %_NEWDRV_%",
                                                 "%_newdrv_%:\\run.exe %_newdrv_% %_NEWDRV_%"}));
}

TEST_F(Runner, WaitsBeforeRunningByTheLeadingDigits) {
  struct Case {
    std::string check;
    std::string wait;
    std::vector<std::uint32_t> sleeps;
  };
  for (const Case& c : std::vector<Case>{{"1", "1500ms", {1500}},
                                         {"1", "letters", {0}},
                                         {"1", "-1", {0}},  // never an endless wait
                                         {"0", "1500", {}},
                                         {"", "1500", {}}}) {
    fake::FakeWorld world;
    Action run = run_;
    run.Ex_RunWaitChk = c.check;
    run.Ex_RunWait = c.wait;
    ExecuteRun(world.platform(), run);
    EXPECT_EQ(world.threads.Sleeps(), c.sleeps) << c.check << " " << c.wait;
    EXPECT_EQ(world.processes.StartedCommands().size(), 1u);
  }
}

TEST_F(Runner, NewDriveChecksDecideWhetherTheProgramStarts) {
  struct Case {
    std::string name;
    std::string volume_check, volume, path_check, path;
    bool starts;
  };
  const std::vector<Case> cases = {
      {"label matches upper-cased", "1", "PHOTOS", "0", "", true},
      {"label is compared as typed", "1", "Photos", "0", "", false},
      {"empty label only for unlabelled drives", "1", "", "0", "", false},
      {"folder exists", "0", "", "1", "DCIM", true},
      {"leading backslash still finds it", "0", "", "1", "\\DCIM", true},
      {"missing folder", "0", "", "1", "MISSING", false},
      {"empty path tests the root", "0", "", "1", "", true},
      {"both pass", "1", "PHOTOS", "1", "dcim", true},
      {"label fails first", "1", "OTHER", "1", "DCIM", false},
      {"checks off", "0", "NOPE", "0", "NOPE", true},
  };
  for (const Case& c : cases) {
    fake::FakeWorld world;
    world.files.volumes["E:\\"] = "Photos";
    world.files.existing_paths = {"E:\\DCIM"};
    Action run = run_;
    run.DriveLetter = 'E';
    run.Ex_RunVolumeChk = c.volume_check;
    run.Ex_RunVolume = c.volume;
    run.Ex_RunPathChk = c.path_check;
    run.Ex_RunPath = c.path;
    EXPECT_EQ(ExecuteRun(world.platform(), run), 0u);
    EXPECT_EQ(world.processes.StartedCommands().size(), c.starts ? 1u : 0u) << c.name;
    EXPECT_TRUE(world.notices.shown.empty()) << c.name;  // a failed check ends silently
  }
}

TEST_F(Runner, AnUnlabelledDrivePassesAnEmptyLabel) {
  world_.files.volumes["F:\\"] = "";
  run_.DriveLetter = 'F';
  run_.Ex_RunVolumeChk = "1";
  Execute();
  EXPECT_EQ(Started().size(), 1u);
}

TEST_F(Runner, ADriveThatNeverAnswersCosts27QueriesAndEndsSilently) {
  run_.DriveLetter = 'G';
  run_.Ex_RunPathChk = "1";
  EXPECT_EQ(Execute(), 0u);
  EXPECT_EQ(world_.files.VolumeQueries(), std::vector<std::string>(27, "G:\\"));
  EXPECT_EQ(world_.threads.Sleeps(), std::vector<std::uint32_t>(27, 300));
  EXPECT_TRUE(Started().empty());
  EXPECT_TRUE(world_.notices.shown.empty());
}

TEST_F(Runner, ADriveThatBecomesReadyIsWaitedFor) {
  world_.files.volumes["E:\\"] = "CARD";
  world_.files.failures_before_ready["E:\\"] = 4;
  run_.DriveLetter = 'E';
  run_.Ex_RunVolumeChk = "1";
  run_.Ex_RunVolume = "CARD";
  Execute();
  EXPECT_EQ(world_.threads.Sleeps(), std::vector<std::uint32_t>(4, 300));
  EXPECT_EQ(Started().size(), 1u);
}

TEST_F(Runner, NoLetterMeansNoVolumeQueryAndNoChecks) {
  run_.Ex_RunVolumeChk = "1";
  run_.Ex_RunVolume = "X";
  run_.Ex_RunPathChk = "1";
  run_.Ex_RunPath = "NOWHERE";
  Execute();
  EXPECT_TRUE(world_.files.VolumeQueries().empty());
  EXPECT_TRUE(world_.files.AttributeQueries().empty());
  EXPECT_EQ(Started().size(), 1u);
}

TEST_F(Runner, RemovalRetriesFollowTheRetryCount) {
  struct Case {
    std::string name;
    std::string retry_check;
    std::string count;
    std::vector<std::uint32_t> answers;  // the configuration manager's answers in turn
    std::size_t requests;
  };
  const std::vector<Case> cases = {
      {"retries off: one request", "0", "5", {23}, 1},
      {"count 1: one repetition", "1", "1", {23, 23, 23}, 2},
      {"count 2, granted at the second", "1", "2", {23, 0}, 2},
      {"count 0: for as long as refused", "1", "0", {23, 23, 23, 23, 23, 0}, 6},
      {"no digits: no limit", "1", "none", {23, 23, 0}, 3},
      {"negative: no repetition", "1", "-3", {23, 23}, 1},
      {"-99: no limit", "1", "-99", {23, 23, 23, 0}, 4},
      {"other refusal never repeated", "1", "5", {5, 23}, 1},
      {"granted at once", "1", "5", {0}, 1},
  };
  for (const Case& c : cases) {
    fake::FakeWorld world;
    const fake::FakeDevice& device = world.devices.Add(
        fake::FakeDevice{}.Multi(setup::kSpdrpHardwareId, {"USB\\VID_0BDA&PID_0158"}));
    world.devices.eject_answers[device.dev_inst] = {c.answers.begin(), c.answers.end()};
    Action run = run_;
    run.Eject = "1";
    run.Ex_RmvRetryChk = c.retry_check;
    run.Ex_RmvRetryCount = c.count;
    run.Ex_RmvRetryWait = "3000";
    ExecuteRun(world.platform(), run);
    EXPECT_EQ(world.devices.EjectRequests().size(), c.requests) << c.name;
    EXPECT_EQ(world.threads.Sleeps(), std::vector<std::uint32_t>(c.requests - 1, 3000)) << c.name;
  }
}

TEST_F(Runner, RemovalComesAfterTheProgramEndedAndTheRemovalWait) {
  run_.Eject = "1";
  run_.Ex_RmvWaitChk = "1";
  run_.Ex_RmvWait = "1000";
  Execute();
  ASSERT_EQ(world_.processes.started.size(), 1u);
  EXPECT_TRUE(world_.processes.started[0].waited);
  EXPECT_EQ(world_.threads.Sleeps(), std::vector<std::uint32_t>{1000});
  EXPECT_EQ(world_.devices.EjectRequests().size(), 1u);

  fake::FakeWorld plain;
  run_.Eject = "0";
  ExecuteRun(plain.platform(), run_);
  EXPECT_FALSE(plain.processes.started.at(0).waited);
  EXPECT_TRUE(plain.devices.EjectRequests().empty());
  EXPECT_TRUE(plain.threads.Sleeps().empty());
}

TEST_F(Runner, AFailedLaunchRequestsNoRemovalAndReturnsTheLastError) {
  world_.processes.create_fails = true;
  run_.Eject = "1";
  fake::FakeThreads::SetLastError(1234);
  EXPECT_EQ(Execute(), 1234u);
  EXPECT_TRUE(world_.devices.EjectRequests().empty());
  EXPECT_EQ(world_.notices.shown.size(), 1u);
}

TEST_F(Runner, ThreadTakesTheLastPendingRun) {
  DeviceDiffMutex mutex(world_.threads);
  PendingRuns pending(mutex);
  RunnerContext context{world_.platform(), pending};
  Action first = run_, second = run_;
  first.ExeFile = "C:\\FIRST.EXE";
  second.ExeFile = "C:\\SECOND.EXE";
  {
    DeviceDiffLock lock(mutex);
    pending.AppendLocked(first);
    pending.AppendLocked(second);
  }
  EXPECT_EQ(RunnerThread(&context), 0u);
  EXPECT_EQ(Started(), std::vector<std::string>{"C:\\SECOND.EXE "});
  EXPECT_EQ(RunnerThread(&context), 0u);
  EXPECT_EQ(RunnerThread(&context), 0u);  // nothing left: ends at once
  EXPECT_EQ(Started().size(), 2u);
}

}  // namespace
}  // namespace mw
