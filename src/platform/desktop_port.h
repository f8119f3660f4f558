#pragma once
// The desktop as the window manager shows it: its windows and their titles,
// and the letter case of the ANSI code page, one call per method.
#include <cstdint>
#include <string>

namespace mw {

class DesktopPort {
 public:
  using Window = std::uintptr_t;  // opaque HWND; 0 is none

  virtual ~DesktopPort() = default;
  // GetDesktopWindow.
  virtual Window DesktopWindow() = 0;
  // GetForegroundWindow.
  virtual Window ForegroundWindow() = 0;
  // GetWindowTextA with a buffer of buffer_size bytes.
  virtual std::string WindowTitle(Window window, int buffer_size) = 0;
  // CharUpperA in place. Keeps the byte length and the byte positions.
  virtual void ToUpper(std::string& text) = 0;
};

}  // namespace mw
