#include "engine/device_change.h"

#include <algorithm>
#include <cstring>

#include "platform/device_setup_port.h"

namespace mw {

char DriveLetterFromMask(std::uint32_t unit_mask) {
  for (int drive = 0; drive < 26; ++drive) {
    if (unit_mask & (1u << drive)) return static_cast<char>('A' + drive);
  }
  return '\0';
}

std::string InstanceFromInterfacePath(std::string_view path) {
  constexpr std::string_view kPrefix = "\\\\?\\";
  if (!path.starts_with(kPrefix)) return {};
  path.remove_prefix(kPrefix.size());
  // The interface class closes the path; a reference string may follow it.
  const std::size_t class_start = path.rfind("#{");
  if (class_start == 0 || class_start == std::string_view::npos) return {};
  std::string instance(path.substr(0, class_start));
  std::replace(instance.begin(), instance.end(), '#', '\\');
  return instance;
}

namespace {

// A USB device interface record: the device it names, or nothing; as an arrival.
RoutedDeviceChange RouteInterfaceArrival(const unsigned char* bytes, std::uint32_t size) {
  if (size <= dbt::kInterfaceNameOffset ||
      std::memcmp(bytes + dbt::kHeaderSize, setup::kUsbDeviceInterfaceClass,
                  sizeof setup::kUsbDeviceInterfaceClass) != 0)
    return {};
  const std::string_view field(reinterpret_cast<const char*>(bytes + dbt::kInterfaceNameOffset),
                               size - dbt::kInterfaceNameOffset);
  std::string instance = InstanceFromInterfacePath(field.substr(0, field.find('\0')));
  if (instance.empty()) return {};
  return {DeviceEvent::UsbDeviceArrived, '\0', nullptr, std::move(instance)};
}

}  // namespace

RoutedDeviceChange RouteDeviceChange(std::uintptr_t wparam, const void* broadcast) {
  if (wparam == dbt::kDevNodesChanged) return {DeviceEvent::DeviceListChanged, '\0'};
  const bool arrival = wparam == dbt::kDeviceArrival;
  if (!arrival && wparam != dbt::kDeviceRemoveComplete) return {};
  if (broadcast == nullptr)
    return arrival ? RoutedDeviceChange{DeviceEvent::None, '\0', "データがありません"}
                   : RoutedDeviceChange{};

  const auto* bytes = static_cast<const unsigned char*>(broadcast);
  std::uint32_t size = 0;
  std::uint32_t device_type = 0;
  std::memcpy(&size, bytes, sizeof size);
  std::memcpy(&device_type, bytes + 4, sizeof device_type);
  if (device_type == dbt::kDevTypDeviceInterface) {
    RoutedDeviceChange routed = RouteInterfaceArrival(bytes, size);
    if (!arrival && routed.event == DeviceEvent::UsbDeviceArrived)
      routed.event = DeviceEvent::UsbDeviceLeft;
    return routed;
  }
  if (!arrival || device_type != dbt::kDevTypVolume) return {};
  if (size < dbt::kVolumeFieldsEnd) return {DeviceEvent::None, '\0', "データが短すぎます"};

  std::uint32_t unit_mask = 0;
  std::uint16_t flags = 0;
  std::memcpy(&unit_mask, bytes + 12, sizeof unit_mask);
  std::memcpy(&flags, bytes + 16, sizeof flags);
  if (flags & dbt::kFlagNet) return {DeviceEvent::None, '\0', "ネットワークドライブです"};
  const char letter = DriveLetterFromMask(unit_mask);
  if (letter == '\0') return {DeviceEvent::None, '\0', "ドライブ文字がありません"};
  return {(flags & dbt::kFlagMedia) ? DeviceEvent::MediaArrived : DeviceEvent::VolumeArrived,
          letter, nullptr};
}

}  // namespace mw
