#pragma once
// Turns device-change broadcasts into runs: each matching enabled Action is
// copied with its drive letter into PendingRuns and gets a runner thread.
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "devices/device_enumeration.h"
#include "engine/device_change.h"
#include "engine/device_tracker.h"
#include "engine/list_reading.h"
#include "engine/drive_bell.h"
#include "engine/pending_runs.h"
#include "engine/run_starter.h"
#include "store/action_cache.h"

namespace mw {

class ActivityBatch;

class Dispatcher {
 public:
  // Asks the window to call FinishEnumeration on its own thread; may be
  // called from any thread.
  using Wake = std::function<void()>;
  // How long after Actions started a list read on the pool waits first: under
  // Wine, reading 200 devices keeps the system busy for a quarter second.
  static constexpr std::uint32_t kStartQuietMilliseconds = 250;

  // Takes the start-up device list as the baseline. With a wake, device lists
  // are read on a thread of the pool, so that the window answers while the
  // system lists hundreds of devices; without one they are read in place.
  Dispatcher(const Platform& platform, PendingRuns& pending, Wake wake = {});
  Dispatcher(const Dispatcher&) = delete;
  Dispatcher& operator=(const Dispatcher&) = delete;
  ~Dispatcher();

  // Set at start-up when no settings exist; opening the settings clears it.
  void SetSettingsAbsent(bool absent) { settings_absent_ = absent; }

  // The one entry for WM_DEVICECHANGE, decoded at the window's edge; ignored
  // altogether while no settings exist. A change that arrives while a
  // dispatch is in progress (a notice's message loop runs inside it) waits
  // its turn and is handled right after, never nested and never dropped.
  // Device-list changes that arrive while the list is read are gathered into
  // one more reading after it: a dock or a hub sends dozens at once. A USB
  // device whose own interface arrival names it is read alone, at once.
  void Dispatch(const RoutedDeviceChange& change);
  // The list read off the window's thread is ready: it is compared now.
  void FinishEnumeration();

  // The registry change notification the stored Actions are watched by, 0
  // while none is armed; once it fires, ReloadActions reads them at once
  // rather than at the next arrival.
  RegistryPort::Event ActionsChangeEvent() const { return actions_.ChangeEvent(); }
  void ReloadActions();

 private:
  void Enqueue(std::function<void()> work);
  void DispatchNow(const RoutedDeviceChange& change);
  void StartEnumeration();
  void CompareList(const ListReading& enumeration);
  void DispatchArrivedDevice(const std::string& instance);
  void DispatchGeneric(const char* generic_id, const char* event, char letter);

  Platform platform_;
  PendingRuns& pending_;
  DriveBell drive_bell_;
  RunStarter starter_;
  ActionCache actions_;
  DeviceTracker devices_;
  bool dispatching_ = false;
  Wake wake_;
  std::shared_ptr<ListReading> enumeration_;  // from its start until it is compared
  bool list_change_gathered_ = false;         // arrived while enumeration_ ran
  bool settings_absent_ = false;
  std::deque<std::function<void()>> deferred_;
};

}  // namespace mw
