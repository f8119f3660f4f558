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
  // The instance identifier of the device that arrived, or of the USB device
  // that holds the drive of a drive's or medium's run; empty when none is known.
  std::string device_instance;
  // Null unless the run asks for removal and came from an arrival.
  std::shared_ptr<RemovalGroup> removal;
  std::string device_name;  // the arrived device's display name, for notices
};

// What the runs of one event come from.
struct Origin {
  std::string bound_id;     // the HardwareID or generic identifier their Actions bind
  char letter = '\0';       // the drive of a drive's or a medium's arrival
  std::string instance;     // the device that arrived, or the one that holds the drive
  std::string device_name;  // the arrived device's display name
};

}  // namespace mw
