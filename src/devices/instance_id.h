#pragma once
// Device instance identifiers are ASCII and the system compares them without
// regard to case; a broadcast's path and the device tree may spell them apart.
#include <string>

namespace mw {

inline std::string InstanceKey(std::string instance) {
  for (char& c : instance)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return instance;
}

}  // namespace mw
