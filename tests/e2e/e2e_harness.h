#pragma once
// Drives the real Mountwick.exe: a fresh state per case, the program started
// in a working folder planted with DLLs and registry tools of the system's
// names, broadcasts and tray clicks sent as the system sends them. The oracle
// is what the started children received and what the registry holds after.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace e2e {

inline constexpr char kNoticeCaption[] = "Mountwickからの通知";
inline constexpr char kSettingsCaption[] = "Mountwick Ver1.0 (Build102)  アクションの設定";
inline constexpr char kProductKey[] = "software\\Quillory\\Mountwick";
inline constexpr char kVersionKey[] = "software\\Quillory\\Mountwick\\1.0";
inline constexpr char kActionsKey[] = "software\\Quillory\\Mountwick\\1.0\\Actions";
inline constexpr char kCheckerRoot[] = "Software\\Tivolane";
inline constexpr char kVolumeId[] = "MESSAGE://DBT_DEVICEARRIVAL/VOLUME";
inline constexpr char kMediaId[] = "MESSAGE://DBT_DEVICEARRIVAL/MEDIA";
inline constexpr char kCarryOverFile[] = "Mountwick_Verup.inf";

using Fields = std::map<std::string, std::string>;

std::string BinFolder();
std::string Child();  // the recording child, record_args.exe
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);
std::string Utf16(const std::string& ascii);  // as the registry tools write their files
template <class Test>
bool WaitUntil(Test test, DWORD timeout_ms) {
  for (const DWORD start = GetTickCount();; Sleep(50)) {
    if (test()) return true;
    if (GetTickCount() - start >= timeout_ms) return false;
  }
}
// The exit code, -1 when it did not end in time, -2 when it did not start.
long RunAndWait(const std::string& command_line, DWORD timeout_ms);

// The current user's registry.
void RemoveAllSettings();
bool KeyExists(const std::string& path);
std::string ReadString(const std::string& path, const std::string& name);
void WriteString(const std::string& path, const std::string& name, const std::string& text);
std::vector<std::string> ValueNames(const std::string& path);
void StoreActions(const std::vector<Fields>& actions);
// An enabled Action that starts the recording child with arguments.
Fields Action(const std::string& name, const std::string& hardware_id, const std::string& arguments,
              Fields more = {});

// Messages as the system and the user send them.
bool SendVolume(HWND window, DWORD unit_mask, WORD flags = 0);
bool SendNodesChanged(HWND window);
void SendTray(HWND window, UINT mouse_message);
bool Answers(HWND window, DWORD timeout_ms);  // WM_NULL
void PressButton(HWND dialog, int id);        // posted: for buttons that open a box
bool Command(HWND dialog, int id);            // sent: returns when the dialog is done
std::vector<HWND> WindowsWithCaption(DWORD process_id, const std::string& caption);
HWND WaitForWindow(DWORD process_id, const std::string& caption, DWORD timeout_ms = 10000);
std::string MessageBoxText(HWND box);

// One case: no Mountwick running, no settings, a fresh planted working folder.
class Case : public ::testing::Test {
 public:
  void SetUp() override;
  void TearDown() override;  // ends the program; no planted file may have been used

  bool Start(const std::string& arguments = "");
  HWND WaitForMainWindow(DWORD timeout_ms = 20000);
  long WaitForExit(DWORD timeout_ms);  // -1 while it still runs
  DWORD Pid() const { return GetProcessId(process_); }
  // The runs of the recording child so far, each its arguments joined by '|';
  // a run of any other program starts with that program's path and '>'.
  std::vector<std::string> Runs() const;
  // Installs a fake USB device, removed after the case.
  void Plug(const std::string& hardware_id);

  std::string folder_;
  std::string record_;
  HANDLE process_ = nullptr;
  HWND window_ = nullptr;
  std::vector<std::string> devices_;
};

}  // namespace e2e
