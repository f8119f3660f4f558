#pragma once
// Safe removal of an attached USB device.
#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace mw {

// Asks the configuration manager to remove one attached device and returns its
// code (23 when vetoed): the device instance_id names when it is not empty
// (the one that arrived), else the first whose HardwareID equals hardware_id.
// Returns 0 without a request when no attached device matches, and 0 after a
// notice when the device set cannot be opened. *veto_type, when given,
// receives the kind of a refusal.
int EjectDevice(const Platform& platform, const std::string& hardware_id,
                const std::string& instance_id = {}, std::uint32_t* veto_type = nullptr);

// A refusal's kind (PNP_VETO_TYPE) in words, for the activity log.
const char* VetoTypeText(std::uint32_t veto_type);

}  // namespace mw
