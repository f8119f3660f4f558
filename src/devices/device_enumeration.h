#pragma once
// Snapshots of the USB devices the system knows.
#include <string>

#include "model/device_record.h"
#include "platform/platform.h"

namespace mw {

// The instance identifier of the device each record of a list stands for, by
// position; empty for the generic entries and where the system gave none.
using DeviceInstances = std::vector<std::string>;

// Replaces list with the attached USB devices (AllKnown false) or every one
// the system has installed (AllKnown true), then the two generic entries; and
// instances, when given, with their instance identifiers. When the device set
// cannot be opened the user gets a notice and list stays empty, without
// generic entries.
void EnumerateDevices(const Platform& platform, DeviceList& list, bool AllKnown,
                      DeviceInstances* instances = nullptr);

// Position of the first record with exactly this HardwareID, or -1.
int FindDeviceByHardwareID(const std::string& hardware_id, const DeviceList& list);

}  // namespace mw
