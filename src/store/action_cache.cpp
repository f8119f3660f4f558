#include "store/action_cache.h"

#include <string>

#include "model/product.h"
#include "store/action_store.h"
#include "store/registry_settings.h"

namespace mw {

const ActionList& ActionCache::Current() {
  if (up_to_date_ && !watch_.Changed()) return actions_;
  // Armed before reading, so that a change made during the read is not missed.
  const bool armed = watch_.Arm(std::string(kMakerKeyPath) + kProductName);
  up_to_date_ = LoadActions(platform_, actions_) && armed;
  return actions_;
}

}  // namespace mw
