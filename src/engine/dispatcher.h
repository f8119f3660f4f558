#pragma once
// Turns device-change broadcasts into runs: each matching enabled Action is
// copied with its drive letter into PendingRuns and gets a runner thread.
#include <deque>

#include "model/device_record.h"
#include "engine/device_change.h"
#include "engine/pending_runs.h"
#include "engine/runner.h"
#include "store/action_cache.h"

namespace mw {

class ActivityBatch;

class Dispatcher {
 public:
  // Takes the start-up device list as the baseline.
  Dispatcher(const Platform& platform, PendingRuns& pending);
  Dispatcher(const Dispatcher&) = delete;
  Dispatcher& operator=(const Dispatcher&) = delete;

  // Set at start-up when no settings exist; opening the settings clears it.
  void SetSettingsAbsent(bool absent) { settings_absent_ = absent; }

  // The one entry for WM_DEVICECHANGE, decoded at the window's edge; ignored
  // altogether while no settings exist. A change that arrives while a
  // dispatch is in progress (a notice's message loop runs inside it) waits
  // its turn and is handled right after, never nested and never dropped.
  void Dispatch(const RoutedDeviceChange& change);

  const DeviceList& LastDeviceList() const { return last_device_list_; }

 private:
  struct FailedStart {
    std::string name;
    std::uint32_t error;
  };
  void DispatchNow(const RoutedDeviceChange& change);
  void DispatchDeviceListChange();
  void DispatchGeneric(const char* generic_id, const char* event, char letter);
  // instance names the device that arrived; empty for a drive or medium.
  void StartBound(ActivityBatch& said, const ActionList& actions, const std::string& id,
                  char letter, const std::string& instance, std::vector<FailedStart>& failures);
  void StartRun(Run run, std::vector<FailedStart>& failures);
  void ReportFailedStarts(const std::vector<FailedStart>& failures);

  Platform platform_;
  PendingRuns& pending_;
  RunnerContext runner_context_;
  ActionCache actions_;
  DeviceList last_device_list_;
  bool has_baseline_ = false;  // false while no enumeration has succeeded
  bool dispatching_ = false;
  bool settings_absent_ = false;
  std::deque<RoutedDeviceChange> deferred_;
};

}  // namespace mw
