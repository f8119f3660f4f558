#include "ui/device_picker.h"

#include "devices/device_enumeration.h"
#include "devices/generic_entries.h"
#include "ui/control_ids.h"

namespace mw {

std::vector<int> ShownDevices(const DeviceList& devices, bool all_known) {
  std::vector<int> shown;
  for (std::size_t i = 0; i < devices.size(); ++i)
    if (all_known || devices[i].Present) shown.push_back(static_cast<int>(i));
  return shown;
}

int EntryOfDevice(const DevicePicker& picker, int device) {
  for (std::size_t entry = 0; entry < picker.shown.size(); ++entry)
    if (picker.shown[entry] == device) return static_cast<int>(entry);
  return -1;
}

int DeviceOfEntry(const DevicePicker& picker, int entry) {
  if (entry < 0 || static_cast<std::size_t>(entry) >= picker.shown.size()) return -1;
  return picker.shown[static_cast<std::size_t>(entry)];
}

bool SetPickerMode(const Platform& platform, DevicePicker& picker, int option_id) {
  if (option_id == picker.mode) return false;
  picker.mode = option_id;
  const bool all_known = option_id == IDX_SHOW_ALL_KNOWN;
  EnumerateDevices(platform, picker.devices, all_known);
  picker.shown = ShownDevices(picker.devices, all_known);
  return true;
}

bool EjectAllowed(const DevicePicker& picker, int device) {
  if (device < 0 || static_cast<std::size_t>(device) >= picker.devices.size()) return false;
  const std::string& service = picker.devices[static_cast<std::size_t>(device)].Service;
  return service == kUsbStorageService || service == kUsbAttachedScsiService ||
         service == kGenericEntryService;
}

}  // namespace mw
