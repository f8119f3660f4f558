#pragma once
// A storm of device events played against the real dispatcher and runners on
// the storm world: sticks plugged, pulled and plugged again (twins among
// them), with and without their interface's arrival, bursts of list changes,
// drives that come late, settings saved meanwhile, calls that fail once,
// refused removals, programs that end early, late or hand on. Each event is
// drawn from a seed and read against the state it meets, so any part of a
// sequence is a sequence too: a failing one shrinks.
#include <deque>
#include <random>

#include "engine/dispatcher.h"
#include "fakes/fake_device_trees.h"
#include "storm/storm_world.h"
#include "store/action_store.h"

namespace mw::storm_world {

struct StormEvent {
  enum Kind {
    kPlug,
    kUnplug,
    kReplug,
    kBurst,
    kLateDrive,
    kSave,
    kFailList,
    kFailThread,
    kFailInstance,
    kStray,  // a message any program may post: the list read is ready
    kDeliver,
    kStep,
    kEndProgram,
    kSettle,
    kKinds
  };
  Kind kind;
  unsigned a, b;
};
std::string Describe(const StormEvent& event);
// Events as Describe writes them, separated by commas.
std::vector<StormEvent> ParseEvents(const std::string& text);
std::vector<StormEvent> DrawEvents(std::uint32_t seed, std::size_t count);

class Storm {
 public:
  static constexpr int kRetries = 3;
  Storm();
  ~Storm() { dispatcher_.reset(); }
  void Play(const StormEvent& event);
  // Handles everything, ends every program and says what broke the promise;
  // also what the program left open.
  std::vector<std::string> Finish();
  // The activity log, the program's own account of the storm.
  const std::vector<std::string>& log() const { return world_.activity; }

 private:
  struct Slot {
    std::string instance, model;
    char letter;
    std::size_t device;          // in world_.devices
    fake::FakeDrive drive = {};  // while it is out
    bool drive_in = true;
  };
  void Plug(Slot& slot, bool late_drive, unsigned refusals, unsigned announce);
  void Unplug(Slot& slot, unsigned announce);
  void Send(std::uintptr_t wparam, std::vector<unsigned char> record);
  void Save(unsigned seed);
  void Settle(bool programs_end);
  void ReadLog();

  StormWorld world_;
  DeviceDiffMutex mutex_{world_};
  PendingRuns pending_{mutex_};
  std::unique_ptr<Dispatcher> dispatcher_;
  std::deque<std::function<void()>> messages_;  // the window's queue
  std::vector<Slot> slots_;
  std::vector<storm::StormAction> initial_;
  unsigned generation_ = 0;
  std::mt19937 programs_;
  std::size_t log_read_ = 0;
  std::string origin_;  // of the choices being logged: an instance, or a drive
};

}  // namespace mw::storm_world
