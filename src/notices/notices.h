#pragma once
// Every failure the user must know of reaches them as a notice: a message box
// with the program's caption, an OK button and the error icon.
#include <cstdint>
#include <string>
#include <string_view>

#include "notices/bounded_format.h"
#include "platform/platform.h"

namespace mw {

inline constexpr char kNoticeCaption[] = "Mountwickからの通知";
// The first line of a notice that reports a failed system call.
inline constexpr char kErrorNoticeHeading[] = "Mountwickからのエラー通知：\n";
inline constexpr std::size_t kNoticeBufferSize = 1024;
inline constexpr std::size_t kSystemTextBufferSize = 256;

// The window a notice belongs to: the foreground window when it is one of the
// program's own (its title begins with the product name), otherwise none.
DesktopPort::Window NoticeOwner(DesktopPort& desktop);

// Shows a finished text, cut to what the notice buffer holds.
void ShowNoticeText(const Platform& platform, std::string text);

// "\nSysErr(<code>) <the system's text for code>".
std::string SystemErrorLine(UserNoticePort& port, std::uint32_t code);

// User text is only ever an argument here, never the format.
template <class... Args>
void ShowNotice(const Platform& platform, std::string_view format, const Args&... args) {
  ShowNoticeText(platform, FormatBounded(format, {FormatArg(args)...}, kNoticeBufferSize));
}

template <class... Args>
void ShowSystemErrorNotice(const Platform& platform, std::uint32_t code, std::string_view format,
                           const Args&... args) {
  std::string text = FormatBounded(format, {FormatArg(args)...}, kNoticeBufferSize);
  text += SystemErrorLine(platform.notices, code);
  ShowNoticeText(platform, std::move(text));
}

}  // namespace mw
