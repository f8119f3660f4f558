#pragma once
// Message boxes and the system's error texts.
#include <cstdint>
#include <string>

#include "platform/desktop_port.h"

namespace mw {

class UserNoticePort {
 public:
  using Window = DesktopPort::Window;

  virtual ~UserNoticePort() = default;
  // MessageBoxA; returns the button pressed (IDOK = 1, IDYES = 6, IDNO = 7).
  virtual int ShowMessageBox(Window owner, const std::string& text, const std::string& caption,
                             std::uint32_t style) = 0;
  // FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
  // language 0) into buffer (zeroed by the caller), size bytes offered.
  [[nodiscard]] virtual std::uint32_t FormatSystemMessage(std::uint32_t code, char* buffer,
                                                          std::uint32_t size) = 0;
};

namespace mb {
inline constexpr std::uint32_t kOk = 0x0;
inline constexpr std::uint32_t kYesNo = 0x4;
inline constexpr std::uint32_t kIconError = 0x10;
inline constexpr std::uint32_t kIconQuestion = 0x20;
inline constexpr std::uint32_t kIconInformation = 0x40;
inline constexpr std::uint32_t kDefaultButton2 = 0x100;
inline constexpr std::uint32_t kTopmost = 0x40000;
inline constexpr int kIdOk = 1;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;
}  // namespace mb

}  // namespace mw
