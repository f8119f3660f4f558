#pragma once
// What the tray icon's tip says: the product, and while runs wait for their
// programs or their removal, how many and which has waited longest.
#include <cstddef>
#include <string>

#include "engine/waiting_runs.h"

namespace mw {

// The tip's buffer in the shell's structure, its NUL included.
inline constexpr std::size_t kTrayTipBufferSize = 128;

// Cut to the buffer, never inside a double-byte character.
std::string TrayTipText(const WaitingRuns::Summary& waiting);

}  // namespace mw
