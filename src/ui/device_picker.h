#pragma once
// The device picker of the settings form: which devices the combo box offers
// in which mode, and when the list has to be enumerated again.
#include <vector>

#include "model/device_record.h"
#include "platform/platform.h"

namespace mw {

inline constexpr char kUsbStorageService[] = "USBSTOR";
inline constexpr char kUsbAttachedScsiService[] = "UASPStor";

struct DevicePicker {
  int mode = -1;  // IDX_SHOW_CONNECTED or IDX_SHOW_ALL_KNOWN; -1 until the first choice
  DeviceList devices;
  std::vector<int> shown;  // combo entry i shows devices[shown[i]]
};

// Positions of the records the combo box offers: every one when all_known,
// otherwise those present (the generic entries always are).
std::vector<int> ShownDevices(const DeviceList& devices, bool all_known);

// Combo entry of the record at position device, or -1 when it is not offered.
int EntryOfDevice(const DevicePicker& picker, int device);
// Record position behind combo entry entry, or -1 for none.
int DeviceOfEntry(const DevicePicker& picker, int entry);

// Switches to mode option_id (IDX_SHOW_CONNECTED / IDX_SHOW_ALL_KNOWN).
// Enumerating is slow, so an unchanged mode does nothing and returns false;
// otherwise the devices are enumerated again, the offered entries follow, and
// true tells the caller to refill the combo box (then nothing is selected).
bool SetPickerMode(const Platform& platform, DevicePicker& picker, int option_id);

// Automatic removal can be asked for a USB storage device (mass storage or
// UASP) and for the drive and medium entries, which remove the USB device
// that holds the new drive.
bool EjectAllowed(const DevicePicker& picker, int device);

}  // namespace mw
