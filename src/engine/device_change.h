#pragma once
// What a WM_DEVICECHANGE broadcast asks of the dispatcher, decided from its
// wParam and the bytes of its broadcast record alone.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace mw {

enum class DeviceEvent {
  None,
  DeviceListChanged,
  VolumeArrived,
  MediaArrived,
  UsbDeviceArrived,
  UsbDeviceLeft
};

struct RoutedDeviceChange {
  DeviceEvent event = DeviceEvent::None;
  char letter = '\0';
  const char* ignored = nullptr;  // why a volume arrival starts nothing, for the log
  std::string instance = {};      // the device whose USB interface arrived or left
};

namespace dbt {
inline constexpr std::uintptr_t kDevNodesChanged = 0x0007;
inline constexpr std::uintptr_t kDeviceArrival = 0x8000;
inline constexpr std::uintptr_t kDeviceRemoveComplete = 0x8004;
inline constexpr std::uint32_t kDevTypVolume = 2;
inline constexpr std::uint32_t kDevTypDeviceInterface = 5;
inline constexpr std::uint16_t kFlagMedia = 0x0001;
inline constexpr std::uint16_t kFlagNet = 0x0002;
// dbch_size, dbch_devicetype, dbch_reserved; then dbcv_unitmask and dbcv_flags.
inline constexpr std::size_t kHeaderSize = 12;
inline constexpr std::size_t kVolumeFieldsEnd = 18;
// After the header: dbcc_classguid, then dbcc_name.
inline constexpr std::size_t kInterfaceNameOffset = 28;
}  // namespace dbt

// The letter of the lowest set bit among the 26 drive bits; NUL when none is set.
char DriveLetterFromMask(std::uint32_t unit_mask);

// The device instance a device interface's path names: "\\?\USB#VID_1&PID_2#9#{class}"
// names "USB\VID_1&PID_2\9". Empty when the path is not of that form.
std::string InstanceFromInterfacePath(std::string_view path);

// broadcast points at the record the system passed as lParam (may be null).
// The fields of a record are read only when the record's own size covers them.
RoutedDeviceChange RouteDeviceChange(std::uintptr_t wparam, const void* broadcast);

}  // namespace mw
