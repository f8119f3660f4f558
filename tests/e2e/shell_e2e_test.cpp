// Mountwick.exe as the system and a user meet it: what the broadcasts start,
// the carry-over file at a first start, the update checker's values, a second
// start, quitting and help.
#include <algorithm>
#include <functional>

#include "e2e/e2e_harness.h"
#include "resource.h"

namespace e2e {
namespace {

constexpr DWORD E = kDriveE, F = kDriveE << 1, G = kDriveE << 2;
constexpr char kStick[] = "USB\\VID_F00D&PID_E2E1";

using Step = std::function<void(Case&, HWND)>;
Step Volume(DWORD mask, WORD flags = 0) {
  return [=](Case&, HWND w) { ASSERT_TRUE(Case::SendChange(w, DBT_DEVICEARRIVAL, mask, flags)); };
}
const Step kNodesChanged = [](Case&, HWND w) {
  ASSERT_TRUE(Case::SendChange(w, DBT_DEVNODES_CHANGED));
};
Step Plug(const char* id) {
  return [=](Case& c, HWND) { ASSERT_NO_FATAL_FAILURE(c.Plug(id)); };
}
Step Await(std::size_t runs) {
  return [=](Case& c, HWND) {
    ASSERT_TRUE(c.WaitUntil([&] { return c.Runs().size() >= runs; }, 15000));
  };
}
Step Set(const std::string& name, const std::string& text) {
  return [=](Case&, HWND) { Case::WriteString(kActionsKey, name, text); };
}
Step Store(const std::vector<Fields>& actions) {
  return [=](Case&, HWND) { Case::StoreActions(actions); };
}
const Step kOpenAndCloseSettings = [](Case& c, HWND w) {
  PostMessageA(w, WM_COMMAND, IDM_SETTINGS, 0);
  HWND dialog = c.WaitFor(kSettingsCaption);
  c.Press(dialog, IDCANCEL);
  ASSERT_TRUE(c.WaitUntil([&] { return dialog && !IsWindow(dialog); }, 5000));
};
// While a run waits for its program to end before the removal, the window answers.
const Step kAnswersWhileTheProgramRuns = [](Case& c, HWND w) {
  const auto ended = [&] { return c.Read(c.record_).find("ended") != std::string::npos; };
  ASSERT_TRUE(c.WaitUntil([&] { return !c.Runs().empty(); }, 15000));
  EXPECT_TRUE(c.Send(w, WM_NULL, 0, 0, 500));
  EXPECT_FALSE(ended());
  EXPECT_TRUE(c.WaitUntil(ended, 15000));
};

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
    const std::string file = folder_ + "\\Mountwick_Verup.inf";
    RunAndWait(std::string(windows) + "\\regedit.exe /e \"" + file + "\" HKEY_CURRENT_USER\\" +
                   kProductKey,
               30000);
    ASSERT_TRUE(Exists(file));
    RemoveAllSettings();
  }
  if (row.checker_root) WriteString(kCheckerRoot, "", "");
  Start("", 0);
  if (row.answer) Press(WaitFor(kNoticeCaption, 20000), row.answer);
  HWND window = WaitFor(nullptr, 40000, "MOUNTWICK");
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(Windows(kSettingsCaption).empty());  // not without "/S"
  for (const Step& step : row.steps) ASSERT_NO_FATAL_FAILURE(step(*this, window));
  WaitUntil([&] { return Runs().size() >= row.runs.size(); }, 15000);
  Sleep(1500);  // nothing more may follow
  auto runs = Runs();
  std::sort(runs.begin(), runs.end());
  EXPECT_EQ(runs, row.runs);
  EXPECT_EQ(KeyExists(kProductKey), row.settings_after);
  EXPECT_TRUE(Windows(kNoticeCaption).empty());
  // The update checker learns of the program, by its working folder, only when it is there.
  if (row.checker_root)
    EXPECT_EQ(ReadString(kCheckerKey, "FilePath"), folder_ + "\\Mountwick.exe");
  else
    EXPECT_FALSE(KeyExists(kCheckerRoot));
}

const Row kRows[] = {
    {.name = "TheDriveAndMediaEntriesRunOnceForTheLowestNewDriveNeverForNetDrives",
     .before = Before::kSettings,
     .actions = {Case::Action("V1", kVolumeId, "one %_newdrv_%:\\"),
                 Case::Action("M1", kMediaId, "media %_newdrv_%"),
                 Case::Action("V2", kVolumeId, "two \"%_newdrv_%:\\a b\""),
                 Case::Action("Off", kVolumeId, "off", {{"State", "1"}})},
     .steps = {Volume(E | F), Volume(G, DBTF_MEDIA), Volume(G, DBTF_NET),
               Volume(G, DBTF_NET | DBTF_MEDIA)},
     .runs = {"media|G", "one|E:\\", "two|E:\\a b"},
     .checker_root = true},
    {.name = "ANewUsbDeviceRunsItsEnabledActionOnce",
     .before = Before::kSettings,
     .actions = {Case::Action("Stick", kStick, "stick %_newdrv_%"),
                 Case::Action("Off", kStick, "off", {{"State", "1"}}),
                 Case::Action("Other", "USB\\VID_0000&PID_0000", "other")},
     .steps = {Plug(kStick), kNodesChanged, Await(1), kNodesChanged},
     .runs = {"stick|%_newdrv_%"}},
    {.name = "AnActionChangedInTheRegistryIsSeenAtTheNextArrival",
     .before = Before::kSettings,
     .actions = {Case::Action("V", kVolumeId, "old")},
     .steps = {Volume(E), Await(1), Set("0_ExeFile", Case::Child() + " new"), Volume(E)},
     .runs = {"new", "old"}},
    {.name = "WaitingForTheProgramBeforeTheRemovalLeavesTheWindowAnswering",
     .before = Before::kSettings,
     .actions = {Case::Action("Eject", kVolumeId, "eject", {{"Eject", "1"}})},
     .steps = {Volume(E), kAnswersWhileTheProgramRuns},
     .runs = {"eject"},
     .child_sleep_ms = "1500"},
    {.name = "OpeningTheSettingsOnAFirstStartSwitchesDispatchingOn",
     .before = Before::kNothing,
     .actions = {},
     .steps = {kOpenAndCloseSettings, Store({Case::Action("V", kVolumeId, "arrived %_newdrv_%")}),
               Volume(E)},
     .runs = {"arrived|E"}},
    {.name = "TheCarryOverFileAnsweredYesIsImportedAndDispatched",
     .before = Before::kCarryOverFile,
     .actions = {Case::Action("Imported", kVolumeId, "imported %_newdrv_%")},
     .steps = {Volume(E)},
     .runs = {"imported|E"},
     .answer = IDYES,
     .checker_root = true},
    // Settings written after a first start stay unseen until the settings are opened.
    {.name = "TheCarryOverFileAnsweredNoLeavesTheSettingsAbsentAndBroadcastsIgnored",
     .before = Before::kCarryOverFile,
     .actions = {Case::Action("V", kVolumeId, "v")},
     .steps = {Volume(E), Store({Case::Action("V", kVolumeId, "v")}), Volume(E)},
     .runs = {},
     .answer = IDNO},
};
INSTANTIATE_TEST_SUITE_P(Rows, Arrival, ::testing::ValuesIn(kRows),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(Case, ASecondStartEndsAtOnceAndQuitFromTheMenuEndsWithExitCodeZero) {
  HWND window = Start();
  EXPECT_EQ(RunAndWait("\"" + Bin() + "\\Mountwick.exe\" /s", 10000), 0);
  EXPECT_EQ(FindWindowExA(nullptr, nullptr, "MOUNTWICK", nullptr), window);
  EXPECT_EQ(FindWindowExA(nullptr, window, "MOUNTWICK", nullptr), nullptr);
  EXPECT_TRUE(Windows(kSettingsCaption).empty());
  PostMessageA(window, WM_COMMAND, IDM_EXIT, 0);
  EXPECT_EQ(ExitCode(process_, 10000), 0);
}

TEST_F(Case, HelpOpensTheFileBesideTheProgramAndNamesItWhenMissing) {
  const std::string help = Bin() + "\\Mountwick.chm", away = help + ".away";
  ASSERT_TRUE(Exists(help)) << "the build puts the help file beside Mountwick.exe";
  StoreActions({});
  HWND window = Start();
  ASSERT_TRUE(MoveFileExA(help.c_str(), away.c_str(), MOVEFILE_REPLACE_EXISTING));
  PostMessageA(window, WM_COMMAND, IDM_HELP, 0);
  HWND notice = WaitFor(kNoticeCaption);
  const std::string text = Text(notice, 0xFFFF);
  MoveFileExA(away.c_str(), help.c_str(), MOVEFILE_REPLACE_EXISTING);
  EXPECT_NE(text.find("アプリケーションの起動に失敗しました。"), std::string::npos) << text;
  EXPECT_NE(text.find(help), std::string::npos) << text;
  Press(notice, IDOK);
  ASSERT_TRUE(WaitUntil([&] { return notice && !IsWindow(notice); }, 5000));

  PostMessageA(window, WM_COMMAND, IDM_HELP, 0);
  HWND viewer = nullptr;
  EXPECT_TRUE(
      WaitUntil([&] { return (viewer = FindWindowA(nullptr, "Mountwick ヘルプ")); }, 15000));
  EXPECT_TRUE(Windows(kNoticeCaption).empty());
  PostMessageA(viewer, WM_CLOSE, 0, 0);
}

}  // namespace
}  // namespace e2e
