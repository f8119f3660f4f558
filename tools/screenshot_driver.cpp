// Puts the settings dialogs of a Mountwick started with "/S" into the state the README
// shows and prints the rectangle to capture, "left top width height" (exit code 1: no window):
//   screenshot_driver settings   the settings dialog with its first Action selected
//   screenshot_driver extended   then the extended settings of that Action
//   screenshot_driver tip        Wine's tray with the tip of Mountwick's icon (no "/S" then)
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "resource.h"

static HWND WaitForDialogWith(int control) {
  for (int i = 0; i < 300; ++i, Sleep(100))
    for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "#32770", nullptr)) != nullptr;)
      if (IsWindowVisible(w) && GetDlgItem(w, control)) return w;
  return nullptr;
}

// The pointer rests on the icon in Wine's own tray window until the tip shows: the tray and the
// tip together.
static int ShowTip() {
  HWND tray = nullptr;
  for (int i = 0; i < 100 && !(tray = FindWindowA(nullptr, "Wine System Tray")); ++i) Sleep(100);
  HWND icon = tray ? GetWindow(tray, GW_CHILD) : nullptr;
  if (!icon) return std::fputs("screenshot_driver: no tray icon\n", stderr), 1;
  RECT r = {}, tip = {};
  GetWindowRect(icon, &r);
  // The icon's tip is the tool of a tooltip the tray window owns. Without a pointer that the
  // system moves it never shows here, so the tool is made a tracking one and shown below the icon.
  HWND shown = nullptr;
  for (HWND w = nullptr; !shown && (w = FindWindowExA(nullptr, w, "tooltips_class32", nullptr));)
    if (GetWindow(w, GW_OWNER) == tray) shown = w;
  DWORD id = 0;
  GetWindowThreadProcessId(shown, &id);
  HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, id);
  struct Remote {
    TTTOOLINFOW info;
    wchar_t text[128];
  };
  auto* remote = static_cast<Remote*>(
      VirtualAllocEx(process, nullptr, sizeof(Remote), MEM_COMMIT, PAGE_READWRITE));
  Remote local = {};
  local.info.cbSize = sizeof local.info;
  local.info.lpszText = remote ? remote->text : nullptr;
  if (!remote || !WriteProcessMemory(process, remote, &local, sizeof local, nullptr) ||
      !SendMessageW(shown, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&remote->info)) ||
      !ReadProcessMemory(process, remote, &local, sizeof local, nullptr))
    return std::fputs("screenshot_driver: the tip cannot be read\n", stderr), 1;
  local.info.uFlags |= TTF_TRACK | TTF_ABSOLUTE;
  local.info.lpszText = remote->text;
  WriteProcessMemory(process, remote, &local, sizeof local, nullptr);
  SendMessageW(shown, TTM_SETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&remote->info));
  SendMessageW(shown, TTM_TRACKPOSITION, 0, MAKELPARAM(r.left, r.bottom + 4));
  SendMessageW(shown, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&remote->info));
  for (int i = 0; i < 50 && !IsWindowVisible(shown); ++i) Sleep(100);
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  if (!IsWindowVisible(shown)) shown = nullptr;
  if (!shown) return std::fputs("screenshot_driver: the tip did not show\n", stderr), 1;
  Sleep(300);
  GetWindowRect(tray, &r);
  GetWindowRect(shown, &tip);
  UnionRect(&r, &r, &tip);
  // Whatever else lies there (the waiting program's console) moves aside.
  for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
    RECT other = {}, both = {};
    if (w != tray && w != shown && IsWindowVisible(w) && GetWindowRect(w, &other) &&
        IntersectRect(&both, &other, &r))
      SetWindowPos(w, nullptr, r.right + 40, r.bottom + 40, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  Sleep(500);
  std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
  return 0;
}

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "tip") == 0) return ShowTip();
  HWND shown = WaitForDialogWith(IDC_ACTION_LIST);
  HWND list = GetDlgItem(shown, IDC_ACTION_LIST);
  // A click on the first row, just below the list's header (LVM_GETHEADER).
  RECT header = {};
  GetClientRect(reinterpret_cast<HWND>(SendMessageA(list, 0x1000 + 31, 0, 0)), &header);
  PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, header.bottom + 6));
  PostMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(40, header.bottom + 6));
  char name[8] = {};
  for (int i = 0; i < 100 && shown && !GetDlgItemTextA(shown, IDE_NAME, name, 8); ++i) Sleep(100);
  if (shown && name[0] && argc > 1 && std::strcmp(argv[1], "extended") == 0) {
    SendMessageA(shown, WM_COMMAND, IDC_CHANGE, 0);
    PostMessageA(shown, WM_COMMAND, IDC_EXTENDED, 0);
    shown = WaitForDialogWith(IDE_RUN_WAIT);
  }
  if (!shown || !name[0])
    return std::fputs("screenshot_driver: no settings, or no first Action in them\n", stderr), 1;
  // Let the window finish painting before the picture is taken.
  RedrawWindow(shown, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  RECT r = {};
  GetWindowRect(shown, &r);
  std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
  return 0;
}
