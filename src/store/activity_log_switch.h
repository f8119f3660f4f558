#pragma once
// Whether the activity log is written: the value ActivityLog under the
// version key, "0" for off. Read once at start, and never with a notice,
// since the log must never bring one.
#include "platform/platform.h"

namespace mw {

inline constexpr char kActivityLogValueName[] = "ActivityLog";

[[nodiscard]] bool ActivityLogEnabled(const Platform& platform);

}  // namespace mw
