#include <windows.h>
#include <cfgmgr32.h>
#include <setupapi.h>

#include <cstring>
#include <vector>

#include "platform/win32/usb_interface.h"
#include "platform/win32/win32_ports.h"

namespace mw::win32 {
namespace {
static_assert(sizeof(SP_DEVINFO_DATA) <= sizeof(DeviceElement::data));
const GUID kUsbDeviceInterface = UsbDeviceInterfaceClass();
const GUID kDiskInterface = [] {
  GUID guid;
  std::memcpy(&guid, setup::kDiskInterfaceClass, sizeof guid);
  return guid;
}();

HDEVINFO AsSet(DeviceSetupPort::DeviceSet set) {
  return reinterpret_cast<HDEVINFO>(set);
}

bool TakeSet(HDEVINFO opened, DeviceSetupPort::DeviceSet* set, std::uint32_t* last_error) {
  if (opened == INVALID_HANDLE_VALUE) {
    *last_error = GetLastError();
    return false;
  }
  *set = reinterpret_cast<DeviceSetupPort::DeviceSet>(opened);
  return true;
}

void TakeElement(const SP_DEVINFO_DATA& data, DeviceElement* element) {
  std::memcpy(element->data, &data, sizeof data);
  element->dev_inst = data.DevInst;
}
}  // namespace

bool Win32DeviceSetup::OpenUsbDeviceSet(std::uint32_t flags, DeviceSet* set,
                                        std::uint32_t* last_error) {
  return TakeSet(SetupDiGetClassDevsA(&kUsbDeviceInterface, nullptr, nullptr, flags), set,
                 last_error);
}

bool Win32DeviceSetup::CreateUsbDeviceSet(DeviceSet* set, std::uint32_t* last_error) {
  return TakeSet(SetupDiCreateDeviceInfoList(&kUsbDeviceInterface, nullptr), set, last_error);
}

bool Win32DeviceSetup::OpenDevice(DeviceSet set, const std::string& instance_id,
                                  DeviceElement* element) {
  SP_DEVINFO_DATA data = {};
  data.cbSize = sizeof data;
  if (!SetupDiOpenDeviceInfoA(AsSet(set), instance_id.c_str(), nullptr, 0, &data)) return false;
  TakeElement(data, element);
  return true;
}

bool Win32DeviceSetup::EnumDevice(DeviceSet set, std::uint32_t index, DeviceElement* element) {
  SP_DEVINFO_DATA data = {};
  data.cbSize = sizeof data;
  if (!SetupDiEnumDeviceInfo(AsSet(set), index, &data)) return false;
  TakeElement(data, element);
  return true;
}

bool Win32DeviceSetup::GetProperty(DeviceSet set, const DeviceElement& element,
                                   std::uint32_t property, unsigned char* buffer,
                                   std::uint32_t size, std::uint32_t* required,
                                   std::uint32_t* last_error) {
  SP_DEVINFO_DATA data;
  std::memcpy(&data, element.data, sizeof data);
  DWORD type = 0;
  DWORD needed = 0;
  // The system leaves the last error alone for a property it does not know;
  // start from a known value so that no stale code is taken for its answer.
  SetLastError(ERROR_SUCCESS);
  const BOOL ok =
      SetupDiGetDeviceRegistryPropertyA(AsSet(set), &data, property, &type, buffer, size, &needed);
  *last_error = ok ? ERROR_SUCCESS : GetLastError();
  if (required) *required = needed;
  return ok != FALSE;
}

bool Win32DeviceSetup::GetInstanceId(DeviceSet set, const DeviceElement& element,
                                     std::string* instance_id, std::uint32_t* last_error) {
  SP_DEVINFO_DATA data;
  std::memcpy(&data, element.data, sizeof data);
  char buffer[MAX_DEVICE_ID_LEN + 1] = {};
  if (!SetupDiGetDeviceInstanceIdA(AsSet(set), &data, buffer, sizeof buffer, nullptr)) {
    *last_error = GetLastError();
    return false;
  }
  instance_id->assign(buffer);
  return true;
}

void Win32DeviceSetup::DestroyDeviceSet(DeviceSet set) {
  SetupDiDestroyDeviceInfoList(AsSet(set));
}

bool Win32DeviceSetup::OpenDiskInterfaceSet(DeviceSet* set, std::uint32_t* last_error) {
  return TakeSet(SetupDiGetClassDevsA(&kDiskInterface, nullptr, nullptr,
                                      DIGCF_PRESENT | DIGCF_DEVICEINTERFACE),
                 set, last_error);
}

bool Win32DeviceSetup::EnumDiskInterface(DeviceSet set, std::uint32_t index, std::string* path,
                                         DeviceElement* element) {
  path->clear();
  SP_DEVICE_INTERFACE_DATA entry = {};
  entry.cbSize = sizeof entry;
  if (!SetupDiEnumDeviceInterfaces(AsSet(set), nullptr, &kDiskInterface, index, &entry))
    return false;
  DWORD required = 0;
  SetupDiGetDeviceInterfaceDetailA(AsSet(set), &entry, nullptr, 0, &required, nullptr);
  if (required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) return false;
  // DWORDs, so that the detail record is aligned; its cbSize is that of the fixed part.
  std::vector<DWORD> buffer(required / sizeof(DWORD) + 1);
  auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(buffer.data());
  detail->cbSize = sizeof *detail;
  SP_DEVINFO_DATA data = {};
  data.cbSize = sizeof data;
  if (!SetupDiGetDeviceInterfaceDetailA(AsSet(set), &entry, detail, required, nullptr, &data))
    return false;
  path->assign(detail->DevicePath);
  TakeElement(data, element);
  return true;
}

std::uint32_t Win32DeviceSetup::GetParent(std::uint32_t dev_inst, std::uint32_t* parent) {
  DEVINST found = 0;
  const CONFIGRET result = CM_Get_Parent(&found, dev_inst, 0);
  *parent = found;
  return result;
}

std::uint32_t Win32DeviceSetup::GetDeviceId(std::uint32_t dev_inst, std::string* id) {
  char buffer[MAX_DEVICE_ID_LEN + 1] = {};
  const CONFIGRET result = CM_Get_Device_IDA(dev_inst, buffer, sizeof buffer, 0);
  id->assign(buffer, strnlen(buffer, sizeof buffer));
  return result;
}

std::uint32_t Win32DeviceSetup::RequestDeviceEject(std::uint32_t dev_inst,
                                                   std::uint32_t* veto_type) {
  PNP_VETO_TYPE type = PNP_VetoTypeUnknown;
  const CONFIGRET result = CM_Request_Device_EjectA(dev_inst, &type, nullptr, 0, 0);
  *veto_type = static_cast<std::uint32_t>(type);
  return result;
}

}  // namespace mw::win32
