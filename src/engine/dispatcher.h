#pragma once
// Turns device-change broadcasts into runs: each matching enabled Action is
// copied with its drive letter into PendingRuns and gets a runner thread.
#include <deque>
#include <functional>
#include <set>
#include <string>

#include "devices/device_enumeration.h"
#include "engine/device_change.h"
#include "engine/pending_runs.h"
#include "engine/runner.h"
#include "store/action_cache.h"

namespace mw {

class ActivityBatch;

class Dispatcher {
 public:
  // Asks the window to call EndFoldWindow once, after the given milliseconds.
  using FoldTimer = std::function<void(std::uint32_t milliseconds)>;
  // How long after an enumeration further device-list changes are gathered
  // into one: a dock or a hub sends dozens at once.
  static constexpr std::uint32_t kFoldMilliseconds = 10;

  // Takes the start-up device list as the baseline. Without a fold timer only
  // the changes that arrive while one is handled are folded.
  Dispatcher(const Platform& platform, PendingRuns& pending, FoldTimer fold_timer = {});
  Dispatcher(const Dispatcher&) = delete;
  Dispatcher& operator=(const Dispatcher&) = delete;

  // Set at start-up when no settings exist; opening the settings clears it.
  void SetSettingsAbsent(bool absent) { settings_absent_ = absent; }

  // The one entry for WM_DEVICECHANGE, decoded at the window's edge; ignored
  // altogether while no settings exist. A change that arrives while a
  // dispatch is in progress (a notice's message loop runs inside it) waits
  // its turn and is handled right after, never nested and never dropped. A
  // change of the device list is handled at once, unless one waits already or
  // the fold window after the last one is open: then it joins that one.
  void Dispatch(const RoutedDeviceChange& change);
  // The fold timer fired: the device-list change gathered meanwhile, if any,
  // is handled now.
  void EndFoldWindow();

  // The registry change notification the stored Actions are watched by, 0
  // while none is armed; once it fires, ReloadActions reads them at once
  // rather than at the next arrival.
  RegistryPort::Event ActionsChangeEvent() const { return actions_.ChangeEvent(); }
  void ReloadActions();

 private:
  struct FailedStart {
    std::string name;
    std::uint32_t error;
  };
  void DispatchNow(const RoutedDeviceChange& change);
  void DispatchDeviceListChange();
  void Remember(const AttachedDevices& attached);
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
  std::set<std::string> known_ids_;  // the HardwareIDs of the last list that could be read
  bool has_baseline_ = false;        // false while no enumeration has succeeded
  bool dispatching_ = false;
  FoldTimer fold_timer_;
  bool fold_window_open_ = false;
  bool list_change_gathered_ = false;  // arrived while the fold window was open
  bool settings_absent_ = false;
  std::deque<RoutedDeviceChange> deferred_;
};

}  // namespace mw
