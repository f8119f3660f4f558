#include "devices/display_name.h"

namespace mw {

std::string ComposeDisplayName(const DeviceRecord& record) {
  std::string name = record.FriendlyName;
  // Descriptions often repeat inside the friendly name; say each thing once.
  for (const std::string* part : {&record.DeviceDesc, &record.Mfg, &record.LocationInformation}) {
    if (name.find(*part) != std::string::npos) continue;  // an empty part is always found
    if (!name.empty()) name += '/';
    name += *part;
  }
  // Only the ASCII space: some devices pad their names with it.
  while (!name.empty() && name.back() == ' ') name.pop_back();
  return name;
}

}  // namespace mw
