// The least a resident tray program can be: a window class, a hidden window,
// the common controls, one tray icon and a message loop. The benchmark sets
// Mountwick.exe's private bytes against this program's, built and linked the
// same way (static, windowed). The window is of class "MOUNTWICK_FLOOR".
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

namespace {

LRESULT CALLBACK FloorWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  if (message == WM_COMMAND && LOWORD(wparam) == 105) {
    DestroyWindow(window);
    return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSEXA window_class = {};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = FloorWindowProc;
  window_class.hInstance = instance;
  window_class.lpszClassName = "MOUNTWICK_FLOOR";
  RegisterClassExA(&window_class);
  HWND window = CreateWindowExA(0, "MOUNTWICK_FLOOR", "floor", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                0, CW_USEDEFAULT, 0, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;

  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  NOTIFYICONDATAA icon = {};
  icon.cbSize = NOTIFYICONDATAA_V2_SIZE;
  icon.hWnd = window;
  icon.uID = 1;
  icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  icon.uCallbackMessage = WM_APP + 100;
  icon.hIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));  // IDI_APPLICATION
  lstrcpynA(icon.szTip, "floor", sizeof icon.szTip);
  Shell_NotifyIconA(NIM_ADD, &icon);

  MSG message = {};
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  Shell_NotifyIconA(NIM_DELETE, &icon);
  return 0;
}
