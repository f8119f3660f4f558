#pragma once
// One reading of the list of attached USB devices, in place or on a thread of
// the pool. Only the devices the tracker does not know are read in full: a
// device that replaced another is new even when the count stayed.
#include <atomic>
#include <cstdint>
#include <functional>
#include <set>
#include <string>

#include "devices/device_enumeration.h"
#include "engine/device_tracker.h"
#include "platform/platform.h"

namespace mw {

struct ListReading {
  using Wake = std::function<void()>;

  ListReading(const Platform& on, const DeviceTracker& devices, Wake then)
      : platform(on),
        known(devices.known()),
        read_new(devices.has_baseline()),
        wake(std::move(then)) {}

  void Run();
  // The pool's routine: parameter is a new std::shared_ptr<ListReading>, which
  // it owns; it waits quiet_ms, reads, and wakes.
  static std::uint32_t RunOnPool(void* parameter);

  const Platform platform;
  const std::set<std::string> known;
  const bool read_new;
  const Wake wake;
  std::uint32_t quiet_ms = 0;  // waited on the pool before the reading
  std::atomic<bool> done = false;
  bool listed = false;    // false when the device set could not be opened
  bool complete = true;  // false when a device in it could not be identified
  AttachedDevices fresh;
};

}  // namespace mw
