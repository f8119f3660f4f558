#pragma once
// Fake USB devices for tests: installs a device element with the USB device
// interface through the setup interface, so that SetupDiGetClassDevsA with
// GUID_DEVINTERFACE_USB_DEVICE lists it, and removes it again. Header-only so
// the device tool, the adapter tests and the end-to-end suite share one way of
// doing it. Meant for a throw-away Wine prefix, never a real system.
#include <windows.h>
#include <setupapi.h>

#include <optional>
#include <string>
#include <vector>

namespace mw::fakeusb {

// GUID_DEVINTERFACE_USB_DEVICE, both the class of the set and the interface.
inline constexpr GUID kUsbDeviceInterface = {
    0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};

// A property left unset is one the device does not have at all; an empty
// text is a property that holds an empty string.
struct FakeUsbDevice {
  std::string instance_id;                // e.g. "ROOT\\MWTEST\\0000"
  std::vector<std::string> hardware_ids;  // REG_MULTI_SZ; none leaves it unset
  std::optional<std::string> friendly_name;
  std::optional<std::string> device_desc;
  std::optional<std::string> mfg;
  std::optional<std::string> service;
  std::optional<std::string> location;
};

// ERROR_SUCCESS, or the last error of the call named by step.
struct Outcome {
  DWORD error = ERROR_SUCCESS;
  const char* step = "";
  bool ok() const { return error == ERROR_SUCCESS; }
};

namespace detail {

class DeviceInfoList {
 public:
  DeviceInfoList() : set_(SetupDiCreateDeviceInfoList(&kUsbDeviceInterface, nullptr)) {}
  DeviceInfoList(const DeviceInfoList&) = delete;
  DeviceInfoList& operator=(const DeviceInfoList&) = delete;
  ~DeviceInfoList() {
    if (valid()) {
      const DWORD error = GetLastError();
      SetupDiDestroyDeviceInfoList(set_);
      SetLastError(error);
    }
  }
  bool valid() const { return set_ != INVALID_HANDLE_VALUE; }
  HDEVINFO get() const { return set_; }

 private:
  HDEVINFO set_;
};

inline Outcome Failed(const char* step) {
  DWORD error = GetLastError();
  // A call that fails without saying why must still read as a failure.
  if (error == ERROR_SUCCESS) error = ERROR_GEN_FAILURE;
  return Outcome{error, step};
}

// Each string with its NUL, then the empty string that ends the list.
inline std::string MultiString(const std::vector<std::string>& strings) {
  std::string data;
  for (const std::string& s : strings) data.append(s.c_str(), s.size() + 1);
  data.push_back('\0');
  return data;
}

inline bool SetProperty(HDEVINFO set, SP_DEVINFO_DATA* element, DWORD property,
                        const std::string& data) {
  return SetupDiSetDeviceRegistryPropertyA(set, element, property,
                                           reinterpret_cast<const BYTE*>(data.data()),
                                           static_cast<DWORD>(data.size())) != FALSE;
}

}  // namespace detail

// Creates and registers the device, sets the properties it names and gives it
// the USB device interface. Fails with ERROR_DEVINST_ALREADY_EXISTS when the
// instance id is taken; a device that failed half-way is not left behind.
inline Outcome InstallFakeUsbDevice(const FakeUsbDevice& device) {
  detail::DeviceInfoList list;
  if (!list.valid()) return detail::Failed("SetupDiCreateDeviceInfoList");
  SP_DEVINFO_DATA element = {};
  element.cbSize = sizeof element;
  if (!SetupDiCreateDeviceInfoA(list.get(), device.instance_id.c_str(), &kUsbDeviceInterface,
                                nullptr, nullptr, 0, &element))
    return detail::Failed("SetupDiCreateDeviceInfoA");

  struct Property {
    DWORD code;
    const std::optional<std::string>& text;
  };
  const Property texts[] = {{SPDRP_FRIENDLYNAME, device.friendly_name},
                            {SPDRP_DEVICEDESC, device.device_desc},
                            {SPDRP_MFG, device.mfg},
                            {SPDRP_SERVICE, device.service},
                            {SPDRP_LOCATION_INFORMATION, device.location}};
  Outcome outcome;
  if (!device.hardware_ids.empty() &&
      !detail::SetProperty(list.get(), &element, SPDRP_HARDWAREID,
                           detail::MultiString(device.hardware_ids)))
    outcome = detail::Failed("SetupDiSetDeviceRegistryPropertyA(HARDWAREID)");
  for (const Property& property : texts) {
    if (!outcome.ok() || !property.text) continue;
    const std::string& text = *property.text;
    if (!detail::SetProperty(list.get(), &element, property.code,
                             std::string(text.c_str(), text.size() + 1)))
      outcome = detail::Failed("SetupDiSetDeviceRegistryPropertyA");
  }
  if (outcome.ok() &&
      !SetupDiRegisterDeviceInfo(list.get(), &element, 0, nullptr, nullptr, nullptr))
    outcome = detail::Failed("SetupDiRegisterDeviceInfo");
  SP_DEVICE_INTERFACE_DATA interface_data = {};
  interface_data.cbSize = sizeof interface_data;
  if (outcome.ok() && !SetupDiCreateDeviceInterfaceA(list.get(), &element, &kUsbDeviceInterface,
                                                     nullptr, 0, &interface_data))
    outcome = detail::Failed("SetupDiCreateDeviceInterfaceA");
  if (!outcome.ok()) {
    // The element already has its registry key; take it away with the set.
    const DWORD error = GetLastError();
    SetupDiRemoveDevice(list.get(), &element);
    SetLastError(error);
  }
  return outcome;
}

// Removes the device's USB interfaces and the device itself, so that neither
// the present nor the all-known enumeration lists it any more.
inline Outcome RemoveFakeUsbDevice(const std::string& instance_id) {
  detail::DeviceInfoList list;
  if (!list.valid()) return detail::Failed("SetupDiCreateDeviceInfoList");
  SP_DEVINFO_DATA element = {};
  element.cbSize = sizeof element;
  if (!SetupDiOpenDeviceInfoA(list.get(), instance_id.c_str(), nullptr, 0, &element))
    return detail::Failed("SetupDiOpenDeviceInfoA");
  std::vector<SP_DEVICE_INTERFACE_DATA> interfaces;
  SP_DEVICE_INTERFACE_DATA interface_data = {};
  interface_data.cbSize = sizeof interface_data;
  for (DWORD index = 0; SetupDiEnumDeviceInterfaces(list.get(), &element, &kUsbDeviceInterface,
                                                    index, &interface_data);
       ++index)
    interfaces.push_back(interface_data);
  for (SP_DEVICE_INTERFACE_DATA& each : interfaces) {
    if (!SetupDiRemoveDeviceInterface(list.get(), &each))
      return detail::Failed("SetupDiRemoveDeviceInterface");
  }
  if (!SetupDiRemoveDevice(list.get(), &element)) return detail::Failed("SetupDiRemoveDevice");
  return Outcome{};
}

}  // namespace mw::fakeusb
