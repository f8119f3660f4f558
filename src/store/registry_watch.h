#pragma once
// Tells whether anything below a key of the current user's hive may have
// changed since it was armed: a value set or deleted, a subkey created or
// deleted, anywhere in the key's subtree, by any writer.
#include <string>

#include "platform/registry_port.h"

namespace mw {

class RegistryWatch {
 public:
  explicit RegistryWatch(RegistryPort& registry)
      : registry_(registry), key_(registry), event_(registry) {}
  RegistryWatch(const RegistryWatch&) = delete;
  RegistryWatch& operator=(const RegistryWatch&) = delete;

  // Opens path afresh and asks to be told of its next change. False when the
  // key is missing or a call fails: the watch is then unarmed. Shows nothing.
  bool Arm(const std::string& path);

  // Whether a change may have come since Arm, without waiting: true after a
  // change, when unarmed, and when the test itself fails.
  bool Changed();

  // The event the next change signals; 0 while unarmed.
  RegistryPort::Event Event() const { return event_.get(); }

 private:
  RegistryPort& registry_;
  ScopedRegKey key_;
  ScopedRegEvent event_;
};

}  // namespace mw
