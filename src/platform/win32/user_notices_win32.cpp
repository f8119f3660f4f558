#include <windows.h>

#include "platform/win32/win32_ports.h"

namespace mw::win32 {

int Win32UserNotices::ShowMessageBox(Window owner, const std::string& text,
                                     const std::string& caption, std::uint32_t style) {
  return ::MessageBoxA(reinterpret_cast<HWND>(owner), text.c_str(), caption.c_str(), style);
}

std::uint32_t Win32UserNotices::FormatSystemMessage(std::uint32_t code, char* buffer,
                                                    std::uint32_t size) {
  // Without IGNORE_INSERTS a text with inserts would read arguments that are not there.
  return FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                        0, buffer, size, nullptr);
}

}  // namespace mw::win32
