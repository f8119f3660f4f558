#include "engine/device_tracker.h"

#include <utility>

namespace mw {

std::string DeviceTracker::Key(const std::string& instance) {
  std::string key = instance;
  for (char& c : key)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return key;
}

void DeviceTracker::Remember(const std::vector<std::string>& keys) {
  known_ = std::exchange(arrived_meanwhile_, {});
  known_.insert(keys.begin(), keys.end());
  has_baseline_ = true;
  reading_ = false;
}

bool DeviceTracker::Arrived(const std::string& key) {
  if (!known_.insert(key).second) return false;
  if (reading_) arrived_meanwhile_.insert(key);
  return true;
}

}  // namespace mw
