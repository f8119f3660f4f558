#pragma once
// Fake USB devices for a throw-away Wine prefix: device elements with the USB
// device interface, which SetupDiGetClassDevsA then lists. Shared by the device
// tool, the adapter tests, the end-to-end suite and the Wine benchmarks.
#include <windows.h>
#include <setupapi.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace mw::fakeusb {

// GUID_DEVINTERFACE_USB_DEVICE, both the class of the set and the interface.
inline constexpr GUID kUsbDeviceInterface = {
    0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};

// An unset property is one the device lacks; an empty text holds "".
using Property = std::optional<std::string>;
struct FakeUsbDevice {
  std::string instance_id;                // e.g. "ROOT\\MWTEST\\0000"
  std::vector<std::string> hardware_ids;  // REG_MULTI_SZ; none leaves it unset
  Property friendly_name = {}, device_desc = {}, mfg = {}, service = {}, location = {};
};

// ERROR_SUCCESS, or the last error of the call named by step.
struct Outcome {
  DWORD error = ERROR_SUCCESS;
  const char* step = "";
  bool ok() const { return error == ERROR_SUCCESS; }
};

inline Outcome Failed(const char* step) {
  const DWORD error = GetLastError();  // a call that fails without saying why still failed
  return Outcome{error ? error : static_cast<DWORD>(ERROR_GEN_FAILURE), step};
}

using DeviceSet = std::unique_ptr<void, decltype(&SetupDiDestroyDeviceInfoList)>;

inline DeviceSet NewSet() {
  HDEVINFO set = SetupDiCreateDeviceInfoList(&kUsbDeviceInterface, nullptr);
  return {set == INVALID_HANDLE_VALUE ? nullptr : set, &SetupDiDestroyDeviceInfoList};
}

// Creates and registers the device with the properties it names and the USB
// device interface. Fails with ERROR_DEVINST_ALREADY_EXISTS when the instance
// id is taken; a device that failed half-way is not left behind.
inline Outcome InstallFakeUsbDevice(const FakeUsbDevice& device) {
  const DeviceSet set = NewSet();
  if (!set) return Failed("SetupDiCreateDeviceInfoList");
  SP_DEVINFO_DATA element{sizeof element, {}, 0, 0};
  if (!SetupDiCreateDeviceInfoA(set.get(), device.instance_id.c_str(), &kUsbDeviceInterface,
                                nullptr, nullptr, 0, &element))
    return Failed("SetupDiCreateDeviceInfoA");
  // Each id with its NUL; the NUL after the last one ends the list.
  Property ids;
  for (const std::string& id : device.hardware_ids) ids = ids.value_or("") + id + '\0';
  const std::pair<DWORD, const Property&> properties[] = {
      {SPDRP_HARDWAREID, ids},
      {SPDRP_FRIENDLYNAME, device.friendly_name},
      {SPDRP_DEVICEDESC, device.device_desc},
      {SPDRP_MFG, device.mfg},
      {SPDRP_SERVICE, device.service},
      {SPDRP_LOCATION_INFORMATION, device.location}};
  Outcome outcome;
  for (const auto& [code, text] : properties)
    if (outcome.ok() && text &&
        !SetupDiSetDeviceRegistryPropertyA(set.get(), &element, code,
                                           reinterpret_cast<const BYTE*>(text->c_str()),
                                           static_cast<DWORD>(text->size() + 1)))
      outcome = Failed("SetupDiSetDeviceRegistryPropertyA");
  if (outcome.ok() && !SetupDiRegisterDeviceInfo(set.get(), &element, 0, nullptr, nullptr, nullptr))
    outcome = Failed("SetupDiRegisterDeviceInfo");
  if (outcome.ok() && !SetupDiCreateDeviceInterfaceA(set.get(), &element, &kUsbDeviceInterface,
                                                     nullptr, 0, nullptr))
    outcome = Failed("SetupDiCreateDeviceInterfaceA");
  if (!outcome.ok()) SetupDiRemoveDevice(set.get(), &element);  // it has its registry key
  return outcome;
}

// Removes the device's USB interfaces and the device itself, so that neither
// the present nor the all-known enumeration lists it any more.
inline Outcome RemoveFakeUsbDevice(const std::string& instance_id) {
  const DeviceSet set = NewSet();
  if (!set) return Failed("SetupDiCreateDeviceInfoList");
  SP_DEVINFO_DATA element{sizeof element, {}, 0, 0};
  if (!SetupDiOpenDeviceInfoA(set.get(), instance_id.c_str(), nullptr, 0, &element))
    return Failed("SetupDiOpenDeviceInfoA");
  // All of them first: removing one while listing would shift the indexes.
  std::vector<SP_DEVICE_INTERFACE_DATA> interfaces;
  for (SP_DEVICE_INTERFACE_DATA data{sizeof data, {}, 0, 0};
       SetupDiEnumDeviceInterfaces(set.get(), &element, &kUsbDeviceInterface,
                                   static_cast<DWORD>(interfaces.size()), &data);)
    interfaces.push_back(data);
  for (SP_DEVICE_INTERFACE_DATA& each : interfaces)
    if (!SetupDiRemoveDeviceInterface(set.get(), &each))
      return Failed("SetupDiRemoveDeviceInterface");
  return SetupDiRemoveDevice(set.get(), &element) ? Outcome{} : Failed("SetupDiRemoveDevice");
}

// Installs the device after removing one that an aborted run left under its instance id.
inline Outcome PlugFakeUsbDevice(const FakeUsbDevice& device) {
  RemoveFakeUsbDevice(device.instance_id);
  return InstallFakeUsbDevice(device);
}

}  // namespace mw::fakeusb
