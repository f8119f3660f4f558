#include "engine/removal_group.h"

#include <utility>

namespace mw {

RemovalGroup::Departure RemovalGroup::Leave(const Action* ran) {
  std::lock_guard<std::mutex> lock(guard_);
  if (ran) last_ran_ = *ran;
  if (working_ > 0) --working_;
  if (working_ > 0) return {working_, std::nullopt};
  return {0, std::exchange(last_ran_, std::nullopt)};
}

}  // namespace mw
