#pragma once
// Safe removal of an attached USB device.
#include <string>

#include "platform/platform.h"

namespace mw {

// Asks the configuration manager to remove the first attached device whose
// HardwareID equals hardware_id and returns its code (23 when vetoed). Returns
// 0 without a request when no attached device matches, and 0 after a notice
// when the device set cannot be opened.
int EjectDevice(const Platform& platform, const std::string& hardware_id);

}  // namespace mw
