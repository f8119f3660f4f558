#include "ui/device_tooltip_win.h"

#include <commctrl.h>

namespace mw {
namespace {

constexpr int kTipWidth = 480;  // wide enough for the details; CR LF breaks lines
constexpr RECT kToolRect = {0, 0, 480, 300};

}  // namespace

HWND CreateDeviceTooltip(HINSTANCE instance, HWND combo, const std::string& text) {
  HWND tooltip =
      CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
  if (!tooltip) return nullptr;
  TTTOOLINFOA tool = {};
  // A size every common-controls version takes, version 6 from our manifest
  // included: with a size the loaded version refuses TTM_ADDTOOLA fails and
  // the details never show.
  tool.cbSize = TTTOOLINFOA_V2_SIZE;
  tool.uFlags = TTF_SUBCLASS;
  tool.hwnd = combo;
  tool.uId = 0;
  tool.rect = kToolRect;
  tool.lpszText = const_cast<char*>(text.c_str());  // copied by the tooltip
  if (!SendMessageA(tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool))) {
    DestroyWindow(tooltip);
    return nullptr;
  }
  SendMessageA(tooltip, TTM_SETMAXTIPWIDTH, 0, kTipWidth);
  return tooltip;
}

}  // namespace mw
