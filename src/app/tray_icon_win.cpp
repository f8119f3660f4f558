#include "app/tray_icon_win.h"

namespace mw {

TrayIcon::TrayIcon(HWND window, HINSTANCE instance, int icon_id)
    : window_(window), instance_(instance), icon_id_(icon_id) {}

void TrayIcon::LoadAtSmallSize() {
  const SIZE size = {GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON)};
  if (icon_ && size.cx == loaded_.cx && size.cy == loaded_.cy) return;
  icon_.Reset(static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(icon_id_), IMAGE_ICON,
                                            size.cx, size.cy, LR_DEFAULTCOLOR)));
  loaded_ = size;
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
  LoadAtSmallSize();
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
