#include "devices/device_enumeration.h"

#include "devices/device_property.h"
#include "devices/display_name.h"
#include "devices/generic_entries.h"
#include "devices/usb_device_set.h"

namespace mw {
namespace {

struct PropertySlot {
  std::uint32_t code;
  const char* label;
  std::string DeviceRecord::*field;
};

// Reading order is the order of the Details lines.
constexpr PropertySlot kRecordProperties[] = {
    {setup::kSpdrpHardwareId, "HARDWAREID", &DeviceRecord::HardwareID},
    {setup::kSpdrpFriendlyName, "FRIENDLYNAME", &DeviceRecord::FriendlyName},
    {setup::kSpdrpDeviceDesc, "DEVICEDESC", &DeviceRecord::DeviceDesc},
    {setup::kSpdrpMfg, "MFG", &DeviceRecord::Mfg},
    {setup::kSpdrpLocationInformation, "LOCATION_INFORMATION", &DeviceRecord::LocationInformation},
    {setup::kSpdrpService, "SERVICE", &DeviceRecord::Service},
    {setup::kSpdrpPhysicalDeviceObjectName, "PHYSICAL_DEVICE_OBJECT_NAME",
     &DeviceRecord::PhysicalDeviceObjectName},
};

DeviceRecord ReadRecord(DeviceSetupPort& port, DeviceSetupPort::DeviceSet set,
                        const DeviceElement& element) {
  DeviceRecord record;
  for (const PropertySlot& slot : kRecordProperties)
    ReadDeviceProperty(port, set, element, slot.code, record.*slot.field, slot.label, record);
  record.Present = !record.PhysicalDeviceObjectName.empty();
  record.DisplayName = ComposeDisplayName(record);
  return record;
}

}  // namespace

void EnumerateDevices(const Platform& platform, DeviceList& list, bool AllKnown) {
  list.clear();
  const std::uint32_t flags =
      AllKnown ? setup::kDigcfDeviceInterface : setup::kDigcfPresent | setup::kDigcfDeviceInterface;
  {
    ScopedDeviceSet set(platform.devices);
    if (!OpenUsbDevices(platform, flags, set)) return;
    DeviceElement element;
    for (std::uint32_t index = 0; platform.devices.EnumDevice(set.get(), index, &element);
         ++index) {
      DeviceRecord record = ReadRecord(platform.devices, set.get(), element);
      // Two devices of one model share their identifiers: the first one stands for both.
      if (FindDeviceByHardwareID(record.HardwareID, list) < 0) list.push_back(std::move(record));
    }
  }
  AddGenericVolumeEntry(list);
  AddGenericMediaEntry(list);
}

bool EnumerateAttachedDevices(const Platform& platform, AttachedDevices& devices,
                              const std::function<bool(const std::string&)>& wants_record,
                              bool* complete) {
  devices.clear();
  if (complete) *complete = true;
  ScopedDeviceSet set(platform.devices);
  if (!OpenUsbDevices(platform, setup::kDigcfPresent | setup::kDigcfDeviceInterface, set))
    return false;
  DeviceElement element;
  for (std::uint32_t index = 0; platform.devices.EnumDevice(set.get(), index, &element); ++index) {
    AttachedDevice device;
    std::uint32_t error = 0;
    if (!platform.devices.GetInstanceId(set.get(), element, &device.instance, &error)) {
      if (complete) *complete = false;
      continue;
    }
    if (wants_record(device.instance))
      device.record = ReadRecord(platform.devices, set.get(), element);
    devices.push_back(std::move(device));
  }
  return true;
}

bool ReadArrivedDevice(const Platform& platform, const std::string& instance,
                       AttachedDevice& device) {
  ScopedDeviceSet set(platform.devices);
  DeviceElement element;
  std::uint32_t error = 0;
  if (!platform.devices.CreateUsbDeviceSet(set.receive(), &error) ||
      !platform.devices.OpenDevice(set.get(), instance, &element))
    return false;
  device.record = ReadRecord(platform.devices, set.get(), element);
  if (!platform.devices.GetInstanceId(set.get(), element, &device.instance, &error))
    device.instance = instance;
  return true;
}

int FindDeviceByHardwareID(const std::string& hardware_id, const DeviceList& list) {
  for (std::size_t i = 0; i < list.size(); ++i)
    if (list[i].HardwareID == hardware_id) return static_cast<int>(i);
  return -1;
}

}  // namespace mw
