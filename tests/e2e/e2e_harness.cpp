#include "e2e/e2e_harness.h"

#include <dbt.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tools/fake_usb_device.h"
#include "tools/test_files_win.h"

namespace e2e {

std::string BinFolder() {
  return mw::testfiles::ProgramFolder();
}
std::string Child() {
  return BinFolder() + "\\record_args.exe";
}
std::string ReadFile(const std::string& path) {
  return mw::testfiles::ReadFile(path);
}
bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
std::string Utf16(const std::string& ascii) {
  std::string wide;
  for (char c : ascii) wide += std::string{c, '\0'};
  return wide;
}

long RunAndWait(const std::string& command_line, DWORD timeout_ms) {
  std::string command = command_line;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info))
    return -2;
  DWORD code = static_cast<DWORD>(-1);
  if (WaitForSingleObject(info.hProcess, timeout_ms) == WAIT_OBJECT_0)
    GetExitCodeProcess(info.hProcess, &code);
  CloseHandle(info.hProcess);
  CloseHandle(info.hThread);
  return static_cast<long>(code);
}

void RemoveAllSettings() {
  for (const char* key : {"software\\Quillory", kCheckerRoot}) {
    RegDeleteTreeA(HKEY_CURRENT_USER, key);
    RegDeleteKeyA(HKEY_CURRENT_USER, key);
  }
}

bool KeyExists(const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

std::string ReadString(const std::string& path, const std::string& name) {
  char text[2048] = {};
  DWORD size = sizeof text - 1;
  const LONG result = RegGetValueA(HKEY_CURRENT_USER, path.c_str(), name.c_str(), RRF_RT_REG_SZ,
                                   nullptr, text, &size);
  return result == ERROR_SUCCESS ? text : "<none>";
}

void WriteString(const std::string& path, const std::string& name, const std::string& text) {
  RegSetKeyValueA(HKEY_CURRENT_USER, path.c_str(), name.c_str(), REG_SZ, text.c_str(),
                  static_cast<DWORD>(text.size() + 1));
}

std::vector<std::string> ValueNames(const std::string& path) {
  std::vector<std::string> names;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return names;
  char name[512];
  for (DWORD i = 0, size = sizeof name;
       RegEnumValueA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
       ++i, size = sizeof name)
    names.push_back(name);
  RegCloseKey(key);
  return names;
}

void StoreActions(const std::vector<Fields>& actions) {
  WriteString(kVersionKey, "", "");
  for (std::size_t i = 0; i < actions.size(); ++i)
    for (const auto& [field, text] : actions[i])
      WriteString(kActionsKey, std::to_string(i) + "_" + field, text);
}

Fields Action(const std::string& name, const std::string& hardware_id, const std::string& arguments,
              Fields more) {
  more.insert({{"Name", name},
               {"State", "0"},
               {"HardwareID", hardware_id},
               {"ExeFile", Child() + " " + arguments},
               {"Eject", "0"}});
  return more;
}

bool SendVolume(HWND window, DWORD unit_mask, WORD flags) {
  DEV_BROADCAST_VOLUME volume = {sizeof volume, DBT_DEVTYP_VOLUME, 0, unit_mask, flags};
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(window, WM_DEVICECHANGE, DBT_DEVICEARRIVAL,
                             reinterpret_cast<LPARAM>(&volume), SMTO_NORMAL, 20000, &result) != 0;
}

bool SendNodesChanged(HWND window) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(window, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0, SMTO_NORMAL, 20000,
                             &result) != 0;
}

void SendTray(HWND window, UINT mouse_message) {
  PostMessageA(window, 0x8064, 1, mouse_message);  // the tray icon's callback message
}

bool Answers(HWND window, DWORD timeout_ms) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, timeout_ms, &result) != 0;
}

void PressButton(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

bool Command(HWND dialog, int id) {
  DWORD_PTR result = 0;
  return IsWindowEnabled(GetDlgItem(dialog, id)) &&
         SendMessageTimeoutA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)), SMTO_NORMAL, 15000,
                             &result);
}

std::vector<HWND> WindowsWithCaption(DWORD process_id, const std::string& caption) {
  struct Search {
    DWORD process_id;
    const std::string& caption;
    std::vector<HWND> found;
  } search{process_id, caption, {}};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        char text[512] = {};
        GetWindowTextA(window, text, sizeof text);
        if (owner == s.process_id && s.caption == text && IsWindowVisible(window))
          s.found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForWindow(DWORD process_id, const std::string& caption, DWORD timeout_ms) {
  std::vector<HWND> found;
  WaitUntil([&] { return !(found = WindowsWithCaption(process_id, caption)).empty(); }, timeout_ms);
  return found.empty() ? nullptr : found.front();
}

std::string MessageBoxText(HWND box) {
  char text[2048] = {};
  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
  return text;
}

namespace {
void KillStrayInstances() {
  for (HWND stray; (stray = FindWindowA("MOUNTWICK", nullptr)) != nullptr; Sleep(100)) {
    DWORD id = 0;
    GetWindowThreadProcessId(stray, &id);
    if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id)) {
      TerminateProcess(process, 99);
      WaitForSingleObject(process, 5000);
      CloseHandle(process);
    }
  }
}
}  // namespace

void Case::SetUp() {
  KillStrayInstances();
  RemoveAllSettings();
  folder_ = mw::testfiles::MakeFreshFolder("mw_e2e");
  record_ = folder_ + "\\record.txt";
  SetEnvironmentVariableA("MW_RECORD_FILE", record_.c_str());
  SetEnvironmentVariableA("MW_RECORD_SLEEP_MS", nullptr);
  // Whatever the program loads or starts from its working folder would show.
  for (const char* name : {"version.dll", "uxtheme.dll", "dwmapi.dll", "cryptbase.dll",
                           "profapi.dll", "hhctrl.ocx", "mw_missing.dll"})
    CopyFileA((BinFolder() + "\\planted_marker.dll").c_str(), (folder_ + "\\" + name).c_str(),
              FALSE);
  for (const char* name : {"reg.exe", "regedit.exe", "hh.exe"})
    CopyFileA(Child().c_str(), (folder_ + "\\" + name).c_str(), FALSE);
  CloseHandle(CreateFileA((folder_ + "\\Mountwick.chm").c_str(), GENERIC_WRITE, 0, nullptr,
                          CREATE_ALWAYS, 0, nullptr));
}

void Case::TearDown() {
  if (process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_, 99);
    WaitForSingleObject(process_, 5000);
  }
  if (process_) CloseHandle(process_);
  for (const std::string& id : devices_) mw::fakeusb::RemoveFakeUsbDevice(id);
  RemoveAllSettings();
  EXPECT_FALSE(FileExists(folder_ + "\\planted-dll-was-loaded.txt"));
  for (const std::string& run : Runs()) EXPECT_EQ(run.find('>'), std::string::npos) << run;
}

bool Case::Start(const std::string& arguments) {
  const std::string exe = BinFolder() + "\\Mountwick.exe";
  std::string command = "\"" + exe + "\" " + arguments;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder_.c_str(), &startup, &info))
    return false;
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  return true;
}

HWND Case::WaitForMainWindow(DWORD timeout_ms) {
  WaitUntil(
      [&] {
        HWND found = FindWindowA("MOUNTWICK", nullptr);
        DWORD owner = 0;
        if (found) GetWindowThreadProcessId(found, &owner);
        window_ = owner == Pid() ? found : nullptr;
        return window_ != nullptr;
      },
      timeout_ms);
  return window_;
}

long Case::WaitForExit(DWORD timeout_ms) {
  DWORD code = 0;
  if (WaitForSingleObject(process_, timeout_ms) != WAIT_OBJECT_0) return -1;
  GetExitCodeProcess(process_, &code);
  return static_cast<long>(code);
}

std::vector<std::string> Case::Runs() const {
  std::vector<std::string> runs;
  const std::string text = ReadFile(record_);
  for (std::size_t at = 0, end; at < text.size(); at = end + 1) {
    end = text.find('\n', at);
    const std::string line = text.substr(at, end - at);
    const std::size_t bar = line.find('|');
    if (bar == std::string::npos) continue;  // "ended"
    std::string run;
    for (std::size_t tab = line.find('\t', bar); tab != std::string::npos;) {
      const std::size_t next = line.find('\t', tab + 1);
      run += (run.empty() ? "" : "|") + line.substr(tab + 1, next - tab - 1);
      tab = next;
    }
    const std::string module = line.substr(0, bar);
    runs.push_back(lstrcmpiA(module.c_str(), Child().c_str()) == 0 ? run : module + ">" + run);
  }
  return runs;
}

void Case::Plug(const std::string& hardware_id) {
  mw::fakeusb::FakeUsbDevice device;
  device.instance_id = "ROOT\\MWE2E\\" + std::to_string(devices_.size());
  device.hardware_ids = {hardware_id};
  device.friendly_name = "E2E Stick";
  device.service = "USBSTOR";
  mw::fakeusb::RemoveFakeUsbDevice(device.instance_id);  // left over from an aborted run
  const auto installed = mw::fakeusb::InstallFakeUsbDevice(device);
  ASSERT_TRUE(installed.ok()) << installed.step << " " << installed.error;
  devices_.push_back(device.instance_id);
}

}  // namespace e2e

// The suite deletes and rewrites keys of the current user's registry, adds
// devices and installs programs: on a real system it must be asked for.
int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  bool allowed = ntdll && GetProcAddress(ntdll, "wine_get_version");
  for (int i = 1; i < argc; ++i) allowed |= std::strcmp(argv[i], "--allow-real-windows") == 0;
  if (const char* allow = std::getenv("MOUNTWICK_E2E_ALLOW_REAL_WINDOWS")) allowed |= *allow == '1';
  if (!allowed) {
    std::fprintf(stderr,
                 "mountwick_e2e_tests: not running under Wine, so nothing was run. The suite "
                 "deletes and rewrites HKCU\\software\\Quillory and HKCU\\Software\\Tivolane, "
                 "installs fake USB devices and runs the installer. Run it under Wine (ctest "
                 "--preset win64 does), or on a throw-away Windows system pass "
                 "--allow-real-windows or set MOUNTWICK_E2E_ALLOW_REAL_WINDOWS=1.\n");
    return 2;
  }
  return RUN_ALL_TESTS();
}
