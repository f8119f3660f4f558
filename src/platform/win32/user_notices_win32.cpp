#include <windows.h>

#include "platform/win32/win32_ports.h"

namespace mw::win32 {

int Win32UserNotices::ShowMessageBox(Window owner, const std::string& text,
                                     const std::string& caption, std::uint32_t style) {
  return ::MessageBoxA(reinterpret_cast<HWND>(owner), text.c_str(), caption.c_str(), style);
}

UserNoticePort::Window Win32UserNotices::DesktopWindow() {
  return reinterpret_cast<Window>(GetDesktopWindow());
}

UserNoticePort::Window Win32UserNotices::ForegroundWindow() {
  return reinterpret_cast<Window>(GetForegroundWindow());
}

std::string Win32UserNotices::WindowTitle(Window window, int buffer_size) {
  std::string title(static_cast<std::size_t>(buffer_size), '\0');
  const int length = GetWindowTextA(reinterpret_cast<HWND>(window), title.data(), buffer_size);
  title.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
  return title;
}

std::uint32_t Win32UserNotices::FormatSystemMessage(std::uint32_t code, char* buffer,
                                                    std::uint32_t size) {
  // Without IGNORE_INSERTS a text with inserts would read arguments that are not there.
  return FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                        0, buffer, size, nullptr);
}

}  // namespace mw::win32
