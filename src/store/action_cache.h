#pragma once
// The stored Action list kept between device events: read again only when
// the registry below the product key may have changed since the last read.
#include "model/action.h"
#include "platform/platform.h"
#include "store/registry_watch.h"

namespace mw {

class ActionCache {
 public:
  explicit ActionCache(const Platform& platform) : platform_(platform), watch_(platform.registry) {}
  ActionCache(const ActionCache&) = delete;
  ActionCache& operator=(const ActionCache&) = delete;

  // The stored list as LoadActions gives it now. It is read again, with
  // LoadActions' reads and notices, after any change, after a read that
  // failed, and every time while no change notification can be armed.
  const ActionList& Current();

  // The event that tells of a change since the last read; 0 while none is armed.
  RegistryPort::Event ChangeEvent() const { return watch_.Event(); }

 private:
  Platform platform_;
  RegistryWatch watch_;
  ActionList actions_;
  bool up_to_date_ = false;
};

}  // namespace mw
