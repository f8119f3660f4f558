#include "app/tray_icon_win.h"

namespace mw {

TrayIcon::TrayIcon(HWND window, HINSTANCE instance, int icon_id) : window_(window) {
  icon_.Reset(static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(icon_id), IMAGE_ICON,
                                            GetSystemMetrics(SM_CXSMICON),
                                            GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR)));
}

NOTIFYICONDATAA TrayIcon::Data(UINT flags) const {
  NOTIFYICONDATAA data = {};
  data.cbSize = NOTIFYICONDATAA_V2_SIZE;
  data.hWnd = window_;
  data.uID = kTrayIconId;
  data.uFlags = flags;
  data.uCallbackMessage = kTrayCallbackMessage;
  data.hIcon = icon_.get();
  lstrcpynA(data.szTip, tip_.c_str(), sizeof data.szTip);
  return data;
}

bool TrayIcon::Add() {
  NOTIFYICONDATAA data = Data(NIF_MESSAGE | NIF_ICON | NIF_TIP);
  return Shell_NotifyIconA(NIM_ADD, &data) != FALSE;
}

void TrayIcon::SetTip(const std::string& tip) {
  if (tip == tip_) return;
  tip_ = tip;
  NOTIFYICONDATAA data = Data(NIF_TIP);
  Shell_NotifyIconA(NIM_MODIFY, &data);
}

void TrayIcon::Remove() {
  NOTIFYICONDATAA data = Data(0);
  Shell_NotifyIconA(NIM_DELETE, &data);
}

}  // namespace mw
