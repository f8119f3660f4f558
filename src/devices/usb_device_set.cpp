#include "devices/usb_device_set.h"

#include "notices/notices.h"

namespace mw {

bool OpenUsbDevices(const Platform& platform, std::uint32_t flags, ScopedDeviceSet& set) {
  std::uint32_t error = 0;
  if (platform.devices.OpenUsbDeviceSet(flags, set.receive(), &error)) return true;
  ShowSystemErrorNotice(platform, error, kDeviceSetOpenFailedText);
  return false;
}

}  // namespace mw
