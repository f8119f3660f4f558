#include "store/registry_watch.h"

namespace mw {

bool RegistryWatch::Arm(const std::string& path) {
  // A new key and a new event each time: whatever closing the old ones
  // signals cannot reach the new arming, and a key deleted and made again
  // is watched where it now is.
  event_.Reset();
  key_.Reset();
  if (key_.Open(RegistryRoot::CurrentUser, path, reg::kNotify) != reg::kSuccess) return false;
  if (registry_.CreateChangeEvent(event_.receive()) != reg::kSuccess) {
    key_.Reset();
    return false;
  }
  if (registry_.NotifyChangeKeyValue(key_.get(), true,
                                     reg::kNotifyChangeName | reg::kNotifyChangeLastSet,
                                     event_.get()) != reg::kSuccess) {
    event_.Reset();
    key_.Reset();
    return false;
  }
  return true;
}

bool RegistryWatch::Changed() {
  if (!event_) return true;
  return registry_.WaitForEvent(event_.get(), 0) != reg::kWaitTimeout;
}

}  // namespace mw
