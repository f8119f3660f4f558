#pragma once
// The two pseudo-devices an Action can bind to instead of a USB device: any
// newly added drive letter and any inserted medium.
#include "model/device_record.h"

namespace mw {

inline constexpr char kGenericEntryService[] = "QL_ANY_DRV";
inline constexpr unsigned kGenericEntryCount = 2;

// Each appends its entry at the end of list, whatever list already holds.
void AddGenericVolumeEntry(DeviceList& list);
void AddGenericMediaEntry(DeviceList& list);

}  // namespace mw
