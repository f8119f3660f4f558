#pragma once
// Drives the real Mountwick.exe: a fresh state per case, the program started
// in its own working directory, broadcasts and tray clicks sent as the system
// sends them, notices found by caption and answered. Every wait is bounded.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace e2e {

inline constexpr char kNoticeCaption[] = "Mountwickからの通知";
inline constexpr char kProductKey[] = "software\\Quillory\\Mountwick";
inline constexpr char kActionsKey[] = "software\\Quillory\\Mountwick\\1.0\\Actions";
inline constexpr UINT kTrayCallback = 0x8064;

std::string BinFolder();
// A new, empty folder under the temporary folder, named after name.
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
void WriteString(HKEY root, const std::string& path, const std::string& name,
                 const std::string& text);
void StoreActions(const std::vector<std::map<std::string, std::string>>& actions);
// The names of the values under path, in the registry's order; empty when the
// key is missing.
std::vector<std::string> ValueNames(HKEY root, const std::string& path);

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
// Types text into a control key by key (WM_CHAR), so that the control's own
// input rules, such as upper-casing, apply as they do for a user.
void TypeText(HWND control, const std::string& text);
// The window that has the keyboard focus in the thread that owns window.
HWND FocusedWindow(HWND window);

// The entries of a combo box of another process, in the ANSI code page.
std::vector<std::string> ComboBoxEntries(HWND combo);

// List views of another process: their item buffers have to live in that
// process, so these go through memory allocated there.
std::string ListViewText(HWND list, int row, int column);
// A left click in the middle of the row's first column, as the mouse sends it.
bool ClickListViewRow(HWND list, int row);

// Saves a picture of the screen as a BMP file under the artifacts folder.
void SaveScreenshot(const std::string& name);

// A case of its own: no Mountwick running, no settings, a fresh working
// folder, and the recording child's file named in the environment that the
// started program passes on.
class MountwickCase : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;  // keeps a screenshot, ends the program, removes the settings

  // An enabled Action that starts the recording child with arguments.
  std::map<std::string, std::string> Action(const std::string& name, const std::string& id,
                                            const std::string& arguments,
                                            const std::string& state = "0") const;

  std::string folder_;
  std::string record_;
  std::string child_;
  std::string screenshot_prefix_;
  Mountwick app_;
};

}  // namespace e2e
