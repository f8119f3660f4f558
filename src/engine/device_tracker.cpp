#include "engine/device_tracker.h"

#include <utility>

#include "devices/instance_id.h"

namespace mw {

std::string DeviceTracker::Key(const std::string& instance) {
  return InstanceKey(instance);
}

void DeviceTracker::Remember(std::vector<std::string> keys, bool complete) {
  if (!complete) keys.insert(keys.end(), known_.begin(), known_.end());
  std::set<std::string> before = std::exchange(known_, std::exchange(arrived_meanwhile_, {}));
  for (const std::string& key : keys)
    if (!left_meanwhile_.contains(key) && known_.insert(key).second && has_baseline_ &&
        !before.contains(key))
      came_untold_.insert(key);
  for (const std::string& key : before)
    if (!known_.contains(key)) gone_untold_.insert(key);
  left_meanwhile_.clear();
  has_baseline_ = true;
  reading_ = false;
}

bool DeviceTracker::Arrived(const std::string& key) {
  if (came_untold_.erase(key) != 0 || !known_.insert(key).second) return false;
  left_meanwhile_.erase(key);
  if (reading_) arrived_meanwhile_.insert(key);
  return true;
}

void DeviceTracker::Left(const std::string& key) {
  if (gone_untold_.erase(key) != 0 && known_.contains(key)) return;
  known_.erase(key);
  came_untold_.erase(key);
  arrived_meanwhile_.erase(key);
  if (reading_) left_meanwhile_.insert(key);
}

}  // namespace mw
