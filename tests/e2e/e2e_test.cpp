// Mountwick.exe under Wine as the system and a user meet it: what the broadcasts start, the
// carry-over file at a first start, the update checker's values, a second start, quitting, help,
// the settings dialog, and the installer. It runs in a working folder planted with DLLs and tools
// of the system's names; the oracle is what the started children received.
#include "e2e_support.h"

namespace e2e {
namespace {

constexpr char kStick[] = "USB\\VID_F00D&PID_E2E1", kOtherStick[] = "USB\\VID_F00D&PID_E2E2";

using Step = std::function<void(Case&, HWND)>;
Step Volume(DWORD mask, WORD flags = 0) {
  return [=](Case&, HWND w) { ASSERT_TRUE(SendVolumeArrival(w, mask, flags)); };
}
const Step kNodesChanged = [](Case&, HWND w) { ASSERT_TRUE(SendNodesChanged(w)); };
// What a hub or a dock sends at once.
const Step kBurst = [](Case& c, HWND w) {
  for (int i = 0; i < 30; ++i) ASSERT_NO_FATAL_FAILURE(kNodesChanged(c, w));
};
Step Plug(const char* hardware_id) {
  return [=](Case& c, HWND) { c.PlugStick(hardware_id); };
}
// The last plugged fake device's USB interface arrives, as the system tells it.
const Step kInterfaceArrived = [](Case& c, HWND w) {
  ASSERT_TRUE(SendUsbInterfaceArrival(w, c.devices_.back(), 5000));
};
// Takes the last plugged fake device away again.
const Step kUnplugLast = [](Case& c, HWND) {
  const auto removed = mw::fakeusb::RemoveFakeUsbDevice(c.devices_.back());
  ASSERT_TRUE(removed.ok()) << removed.step << " " << removed.error;
};
Step Await(std::size_t runs) {
  return [=](Case& c, HWND) {
    ASSERT_TRUE(WaitUntil([&] { return c.Runs().size() >= runs; }, 15000));
  };
}
Step Store(const std::vector<Fields>& actions) {
  return [=](Case&, HWND) { StoreActions(actions); };
}
// A notice that appears within timeout_ms (not before at_least_ms after the
// step began) and says text (in the program's code page); it is answered.
Step NoticeSays(const char* text, DWORD at_least_ms, DWORD timeout_ms) {
  return [=](Case& c, HWND) {
    const DWORD start = GetTickCount();
    HWND notice = c.WaitFor(kNoticeCaption, timeout_ms);
    ASSERT_TRUE(notice);
    EXPECT_GE(GetTickCount() - start, at_least_ms);
    std::string said;
    for (HWND child = nullptr; (child = FindWindowExA(notice, child, "Static", nullptr));)
      said += c.Text(child);
    EXPECT_THAT(said, ::testing::HasSubstr(text));
    c.Press(notice, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(notice); }, 5000));
  };
}
// While a run waits for its program to end before the removal, the window answers.
const Step kAnswersWhileTheProgramRuns = [](Case& c, HWND w) {
  EXPECT_TRUE(Send(w, WM_NULL, 0, 0, 500));
  EXPECT_THAT(c.Ends(), ::testing::IsEmpty());
};

Step LogLacks(const char8_t* text) {
  return [=](Case&, HWND) {
    EXPECT_THAT(ReadFile(kActivityLog), ::testing::Not(::testing::HasSubstr(Case::Utf8(text))));
  };
}
Step LogSays(std::vector<const char8_t*> parts) {
  return [=](Case&, HWND) {
    const std::string last = Case::Utf8(parts.back());
    WaitUntil([&] { return ReadFile(kActivityLog).find(last) != std::string::npos; }, 15000);
    for (const char8_t* part : parts)
      EXPECT_THAT(ReadFile(kActivityLog), ::testing::HasSubstr(Case::Utf8(part)));
  };
}

// The removal step of the log (its marker: a request, or why none was made), exactly once,
// after the last of `ends` programs had ended by its own clock (the log's local time).
Step RemovedOnceAfterTheLastEnd(std::size_t ends, const char8_t* marker = u8"取り外し要求") {
  return [=](Case& c, HWND window) {
    ASSERT_NO_FATAL_FAILURE(LogSays({marker})(c, window));
    std::istringstream log(ReadFile(kActivityLog));
    std::vector<std::string> asked;  // HH:MM:SS.mmm
    for (std::string line; std::getline(log, line);)
      if (line.find(Case::Utf8(marker)) != std::string::npos)
        asked.push_back(line.substr(line.find(' ') + 1, 12));
    ASSERT_EQ(c.Ends().size(), ends);
    ASSERT_EQ(asked.size(), 1u);
    for (const std::string& end : c.Ends()) EXPECT_GE(asked[0], end);
  };
}

struct Row {
  const char* name;
  std::vector<Fields> actions;  // stored, or exported into the carry-over file
  std::vector<Step> steps;
  std::vector<std::string> runs;
  int answer = 0;  // to the question whether to import the carry-over file, which exists then
};

class Arrival : public Case, public ::testing::WithParamInterface<Row> {};

TEST_P(Arrival, StartsExactlyTheExpectedRuns) {
  const Row& row = GetParam();
  StoreActions(row.actions);
  DeleteFileA(kActivityLog.c_str());
  if (row.answer) {
    const std::string file = folder_ + "\\Mountwick_Verup.inf";  // by the system's editor
    Finish(Launch("regedit.exe /e \"" + file + "\" HKEY_CURRENT_USER\\" + kProductKey), 30000);
    ASSERT_TRUE(Exists(file));
    RemoveAllSettings();
  }
  WriteString(kCheckerRoot, "", "");
  Start("", 0);
  if (row.answer) Press(WaitFor(kNoticeCaption, 20000), row.answer);
  HWND window = WaitFor(nullptr, 40000, "MOUNTWICK");  // a step fails without it
  EXPECT_TRUE(Windows(kSettingsCaption).empty());      // not without "/S"
  for (const Step& step : row.steps) ASSERT_NO_FATAL_FAILURE(step(*this, window));
  WaitUntil([&] { return Runs().size() >= row.runs.size(); }, 15000);
  Sleep(1500);  // nothing more may follow
  EXPECT_THAT(Runs(), ::testing::UnorderedElementsAreArray(row.runs));
  EXPECT_TRUE(Windows(kNoticeCaption).empty());
  // The update checker learns of the program by its working folder.
  EXPECT_EQ(ReadString(kCheckerKey, "FilePath"), folder_ + "\\Mountwick.exe");
}

const Row kRows[] = {
    {.name = "AnActionChangedInTheRegistryIsSeenAtTheNextArrival",
     .actions = {Case::Action("V", kVolumeId, "old")},
     .steps = {Volume(E), Await(1), Store({Case::Action("V", kVolumeId, "new")}),
               LogSays({u8"設定の変更を読み込みました: アクション 1 件"}), Volume(E)},
     .runs = {"new", "old"}},
    // A batch file hands the program on and ends at once; no USB device holds Wine's E:, so the
    // removal asks no one, and its step's time tells what it waited for.
    {.name = "TheWindowAnswersWhileAHandedOnProgramIsWaitedForAndTheLogSaysWhyEachActionRanOrNot",
     .actions = {Case::Action("Off", kVolumeId, "off", {{"State", "1"}}),
                 Case::Action("Label", kVolumeId, "label",
                              {{"Ex_RunVolumeChk", "1"}, {"Ex_RunVolume", "CAMERA"}}),
                 Case::Action("Path", kVolumeId, "path",
                              {{"Ex_RunPathChk", "1"}, {"Ex_RunPath", "NO_SUCH"}}),
                 Case::Action("Ran", kVolumeId, "",
                              {{"Eject", "1"},
                               {"Ex_RunPathChk", "1"},
                               {"Ex_RunPath", "DCIM"},
                               {"ExeFile", kBin + "\\" + kHandOff + " ran --sleep-ms=1500"}})},
     .steps = {Volume(E), kAnswersWhileTheProgramRuns,
               RemovedOnceAfterTheLastEnd(1, u8"ドライブを持つ USB デバイスがないので"),
               LogLacks(u8"取り外し要求"),
               LogSays({u8"ボリュームの到着: E:", u8"E: を持つ USB デバイスはありません",
                        u8"アクション「Off」: 無効",
                        u8"アクション「Label」: ラベル \"PHOTOS\" ≠ \"CAMERA\"",
                        u8"アクション「Path」: パス \"E:\\NO_SUCH\" がない",
                        u8"アクション「Ran」: 起動しました", u8"mw_handoff.bat ran",
                        u8"始めたプロセスもすべて終了しました"})},
     .runs = {"ran|--sleep-ms=1500"}},
    // A new stick runs its Actions once; the two that remove it ask once, after both.
    {.name = "ANewStickRunsItsActionsOnceAndIsAskedToBeRemovedOnceAfterTheLaterProgram",
     .actions = {Case::Action("Short", kStick, "short --sleep-ms=300", {{"Eject", "1"}}),
                 Case::Action("Long", kStick, "long --sleep-ms=2500", {{"Eject", "1"}})},
     .steps = {Plug(kStick), kNodesChanged, Await(2), kNodesChanged, RemovedOnceAfterTheLastEnd(2)},
     .runs = {"short|--sleep-ms=300", "long|--sleep-ms=2500"}},
    // The second stick takes the first one's place between two bursts: the count stays.
    // Told by its interface and by a burst, or by a burst alone, a stick runs its Actions once;
    // a twin of an attached stick is new too. The window asked to be told of USB interfaces.
    {.name = "ANewStickRunsItsActionsOnceEvenOneThatReplacedAnotherOrATwin",
     .actions = {Case::Action("One", kStick, "one"), Case::Action("Two", kOtherStick, "two")},
     .steps = {Plug(kStick), kInterfaceArrived, Await(1), kBurst, kUnplugLast, Plug(kOtherStick),
               kBurst, Await(2), kInterfaceArrived, kBurst, Plug(kOtherStick), kBurst, Await(3),
               kInterfaceArrived, kBurst, LogLacks(u8"到着通知を登録できませんでした")},
     .runs = {"one", "two", "two"}},
    // Wine links no fake device to a drive: the run that needs one waits 20 s for it, then
    // starts nothing, with a notice; the Action that needs none starts at once.
    {.name = "ADeviceActionThatNeedsItsDriveStartsNothingWhenNoneComesAndSaysSo",
     .actions = {Case::Action("Backup", kStick, "%_newdrv_%:\\"),
                 Case::Action("Plain", kStick, "plain")},
     .steps = {Plug(kStick), kNodesChanged, Await(1), Volume(F),
               NoticeSays("デバイスのドライブが 20 秒待っても現れなかった", 18000, 30000),
               LogSays({u8"アクション「Backup」: ", u8"のうちに現れなかったので実行しません"})},
     .runs = {"plain"}},
    // Imported, the drive and media entries run once for the lowest new drive, never for a net one.
    {.name = "TheCarryOverFileAnsweredYesIsImportedAndDispatched",
     .actions = {Case::Action("V1", kVolumeId, "one %_newdrv_%:\\"),
                 Case::Action("M1", kMediaId, "media %_newdrv_%"),
                 Case::Action("V2", kVolumeId, "two \"%_newdrv_%:\\a b\""),
                 Case::Action("Off", kVolumeId, "off", {{"State", "1"}})},
     .steps = {Volume(E | F), Volume(G, DBTF_MEDIA), Volume(G, DBTF_NET),
               Volume(G, DBTF_NET | DBTF_MEDIA)},
     .runs = {"media|G", "one|E:\\", "two|E:\\a b"},
     .answer = IDYES},
    // Settings written after a first start stay unseen until the settings are opened.
    {.name = "TheCarryOverFileAnsweredNoLeavesTheSettingsAbsentAndBroadcastsIgnored",
     .actions = {Case::Action("V", kVolumeId, "v")},
     .steps = {Volume(E), Store({Case::Action("V", kVolumeId, "v")}), Volume(E)},
     .runs = {},
     .answer = IDNO},
};
INSTANTIATE_TEST_SUITE_P(Rows, Arrival, ::testing::ValuesIn(kRows),
                         [](const auto& row) { return std::string(row.param.name); });

// Each command line a drive's arrival starts reaches its program as the line started directly
// does: the same module, the same arguments parsed by the child's own C runtime.
TEST_F(Case, EveryCommandLineReachesItsProgramExactlyAsTyped) {
  // A copy of the child under blanks and Shift-JIS whose second bytes are "\\" or letters.
  const std::string folder = "C:\\mw e2e 表ソ（試）【x】", C = Child(), J = folder + "\\rec.exe";
  CreateDirectoryA(folder.c_str(), nullptr);
  ASSERT_TRUE(CopyFileA(C.c_str(), J.c_str(), FALSE));
  // As typed; and, where the program path has blanks, as started directly.
  const std::pair<std::string, std::string> rows[] = {
      {C + " /x:\"y z\"", ""},
      {C + " -o=\"C:\\Program Files\\x\" -q", ""},
      {C + " a\\\\\"b c\" d\\\\ e\\\"f g\\", ""},  // runs of backslashes before a quote
      {C + " \"\" x \"\"", ""},
      {C + " a\tb\t \"c\td\"", ""},
      {C + " \"%_newdrv_%:\\a b\\c\" %_newdrv_%", ""},
      {C + " 表ソ \"（試）【x】 能\" ソ\\", ""},
      {"\"" + J + "\" /p 表 \"ソ\\\\\"", ""},
      {J + " /q \"（） x\"", "\"" + J + "\" /q \"（） x\""},
  };
  std::vector<Fields> actions;
  for (const auto& [typed, direct] : rows) {
    std::string line = direct.empty() ? typed : direct;
    for (std::size_t at; (at = line.find("%_newdrv_%")) != std::string::npos;)
      line.replace(at, 10, "E");
    ASSERT_EQ(Finish(Launch(line), 10000), 0) << line;
    actions.push_back(Action(std::to_string(actions.size()), kVolumeId, "", {{"ExeFile", typed}}));
  }
  const std::vector<std::string> expected = Runs();
  ASSERT_EQ(expected.size(), std::size(rows));
  DeleteFileA(record_.c_str());
  StoreActions(actions);
  HWND window = Start();
  ASSERT_NO_FATAL_FAILURE(Volume(E)(*this, window));
  WaitUntil([&] { return Runs().size() >= expected.size(); }, 20000);
  EXPECT_THAT(Runs(), ::testing::UnorderedElementsAreArray(expected));
  DeleteFileA(record_.c_str());  // the copy's runs are no planted program's
  DeleteFileA(J.c_str());
}

// A second start ends at once; help opens the file beside the program, not the
// one planted in the working folder; quitting from the menu ends with code 0.
TEST_F(Case, ASecondStartEndsAtOnceHelpOpensTheFileBesideTheProgramAndQuitEndsWithZero) {
  ASSERT_TRUE(Exists(kBin + "\\Mountwick.chm")) << "the build puts it beside Mountwick.exe";
  HWND window = Start();
  EXPECT_EQ(Finish(Launch("\"" + kBin + "\\Mountwick.exe\" /s"), 10000), 0);
  EXPECT_TRUE(Windows(kSettingsCaption).empty());
  EXPECT_FALSE(KeyExists(kCheckerRoot));  // the update checker's values only under its root
  // The icon a restarting taskbar has lost comes back when it says it is there again.
  EXPECT_TRUE(TrayIcon(window, NIM_DELETE));
  ASSERT_TRUE(Send(window, RegisterWindowMessageA("TaskbarCreated")));
  EXPECT_TRUE(TrayIcon(window, NIM_MODIFY));
  ASSERT_NO_FATAL_FAILURE(ChooseFromTrayMenu(window, {VK_DOWN, VK_DOWN, VK_RETURN}));
  HWND viewer = nullptr;
  EXPECT_TRUE(
      WaitUntil([&] { return (viewer = FindWindowA(nullptr, "Mountwick ヘルプ")); }, 15000));
  EXPECT_TRUE(Windows(kNoticeCaption).empty());
  PostMessageA(viewer, WM_CLOSE, 0, 0);
  ASSERT_NO_FATAL_FAILURE(ChooseFromTrayMenu(window, {VK_UP, VK_RETURN}));
  EXPECT_EQ(Finish(std::exchange(program_.process, nullptr), 10000), 0);
}

TEST_F(Case, TrayClicksOpenTheSettingsOnceAndADoubleClickRaisesThem) {
  StoreActions({});
  HWND window = Start();
  for (const DWORD gap_ms : {900, 500}) {  // only the second pair is within the click time
    SendTray(window, WM_LBUTTONDOWN);
    Sleep(gap_ms);
    SendTray(window, WM_LBUTTONDOWN);
    Sleep(1500);  // long enough for a dialog to show, and for the click timer to end
    EXPECT_EQ(Windows(kSettingsCaption).size(), gap_ms < 900 ? 1u : 0u) << gap_ms;
  }
  HWND dialog = WaitFor(kSettingsCaption);
  PostMessageA(window, WM_COMMAND, IDM_ABOUT, 0);
  HWND about = WaitFor("Mountwick ﾊﾞｰｼﾞｮﾝ情報");
  ASSERT_TRUE(WaitUntil([&] { return about && GetForegroundWindow() == about; }, 5000));
  EXPECT_EQ(Text(GetDlgItem(about, IDC_BUILD_TEXT)), "Build102");
  SendTray(window, WM_LBUTTONDBLCLK);
  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == dialog; }, 5000));
  EXPECT_EQ(Windows(kSettingsCaption), std::vector<HWND>{dialog});
  for (UINT key : {WM_KEYDOWN, WM_KEYUP}) PostMessageA(GetDlgItem(about, IDOK), key, VK_ESCAPE, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }, 5000));
}

// A first start with "/S": New, the first device entry, a command line, a label
// check typed in the extended settings; registered, closed and exported by the
// system's registry tool while the window goes on answering; the next drive runs it.
TEST_F(Case, AnActionMadeInTheDialogOnAFirstStartIsExportedAndRuns) {
  // Under Wine no fake device reads as connected: they show among all known ones.
  ASSERT_NO_FATAL_FAILURE(PlugStick(kStick, "UASPStor"));
  ASSERT_NO_FATAL_FAILURE(PlugStick(kOtherStick, "usbhub"));
  HWND window = Start("/S");
  HWND dialog = WaitFor(kSettingsCaption, 20000);
  // The removal option for a storage device (mass storage or UASP) and the drive entries,
  // once one is chosen.
  const std::string list_mode = "1111|000000000000", edit_mode = "0000|111111111110";
  EXPECT_EQ(Mode(dialog), list_mode);
  ASSERT_TRUE(Send(dialog, WM_COMMAND, IDC_NEW));
  EXPECT_EQ(Mode(dialog), edit_mode);
  ASSERT_TRUE(Send(GetDlgItem(dialog, IDX_SHOW_ALL_KNOWN), BM_CLICK));
  EXPECT_TRUE(Choose(dialog, 0));   // the UASP disk, listed as plugged
  EXPECT_FALSE(Choose(dialog, 1));  // the hub
  ASSERT_TRUE(Send(GetDlgItem(dialog, IDX_SHOW_CONNECTED), BM_CLICK));
  EXPECT_TRUE(Choose(dialog, 0));
  SetDlgItemTextA(dialog, IDE_COMMAND_LINE, (Child() + " got %_newdrv_%").c_str());
  Press(dialog, IDC_EXTENDED);
  HWND extended = WaitFor("Mountwick 拡張設定");
  // The arrows step each wait by 250 within 0 to 32000 and the count by 1 within 0 to 9, in
  // plain digits, once their check boxes have made them usable; off again, nothing waits.
  const std::tuple<int, const char*, WPARAM, const char*> arrows[] = {
      {IDE_RUN_WAIT, "31900", VK_UP, "32000"},
      {IDE_RMV_WAIT, "1000", VK_DOWN, "750"},
      {IDE_RMV_RETRY_WAIT, "100", VK_DOWN, "0"},
      {IDE_RMV_RETRY_COUNT, "9", VK_UP, "9"},
      {IDE_RMV_RETRY_COUNT, "1", VK_UP, "2"}};
  for (int box : {IDX_RUN_WAIT, IDX_RMV_WAIT, IDX_RMV_RETRY})
    Send(GetDlgItem(extended, box), BM_CLICK);
  for (const auto& [edit, before, key, after] : arrows) {
    HWND control = GetDlgItem(extended, edit);
    EXPECT_TRUE(IsWindowEnabled(control)) << edit;
    SetWindowTextA(control, before);
    Send(control, WM_KEYDOWN, key);
    EXPECT_EQ(Text(control), after) << edit << " " << before;
  }
  for (int box : {IDX_RUN_WAIT, IDX_RMV_WAIT, IDX_RMV_RETRY})
    Send(GetDlgItem(extended, box), BM_CLICK);
  Send(GetDlgItem(extended, IDX_RUN_VOLUME), BM_CLICK);
  for (char c : std::string("photos"))  // typed: the control upper-cases as the user types
    PostMessageA(GetDlgItem(extended, IDE_RUN_VOLUME), WM_CHAR, static_cast<BYTE>(c), 1);
  Press(extended, IDCANCEL);  // the close button keeps what was set
  ASSERT_TRUE(WaitUntil([&] { return extended && !IsWindow(extended); }, 5000));
  ASSERT_TRUE(Send(dialog, WM_COMMAND, IDC_REGISTER));  // a notice would hold it
  EXPECT_EQ(ReadString(kActionsKey, "0_HardwareID"), kVolumeId);
  EXPECT_EQ(ReadString(kActionsKey, "0_Ex_RunVolume"), "PHOTOS");
  // Registered, the row stays selected: Change edits it, Cancel shows it as stored again.
  EXPECT_EQ(Mode(dialog), list_mode);
  ASSERT_TRUE(Send(dialog, WM_COMMAND, IDC_CHANGE));
  EXPECT_EQ(Mode(dialog), "0000|111111111111");
  SetDlgItemTextA(dialog, IDE_COMMAND_LINE, "abandoned.exe");
  ASSERT_TRUE(Send(dialog, WM_COMMAND, IDC_CANCEL_EDIT));
  EXPECT_EQ(Mode(dialog), list_mode);
  EXPECT_EQ(Text(GetDlgItem(dialog, IDE_COMMAND_LINE)), Child() + " got %_newdrv_%");

  const auto exported_all = [&](std::initializer_list<std::string> texts) {
    const std::string content = ReadFile(folder_ + "\\Mountwick_Verup.inf");
    return std::ranges::all_of(texts, [&](const std::string& text) {
      std::string wide;  // the tool writes UTF-16
      for (char c : text) wide += {c, '\0'};
      return content.find(wide) != std::string::npos;
    });
  };
  // Exported but never read by Mountwick: the export now outlasts any answer.
  const std::string bulk = std::string(kProductKey) + "\\Bulk";
  for (int i = 0; i < 2000; ++i)
    WriteString(bulk.c_str(), std::to_string(i), std::string(1000, 'x'));
  const DWORD pressed = GetTickCount();
  Press(dialog, IDCANCEL);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 5000, 1));
  ASSERT_TRUE(Send(window, WM_NULL, 0, 0, 20000));
  const DWORD answered = GetTickCount() - pressed;
  ASSERT_TRUE(WaitUntil(
      [&] {
        return exported_all({"Quillory\\Mountwick]", "got %_newdrv_%", "\"1999\"="});
      },
      20000));
  const DWORD exported = GetTickCount() - pressed;
  EXPECT_LT(answered * 2, exported)
      << "answered after " << answered << " ms, exported after " << exported;
  ASSERT_NO_FATAL_FAILURE(Volume(E)(*this, window));
  EXPECT_TRUE(WaitUntil([&] { return Runs() == std::vector<std::string>{"got|E"}; }, 15000));
}

TEST_F(Case, TheInstallerInstallsPerUserItsShortcutsStartItAndUninstallKeepsSettings) {
  const std::string setup = kBin + "\\..\\dist\\Mountwick-" MOUNTWICK_VERSION_TEXT
                                   "-Build" MOUNTWICK_BUILD_TEXT "-Setup.exe";
  const std::string install = Folder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Mountwick";
  const std::string menu = Folder(CSIDL_PROGRAMS) + "\\Mountwick\\Mountwick";
  const std::string startup = Folder(CSIDL_STARTUP) + "\\Mountwick.lnk";
  ASSERT_EQ(Finish(Launch("\"" + setup + "\" /S /STARTUP"), 120000), 0) << setup;
  EXPECT_TRUE(Exists(install + "\\readme.txt"));

  // Each shortcut starts the installed program in its own folder, which the
  // update checker's values name; the settings one opens the settings.
  StoreActions({});
  for (const std::string& shortcut : {menu + ".lnk", menu + " の設定.lnk", startup}) {
    const bool opens_settings = shortcut.ends_with("設定.lnk");
    WriteString(kCheckerKey, "FilePath", "");
    HINSTANCE opened = ShellExecuteA(nullptr, nullptr, shortcut.c_str(), nullptr, nullptr, SW_SHOW);
    ASSERT_GT(reinterpret_cast<INT_PTR>(opened), 32) << shortcut;
    EXPECT_TRUE(WaitUntil(
        [&] { return GetWindowThreadProcessId(FindWindowA("MOUNTWICK", nullptr), &program_.pid); },
        20000));
    EXPECT_EQ(WaitFor(kSettingsCaption, opens_settings ? 10000 : 1500) != nullptr, opens_settings)
        << shortcut;
    EXPECT_EQ(ReadString(kCheckerKey, "FilePath"), install + "\\Mountwick.exe") << shortcut;
    Finish(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE,
                       program_.pid));  // a dialog holds a quit
  }

  ASSERT_EQ(Finish(Launch("\"" + install + "\\uninstall.exe\" /S _?=" + install), 120000), 0);
  for (const std::string& gone : {install + "\\Mountwick.exe", menu + ".lnk", startup})
    EXPECT_FALSE(Exists(gone)) << gone;
  EXPECT_TRUE(KeyExists(kProductKey));  // the settings stay
  DeleteFileA((install + "\\uninstall.exe").c_str());
  RemoveDirectoryA(install.c_str());
}

}  // namespace
}  // namespace e2e

// The suite deletes and rewrites keys of the current user's registry, adds
// devices and runs the installer: on a real system it must be asked for.
int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  bool allowed = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
  for (int i = 1; i < argc; ++i) allowed |= std::string(argv[i]) == "--allow-real-windows";
  if (const char* allow = std::getenv("MOUNTWICK_E2E_ALLOW_REAL_WINDOWS")) allowed |= *allow == '1';
  if (allowed) return RUN_ALL_TESTS();
  std::fputs(
      "mountwick_e2e_tests: not under Wine, so nothing was run (it rewrites HKCU, adds "
      "devices, installs); on a throw-away Windows pass --allow-real-windows or set "
      "MOUNTWICK_E2E_ALLOW_REAL_WINDOWS=1.\n",
      stderr);
  return 2;
}
