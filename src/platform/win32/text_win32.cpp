#include <windows.h>

#include "platform/win32/win32_ports.h"

namespace mw::win32 {

void Win32Text::ToUpper(std::string& text) {
  if (!text.empty()) CharUpperBuffA(text.data(), static_cast<DWORD>(text.size()));
}

}  // namespace mw::win32
