#pragma once
// What the end-to-end cases share: the fixture that starts Mountwick.exe from a fresh state in a
// planted working folder, and the ways the system and a user reach it.
#include <windows.h>

#include <dbt.h>
#include <shellapi.h>
#include <shlobj.h>
#include <gmock/gmock.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "model/version.h"
#include "resource.h"
#include "tools/fake_usb_device.h"
#include "tools/test_files_win.h"

namespace e2e {

constexpr char kNoticeCaption[] = "Mountwickからの通知";
constexpr char kSettingsCaption[] =
    "Mountwick Ver" MOUNTWICK_VERSION_TEXT " (Build" MOUNTWICK_BUILD_TEXT ")  アクションの設定";
constexpr char kProductKey[] = "software\\Quillory\\Mountwick";
constexpr char kActionsKey[] = "software\\Quillory\\Mountwick\\1.0\\Actions";
constexpr char kCheckerRoot[] = "Software\\Tivolane";
constexpr char kCheckerKey[] = "Software\\Tivolane\\support@quillory.example\\Mountwick";
// A batch file beside the child that hands its program on with "start" and ends at once.
constexpr char kHandOff[] = "mw_handoff.bat";
constexpr char kVolumeId[] = "MESSAGE://DBT_DEVICEARRIVAL/VOLUME";
constexpr char kMediaId[] = "MESSAGE://DBT_DEVICEARRIVAL/MEDIA";
// The test prefix's E: is labelled "Photos" and holds DCIM.
constexpr DWORD E = 1u << 4, F = E << 1, G = E << 2;

using Fields = std::map<std::string, std::string>;

// One case: no settings, a fresh planted working folder; TearDown ends the program.
class Case : public ::testing::Test {
 public:
  static std::string Bin() { return mw::testfiles::ProgramFolder(); }
  static std::string Child() { return Bin() + "\\record_args.exe"; }
  static std::string Read(const std::string& path) { return mw::testfiles::ReadFile(path); }
  static bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != ~0u; }
  template <class Test>
  static bool WaitUntil(Test test, DWORD timeout_ms, DWORD step_ms = 50) {
    for (const DWORD start = GetTickCount(); !test(); Sleep(step_ms))
      if (GetTickCount() - start >= timeout_ms) return false;
    return true;
  }

  static HANDLE Launch(std::string command, const char* folder = nullptr) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder,
                        &startup, &info))
      return nullptr;
    CloseHandle(info.hThread);
    return info.hProcess;
  }
  // The exit code if the process ends in time, else -1; it is ended and closed then.
  static long Finish(HANDLE process, DWORD timeout_ms = 0) {
    DWORD code = ~0u;
    if (WaitForSingleObject(process, timeout_ms) == WAIT_OBJECT_0)
      GetExitCodeProcess(process, &code);
    if (process && TerminateProcess(process, 99)) WaitForSingleObject(process, 5000);
    if (process) CloseHandle(process);
    return static_cast<long>(code);
  }

  static void RemoveAllSettings() {
    for (const char* key : {"software\\Quillory", kCheckerRoot})
      RegDeleteTreeA(HKEY_CURRENT_USER, key);
  }
  static bool KeyExists(const char* path) {
    HKEY key = nullptr;
    return RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) == 0 && !RegCloseKey(key);
  }
  static std::string ReadString(const char* path, const std::string& name) {
    char text[2048] = {};
    DWORD size = sizeof text - 1;
    RegGetValueA(HKEY_CURRENT_USER, path, name.c_str(), RRF_RT_REG_SZ, nullptr, text, &size);
    return text;
  }
  static void WriteString(const char* path, const std::string& name, const std::string& text) {
    RegSetKeyValueA(HKEY_CURRENT_USER, path, name.c_str(), REG_SZ, text.c_str(), text.size() + 1);
  }
  static void StoreActions(const std::vector<Fields>& actions) {
    WriteString("software\\Quillory\\Mountwick\\1.0", "", "");
    for (std::size_t i = 0; i < actions.size(); ++i)
      for (const auto& [field, text] : actions[i])
        WriteString(kActionsKey, std::to_string(i) + "_" + field, text);
  }
  // An enabled Action that starts the recording child with arguments.
  static Fields Action(const std::string& name, const std::string& hardware_id,
                       const std::string& arguments, Fields more = {}) {
    more.insert({{"Name", name}, {"State", "0"}, {"HardwareID", hardware_id}, {"Eject", "0"}});
    more.insert({"ExeFile", Child() + " " + arguments});
    return more;
  }

  // Messages as the system and the user send them; Send is true when answered in time.
  static bool Send(HWND window, UINT message, WPARAM w = 0, LPARAM l = 0, DWORD timeout = 15000) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, message, w, l, SMTO_NORMAL, timeout, &result) != 0;
  }
  static void SendTray(HWND window, UINT mouse) { PostMessageA(window, 0x8064, 1, mouse); }
  // Posted, for buttons that open a box; Send returns when the dialog is done.
  static void Press(HWND dialog, int id) { PostMessageA(dialog, WM_COMMAND, id, 0); }
  static std::string Text(HWND control) {
    char text[1024] = {};
    Send(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
  }
  // '1' for each usable control of the settings dialog's list, '|', then of its form.
  static std::string Mode(HWND dialog) {
    std::string usable;
    for (int id :
         {IDC_ACTION_LIST, IDC_NEW, IDC_CHANGE, IDC_DELETE, 0, IDE_NAME, IDX_DISABLED,
          IDX_SHOW_CONNECTED, IDX_SHOW_ALL_KNOWN, IDC_DEVICE_COMBO, IDE_COMMAND_LINE, IDC_BROWSE,
          IDC_EXTENDED, IDC_TEST_RUN, IDC_REGISTER, IDC_CANCEL_EDIT, IDX_EJECT})
      usable += id == 0 ? '|' : IsWindowEnabled(GetDlgItem(dialog, id)) ? '1' : '0';
    return usable;
  }
  // The shell's answer for the program's tray icon: true while it is there.
  static bool TrayIcon(HWND window, DWORD operation) {
    NOTIFYICONDATAA icon = {};
    icon.cbSize = NOTIFYICONDATAA_V2_SIZE, icon.hWnd = window, icon.uID = 1;
    return Shell_NotifyIconA(operation, &icon) != FALSE;
  }
  // Opens the tray menu with a right click and picks an item by the keyboard.
  void ChooseFromTrayMenu(HWND window, std::initializer_list<WPARAM> keys) const {
    SendTray(window, WM_RBUTTONDOWN);
    ASSERT_TRUE(WaitUntil(
        [&] { return std::ranges::any_of(Windows(nullptr, "#32768"), IsWindowVisible); }, 5000));
    for (WPARAM key : keys) PostMessageA(window, WM_KEYDOWN, key, 0);
  }
  // The top-level windows of the program with a caption (visible ones) or of a class.
  std::vector<HWND> Windows(const char* caption, const char* kind = nullptr) const {
    std::vector<HWND> found;
    for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, kind, caption)) != nullptr;) {
      DWORD owner = 0;
      GetWindowThreadProcessId(w, &owner);
      if (owner == pid_ && (kind || IsWindowVisible(w))) found.push_back(w);
    }
    return found;
  }
  HWND WaitFor(const char* caption, DWORD timeout_ms = 10000, const char* kind = nullptr) const {
    std::vector<HWND> found;
    WaitUntil([&] { return !(found = Windows(caption, kind)).empty(); }, timeout_ms);
    return found.empty() ? nullptr : found.front();
  }

  void SetUp() override {
    RemoveAllSettings();
    folder_ = mw::testfiles::MakeFreshFolder("mw_e2e");
    record_ = folder_ + "\\record.txt";
    SetEnvironmentVariableA("MW_RECORD_FILE", record_.c_str());
    // What the program loads or starts from its working folder would show.
    for (const char* dll : {"version.dll", "uxtheme.dll", "dwmapi.dll", "cryptbase.dll",
                            "profapi.dll", "hhctrl.ocx", "mw_missing.dll"})
      CopyFileA((Bin() + "\\planted_marker.dll").c_str(), (folder_ + "\\" + dll).c_str(), FALSE);
    std::ofstream(Bin() + "\\" + kHandOff, std::ios::binary)
        << "@start \"\" \"" << Child() << "\" %*\r\n";
    for (const char* name : {"reg.exe", "regedit.exe", "hh.exe", "Mountwick.chm"})
      CopyFileA(Child().c_str(), (folder_ + "\\" + name).c_str(), FALSE);
  }
  void TearDown() override {
    Finish(process_);
    for (const std::string& id : devices_) mw::fakeusb::RemoveFakeUsbDevice(id);
    RemoveAllSettings();
    EXPECT_FALSE(Exists(folder_ + "\\planted-dll-was-loaded.txt"));
    for (const std::string& run : Runs()) EXPECT_EQ(run.find('>'), std::string::npos) << run;
  }

  HWND Start(const std::string& arguments = "", DWORD timeout_ms = 20000) {
    process_ = Launch("\"" + Bin() + "\\Mountwick.exe\" " + arguments, folder_.c_str());
    pid_ = GetProcessId(process_);
    return timeout_ms ? WaitFor(nullptr, timeout_ms, "MOUNTWICK") : nullptr;
  }
  // The runs of the recording child so far, each its arguments joined by '|';
  // a run of any other program starts with that program's path and '>'.
  std::vector<std::string> Runs() const {
    std::vector<std::string> runs;
    std::istringstream text(Read(record_));
    for (std::string line; std::getline(text, line);) {
      const std::size_t bar = line.find('|'), tab = line.find('\t', bar);
      if (bar == std::string::npos) continue;  // "ended"
      std::string run = tab == std::string::npos ? "" : line.substr(tab + 1);
      std::replace(run.begin(), run.end(), '\t', '|');
      const std::string module = line.substr(0, bar);
      runs.push_back(lstrcmpiA(module.c_str(), Child().c_str()) == 0 ? run : module + ">" + run);
    }
    return runs;
  }
  std::string folder_, record_;
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
  std::vector<std::string> devices_;
};

}  // namespace e2e
