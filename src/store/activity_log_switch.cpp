#include "store/activity_log_switch.h"

#include <string>

#include "store/registry_settings.h"
#include "store/registry_text.h"

namespace mw {

bool ActivityLogEnabled(const Platform& platform) {
  std::string path = kVersionKeyPath;
  path.pop_back();  // the trailing backslash
  ScopedRegKey key(platform.registry);
  if (key.Open(RegistryRoot::CurrentUser, path, reg::kRead) != reg::kSuccess) return true;
  std::string value;
  return ReadRegistryText(platform.registry, key.get(), kActivityLogValueName, value) !=
             reg::kSuccess ||
         value != "0";
}

}  // namespace mw
