// Mountwick.exe as a user and the system meet it: start-up, broadcasts, tray
// commands, the carry-over file and the update checker's values.
#include <gtest/gtest.h>

#include <algorithm>

#include "e2e/e2e_harness.h"
// dbt.h needs the types of windows.h, which the harness brings.
#include <dbt.h>
#include "tools/fake_usb_device.h"

namespace e2e {
namespace {

constexpr char kVolumeId[] = "MESSAGE://DBT_DEVICEARRIVAL/VOLUME";
constexpr char kMediaId[] = "MESSAGE://DBT_DEVICEARRIVAL/MEDIA";

class EndToEnd : public MountwickCase {
 protected:
  // Starts Mountwick with settings present, so broadcasts are dispatched.
  HWND StartWithSettings(const std::vector<std::map<std::string, std::string>>& actions) {
    WriteString(HKEY_CURRENT_USER, "software\\Quillory\\Mountwick\\1.0", "", "");
    StoreActions(actions);
    EXPECT_TRUE(app_.Start("", folder_));
    return app_.WaitForMainWindow();
  }

  // The command lines the recording child received, one per started run.
  std::vector<std::string> Recorded() {
    std::vector<std::string> lines;
    std::string text = ReadFile(record_);
    for (std::size_t at = 0; at < text.size();) {
      const std::size_t end = text.find('\n', at);
      const std::string line = text.substr(at, end - at);
      const std::size_t bar = line.find('|');
      if (bar != std::string::npos) lines.push_back(line.substr(bar + 1 + child_.size() + 1));
      if (end == std::string::npos) break;
      at = end + 1;
    }
    return lines;
  }
};

TEST_F(EndToEnd, ASecondStartEndsAtOnceWithExitCodeZero) {
  ASSERT_TRUE(app_.Start("", folder_));
  ASSERT_NE(app_.WaitForMainWindow(), nullptr);
  Mountwick second;
  ASSERT_TRUE(second.Start("/s", folder_));
  EXPECT_EQ(second.WaitForExit(10000), 0);
  int windows = 0;
  EnumWindows(
      [](HWND window, LPARAM count) -> BOOL {
        char name[64] = {};
        GetClassNameA(window, name, sizeof name);
        if (std::string(name) == "MOUNTWICK") ++*reinterpret_cast<int*>(count);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  EXPECT_EQ(windows, 1);
}

TEST_F(EndToEnd, AVolumeArrivalStartsTheDriveEntryActionsOnceForTheLowestDrive) {
  HWND window = StartWithSettings(
      {Action("V1", kVolumeId, "one %_newdrv_%:\\"), Action("M1", kMediaId, "media %_newdrv_%"),
       Action("V2", kVolumeId, "two %_newdrv_%"), Action("Off", kVolumeId, "off", "1")});
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(SendVolumeArrival(window, (1u << 4) | (1u << 5), 0));
  ASSERT_TRUE(WaitUntil([&] { return Recorded().size() >= 2; }, 15000));
  Sleep(1000);  // nothing more may follow
  auto recorded = Recorded();
  std::sort(recorded.begin(), recorded.end());
  EXPECT_EQ(recorded, (std::vector<std::string>{"one E:\\", "two E"}));

  DeleteFileA(record_.c_str());
  ASSERT_TRUE(SendVolumeArrival(window, 1u << 6, DBTF_MEDIA));
  ASSERT_TRUE(WaitUntil([&] { return !Recorded().empty(); }, 15000));
  ASSERT_TRUE(SendVolumeArrival(window, 1u << 6, DBTF_NET));
  ASSERT_TRUE(SendVolumeArrival(window, 1u << 6, DBTF_NET | DBTF_MEDIA));
  Sleep(1500);
  EXPECT_EQ(Recorded(), std::vector<std::string>{"media G"});
}

TEST_F(EndToEnd, AnActionChangedInTheRegistryStartsItsNewCommandLineAtTheNextArrival) {
  HWND window = StartWithSettings({Action("V", kVolumeId, "old")});
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(SendVolumeArrival(window, 1u << 4, 0));
  ASSERT_TRUE(WaitUntil([&] { return !Recorded().empty(); }, 15000));
  WriteString(HKEY_CURRENT_USER, kActionsKey, "0_ExeFile", child_ + " new");
  ASSERT_TRUE(SendVolumeArrival(window, 1u << 4, 0));
  ASSERT_TRUE(WaitUntil([&] { return Recorded().size() >= 2; }, 15000));
  EXPECT_EQ(Recorded(), (std::vector<std::string>{"old", "new"}));
}

TEST_F(EndToEnd, ANewUsbDeviceStartsItsEnabledActionOnce) {
  const std::string id = "USB\\VID_F00D&PID_E2E1";
  HWND window = StartWithSettings({Action("Stick", id, "stick %_newdrv_%"),
                                   Action("StickOff", id, "never", "1"),
                                   Action("Other", "USB\\VID_0000&PID_0000", "other")});
  ASSERT_NE(window, nullptr);
  mw::fakeusb::FakeUsbDevice device;
  device.instance_id = "ROOT\\MWE2E\\0000";
  device.hardware_ids = {id};
  device.friendly_name = "E2E Stick";
  device.service = "USBSTOR";
  const auto installed = mw::fakeusb::InstallFakeUsbDevice(device);
  ASSERT_TRUE(installed.ok()) << installed.step << " " << installed.error;
  ASSERT_TRUE(SendDeviceNodesChanged(window));
  ASSERT_TRUE(WaitUntil([&] { return !Recorded().empty(); }, 15000));
  ASSERT_TRUE(SendDeviceNodesChanged(window));  // the same plugging broadcast again
  Sleep(1500);
  mw::fakeusb::RemoveFakeUsbDevice(device.instance_id);
  EXPECT_EQ(Recorded(), std::vector<std::string>{"stick %_newdrv_%"});
}

TEST_F(EndToEnd, LabelAndPathChecksOnAMappedDriveDecideWhetherTheProgramStarts) {
  auto pass = Action("Pass", kVolumeId, "pass %_newdrv_%");
  pass["Ex_RunVolumeChk"] = "1";
  pass["Ex_RunVolume"] = "PHOTOS";
  pass["Ex_RunPathChk"] = "1";
  pass["Ex_RunPath"] = "DCIM";
  auto wrong_label = Action("Label", kVolumeId, "label");
  wrong_label["Ex_RunVolumeChk"] = "1";
  wrong_label["Ex_RunVolume"] = "Photos";
  auto missing_path = Action("Path", kVolumeId, "path");
  missing_path["Ex_RunPathChk"] = "1";
  missing_path["Ex_RunPath"] = "NO_SUCH_FOLDER";
  HWND window = StartWithSettings({pass, wrong_label, missing_path});
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(SendVolumeArrival(window, 1u << 4, 0));
  ASSERT_TRUE(WaitUntil([&] { return !Recorded().empty(); }, 15000));
  Sleep(2000);
  EXPECT_EQ(Recorded(), std::vector<std::string>{"pass E"});
}

TEST_F(EndToEnd, AutomaticRemovalWaitsForTheStartedProgram) {
  SetEnvironmentVariableA("MW_RECORD_SLEEP_MS", "1500");
  auto eject = Action("Eject", kVolumeId, "eject");
  eject["Eject"] = "1";
  HWND window = StartWithSettings({eject});
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(SendVolumeArrival(window, 1u << 4, 0));
  // The window stays responsive while the runner waits for its program.
  ASSERT_TRUE(WaitUntil([&] { return !Recorded().empty(); }, 15000));
  DWORD_PTR result = 0;
  EXPECT_NE(SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 500, &result), 0);
  EXPECT_TRUE(
      WaitUntil([&] { return ReadFile(record_).find("ended") != std::string::npos; }, 15000));
}

TEST_F(EndToEnd, WithoutSettingsBroadcastsAreIgnored) {
  ASSERT_TRUE(app_.Start("", folder_));
  HWND window = app_.WaitForMainWindow();
  ASSERT_NE(window, nullptr);
  StoreActions({Action("V", kVolumeId, "v")});  // written after the start: still a first start
  ASSERT_TRUE(SendVolumeArrival(window, 1u << 4, 0));
  Sleep(1500);
  EXPECT_TRUE(Recorded().empty());
}

TEST_F(EndToEnd, FirstStartOffersTheCarryOverFileAndYesImportsIt) {
  // Make a carry-over file with the system's registry editor.
  WriteString(HKEY_CURRENT_USER, kActionsKey, "0_Name", "Imported");
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, sizeof windows);
  const std::string file = folder_ + "\\Mountwick_Verup.inf";
  const std::string export_command = std::string(windows) + "\\regedit.exe /e \"" + file +
                                     "\" HKEY_CURRENT_USER\\software\\Quillory\\Mountwick";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  std::string command = export_command;
  ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &info));
  WaitForSingleObject(info.hProcess, 20000);
  CloseHandle(info.hProcess);
  CloseHandle(info.hThread);
  ASSERT_TRUE(FileExists(file));
  RemoveAllSettings();

  ASSERT_TRUE(app_.Start("", folder_));
  const DWORD id = GetProcessId(app_.process());
  HWND question = WaitForWindow(id, kNoticeCaption, 20000);
  ASSERT_NE(question, nullptr);
  EXPECT_EQ(MessageBoxText(question), "アクションの引継ぎ情報を読み込みますか？");
  PressButton(question, IDYES);
  ASSERT_NE(app_.WaitForMainWindow(40000), nullptr);
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kProductKey));
  EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kActionsKey, "0_Name"), "Imported");
  Sleep(500);
  EXPECT_TRUE(WindowsWithCaption(id, kNoticeCaption).empty());
}

TEST_F(EndToEnd, FirstStartAnsweredNoLeavesTheSettingsAbsent) {
  const std::string file = folder_ + "\\Mountwick_Verup.inf";
  CloseHandle(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  ASSERT_TRUE(app_.Start("", folder_));
  const DWORD id = GetProcessId(app_.process());
  HWND question = WaitForWindow(id, kNoticeCaption, 20000);
  ASSERT_NE(question, nullptr);
  PressButton(question, IDNO);
  ASSERT_NE(app_.WaitForMainWindow(), nullptr);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProductKey));
  EXPECT_TRUE(WindowsWithCaption(id, kNoticeCaption).empty());
}

TEST_F(EndToEnd, TheAboutBoxShowsTheBuildAndClosesWithEscape) {
  HWND window = StartWithSettings({});
  ASSERT_NE(window, nullptr);
  PostMessageA(window, WM_COMMAND, 104, 0);
  const DWORD id = GetProcessId(app_.process());
  HWND about = WaitForWindow(id, "Mountwick ﾊﾞｰｼﾞｮﾝ情報", 10000);
  ASSERT_NE(about, nullptr);
  char build[32] = {};
  GetDlgItemTextA(about, 1032, build, sizeof build);
  EXPECT_STREQ(build, "Build102");
  SaveScreenshot("about_box");
  HWND focus = GetDlgItem(about, IDOK);
  PostMessageA(focus, WM_KEYDOWN, VK_ESCAPE, 0);
  PostMessageA(focus, WM_KEYUP, VK_ESCAPE, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }, 5000));
}

TEST_F(EndToEnd, QuitFromTheTrayMenuEndsWithExitCodeZero) {
  HWND window = StartWithSettings({});
  ASSERT_NE(window, nullptr);
  app_.Quit();
  EXPECT_EQ(app_.WaitForExit(10000), 0);
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(EndToEnd, HelpWithoutAHelpFileNamesItInTheNotice) {
  // A help file planted in the working directory must not answer for it either.
  CloseHandle(CreateFileA((folder_ + "\\Mountwick.chm").c_str(), GENERIC_WRITE, 0, nullptr,
                          CREATE_ALWAYS, 0, nullptr));
  const std::string beside_program = BinFolder() + "\\Mountwick.chm";
  const std::string hidden = beside_program + ".away";
  const bool moved = !FileExists(beside_program) ||
                     MoveFileExA(beside_program.c_str(), hidden.c_str(), MOVEFILE_REPLACE_EXISTING);
  HWND window = StartWithSettings({});
  ASSERT_NE(window, nullptr);
  PostMessageA(window, WM_COMMAND, 32774, 0);
  const DWORD id = GetProcessId(app_.process());
  HWND notice = WaitForWindow(id, kNoticeCaption, 10000);
  const std::string text = notice ? MessageBoxText(notice) : std::string();
  if (FileExists(hidden))
    MoveFileExA(hidden.c_str(), beside_program.c_str(), MOVEFILE_REPLACE_EXISTING);
  ASSERT_TRUE(moved);
  ASSERT_NE(notice, nullptr);
  EXPECT_NE(text.find("アプリケーションの起動に失敗しました。"), std::string::npos) << text;
  EXPECT_NE(text.find(beside_program), std::string::npos) << text;
  PressButton(notice, IDOK);
}

TEST_F(EndToEnd, HelpOpensTheHelpFileBesideTheProgram) {
  const std::string help = BinFolder() + "\\Mountwick.chm";
  ASSERT_TRUE(FileExists(help)) << "the build puts the help file beside Mountwick.exe";
  HWND window = StartWithSettings({});
  ASSERT_NE(window, nullptr);
  PostMessageA(window, WM_COMMAND, 32774, 0);
  HWND viewer = nullptr;
  EXPECT_TRUE(WaitUntil(
      [&] { return (viewer = FindWindowA(nullptr, "Mountwick ヘルプ")) != nullptr; }, 15000));
  SaveScreenshot("help_viewer");
  EXPECT_TRUE(WindowsWithCaption(GetProcessId(app_.process()), kNoticeCaption).empty());
  if (viewer) PostMessageA(viewer, WM_CLOSE, 0, 0);
}

TEST_F(EndToEnd, UpdateCheckerValuesAreWrittenOnlyWhenItsRootExists) {
  ASSERT_TRUE(app_.Start("", folder_));
  ASSERT_NE(app_.WaitForMainWindow(), nullptr);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Tivolane"));
  app_.Quit();
  ASSERT_EQ(app_.WaitForExit(10000), 0);

  WriteString(HKEY_CURRENT_USER, "Software\\Tivolane", "", "");
  Mountwick again;
  ASSERT_TRUE(again.Start("", folder_));
  ASSERT_NE(again.WaitForMainWindow(), nullptr);
  const std::string entry = "Software\\Tivolane\\support@quillory.example\\Mountwick";
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, entry.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD build = 0, size = sizeof build, type = 0;
  RegQueryValueExA(key, "Build", nullptr, &type, reinterpret_cast<BYTE*>(&build), &size);
  RegCloseKey(key);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(build, 102u);
  EXPECT_EQ(ReadString(HKEY_CURRENT_USER, entry, "FilePath"), folder_ + "\\Mountwick.exe");
  EXPECT_EQ(ReadString(HKEY_CURRENT_USER, entry, "DistinctName"), "Mountwick");
  again.Quit();
  again.WaitForExit(10000);
}

TEST_F(EndToEnd, ADllPlantedInTheWorkingDirectoryIsNeverLoaded) {
  const std::string marker_dll = BinFolder() + "\\planted_marker.dll";
  for (const char* name : {"version.dll", "uxtheme.dll", "dwmapi.dll", "cryptbase.dll",
                           "profapi.dll", "hhctrl.ocx", "mw_missing.dll"})
    CopyFileA(marker_dll.c_str(), (folder_ + "\\" + name).c_str(), FALSE);
  HWND window = StartWithSettings({Action("V", kVolumeId, "v")});
  ASSERT_NE(window, nullptr);
  PostMessageA(window, WM_COMMAND, 104, 0);
  HWND about = WaitForWindow(GetProcessId(app_.process()), "Mountwick ﾊﾞｰｼﾞｮﾝ情報", 10000);
  if (about) PressButton(about, IDOK);
  ASSERT_TRUE(SendVolumeArrival(window, 1u << 4, 0));
  ASSERT_TRUE(WaitUntil([&] { return !Recorded().empty(); }, 15000));
  app_.Quit();
  app_.WaitForExit(10000);
  EXPECT_FALSE(FileExists(folder_ + "\\planted-dll-was-loaded.txt"));
}

}  // namespace
}  // namespace e2e
