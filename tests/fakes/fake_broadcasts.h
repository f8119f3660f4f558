#pragma once
// Device-change records as the system lays them out (little-endian).
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/device_setup_port.h"

namespace mw::fake {

// DEV_BROADCAST_VOLUME: size, type, reserved, unit mask, then the 16-bit
// flags and padding.
inline std::vector<unsigned char> VolumeRecord(std::uint32_t mask, std::uint32_t flags = 0,
                                               std::uint32_t size = 20, std::uint32_t type = 2) {
  const std::uint32_t fields[] = {size, type, 0, mask, flags};
  std::vector<unsigned char> bytes(sizeof fields);
  return std::memcpy(bytes.data(), fields, sizeof fields), bytes;
}

// DEV_BROADCAST_DEVICEINTERFACE_A of the USB device class (or another) for path.
inline std::vector<unsigned char> InterfaceRecord(const std::string& path, bool usb = true) {
  std::vector<unsigned char> bytes(28 + path.size() + 1);
  const std::uint32_t header[] = {static_cast<std::uint32_t>(bytes.size()), 5, 0};
  std::memcpy(bytes.data(), header, sizeof header);
  std::memcpy(bytes.data() + 12, setup::kUsbDeviceInterfaceClass, 16);
  bytes[12] ^= usb ? 0 : 1;
  return std::memcpy(bytes.data() + 28, path.c_str(), path.size()), bytes;
}

// The path of instance's USB device interface, spelt as the system spells it.
inline std::string UsbInterfacePath(std::string instance) {
  for (char& c : instance) c = c == '\\' ? '#' : (c >= 'A' && c <= 'Z') ? char(c + 32) : c;
  return "\\\\?\\" + instance + "#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
}

}  // namespace mw::fake
