#pragma once
// The device setup interface and the configuration manager, one call per
// method, Win32 semantics kept (last-error values, required sizes).
#include <cstdint>
#include <string>

#include "platform/scoped_handle.h"

namespace mw {

// One element of a device information set: the bytes of its SP_DEVINFO_DATA,
// kept opaque so that portable code can hand it back unchanged.
struct DeviceElement {
  alignas(8) unsigned char data[32] = {};
  std::uint32_t dev_inst = 0;  // the DevInst member
};

class DeviceSetupPort {
 public:
  using DeviceSet = std::uintptr_t;  // opaque HDEVINFO; 0 is none

  virtual ~DeviceSetupPort() = default;
  // SetupDiGetClassDevsA(&GUID_DEVINTERFACE_USB_DEVICE, NULL, NULL, flags).
  // Returns false with *last_error when the set cannot be opened.
  [[nodiscard]] virtual bool OpenUsbDeviceSet(std::uint32_t flags, DeviceSet* set,
                                              std::uint32_t* last_error) = 0;
  // SetupDiCreateDeviceInfoList(&GUID_DEVINTERFACE_USB_DEVICE, NULL): an
  // empty set to open single devices in.
  [[nodiscard]] virtual bool CreateUsbDeviceSet(DeviceSet* set, std::uint32_t* last_error) = 0;
  // SetupDiOpenDeviceInfoA(set, instance_id, NULL, 0, element).
  [[nodiscard]] virtual bool OpenDevice(DeviceSet set, const std::string& instance_id,
                                        DeviceElement* element) = 0;
  // SetupDiEnumDeviceInfo.
  [[nodiscard]] virtual bool EnumDevice(DeviceSet set, std::uint32_t index,
                                        DeviceElement* element) = 0;
  // SetupDiGetDeviceRegistryPropertyA. buffer may be null with size 0.
  // *required receives the required size; *last_error the last error after a
  // failed call.
  [[nodiscard]] virtual bool GetProperty(DeviceSet set, const DeviceElement& element,
                                         std::uint32_t property, unsigned char* buffer,
                                         std::uint32_t size, std::uint32_t* required,
                                         std::uint32_t* last_error) = 0;
  // SetupDiGetDeviceInstanceIdA into a buffer of MAX_DEVICE_ID_LEN + 1 bytes;
  // false with *last_error when it fails.
  [[nodiscard]] virtual bool GetInstanceId(DeviceSet set, const DeviceElement& element,
                                           std::string* instance_id, std::uint32_t* last_error) = 0;
  // SetupDiDestroyDeviceInfoList.
  virtual void DestroyDeviceSet(DeviceSet set) = 0;
  // SetupDiGetClassDevsA(&GUID_DEVINTERFACE_DISK, NULL, NULL,
  // DIGCF_PRESENT | DIGCF_DEVICEINTERFACE).
  [[nodiscard]] virtual bool OpenDiskInterfaceSet(DeviceSet* set, std::uint32_t* last_error) = 0;
  // SetupDiEnumDeviceInterfaces(set, NULL, &GUID_DEVINTERFACE_DISK, index),
  // then SetupDiGetDeviceInterfaceDetailA, asked for its size first: *path
  // receives the interface's device path, *element the disk's device. False
  // past the last interface or when a call fails.
  [[nodiscard]] virtual bool EnumDiskInterface(DeviceSet set, std::uint32_t index,
                                               std::string* path, DeviceElement* element) = 0;
  // CM_Get_Parent's CONFIGRET; *parent is 0 unless the call wrote it (Wine
  // may answer CR_SUCCESS without writing).
  [[nodiscard]] virtual std::uint32_t GetParent(std::uint32_t dev_inst, std::uint32_t* parent) = 0;
  // CM_Get_Device_IDA's CONFIGRET into a buffer of MAX_DEVICE_ID_LEN + 1
  // bytes; *id is empty unless the call wrote it.
  [[nodiscard]] virtual std::uint32_t GetDeviceId(std::uint32_t dev_inst, std::string* id) = 0;
  // CM_Request_Device_EjectA(dev_inst, veto_type, NULL, 0, 0): *veto_type
  // receives the PNP_VETO_TYPE of a refusal. Without a veto-name buffer the
  // system still tells the user itself why the removal was refused.
  [[nodiscard]] virtual std::uint32_t RequestDeviceEject(std::uint32_t dev_inst,
                                                         std::uint32_t* veto_type) = 0;
};

namespace setup {
// GUID_DEVINTERFACE_USB_DEVICE as it lies in memory (little-endian fields).
inline constexpr unsigned char kUsbDeviceInterfaceClass[16] = {
    0x10, 0xBF, 0xDC, 0xA5, 0x30, 0x65, 0xD2, 0x11, 0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED};
// GUID_DEVINTERFACE_DISK, likewise.
inline constexpr unsigned char kDiskInterfaceClass[16] = {
    0x07, 0x63, 0xF5, 0x53, 0xBF, 0xB6, 0xD0, 0x11, 0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B};
inline constexpr std::uint32_t kDigcfPresent = 0x2;
inline constexpr std::uint32_t kDigcfDeviceInterface = 0x10;
inline constexpr std::uint32_t kErrorInvalidData = 13;
inline constexpr std::uint32_t kErrorInsufficientBuffer = 122;
inline constexpr std::uint32_t kSpdrpDeviceDesc = 0;
inline constexpr std::uint32_t kSpdrpHardwareId = 1;
inline constexpr std::uint32_t kSpdrpService = 4;
inline constexpr std::uint32_t kSpdrpMfg = 11;
inline constexpr std::uint32_t kSpdrpFriendlyName = 12;
inline constexpr std::uint32_t kSpdrpLocationInformation = 13;
inline constexpr std::uint32_t kSpdrpPhysicalDeviceObjectName = 14;
inline constexpr std::uint32_t kCrSuccess = 0;
inline constexpr std::uint32_t kCrInvalidDevNode = 5;
inline constexpr std::uint32_t kCrNoSuchDevNode = 13;
inline constexpr std::uint32_t kCrRemoveVetoed = 23;
}  // namespace setup

// Destroys its device information set through the port when it goes out of scope.
using ScopedDeviceSet = ScopedPortHandle<DeviceSetupPort, DeviceSetupPort::DeviceSet,
                                         &DeviceSetupPort::DestroyDeviceSet>;

}  // namespace mw
