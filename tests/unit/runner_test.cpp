#include "engine/runner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

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

constexpr char kApp[] = "C:\\APP.EXE";

// What a run of C:\APP.EXE for the reader, on drive E: unless told, starts, waits, logs and
// returns. E: is labelled Photos and holds DCIM, F: has no label, G:'s label begins with デ,
// whose second byte is 'f' and stays so when upper-cased. The mail program is missing.
struct RunCase {
  std::string fields;
  char letter = 'E';
  std::string started = kApp;              // "": nothing
  std::vector<std::uint32_t> sleeps = {};  // in order
  std::vector<std::string> said = {};      // in the log ("!": never said)
  std::uint32_t error = 0;                 // the launcher's code, if it failed
  std::deque<std::uint32_t> removal_answers = {};
  std::optional<fake::Call> failing = {};  // with 5
  std::deque<std::uint32_t> job_counts = {};
  std::deque<JobMessage> job_messages = {};
  std::vector<std::string> timeline = {};  // checked when given
};

// A run with removal whose job answers counts and messages.
RunCase Job(std::optional<fake::Call> failing, std::deque<std::uint32_t> counts,
            std::deque<JobMessage> messages, std::vector<std::string> timeline,
            const std::string& said = "", std::vector<std::uint32_t> sleeps = {}) {
  return {"Eject=1", 'E', kApp, sleeps, {said}, 0, {}, failing, counts, messages, timeline};
}
// A run whose refused removals are asked again up to count times, with waits between them.
RunCase Retry(const std::string& count, std::deque<std::uint32_t> answers, std::size_t waits,
              std::vector<std::string> said) {
  const std::string retry = "Eject=1;Ex_RmvRetryChk=1;Ex_RmvRetryWait=3000;Ex_RmvRetryCount=";
  return {retry + count, 'E', kApp, std::vector<std::uint32_t>(waits, 3000), said, 0, answers};
}

TEST(Runner, SubstitutesTheLetterChecksTheDriveWaitsForTheJobAndRemovesAsOftenAsAllowed) {
  using M = JobMessage;
  using C = fake::Call;
  constexpr std::uint32_t V = setup::kCrRemoveVetoed;
  const std::string S = "start C:\\APP.EXE", R = "resume", E = "end C:\\APP.EXE",
                    X = "eject USB\\FAKE\\1";
  const RunCase cases[] = {
      // Every token in its own spelling, and only in a run with a letter.
      {"ExeFile=%_newdrv_%:\\a.exe %_newdrv_% %_NEWDRV_%", 'E', "E:\\a.exe E %_NEWDRV_%"},
      {"ExeFile=%_newdrv_%:\\a.exe %_newdrv_%", '\0', "%_newdrv_%:\\a.exe %_newdrv_%"},
      {"Ex_RunWaitChk=1;Ex_RunWait=1500ms", 'E', kApp, {1500}},
      {"Ex_RunWaitChk=1;Ex_RunWait=-1", 'E', kApp, {0}},  // never an endless wait
      {"Ex_RunWaitChk=1;Ex_RunWait=99999999999", 'E', kApp, {2147483647}},
      {"Ex_RunWaitChk=0;Ex_RunWait=1500"},
      {"Ex_RunVolumeChk=1;Ex_RunVolume=PHOTOS"},  // the label upper-cased
      {"Ex_RunVolumeChk=1;Ex_RunVolume=", 'F'},   // an unlabelled drive
      {"Ex_RunVolumeChk=1;Ex_RunVolume=PHOTOS",
       'G',
       "",
       {},
       {"ラベル \"デジCAMERA\" ≠ \"PHOTOS\""}},
      {"Ex_RunPathChk=1;Ex_RunPath=\\dcim"},
      {"Ex_RunPathChk=1;Ex_RunPath=MISSING", 'E', ""},
      {"Ex_RunVolume=X;Ex_RunPath=X"},  // checks off
      {"Ex_RunVolumeChk=1;Ex_RunPathChk=1", '\0'},
      {"Ex_RunPathChk=1", 'H', "", std::vector<std::uint32_t>(27, 300)},  // asked every 300 ms
      {"Eject=1;ExeFile=", 'E', "", {}, {"起動できませんでした（コード 2"}, 2},
      {"ExeFile=mailto:Me@Example.com", 'E', "", {}, {"起動できませんでした（コード 2"}, 2},
      // Removal once no process of the program's job is left; a failed port is asked
      // again after a pause. Without a job only the process is waited for, as the log says.
      Job({}, {2, 0}, {M::TimedOut}, {S, R, E, "job 2", "job 0", X}, "もすべて終了"),
      Job({}, {1}, {M::ActiveProcessZero}, {S, R, E, "job 1", "job zero", X}),
      Job({}, {1, 0}, {M::Failed}, {S, R, E, "job 1", "job 0", X}, "", {kJobPollMilliseconds}),
      Job(C::kCreateWaitableJob, {1}, {}, {S, E, X}, "ジョブを作れないので"),
      Job(C::kAssignToJob, {1}, {}, {S, R, E, X}, "ジョブに入れられないので"),
      Job(C::kActiveJobProcesses, {1}, {}, {S, R, E, "job 1", X}, "これ以上待ちません"),
      {"Eject=0", 'E', kApp, {}, {}, 0, {}, {}, {1}, {}, {S}},
      // Refused removals asked again as often as the count allows, 0 or less: without end.
      {"Eject=1;Ex_RmvRetryChk=0", 'E', kApp, {}, {"要求 1 / 1: 拒否", "拒否されたまま"}, 0, {V}},
      Retry("2", {V}, 2,
            {"起動しました（プロセス ID 1）: C:\\APP.EXE", "終了コード 3",
             "取り外し要求 1 / 3: 拒否されました（CONFIGRET 23、拒否の種類: アプリケーション）",
             "取り外し要求 3 / 3: 拒否", "取り外しは拒否されたまま"}),
      Retry("0", {V, V, V, 0}, 3, {"1 / 無制限: 拒否", "4 / 無制限: 受け付け", "を終えました"}),
      Retry("-3", {V}, 0, {"取り外し要求 1 / 1: 拒否"}),
      Retry("-99", {V, V, 0}, 2, {"3 / 無制限: 受け付け"}),
      Retry("5", {5, V}, 0, {"取り外しに失敗しました"}),
      // A device that left is asked nothing, which is neither a request nor a grant.
      Retry("0;HardwareID=USB\\GONE", {}, 0, {"取り外しを求めませんでした", "!取り外し要求"}),
  };
  for (const RunCase& c : cases) {
    SCOPED_TRACE(c.fields + " on " + c.letter);
    fake::FakeWorld world;
    world.volumes = {{"E:\\", "Photos"}, {"F:\\", ""}, {"G:\\", "デジCamera"}};
    world.existing_paths = {"E:\\DCIM"};
    world.exit_code = 3;
    fake::FakeDevice reader;
    reader.eject_answers = c.removal_answers;
    world.Add(reader.Multi(setup::kSpdrpHardwareId, {"USB\\READER"}));
    world.job_counts = c.job_counts;
    world.job_messages = c.job_messages;
    world.fault = [&c](fake::Call call, const std::string&) {
      return call == c.failing ? 5L : call == fake::Call::kShellExecuteOpen ? 2L : 0L;
    };
    EXPECT_EQ(ExecuteRun(world.platform(), MakeRun(c.fields, c.letter)), c.error);
    EXPECT_EQ(world.StartedCommands(),
              std::vector<std::string>(c.started.empty() ? 0 : 1, c.started));
    EXPECT_EQ(world.sleeps, c.sleeps);
    if (!c.timeline.empty()) {
      EXPECT_EQ(world.timeline, c.timeline);
    }
    for (const std::string& part : c.said)
      EXPECT_EQ(testing::Matches(testing::Contains(
                    testing::HasSubstr(part.substr(part[0] == '!'))))(world.activity),
                part[0] != '!')
          << part;
    EXPECT_EQ(world.shown.size(), c.error ? 1u : 0u);  // a failed check ends silently
    EXPECT_EQ(world.open_jobs + world.open_processes, 0);
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
