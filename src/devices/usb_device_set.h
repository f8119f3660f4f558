#pragma once
// Opens the set of USB device interfaces that enumeration and ejection walk.
#include <cstdint>

#include "platform/platform.h"

namespace mw {

inline constexpr char kDeviceSetOpenFailedText[] =
    "Mountwickからのエラー通知：\nデバイス情報の取得に失敗しました。\n\n";

// On failure shows the system-error notice and leaves set empty.
[[nodiscard]] bool OpenUsbDevices(const Platform& platform, std::uint32_t flags,
                                  ScopedDeviceSet& set);

}  // namespace mw
