// Puts the settings dialogs of a Mountwick started with "/S" into the state the
// README shows and prints the screen rectangle to capture, "left top width height":
//   screenshot_driver settings   the settings dialog with its first Action selected
//   screenshot_driver extended   then the extended settings of that Action
// Exit code 1 when a window did not come.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "resource.h"

namespace {

HWND WaitForCaption(const char* caption) {
  for (int i = 0; i < 300; ++i, Sleep(100))
    if (HWND found = FindWindowA(nullptr, caption); found && IsWindowVisible(found)) return found;
  return nullptr;
}

int Fail(const char* what) {
  std::fprintf(stderr, "screenshot_driver: %s\n", what);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  HWND dialog = WaitForCaption("Mountwick Ver1.0 (Build102)  アクションの設定");
  if (!dialog) return Fail("the settings dialog did not open");
  // A click on the first row, just below the list's header (LVM_GETHEADER).
  HWND list = GetDlgItem(dialog, IDC_ACTION_LIST);
  RECT header = {};
  GetClientRect(reinterpret_cast<HWND>(SendMessageA(list, 0x1000 + 31, 0, 0)), &header);
  const LPARAM point = MAKELPARAM(40, header.bottom + 6);
  PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
  PostMessageA(list, WM_LBUTTONUP, 0, point);
  char name[8] = {};
  for (int i = 0; i < 100 && GetDlgItemTextA(dialog, IDE_NAME, name, sizeof name) == 0; ++i)
    Sleep(100);
  if (name[0] == '\0') return Fail("the first Action could not be selected");
  HWND shown = dialog;
  if (argc > 1 && std::strcmp(argv[1], "extended") == 0) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_CHANGE, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_CHANGE)));
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_EXTENDED, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_EXTENDED)));
    if (!(shown = WaitForCaption("Mountwick 拡張設定"))) return Fail("no extended settings");
  }
  // Let the window finish painting before the picture is taken.
  RedrawWindow(shown, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  RECT rect = {};
  GetWindowRect(shown, &rect);
  std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left,
              rect.bottom - rect.top);
  return 0;
}
