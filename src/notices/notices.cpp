#include "notices/notices.h"

#include <cstring>

#include "model/product.h"

namespace mw {

DesktopPort::Window NoticeOwner(DesktopPort& desktop) {
  const DesktopPort::Window foreground = desktop.ForegroundWindow();
  if (foreground == 0) return 0;
  // Leading characters only, so that "Mountwick 拡張設定" and the settings
  // dialog's caption qualify as well as the about box.
  const std::string title = desktop.WindowTitle(foreground, 256);
  return title.compare(0, std::strlen(kProductName), kProductName) == 0 ? foreground : 0;
}

void ShowNoticeText(const Platform& platform, std::string text) {
  CutAtCharacterBoundary(text, kNoticeBufferSize - 1);
  platform.notices.ShowMessageBox(NoticeOwner(platform.desktop), text, kNoticeCaption,
                                  mb::kOk | mb::kIconError);
}

std::string SystemErrorLine(UserNoticePort& port, std::uint32_t code) {
  char system_text[kSystemTextBufferSize] = {};
  // An unknown code leaves the zeroed buffer: the line then ends after the code.
  (void)port.FormatSystemMessage(code, system_text, kSystemTextBufferSize - 1);
  system_text[kSystemTextBufferSize - 1] = '\0';
  return FormatBounded("\nSysErr(%d) %s",
                       {FormatArg(static_cast<int>(code)), FormatArg(system_text)},
                       kNoticeBufferSize);
}

}  // namespace mw
