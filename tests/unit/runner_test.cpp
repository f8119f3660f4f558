#include "engine/runner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>

#include "engine/launcher.h"
#include "fakes/fake_device_trees.h"
#include "fakes/fake_world.h"
#include "unit/expansion_cases.h"

namespace mw {
namespace {

// A run of C:\APP.EXE for the card reader with the given fields and a letter.
Run MakeRun(const std::string& fields, char letter = '\0') {
  Run run{fake::MakeAction("ExeFile=C:\\APP.EXE;HardwareID=USB\\READER;" + fields)};
  run.action.DriveLetter = letter;
  return run;
}

TEST(Runner, SubstitutesTheLetterWaitsAndChecksTheNewDriveBeforeTheProgramStarts) {
  constexpr char kApp[] = "C:\\APP.EXE";
  // The run, its letter, what started ("": nothing), the sleeps.
  const std::tuple<std::string, char, std::string, std::vector<std::uint32_t>> cases[] = {
      // Every token in its own spelling, and only in a run with a letter.
      {"ExeFile=%_newdrv_%:\\a.exe %_newdrv_% %_NEWDRV_%", 'E', "E:\\a.exe E %_NEWDRV_%", {}},
      {"ExeFile=%_newdrv_%:\\a.exe %_newdrv_%", '\0', "%_newdrv_%:\\a.exe %_newdrv_%", {}},
      {"Ex_RunWaitChk=1;Ex_RunWait=1500ms", 'E', kApp, {1500}},
      {"Ex_RunWaitChk=1;Ex_RunWait=-1", 'E', kApp, {0}},  // never an endless wait
      // The leading digits after blanks and a sign, clamped to 32 bits.
      {"Ex_RunWaitChk=1;Ex_RunWait= \t+42", 'E', kApp, {42}},
      {"Ex_RunWaitChk=1;Ex_RunWait=99999999999", 'E', kApp, {2147483647}},
      {"Ex_RunWaitChk=1;Ex_RunWait=abc", 'E', kApp, {0}},
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

// A device's run that needs its drive: the stick's volume on E: is there at
// once, comes with a broadcast, comes without one (found by the next look),
// or never comes; a run that needs no drive starts at once.
TEST(Runner, ADeviceRunThatNeedsItsDriveGetsTheDevicesFirstOneOrStartsNothing) {
  enum When { kAtOnce, kAtBroadcast, kUnannounced, kNever };
  // The run, when the volume comes, what started ("": nothing), the sleeps.
  const std::tuple<std::string, When, std::string, std::vector<std::uint32_t>> cases[] = {
      {"ExeFile=C:\\APP.EXE %_newdrv_%:\\", kAtOnce, "C:\\APP.EXE E:\\", {}},
      {"ExeFile=C:\\APP.EXE %_newdrv_%", kAtBroadcast, "C:\\APP.EXE E", {}},
      {"Ex_RunVolumeChk=1;Ex_RunVolume=PHOTOS", kUnannounced, "C:\\APP.EXE", {500}},
      {"Ex_RunVolumeChk=1;Ex_RunVolume=OTHER", kAtOnce, "", {}},  // checked on the drive found
      {"Ex_RunPathChk=1;Ex_RunPath=DCIM", kNever, "", std::vector<std::uint32_t>(40, 500)},
      {"", kNever, "C:\\APP.EXE", {}},  // needs no drive
  };
  for (const auto& [fields, when, started, sleeps] : cases) {
    fake::FakeWorld world;
    DriveBell bell(world);
    (void)fake::UsbStick(world, 'D');  // another stick's drive is not this one's
    mw::Run run = MakeRun("Name=Backup;" + fields);
    run.device_instance = fake::UsbStick(world, 'E');
    run.device_name = "Stick";
    world.volumes["E:\\"] = "Photos";
    auto drive = world.storage.drives.extract('E');
    if (when == kAtOnce) world.storage.drives.insert(std::move(drive));
    if (when == kAtBroadcast || when == kUnannounced)
      world.while_waiting = [&, when = when, then = drive.mapped()] {
        world.storage.drives['E'] = then;
        if (when == kAtBroadcast) bell.Ring();
      };
    EXPECT_EQ(ExecuteRun(world.platform(), run, &bell), 0u);
    EXPECT_EQ(world.StartedCommands(), std::vector<std::string>(started.empty() ? 0 : 1, started))
        << fields;
    EXPECT_EQ(world.sleeps, sleeps) << fields;
    EXPECT_EQ(world.Texts().size(), when == kNever && !fields.empty()) << fields;
    if (world.Texts().size() == 1) {
      EXPECT_THAT(world.Texts()[0], testing::HasSubstr("アクション = Backup\nデバイス = Stick"));
      EXPECT_THAT(world.activity, testing::Contains(testing::HasSubstr("現れなかった")));
    }
  }
}

TEST(Runner, RemovesOnlyOnceNoProcessOfTheProgramsJobIsLeft) {
  using M = JobMessage;
  const std::string S = "start C:\\APP.EXE", R = "resume", E = "end C:\\APP.EXE",
                    X = "eject USB\\FAKE\\1";
  // The removal flag, the call that fails, the job's counts and messages; what
  // happened, whether the port was waited on again after a pause, a log line.
  using C = fake::Call;
  const std::tuple<std::string, std::optional<C>, std::deque<std::uint32_t>, std::deque<M>,
                   std::vector<std::string>, bool, std::string>
      cases[] = {
          {"1", {}, {2, 0}, {M::TimedOut}, {S, R, E, "job 2", "job 0", X}, false, "もすべて終了"},
          {"1", {}, {1}, {M::ActiveProcessZero}, {S, R, E, "job 1", "job zero", X}, false, ""},
          {"1", {}, {1, 0}, {M::Failed}, {S, R, E, "job 1", "job 0", X}, true, ""},
          // Without a job only the process is waited for, and the log says so.
          {"1", C::kCreateWaitableJob, {1}, {}, {S, E, X}, false, "ジョブを作れないので"},
          {"1", C::kAssignToJob, {1}, {}, {S, R, E, X}, false, "ジョブに入れられないので"},
          {"1",
           C::kActiveJobProcesses,
           {1},
           {},
           {S, R, E, "job 1", X},
           false,
           "これ以上待ちません"},
          {"0", {}, {1}, {}, {S}, false, ""},
      };
  for (const auto& [eject, failing, counts, messages, timeline, paused, said] : cases) {
    fake::FakeWorld world;
    world.Add(fake::FakeDevice{}.Multi(setup::kSpdrpHardwareId, {"USB\\READER"}));
    world.job_counts = counts;
    world.job_messages = messages;
    if (failing) world.FailAlways(*failing, 5);
    SCOPED_TRACE(failing ? fake::CallName(*failing) : "no failure");
    EXPECT_EQ(ExecuteRun(world.platform(), MakeRun("Eject=" + eject)), 0u);
    EXPECT_EQ(world.timeline, timeline);
    EXPECT_EQ(world.sleeps.size(), paused ? 1u : 0u);
    EXPECT_THAT(world.activity, testing::Contains(testing::HasSubstr(said)));
    EXPECT_EQ(world.open_jobs + world.open_processes, 0);
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
  EXPECT_EQ(world.StartedCommands(), std::vector<std::string>{"C:\\199.EXE"});
}

constexpr char kBrowser[] = "\"C:\\PROGRAM FILES\\BROWSER\\BROWSER.EXE\" ";
constexpr char kStartFailed[] = "アプリケーションの起動に失敗しました。\n\n起動アプリ = ";

// A default browser, a text-file association, and what the system's
// association search answers for a few documents.
class Launcher : public ::testing::Test {
 protected:
  void SetUp() override {
    world_.environment = {{"WINDIR", "C:\\WINDOWS"}, {"SYSTEMROOT", "C:\\WINDOWS"}};
    world_.PutString("HKCR\\.html", "", "htmlfile");
    world_.PutString("HKCR\\htmlfile\\shell\\open\\command", "",
                     "\"C:\\Program Files\\Browser\\browser.exe\" -url \"%1\"");
    world_.PutString("HKCR\\.txt", "", "txtfile");
    world_.PutString("HKCR\\txtfile\\shell\\open\\command", "",
                     "%SystemRoot%\\system32\\notepad.exe %1");
    world_.find_executable = {{"C:\\My Files\\Notes.txt", "C:\\WINDOWS\\notepad.exe"},
                              {"E:\\Photo.jpg", "C:\\Viewer\\view.exe"},
                              {"E:\\memo.txt", "\"%1\""},
                              {"E:\\script.txt", "C:\\tools\\open.cmd"},
                              {"E:\\note.md", "\"%1\""},
                              {"E:\\x.raw", "\"%1\""}};
    // Without a default value the extension itself names the class.
    world_.PutString("HKCR\\.raw\\shell\\open\\command", "", "C:\\raw.exe %1");
    world_.system_texts[2] = "見つかりません。\r\n";
    world_.system_texts[5] = "拒否されました。\r\n";
  }
  fake::FakeWorld world_;
};

// The launcher's tests rely on the fake expanding exactly as the system does.
TEST(FakePlatform, ExpandsEnvironmentNamesOnceLeftToRightAsTheSystemDoes) {
  fake::FakeWorld world;
  for (const auto& [name, value] : expansion::kVariables) world.environment[name] = value;
  expansion::ExpectExpandedAsRows(world);
}

// Every program called ADMIN asks for administrator rights; under NO the user declines.
long AdminRightsAsked(fake::Call call, const std::string& what) {
  if (call == fake::Call::kShellExecuteProcess && what.starts_with("C:\\NO\\")) return 1223;
  return call == fake::Call::kStartProcess && what.find("ADMIN") != std::string::npos ? 740 : 0;
}

TEST_F(Launcher, StartsWhatTheCommandLineNames) {
  world_.fault = AdminRightsAsked;
  const std::vector<std::pair<std::string, std::string>> cases = {
      // The tests run on an upper-cased copy; the start keeps the user's letters.
      {"c:\\tools\\App.exe /a /Mixed", "c:\\tools\\App.exe /a /Mixed"},
      {"\"C:\\My Tools\\app.exe\"", "\"C:\\My Tools\\app.exe\""},
      {"\"C:\\My Tools\\app.exe\" /X", "\"C:\\My Tools\\app.exe\" /X"},
      {"C:\\Run.bat arg", "C:\\Run.bat arg"},
      {"C:\\TOOL.COM", "C:\\TOOL.COM"},
      {"C:\\APP.EXE \"a b\" c", "C:\\APP.EXE \"a b\" c"},  // a quote in the middle: no split
      // The program path alone is quoted, so that no shorter path is tried first.
      {"C:\\PROGRAM FILES\\A\\B.EXE /X", "\"C:\\PROGRAM FILES\\A\\B.EXE\" /X"},
      {"C:\\Program Files\\App.exe /x \"E:\\a b.txt\"",
       "\"C:\\Program Files\\App.exe\" /x \"E:\\a b.txt\""},
      {"%WINDIR%\\notepad.exe %UNDEFINED%", "C:\\WINDOWS\\notepad.exe %UNDEFINED%"},
      // The same file and parameters to the shell, which asks the user's consent.
      {"C:\\Admin Tools\\ADMIN.exe /x:\"y\" -o", "shell C:\\Admin Tools\\ADMIN.exe|/x:\"y\" -o"},
      {"\"C:\\My Tools\\ADMIN.exe\"\t/X", "shell C:\\My Tools\\ADMIN.exe|/X"},
      // Documents through the association the system reports; a placeholder
      // answer, or one that is no program, through the registry's own command.
      {"C:\\My Files\\Notes.txt", "C:\\WINDOWS\\notepad.exe \"C:\\My Files\\Notes.txt\""},
      {"E:\\Photo.jpg", "C:\\Viewer\\view.exe E:\\Photo.jpg"},
      {"E:\\memo.txt", "C:\\WINDOWS\\SYSTEM32\\NOTEPAD.EXE E:\\memo.txt"},
      {"E:\\script.txt", "C:\\WINDOWS\\SYSTEM32\\NOTEPAD.EXE E:\\script.txt"},
      {"E:\\x.raw", "C:\\RAW.EXE E:\\x.raw"},
      // Web addresses go to the default browser, mail addresses to the shell.
      {"http://Example.com/Path", std::string(kBrowser) + "http://Example.com/Path"},
      {"C:\\APP.EXE http://x.example/", std::string(kBrowser) + "C:\\APP.EXE"},
      {"mailto:Someone@Example.com", "shell mailto:Someone@Example.com <none>"},
  };
  for (const auto& [line, expected] : cases) {
    world_.started.clear();
    world_.shell_calls.clear();
    EXPECT_TRUE(LaunchProgram(world_.platform(), line, false)) << line;
    std::vector<std::string> launched = world_.StartedCommands();
    for (const auto& [file, parameters] : world_.shell_calls)
      launched.push_back("shell " + file + " " + parameters);
    EXPECT_EQ(launched, std::vector<std::string>{expected}) << line;
  }
  EXPECT_EQ(world_.Texts(), std::vector<std::string>{});
  EXPECT_EQ(world_.open_processes, 0);
  EXPECT_EQ(world_.open_keys(), 0u);
}

TEST_F(Launcher, FailuresShowTheirNoticesAndStartNothing) {
  world_.environment["LONG"] = std::string(520, 'x');
  // The line, the call whose first use fails with 5, the notices.
  const std::tuple<std::string, std::optional<fake::Call>, std::vector<std::string>> cases[] = {
      // A program's extension counts only at the end of its path.
      {"E:\\doc.EXE.unknown",
       {},
       {"アプリケーションの関連付けがありません。\n\nドキュメント = E:\\doc.EXE.unknown\n"}},
      {"%LONG%.EXE", {}, {kStartFailed + std::string("%LONG%.EXE\n\nSysErr(206) ")}},
      {"\"C:\\A B\\X.EXE /Q",
       fake::Call::kStartProcess,
       {kStartFailed + std::string(" \"C:\\A B\\X.EXE /Q\n\nSysErr(5) 拒否されました。\r\n")}},
      // A consent the user declines fails as the shell tells.
      {"C:\\NO\\ADMIN.EXE /a",
       {},
       {kStartFailed + std::string("C:\\NO\\ADMIN.EXE /a\n\nSysErr(1223) ")}},
      {"https://example.com",
       fake::Call::kOpenKey,
       {"RegOpenKeyExに失敗しました。\nSysErr(5) 拒否されました。\r\n",
        "標準ブラウザのPath読み出しに失敗しました。"}},
      // A placeholder answer without a registered class.
      {"E:\\note.md",
       {},
       {"RegOpenKeyExに失敗しました。\nSysErr(2) 見つかりません。\r\n",
        "拡張子関連付けレジストリの読み出しに失敗しました。"}},
  };
  for (const auto& [line, failing, notices] : cases) {
    world_.shown.clear();
    world_.fault = [&, failed = false](fake::Call call, const std::string& what) mutable {
      return call == failing && !std::exchange(failed, true) ? 5L : AdminRightsAsked(call, what);
    };
    EXPECT_FALSE(LaunchProgram(world_.platform(), line, true)) << line;
    EXPECT_EQ(world_.Texts(), notices) << line;
  }
  EXPECT_TRUE(world_.started.empty());
}

}  // namespace
}  // namespace mw
