// Puts the settings dialogs of a running Mountwick into the state the README
// shows, and prints the screen rectangle to capture as "left top width height".
//   screenshot_driver settings   the settings dialog with its first Action selected
//   screenshot_driver extended   then the extended settings of that Action
// Mountwick must have been started with "/S". Exit code 1: a window did not
// come, or the dialog did not answer.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr char kSettingsCaption[] = "Mountwick Ver1.0 (Build102)  アクションの設定";
constexpr char kExtendedCaption[] = "Mountwick 拡張設定";
constexpr int kActionList = 1005;
constexpr int kChange = 1008;
constexpr int kName = 1009;
constexpr int kExtended = 1022;
constexpr UINT kListViewGetHeader = 0x1000 + 31;  // LVM_GETHEADER

HWND WaitForCaption(const char* caption, DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    HWND found = FindWindowA(nullptr, caption);
    if (found && IsWindowVisible(found)) return found;
    if (GetTickCount() - start >= timeout_ms) return nullptr;
    Sleep(100);
  }
}

bool Send(HWND window, UINT message, WPARAM wparam, LPARAM lparam, DWORD_PTR* result = nullptr) {
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutA(window, message, wparam, lparam, SMTO_NORMAL, 15000,
                             result ? result : &ignored) != 0;
}

std::string NameShown(HWND dialog) {
  char text[512] = {};
  Send(GetDlgItem(dialog, kName), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

// Clicks the first row of the list just below its header, as the mouse does.
bool SelectFirstAction(HWND dialog) {
  HWND list = GetDlgItem(dialog, kActionList);
  DWORD_PTR header = 0;
  if (!Send(list, kListViewGetHeader, 0, 0, &header)) return false;
  RECT header_rect = {};
  GetClientRect(reinterpret_cast<HWND>(header), &header_rect);
  const LPARAM point = MAKELPARAM(40, header_rect.bottom + 6);
  PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
  PostMessageA(list, WM_LBUTTONUP, 0, point);
  for (int i = 0; i < 100; ++i) {
    if (!NameShown(dialog).empty()) return true;
    Sleep(100);
  }
  return false;
}

int PrintRect(HWND window) {
  // Let the dialog finish painting before the picture is taken.
  Send(window, WM_NULL, 0, 0);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  RECT rect = {};
  GetWindowRect(window, &rect);
  std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left,
              rect.bottom - rect.top);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const bool extended = argc > 1 && std::strcmp(argv[1], "extended") == 0;
  HWND dialog = WaitForCaption(kSettingsCaption, 30000);
  if (!dialog) {
    std::fprintf(stderr, "screenshot_driver: the settings dialog did not open\n");
    return 1;
  }
  if (!SelectFirstAction(dialog)) {
    std::fprintf(stderr, "screenshot_driver: the first Action could not be selected\n");
    return 1;
  }
  if (!extended) return PrintRect(dialog);

  if (!Send(dialog, WM_COMMAND, MAKEWPARAM(kChange, BN_CLICKED),
            reinterpret_cast<LPARAM>(GetDlgItem(dialog, kChange))))
    return 1;
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(kExtended, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, kExtended)));
  HWND extended_dialog = WaitForCaption(kExtendedCaption, 10000);
  if (!extended_dialog) {
    std::fprintf(stderr, "screenshot_driver: the extended settings did not open\n");
    return 1;
  }
  return PrintRect(extended_dialog);
}
