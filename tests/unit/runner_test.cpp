#include "engine/runner.h"

#include <gtest/gtest.h>

#include <atomic>

#include "engine/decimal.h"
#include "fakes/fake_world.h"

namespace mw {
namespace {

// A run of C:\APP.EXE for the card reader with the given fields and a letter.
Action MakeRun(const std::string& fields, char letter = '\0') {
  Action run = fake::MakeAction("ExeFile=C:\\APP.EXE;HardwareID=USB\\READER;" + fields);
  run.DriveLetter = letter;
  return run;
}

TEST(Runner, SubstitutesTheLetterWaitsAndChecksTheNewDriveBeforeTheProgramStarts) {
  constexpr char kApp[] = "C:\\APP.EXE ";
  // The run, its letter, what started ("": nothing), the sleeps.
  const std::tuple<std::string, char, std::string, std::vector<std::uint32_t>> cases[] = {
      // Every token in its own spelling, and only in a run with a letter.
      {"ExeFile=%_newdrv_%:\\a.exe %_newdrv_% %_NEWDRV_%", 'E', "E:\\a.exe E %_NEWDRV_%", {}},
      {"ExeFile=%_newdrv_%:\\a.exe %_newdrv_%", '\0', "%_newdrv_%:\\a.exe %_newdrv_%", {}},
      {"Ex_RunWaitChk=1;Ex_RunWait=1500ms", 'E', kApp, {1500}},
      {"Ex_RunWaitChk=1;Ex_RunWait=-1", 'E', kApp, {0}},  // never an endless wait
      {"Ex_RunWaitChk=0;Ex_RunWait=1500", 'E', kApp, {}},
      {"Ex_RunVolumeChk=1;Ex_RunVolume=PHOTOS", 'E', kApp, {}},  // the label upper-cased
      {"Ex_RunVolumeChk=1;Ex_RunVolume=", 'F', kApp, {}},        // an unlabelled drive
      {"Ex_RunPathChk=1;Ex_RunPath=\\dcim", 'E', kApp, {}},
      {"Ex_RunPathChk=1;Ex_RunPath=MISSING", 'E', "", {}},
      {"Ex_RunVolume=X;Ex_RunPath=X", 'E', kApp, {}},  // checks off
      {"Ex_RunVolumeChk=1;Ex_RunPathChk=1", '\0', kApp, {}},
      {"Ex_RunPathChk=1", 'H', "", std::vector<std::uint32_t>(27, 300)},  // asked every 300 ms
  };
  for (const auto& [fields, letter, started, sleeps] : cases) {
    fake::FakeWorld world;
    world.volumes = {{"E:\\", "Photos"}, {"F:\\", ""}};
    world.existing_paths = {"E:\\DCIM"};
    EXPECT_EQ(ExecuteRun(world.platform(), MakeRun(fields, letter)), 0u);
    EXPECT_EQ(world.StartedCommands(), std::vector<std::string>(started.empty() ? 0 : 1, started))
        << fields << letter;
    EXPECT_EQ(world.sleeps, sleeps) << fields << letter;
    EXPECT_TRUE(world.shown.empty());  // a failed check ends silently
  }
}

TEST(Runner, RemovalFollowsTheProgramAndRetriesByTheCount) {
  const std::vector<std::tuple<std::string, std::deque<std::uint32_t>, std::size_t>> cases = {
      // the run, the configuration manager's answers in turn, the requests
      {"Eject=0;Ex_RmvRetryChk=1", {23}, 0},
      {"Eject=1;ExeFile=", {}, 0},  // nothing started, nothing removed
      {"Eject=1;Ex_RmvRetryChk=0", {23}, 1},
      {"Eject=1;Ex_RmvRetryChk=1;Ex_RmvRetryCount=1", {23, 23, 0}, 2},
      {"Eject=1;Ex_RmvRetryChk=1;Ex_RmvRetryCount=0", {23, 23, 23, 0}, 4},  // as long as refused
      {"Eject=1;Ex_RmvRetryChk=1;Ex_RmvRetryCount=-3", {23}, 1},
      {"Eject=1;Ex_RmvRetryChk=1;Ex_RmvRetryCount=-99", {23, 23, 0}, 3},
      {"Eject=1;Ex_RmvRetryChk=1;Ex_RmvRetryCount=5", {5, 23}, 1},  // only a veto is repeated
  };
  for (const auto& [fields, answers, requests] : cases) {
    fake::FakeWorld world;
    world.Add(fake::FakeDevice{
        true, 0, {{setup::kSpdrpHardwareId, std::string("USB\\READER\0\0", 12)}}, answers});
    ExecuteRun(world.platform(),
               MakeRun(fields + ";Ex_RmvWaitChk=1;Ex_RmvWait=1000;Ex_RmvRetryWait=3000"));
    EXPECT_EQ(world.eject_requests.size(), requests) << fields;
    // The program is waited for, then the removal wait, then a pause before each repetition.
    EXPECT_EQ(world.started.size() == 1 && world.started[0].waited, requests > 0) << fields;
    std::vector<std::uint32_t> sleeps(requests, 3000);
    if (requests > 0) sleeps[0] = 1000;
    EXPECT_EQ(world.sleeps, sleeps) << fields;
  }
}

TEST(PendingRuns, EachTakerGetsTheLastRunOnceUnderTheNamedMutex) {
  fake::FakeWorld world;
  DeviceDiffMutex mutex(world);
  PendingRuns pending(mutex);
  {
    DeviceDiffLock lock(mutex);
    EXPECT_TRUE(world.MutexHeld());
    for (int i = 0; i < 200; ++i)
      pending.AppendLocked(MakeRun("ExeFile=C:\\" + std::to_string(i) + ".EXE"));
  }
  EXPECT_FALSE(world.MutexHeld());
  RunnerContext context{world.platform(), pending};
  EXPECT_EQ(RunnerThread(&context), 0u);  // takes the last one
  std::atomic<int> taken = 0;             // by runner threads, concurrently
  std::vector<std::thread> takers(199);
  for (auto& taker : takers) taker = std::thread([&] { taken += pending.Take().has_value(); });
  for (auto& taker : takers) taker.join();
  EXPECT_EQ(taken, 199);
  EXPECT_EQ(RunnerThread(&context), 0u);  // none left: ends at once
  EXPECT_EQ(world.StartedCommands(), std::vector<std::string>{"C:\\199.EXE "});
}

TEST(Decimal, TakesTheLeadingDigitsAfterBlanksAndASignAndClampsTo32Bits) {
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
