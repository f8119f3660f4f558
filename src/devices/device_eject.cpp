#include "devices/device_eject.h"

#include "devices/device_property.h"
#include "devices/usb_device_set.h"
#include "notices/activity_log.h"

namespace mw {

int EjectDevice(const Platform& platform, const std::string& hardware_id) {
  // Only attached devices, whichever picker mode the Action was made in.
  ScopedDeviceSet set(platform.devices);
  if (!OpenUsbDevices(platform, setup::kDigcfPresent | setup::kDigcfDeviceInterface, set)) {
    LogActivity(platform, "取り外し: デバイス情報を取得できませんでした");
    return 0;
  }
  DeviceElement element;
  for (std::uint32_t index = 0; platform.devices.EnumDevice(set.get(), index, &element); ++index) {
    DeviceRecord scratch;
    ReadDeviceProperty(platform.devices, set.get(), element, setup::kSpdrpHardwareId,
                       scratch.HardwareID, "HARDWAREID", scratch);
    if (scratch.HardwareID != hardware_id) continue;
    // One request per call, even when several devices share the identifier.
    return static_cast<int>(platform.devices.RequestDeviceEject(element.dev_inst));
  }
  LogActivity(platform, "取り外し: %s のデバイスはつながっていません", hardware_id);
  return 0;
}

}  // namespace mw
