#include <windows.h>

#include "platform/win32/win32_ports.h"

namespace mw::win32 {

DesktopPort::Window Win32Desktop::DesktopWindow() {
  return reinterpret_cast<Window>(GetDesktopWindow());
}

DesktopPort::Window Win32Desktop::ForegroundWindow() {
  return reinterpret_cast<Window>(GetForegroundWindow());
}

std::string Win32Desktop::WindowTitle(Window window, int buffer_size) {
  std::string title(static_cast<std::size_t>(buffer_size), '\0');
  const int length = GetWindowTextA(reinterpret_cast<HWND>(window), title.data(), buffer_size);
  title.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
  return title;
}

void Win32Desktop::ToUpper(std::string& text) {
  if (!text.empty()) CharUpperBuffA(text.data(), static_cast<DWORD>(text.size()));
}

}  // namespace mw::win32
