// Mountwick.exe as the system and a user meet it: what the broadcasts start,
// the carry-over file at a first start, the update checker's values, start-up
// options, a second start, quitting and help.
#include "e2e/e2e_harness.h"
// After windows.h, which the harness brings.
#include <dbt.h>

#include <algorithm>
#include <functional>

#include "resource.h"

namespace e2e {
namespace {

constexpr DWORD E = 1u << 4, F = 1u << 5, G = 1u << 6;
constexpr char kStick[] = "USB\\VID_F00D&PID_E2E1";

using Step = std::function<void(Case&, HWND)>;
Step Volume(DWORD mask, WORD flags = 0) {
  return [=](Case&, HWND window) { ASSERT_TRUE(SendVolume(window, mask, flags)); };
}
Step Await(std::size_t runs) {
  return [=](Case& c, HWND) {
    ASSERT_TRUE(WaitUntil([&] { return c.Runs().size() >= runs; }, 15000));
  };
}
Step Set(const std::string& name, const std::string& text) {
  return [=](Case&, HWND) { WriteString(kActionsKey, name, text); };
}
Step Store(const std::vector<Fields>& actions) {
  return [=](Case&, HWND) { StoreActions(actions); };
}
Step Plug(const std::string& hardware_id) {
  return [=](Case& c, HWND window) {
    ASSERT_NO_FATAL_FAILURE(c.Plug(hardware_id));
    ASSERT_TRUE(SendNodesChanged(window));
  };
}
Step Nodes() {
  return [](Case&, HWND window) { ASSERT_TRUE(SendNodesChanged(window)); };
}
Step OpenAndCloseSettings() {
  return [](Case& c, HWND window) {
    PostMessageA(window, WM_COMMAND, IDM_SETTINGS, 0);
    HWND dialog = WaitForWindow(c.Pid(), kSettingsCaption);
    ASSERT_NE(dialog, nullptr);
    PressButton(dialog, IDCANCEL);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 5000));
  };
}
// While a run waits for its program to end before the removal, the window answers.
Step AnswersWhileTheProgramRuns() {
  return [](Case& c, HWND window) {
    ASSERT_TRUE(WaitUntil([&] { return !c.Runs().empty(); }, 15000));
    EXPECT_TRUE(Answers(window, 500));
    EXPECT_EQ(ReadFile(c.record_).find("ended"), std::string::npos);
    EXPECT_TRUE(
        WaitUntil([&] { return ReadFile(c.record_).find("ended") != std::string::npos; }, 15000));
  };
}

enum class Before { kNothing, kSettings, kCarryOverFile };
struct Row {
  const char* name;
  Before before;
  std::vector<Fields> actions;  // stored, or exported into the carry-over file
  std::vector<Step> steps;
  std::vector<std::string> runs;  // sorted
  int answer = 0;                 // to the question whether to import the carry-over file
  bool settings_after = true;
  bool checker_root = false;  // the update checker's key exists before the start
  const char* child_sleep_ms = nullptr;
};

class Arrival : public Case, public ::testing::WithParamInterface<Row> {};

TEST_P(Arrival, StartsExactlyTheExpectedRuns) {
  const Row& row = GetParam();
  SetEnvironmentVariableA("MW_RECORD_SLEEP_MS", row.child_sleep_ms);
  if (row.before != Before::kNothing) StoreActions(row.actions);
  if (row.before == Before::kCarryOverFile) {
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, sizeof windows);
    const std::string file = folder_ + "\\" + kCarryOverFile;
    RunAndWait(std::string(windows) + "\\regedit.exe /e \"" + file +
                   "\" HKEY_CURRENT_USER\\software\\Quillory\\Mountwick",
               30000);
    ASSERT_TRUE(FileExists(file));
    RemoveAllSettings();
  }
  if (row.checker_root) WriteString(kCheckerRoot, "", "");
  ASSERT_TRUE(Start());
  if (row.answer) {
    HWND question = WaitForWindow(Pid(), kNoticeCaption, 20000);
    ASSERT_NE(question, nullptr);
    PressButton(question, row.answer);
  }
  HWND window = WaitForMainWindow(40000);
  ASSERT_NE(window, nullptr);
  for (const Step& step : row.steps) ASSERT_NO_FATAL_FAILURE(step(*this, window));
  WaitUntil([&] { return Runs().size() >= row.runs.size(); }, 15000);
  Sleep(1500);  // nothing more may follow
  auto runs = Runs();
  std::sort(runs.begin(), runs.end());
  EXPECT_EQ(runs, row.runs);
  EXPECT_EQ(KeyExists(kProductKey), row.settings_after);
  EXPECT_TRUE(WindowsWithCaption(Pid(), kNoticeCaption).empty());
  // The update checker learns of the program, by its working folder, only when it is there.
  if (row.checker_root)
    EXPECT_EQ(
        ReadString(std::string(kCheckerRoot) + "\\support@quillory.example\\Mountwick", "FilePath"),
        folder_ + "\\Mountwick.exe");
  else
    EXPECT_FALSE(KeyExists(kCheckerRoot));
}

const Row kRows[] = {
    {.name = "TheDriveAndMediaEntriesRunOnceForTheLowestNewDriveNeverForNetDrives",
     .before = Before::kSettings,
     .actions = {Action("V1", kVolumeId, "one %_newdrv_%:\\"),
                 Action("M1", kMediaId, "media %_newdrv_%"),
                 Action("V2", kVolumeId, "two \"%_newdrv_%:\\a b\""),
                 Action("Off", kVolumeId, "off", {{"State", "1"}})},
     .steps = {Volume(E | F), Volume(G, DBTF_MEDIA), Volume(G, DBTF_NET),
               Volume(G, DBTF_NET | DBTF_MEDIA)},
     .runs = {"media|G", "one|E:\\", "two|E:\\a b"},
     .checker_root = true},
    {.name = "TheLabelAndPathChecksOnTheNewDriveDecide",
     .before = Before::kSettings,
     .actions = {Action("Pass", kVolumeId, "pass %_newdrv_%",
                        {{"Ex_RunVolumeChk", "1"},
                         {"Ex_RunVolume", "PHOTOS"},
                         {"Ex_RunPathChk", "1"},
                         {"Ex_RunPath", "DCIM"}}),
                 Action("Label", kVolumeId, "label",
                        {{"Ex_RunVolumeChk", "1"}, {"Ex_RunVolume", "Photos"}}),
                 Action("Path", kVolumeId, "path",
                        {{"Ex_RunPathChk", "1"}, {"Ex_RunPath", "NO_SUCH_FOLDER"}})},
     .steps = {Volume(E)},
     .runs = {"pass|E"}},
    {.name = "ANewUsbDeviceRunsItsEnabledActionOnce",
     .before = Before::kSettings,
     .actions = {Action("Stick", kStick, "stick %_newdrv_%"),
                 Action("Off", kStick, "off", {{"State", "1"}}),
                 Action("Other", "USB\\VID_0000&PID_0000", "other")},
     .steps = {Plug(kStick), Await(1), Nodes()},
     .runs = {"stick|%_newdrv_%"}},
    {.name = "AnActionChangedInTheRegistryIsSeenAtTheNextArrival",
     .before = Before::kSettings,
     .actions = {Action("V", kVolumeId, "old")},
     .steps = {Volume(E), Await(1), Set("0_ExeFile", Child() + " new"), Volume(E)},
     .runs = {"new", "old"}},
    {.name = "WaitingForTheProgramBeforeTheRemovalLeavesTheWindowAnswering",
     .before = Before::kSettings,
     .actions = {Action("Eject", kVolumeId, "eject", {{"Eject", "1"}})},
     .steps = {Volume(E), AnswersWhileTheProgramRuns()},
     .runs = {"eject"},
     .child_sleep_ms = "1500"},
    {.name = "OnAFirstStartBroadcastsAreIgnored",
     .before = Before::kNothing,
     .actions = {},
     .steps = {Store({Action("V", kVolumeId, "v")}), Volume(E)},
     .runs = {}},
    {.name = "OpeningTheSettingsOnAFirstStartSwitchesDispatchingOn",
     .before = Before::kNothing,
     .actions = {},
     .steps = {OpenAndCloseSettings(), Store({Action("V", kVolumeId, "arrived %_newdrv_%")}),
               Volume(E)},
     .runs = {"arrived|E"}},
    {.name = "TheCarryOverFileAnsweredYesIsImportedAndDispatched",
     .before = Before::kCarryOverFile,
     .actions = {Action("Imported", kVolumeId, "imported %_newdrv_%")},
     .steps = {Volume(E)},
     .runs = {"imported|E"},
     .answer = IDYES,
     .checker_root = true},
    {.name = "TheCarryOverFileAnsweredNoLeavesTheSettingsAbsent",
     .before = Before::kCarryOverFile,
     .actions = {Action("V", kVolumeId, "v")},
     .steps = {Volume(E)},
     .runs = {},
     .answer = IDNO,
     .settings_after = false},
};
INSTANTIATE_TEST_SUITE_P(Rows, Arrival, ::testing::ValuesIn(kRows),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(Case, StartUpOptionsDecideWhetherTheSettingsOpen) {
  const struct {
    const char* arguments;
    bool opens;
  } rows[] = {{"", false}, {"/x", false}, {"/s", true}, {"-Settings", true}};
  for (const auto& row : rows) {
    ASSERT_TRUE(Start(row.arguments));
    ASSERT_NE(WaitForMainWindow(), nullptr);
    EXPECT_EQ(WaitForWindow(Pid(), kSettingsCaption, row.opens ? 10000 : 1500) != nullptr,
              row.opens)
        << row.arguments;
    TerminateProcess(process_, 0);
    WaitForExit(5000);
    CloseHandle(process_);
    process_ = nullptr;
  }
}

TEST_F(Case, ASecondStartEndsAtOnceAndQuitFromTheMenuEndsWithExitCodeZero) {
  ASSERT_TRUE(Start());
  HWND window = WaitForMainWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(RunAndWait("\"" + BinFolder() + "\\Mountwick.exe\" /s", 10000), 0);
  EXPECT_EQ(FindWindowExA(nullptr, window, "MOUNTWICK", nullptr), nullptr);
  EXPECT_EQ(FindWindowExA(nullptr, nullptr, "MOUNTWICK", nullptr), window);
  EXPECT_TRUE(WindowsWithCaption(Pid(), kSettingsCaption).empty());
  PostMessageA(window, WM_COMMAND, IDM_EXIT, 0);
  EXPECT_EQ(WaitForExit(10000), 0);
}

TEST_F(Case, HelpOpensTheFileBesideTheProgramAndNamesItWhenMissing) {
  const std::string help = BinFolder() + "\\Mountwick.chm";
  ASSERT_TRUE(FileExists(help)) << "the build puts the help file beside Mountwick.exe";
  ASSERT_TRUE(MoveFileExA(help.c_str(), (help + ".away").c_str(), MOVEFILE_REPLACE_EXISTING));
  StoreActions({});
  ASSERT_TRUE(Start());
  HWND window = WaitForMainWindow();
  PostMessageA(window, WM_COMMAND, IDM_HELP, 0);
  HWND notice = WaitForWindow(Pid(), kNoticeCaption);
  const std::string text = notice ? MessageBoxText(notice) : "<no notice>";
  MoveFileExA((help + ".away").c_str(), help.c_str(), MOVEFILE_REPLACE_EXISTING);
  EXPECT_NE(text.find("アプリケーションの起動に失敗しました。"), std::string::npos) << text;
  EXPECT_NE(text.find(help), std::string::npos) << text;
  PressButton(notice, IDOK);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(notice); }, 5000));

  PostMessageA(window, WM_COMMAND, IDM_HELP, 0);
  HWND viewer = nullptr;
  EXPECT_TRUE(WaitUntil(
      [&] { return (viewer = FindWindowA(nullptr, "Mountwick ヘルプ")) != nullptr; }, 15000));
  EXPECT_TRUE(WindowsWithCaption(Pid(), kNoticeCaption).empty());
  if (viewer) PostMessageA(viewer, WM_CLOSE, 0, 0);
}

}  // namespace
}  // namespace e2e
