#pragma once
// The USB device interface as the Win32 calls take it, and the owner of a
// window's registration for that interface's arrivals.
#include <windows.h>
#include <dbt.h>

#include <cstring>

#include "platform/device_setup_port.h"
#include "platform/scoped_handle.h"

namespace mw::win32 {

inline GUID UsbDeviceInterfaceClass() {
  static_assert(sizeof(GUID) == sizeof setup::kUsbDeviceInterfaceClass);
  GUID guid;
  std::memcpy(&guid, setup::kUsbDeviceInterfaceClass, sizeof guid);
  return guid;
}

struct DeviceNotificationTraits {
  using Handle = HDEVNOTIFY;
  static inline const HDEVNOTIFY kInvalid = nullptr;
  void Close(HDEVNOTIFY handle) { UnregisterDeviceNotification(handle); }
};
using ScopedDeviceNotification = ScopedHandle<DeviceNotificationTraits>;

// Asks for WM_DEVICECHANGE with the path of each USB device interface that
// arrives; none when the system refuses (the last error says why).
inline HDEVNOTIFY RegisterUsbInterfaceArrivals(HWND window) {
  DEV_BROADCAST_DEVICEINTERFACE_A filter = {};
  filter.dbcc_size = sizeof filter;
  filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  filter.dbcc_classguid = UsbDeviceInterfaceClass();
  return RegisterDeviceNotificationA(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
}

}  // namespace mw::win32
