#pragma once
// One run: a copy of a matching Action with its drive letter, the device that
// arrived, and the group of runs whose removal it shares.
#include <memory>
#include <string>
#include <utility>

#include "engine/removal_group.h"
#include "model/action.h"

namespace mw {

struct Run {
  explicit Run(Action action_, std::string device_instance_ = {},
               std::shared_ptr<RemovalGroup> removal_ = nullptr)
      : action(std::move(action_)),
        device_instance(std::move(device_instance_)),
        removal(std::move(removal_)) {}

  Action action;  // DriveLetter set
  // The instance identifier of the device that arrived; empty for runs without
  // one (a drive or medium entry), whose removal goes by HardwareID.
  std::string device_instance;
  // Null unless the run asks for removal and came from an arrival.
  std::shared_ptr<RemovalGroup> removal;
};

}  // namespace mw
