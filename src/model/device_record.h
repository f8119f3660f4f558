#pragma once
// One USB device as the setup interface reports it, and a snapshot of them.
// Records are plain values: nothing in them refers back into a device set.
#include <string>
#include <vector>

namespace mw {

struct DeviceRecord {
  std::string DisplayName;
  bool Present = false;  // the device has a device object right now
  std::string Details;   // "LABEL = value" lines joined by CR LF
  std::string DeviceDesc;
  std::string FriendlyName;
  std::string HardwareID;  // the identity of a device everywhere in the program
  std::string LocationInformation;
  std::string Mfg;
  std::string PhysicalDeviceObjectName;
  std::string Service;

  bool operator==(const DeviceRecord&) const = default;
};

// In enumeration order, one record per HardwareID, then the generic entries.
using DeviceList = std::vector<DeviceRecord>;

}  // namespace mw
