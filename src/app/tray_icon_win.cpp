#include <windows.h>
#include <shellapi.h>

#include <cstring>

#include "app/application_win.h"

namespace mw {

bool NotifyTrayIcon(HWND window, DWORD operation, UINT id, HICON icon, const char* tip) {
  NOTIFYICONDATAA data = {};
  data.cbSize = NOTIFYICONDATAA_V2_SIZE;
  data.hWnd = window;
  data.uID = id;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = kTrayCallbackMessage;
  data.hIcon = icon;
  if (tip) lstrcpynA(data.szTip, tip, sizeof data.szTip);
  const bool done = Shell_NotifyIconA(operation, &data) != FALSE;
  if (icon) DestroyIcon(icon);
  return done;
}

}  // namespace mw
