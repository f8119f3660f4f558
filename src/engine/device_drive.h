#pragma once
// The drive of a USB device's run: a run whose command line names the new
// drive, or that checks its label or a path on it, waits for the first
// lettered volume of the device that arrived.
#include <cstdint>
#include <string>

#include "engine/drive_bell.h"
#include "engine/run.h"
#include "platform/platform.h"

namespace mw {

inline constexpr std::uint32_t kDeviceDriveWaitMilliseconds = 20000;
// The longest gap between two looks: a drive that comes without a broadcast
// is still found.
inline constexpr std::uint32_t kDeviceDriveLookMilliseconds = 500;

bool NeedsDeviceDrive(const Run& run);

// The lowest letter of a drive the device instance holds, looked for at once,
// again at every ring of bell (may be null) and at least every half second,
// for at most 20 seconds; NUL when none appeared.
char AwaitDeviceDrive(const Platform& platform, DriveBell* bell, const std::string& instance);

}  // namespace mw
