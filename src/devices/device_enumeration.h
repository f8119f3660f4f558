#pragma once
// Snapshots of the USB devices the system knows.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/device_record.h"
#include "platform/platform.h"

namespace mw {

// Replaces list with the attached USB devices (AllKnown false) or every one
// the system has installed (AllKnown true), then the two generic entries.
// When the device set cannot be opened the user gets a notice and list stays
// empty, without generic entries.
void EnumerateDevices(const Platform& platform, DeviceList& list, bool AllKnown);

// One attached USB device as a change of the device list compares it.
struct AttachedDevice {
  std::string instance;                // its instance identifier as the system spells it
  std::optional<DeviceRecord> record;  // only for a device whose record was asked for
};
using AttachedDevices = std::vector<AttachedDevice>;

// The attached USB devices, each by its instance identifier alone (one of
// whose identifier cannot be read is left out: nothing would tell it from a
// twin, and complete, when given, is set false); a device for which
// wants_record(instance) holds also gets its full record. False, after the
// same notice as EnumerateDevices, when the device set cannot be opened.
bool EnumerateAttachedDevices(const Platform& platform, AttachedDevices& devices,
                              const std::function<bool(const std::string&)>& wants_record,
                              bool* complete = nullptr);

// The USB device of this instance read in full, its instance spelled as the
// system keeps it. False when the system does not know the device (any more);
// no notice, the next list tells.
bool ReadArrivedDevice(const Platform& platform, const std::string& instance,
                       AttachedDevice& device);

// Position of the first record with exactly this HardwareID, or -1.
int FindDeviceByHardwareID(const std::string& hardware_id, const DeviceList& list);

}  // namespace mw
