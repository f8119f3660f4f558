#pragma once
// Drives the real Mountwick.exe: a fresh state per case, the program started
// in its own working directory, broadcasts and tray clicks sent as the system
// sends them, notices found by caption and answered. Every wait is bounded.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace e2e {

inline constexpr char kNoticeCaption[] = "Mountwickからの通知";
inline constexpr char kProductKey[] = "software\\Quillory\\Mountwick";
inline constexpr char kActionsKey[] = "software\\Quillory\\Mountwick\\1.0\\Actions";
inline constexpr UINT kTrayCallback = 0x8064;

std::string BinFolder();
std::string MakeWorkFolder(const std::string& name);
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);
// Polls until test() holds or timeout_ms passed.
template <class Test>
bool WaitUntil(Test test, DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (test()) return true;
    if (GetTickCount() - start >= timeout_ms) return false;
    Sleep(50);
  }
}

// Registry state.
void RemoveAllSettings();
bool KeyExists(HKEY root, const std::string& path);
std::string ReadString(HKEY root, const std::string& path, const std::string& name);
void WriteString(HKEY root, const std::string& path, const std::string& name, const std::string& text);
void StoreActions(const std::vector<std::map<std::string, std::string>>& actions);

// One started Mountwick.exe.
class Mountwick {
 public:
  Mountwick() = default;
  Mountwick(const Mountwick&) = delete;
  Mountwick& operator=(const Mountwick&) = delete;
  ~Mountwick();

  // Starts the program with arguments in folder; environment additions go to
  // the started programs too.
  bool Start(const std::string& arguments, const std::string& folder);
  // Waits for the hidden main window of class "MOUNTWICK".
  HWND WaitForMainWindow(DWORD timeout_ms = 20000);
  // Waits for the process to end; its exit code, or -1 on timeout.
  long WaitForExit(DWORD timeout_ms);
  void Quit();  // the tray menu's quit command
  void Kill();
  HANDLE process() const { return process_; }
  HWND window() const { return window_; }

 private:
  HANDLE process_ = nullptr;
  HWND window_ = nullptr;
};

// Kills any Mountwick left over from an earlier case.
void KillStrayInstances();

// Broadcasts as the system sends them.
bool SendVolumeArrival(HWND window, DWORD unit_mask, WORD flags);
bool SendDeviceNodesChanged(HWND window);
bool SendTray(HWND window, UINT mouse_message);

// Top-level windows of a process with a caption, the notices among them.
HWND WaitForWindow(DWORD process_id, const std::string& caption, DWORD timeout_ms);
std::vector<HWND> WindowsWithCaption(DWORD process_id, const std::string& caption);
// The text of a message box.
std::string MessageBoxText(HWND box);
// Presses a button of a dialog or message box by its id.
void PressButton(HWND dialog, int id);

// Saves a picture of the screen as a BMP file under the artifacts folder.
void SaveScreenshot(const std::string& name);

}  // namespace e2e
