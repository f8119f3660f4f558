#pragma once
// What the end-to-end cases share: the fixture that starts Mountwick.exe from a fresh state in a
// planted working folder, and the ways the system and a user reach it.
#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>
#include <gmock/gmock.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "resource.h"
#include "tools/mountwick_driver_win.h"

namespace e2e {

using namespace mw::driver;

constexpr char kNoticeCaption[] = "Mountwickからの通知";
constexpr char kCheckerKey[] = "Software\\Tivolane\\support@quillory.example\\Mountwick";
// A batch file beside the child that hands its program on with "start" and ends at once.
constexpr char kHandOff[] = "mw_handoff.bat";
// The test prefix's E: is labelled "Photos" and holds DCIM.
constexpr DWORD E = 1u << 4, F = E << 1, G = E << 2;

inline std::string Folder(int csidl) {
  char path[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, csidl, nullptr, 0, path);
  return path;
}
inline const std::string kBin = ProgramFolder();  // the suite's, beside Mountwick.exe
// The activity log, which is UTF-8 whatever the code page.
inline const std::string kActivityLog = Folder(CSIDL_LOCAL_APPDATA) + "\\Mountwick\\activity.log";

// One case: no settings, a fresh planted working folder; TearDown ends the program.
class Case : public ::testing::Test {
 public:
  static std::string Child() { return kBin + "\\record_args.exe"; }
  static bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != ~0u; }
  static std::string Utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

  // An enabled Action that starts the recording child with arguments.
  static Fields Action(const std::string& name, const std::string& hardware_id,
                       const std::string& arguments, Fields more = {}) {
    return mw::driver::Action(name, hardware_id, Child() + " " + arguments, std::move(more));
  }

  // Messages as the user sends them.
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
  // Picks an entry of the form's device list as the user does: whether it offers removal.
  static bool Choose(HWND dialog, int entry) {
    HWND combo = GetDlgItem(dialog, IDC_DEVICE_COMBO);
    Send(combo, CB_SETCURSEL, static_cast<WPARAM>(entry));
    Send(dialog, WM_COMMAND, MAKEWPARAM(IDC_DEVICE_COMBO, CBN_SELCHANGE),
         reinterpret_cast<LPARAM>(combo));
    return IsWindowEnabled(GetDlgItem(dialog, IDX_EJECT));
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
    return mw::driver::Windows(program_.pid, caption, kind);
  }
  HWND WaitFor(const char* caption, DWORD timeout_ms = 10000, const char* kind = nullptr) const {
    return WaitForWindow(program_.pid, caption, kind, timeout_ms);
  }

  void SetUp() override {
    RemoveAllSettings();
    folder_ = MakeFreshFolder("mw_e2e");
    record_ = folder_ + "\\record.txt";
    SetEnvironmentVariableA("MW_RECORD_FILE", record_.c_str());
    // What the program loads or starts from its working folder would show.
    for (const char* dll : {"version.dll", "uxtheme.dll", "dwmapi.dll", "cryptbase.dll",
                            "profapi.dll", "hhctrl.ocx", "mw_missing.dll"})
      CopyFileA((kBin + "\\planted_marker.dll").c_str(), (folder_ + "\\" + dll).c_str(), FALSE);
    std::ofstream(kBin + "\\" + kHandOff, std::ios::binary)
        << "@start \"\" \"" << Child() << "\" %*\r\n";
    for (const char* name : {"reg.exe", "regedit.exe", "hh.exe", "Mountwick.chm"})
      CopyFileA(Child().c_str(), (folder_ + "\\" + name).c_str(), FALSE);
  }
  void TearDown() override {
    Finish(program_.process);
    for (const std::string& id : devices_) mw::fakeusb::RemoveFakeUsbDevice(id);
    RemoveAllSettings();
    EXPECT_FALSE(Exists(folder_ + "\\planted-dll-was-loaded.txt"));
    for (const std::string& run : Runs()) EXPECT_EQ(run.find('>'), std::string::npos) << run;
  }

  HWND Start(const std::string& arguments = "", DWORD timeout_ms = 20000) {
    program_ =
        mw::driver::Start(kBin + "\\Mountwick.exe", arguments, folder_, kWindowClass, timeout_ms);
    return program_.window;
  }
  // Installs a fake USB device, removed after the case.
  void PlugStick(const char* hardware_id, const char* service = "USBSTOR") {
    const mw::fakeusb::FakeUsbDevice device{
        "ROOT\\MWE2E\\" + std::to_string(devices_.size()), {hardware_id}, {}, {}, {}, service};
    const auto installed = mw::fakeusb::PlugFakeUsbDevice(device);
    ASSERT_TRUE(installed.ok()) << installed.step << " " << installed.error;
    devices_.push_back(device.instance_id);
  }
  // The runs of the recording child so far, each its arguments joined by '|';
  // a run of any other program starts with that program's path and '>'.
  std::vector<std::string> Runs() const {
    std::vector<std::string> runs;
    std::istringstream text(ReadFile(record_));
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
  // When each program run with --sleep-ms ended by its own clock (HH:MM:SS.mmm, the log's time).
  std::vector<std::string> Ends() const {
    std::vector<std::string> ends;
    std::istringstream text(ReadFile(record_));
    for (std::string line; std::getline(text, line);)
      if (line.starts_with("ended ")) ends.push_back(line.substr(6, 12));
    return ends;
  }
  std::string folder_, record_;
  Running program_;
  std::vector<std::string> devices_;
};

}  // namespace e2e
