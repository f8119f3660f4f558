#pragma once
// Drives Mountwick.exe from another program: started in a folder and found by its windows, told
// of drives and devices as the system tells it, given its Actions in the registry; and the files
// of such a program. Shared by the end-to-end suite, the adapter tests and the Wine benchmarks.
#include <windows.h>

#include <dbt.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "model/version.h"
#include "tools/fake_usb_device.h"

namespace mw::driver {

inline constexpr char kWindowClass[] = "MOUNTWICK";
inline constexpr char kSettingsCaption[] =
    "Mountwick Ver" MOUNTWICK_VERSION_TEXT " (Build" MOUNTWICK_BUILD_TEXT ")  アクションの設定";
inline constexpr char kProductKey[] = "software\\Quillory\\Mountwick";
inline constexpr char kSettingsKey[] = "software\\Quillory\\Mountwick\\1.0";
inline constexpr char kActionsKey[] = "software\\Quillory\\Mountwick\\1.0\\Actions";
inline constexpr char kCheckerRoot[] = "Software\\Tivolane";
inline constexpr char kVolumeId[] = "MESSAGE://DBT_DEVICEARRIVAL/VOLUME";
inline constexpr char kMediaId[] = "MESSAGE://DBT_DEVICEARRIVAL/MEDIA";

// The folder of the running program (the build's bin folder).
inline std::string ProgramFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  return std::string(path, std::strrchr(path, '\\'));
}

// A new empty folder under the temporary folder, named like a new temporary file.
inline std::string MakeFreshFolder(const std::string& prefix) {
  char temp[MAX_PATH] = {}, folder[MAX_PATH] = {};
  GetTempPathA(sizeof temp, temp);
  GetTempFileNameA(temp, prefix.c_str(), 0, folder);  // a name no file had until now
  DeleteFileA(folder);
  CreateDirectoryA(folder, nullptr);
  return folder;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

template <class Test>
bool WaitUntil(Test test, DWORD timeout_ms, DWORD step_ms = 50) {
  for (const DWORD start = GetTickCount(); !test(); Sleep(step_ms))
    if (GetTickCount() - start >= timeout_ms) return false;
  return true;
}

// Starts a command line in folder (the caller's own when null): the process, or null.
inline HANDLE Launch(std::string command, const char* folder = nullptr, DWORD flags = 0) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, flags, nullptr, folder,
                      &startup, &info))
    return nullptr;
  CloseHandle(info.hThread);
  return info.hProcess;
}

// The top-level windows of process pid with a caption (visible ones) or of a class.
inline std::vector<HWND> Windows(DWORD pid, const char* caption, const char* kind = nullptr) {
  std::vector<HWND> found;
  for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, kind, caption)) != nullptr;) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == pid && (kind || IsWindowVisible(w))) found.push_back(w);
  }
  return found;
}

inline HWND WaitForWindow(DWORD pid, const char* caption, const char* kind, DWORD timeout_ms) {
  std::vector<HWND> found;
  WaitUntil([&] { return !(found = Windows(pid, caption, kind)).empty(); }, timeout_ms);
  return found.empty() ? nullptr : found.front();
}

// The exit code if the process ends in time, else -1; it is ended and closed then.
inline long Finish(HANDLE process, DWORD timeout_ms = 0) {
  DWORD code = ~0u;
  if (WaitForSingleObject(process, timeout_ms) == WAIT_OBJECT_0) GetExitCodeProcess(process, &code);
  if (process && TerminateProcess(process, 99)) WaitForSingleObject(process, 5000);
  if (process) CloseHandle(process);
  return static_cast<long>(code);
}

// A program started in a folder, with its main window when that came in time.
struct Running {
  HANDLE process = nullptr;
  DWORD pid = 0;
  HWND window = nullptr;
};
inline Running Start(const std::string& exe, const std::string& arguments,
                     const std::string& folder, const char* kind = kWindowClass,
                     DWORD timeout_ms = 20000) {
  Running running{Launch("\"" + exe + "\" " + arguments, folder.c_str())};
  running.pid = GetProcessId(running.process);  // 0 for none
  running.window = running.pid ? WaitForWindow(running.pid, nullptr, kind, timeout_ms) : nullptr;
  return running;
}

// Sent as the system and other programs send it: true when answered in time.
inline bool Send(HWND window, UINT message, WPARAM w = 0, LPARAM l = 0, DWORD timeout_ms = 15000) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(window, message, w, l, SMTO_NORMAL, timeout_ms, &result) != 0;
}

// The volumes of the drives in mask (bit 0 for A:) arrived, as media or network drives by flags.
inline bool SendVolumeArrival(HWND window, DWORD mask, WORD flags = 0, DWORD timeout_ms = 15000) {
  DEV_BROADCAST_VOLUME volume = {sizeof volume, DBT_DEVTYP_VOLUME, 0, mask, flags};
  return Send(window, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(&volume),
              timeout_ms);
}

// The broadcast that follows any device plugged or pulled.
inline bool SendNodesChanged(HWND window, DWORD timeout_ms = 15000) {
  return Send(window, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0, timeout_ms);
}

// A fake device's USB interface arrived (or, by event, left), as the system tells a window
// registered for it.
inline bool SendUsbInterfaceArrival(HWND window, const std::string& instance_id,
                                    DWORD timeout_ms = 15000, WPARAM event = DBT_DEVICEARRIVAL) {
  std::string path = "\\\\?\\" + instance_id + "#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
  std::replace(path.begin() + 4, path.end(), '\\', '#');  // the system's form of the path
  std::vector<char> record(sizeof(DEV_BROADCAST_DEVICEINTERFACE_A) + path.size());
  auto* arrival = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_A*>(record.data());
  arrival->dbcc_size = static_cast<DWORD>(record.size());
  arrival->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  arrival->dbcc_classguid = fakeusb::kUsbDeviceInterface;
  path.copy(arrival->dbcc_name, path.size());
  return Send(window, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(arrival), timeout_ms);
}

// Mountwick's settings and the update checker's values, all of them.
inline void RemoveAllSettings() {
  for (const char* key : {"software\\Quillory", kCheckerRoot})
    RegDeleteTreeA(HKEY_CURRENT_USER, key);
}
inline bool KeyExists(const char* path) {
  HKEY key = nullptr;
  return RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) == 0 && !RegCloseKey(key);
}
inline std::string ReadString(const char* path, const std::string& name) {
  char text[2048] = {};
  DWORD size = sizeof text - 1;
  RegGetValueA(HKEY_CURRENT_USER, path, name.c_str(), RRF_RT_REG_SZ, nullptr, text, &size);
  return text;
}
inline void WriteString(const char* path, const std::string& name, const std::string& text) {
  RegSetKeyValueA(HKEY_CURRENT_USER, path, name.c_str(), REG_SZ, text.c_str(),
                  static_cast<DWORD>(text.size() + 1));
}

using Fields = std::map<std::string, std::string>;  // an Action's stored values by field name

// An enabled Action without removal that starts a command line; more adds or overrides fields.
inline Fields Action(const std::string& name, const std::string& hardware_id,
                     const std::string& command_line, Fields more = {}) {
  more.insert({{"Name", name}, {"State", "0"}, {"HardwareID", hardware_id}, {"Eject", "0"}});
  more.insert({"ExeFile", command_line});
  return more;
}

// The settings key made (so they are not absent), and the Actions numbered from 0.
inline void StoreActions(const std::vector<Fields>& actions) {
  WriteString(kSettingsKey, "", "");
  for (std::size_t i = 0; i < actions.size(); ++i)
    for (const auto& [field, text] : actions[i])
      WriteString(kActionsKey, std::to_string(i) + "_" + field, text);
}

}  // namespace mw::driver
