#pragma once
// The program's icon in the notification area, with one owner: it adds the
// icon at start and again when the taskbar comes back, changes its tip,
// removes it, and destroys only the icon it loaded itself.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "model/product.h"
#include "platform/scoped_handle.h"

namespace mw {

inline constexpr UINT kTrayCallbackMessage = WM_APP + 100;  // 0x8064
inline constexpr UINT kTrayIconId = 1;

struct IconTraits {
  using Handle = HICON;
  static inline const HICON kInvalid = nullptr;
  void Close(HICON icon) { DestroyIcon(icon); }
};

class TrayIcon {
 public:
  // The icon is loaded at the system's small-icon size, so that it is not
  // scaled from another size.
  TrayIcon(HWND window, HINSTANCE instance, int icon_id);

  // NIM_ADD with the current tip: at start and after "TaskbarCreated", with
  // the icon loaded again when the small-icon size has changed meanwhile.
  bool Add();
  // NIM_MODIFY of the tip alone; kept for the next Add.
  void SetTip(const std::string& tip);
  void Remove();

 private:
  NOTIFYICONDATAA Data(UINT flags) const;
  void LoadAtSmallSize();

  HWND window_;
  HINSTANCE instance_;
  int icon_id_;
  SIZE loaded_ = {};
  ScopedHandle<IconTraits> icon_;
  std::string tip_ = kTrayTip;
};

}  // namespace mw
