#include "engine/device_tracker.h"

#include <utility>

#include "devices/instance_id.h"

namespace mw {

std::string DeviceTracker::Key(const std::string& instance) {
  return InstanceKey(instance);
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
