#pragma once
// The name a device goes by in the device picker.
#include <string>

#include "model/device_record.h"

namespace mw {

// FriendlyName, then DeviceDesc, Mfg and LocationInformation each joined with
// "/" unless the name built so far already contains it; trailing spaces removed.
std::string ComposeDisplayName(const DeviceRecord& record);

}  // namespace mw
