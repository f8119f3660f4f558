// Puts the settings dialogs of a Mountwick started with "/S" into the state the README
// shows and prints the rectangle to capture, "left top width height" (exit code 1: no window):
//   screenshot_driver settings   the settings dialog with its first Action selected
//   screenshot_driver extended   then the extended settings of that Action
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "resource.h"

static HWND WaitForDialogWith(int control) {
  for (int i = 0; i < 300; ++i, Sleep(100))
    for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "#32770", nullptr)) != nullptr;)
      if (IsWindowVisible(w) && GetDlgItem(w, control)) return w;
  return nullptr;
}

int main(int argc, char** argv) {
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
