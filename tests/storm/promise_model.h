#pragma once
// The promise as a user states it, checked over what a machine did: each
// Action bound to a device runs once for each time the device is plugged and
// noticed, never for a device that left before anything noticed it, never from
// a list no longer stored; each drive's arrival runs the drive entry's Actions
// once; a removal is asked for the device that arrived, only once every
// program of its runs has ended, once per arrival, again only after a refusal
// and at most `retries` times more. Knows nothing of how the program does it.
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace storm {

struct StormAction {
  std::string name, bound;  // bound: a device model, or the drive entry
  bool enabled = true, eject = false;
};
struct StormDevice {
  std::string instance, model;
  char letter = '\0';  // its drive's, unique among the devices
};

struct Happening {
  enum Kind {
    kPlugged,       // instance, with its drive when letter is set
    kDriveCame,     // instance's drive came late
    kUnplugged,     // instance
    kAnnounced,     // the system told of instance's own arrival
    kListed,        // the system listed the instances in `listed`
    kSaved,         // the user stored `actions`
    kFault,         // a call of the system failed once
    kDelivered,     // a message reached the program: letter's volume arrival, if any
    kDecided,       // the program chose to run `action` for instance, or for letter
    kRunThread,     // a thread for the next run chosen started, or was `refused`
    kNotRun,        // instance's drive never came: its earliest run chosen gave up
    kStarted,       // program started for action on letter
    kEnded,         // program and all it handed on ended
    kRemovalAsked,  // of instance by run `by`; refused or not
    kSettled,       // everything the program was told was handled
  } kind;
  std::string instance = {}, action = {};
  char letter = '\0';
  int program = 0, by = 0;
  bool refused = false;
  std::vector<std::string> listed = {};
  std::vector<StormAction> actions = {};
};

class PromiseModel {
 public:
  PromiseModel(std::vector<StormDevice> devices, std::vector<StormAction> stored, int retries)
      : devices_(std::move(devices)), stored_(std::move(stored)), retries_(retries) {}

  // What went against the promise; empty when nothing did. `happenings`
  // ends with everything handled and every program ended.
  std::vector<std::string> Check(const std::vector<Happening>& happenings);

 private:
  struct Period {  // one plugging of a device
    int begin = 0, end = -1, seen = -1;
    bool troubled = false;  // a fault or a save fell into it: nothing is owed
    std::map<std::string, int> decisions;
  };
  struct Group {  // the removing runs of one arrival for one device
    std::string instance;
    std::vector<int> programs;
    std::vector<std::size_t> members;  // its decisions
    bool removed = false, ran = false;
    bool excused = false;    // its device left or a call failed before its removal
    bool ambiguous = false;  // a program of it may be another arrival's
  };
  struct Decision {
    std::string action;
    char letter;
    std::optional<std::size_t> group;
    bool matched = false;
  };
  const StormDevice* ByInstance(const std::string& instance) const;
  const StormDevice* ByLetter(char letter) const;
  const StormAction* Stored(const std::string& name) const;
  void Decide(const Happening& h, int t);
  void CloseDrive();
  void AskRemoval(const Happening& h);
  void Settle(int t);
  void Finish();
  void Fail(const std::string& what) { failures_.push_back(what); }
  // Nothing more is owed to the removals of instance (empty: of every device).
  void Excuse(const std::string& instance) {
    for (Group& group : groups_)
      if (!group.removed && (instance.empty() || group.instance == instance)) group.excused = true;
    for (auto& [by, sequence] : sequences_)
      if (instance.empty() || sequence.instance == instance) sequence.excused = true;
  }

  std::vector<StormDevice> devices_;
  std::vector<StormAction> stored_;
  int retries_;
  std::map<std::string, std::vector<Period>> periods_;
  std::map<std::string, bool> present_, drive_in_;
  std::vector<Decision> decisions_;
  std::deque<bool> threads_;  // refused or not, for the runs yet to be read from the log
  std::vector<Group> groups_;
  std::map<int, bool> running_;
  struct Sequence {
    std::string instance;
    std::vector<bool> refused;
    bool excused = false;  // its device left meanwhile
  };
  std::map<int, Sequence> sequences_;              // asking run -> its requests
  std::optional<char> drive_;                      // the drive arrival being handled
  std::map<std::string, int> drive_decided_;       // and what it chose
  std::map<std::string, std::size_t> open_group_;  // instance -> its group of this step
  std::set<char> mixed_;  // drives whose programs may be of either of two arrivals
  bool faulted_ = false;  // since the last settle
  std::vector<std::string> failures_;
};

inline const StormDevice* PromiseModel::ByInstance(const std::string& instance) const {
  for (const StormDevice& device : devices_)
    if (device.instance == instance) return &device;
  return nullptr;
}
inline const StormDevice* PromiseModel::ByLetter(char letter) const {
  for (const StormDevice& device : devices_)
    if (device.letter == letter) return &device;
  return nullptr;
}
inline const StormAction* PromiseModel::Stored(const std::string& name) const {
  for (const StormAction& action : stored_)
    if (action.name == name) return &action;
  return nullptr;
}

inline std::vector<std::string> PromiseModel::Check(const std::vector<Happening>& happenings) {
  for (int t = 0; t < static_cast<int>(happenings.size()); ++t) {
    const Happening& h = happenings[static_cast<std::size_t>(t)];
    if (h.kind != Happening::kDecided) open_group_.clear();
    if (h.kind == Happening::kDelivered || h.kind == Happening::kSettled) CloseDrive();
    std::vector<Period>* periods = h.instance.empty() ? nullptr : &periods_[h.instance];
    switch (h.kind) {
      case Happening::kDriveCame:
        drive_in_[h.instance] = true;
        break;
      case Happening::kPlugged:
        present_[h.instance] = true;
        drive_in_[h.instance] = h.letter != '\0';
        periods->push_back({t, -1, -1, false, {}});
        break;
      case Happening::kUnplugged:
        present_[h.instance] = drive_in_[h.instance] = false;
        if (!periods->empty()) periods->back().end = t;
        Excuse(h.instance);
        break;
      case Happening::kAnnounced:
        if (present_[h.instance] && periods->back().seen < 0) periods->back().seen = t;
        break;
      case Happening::kListed:
        for (const std::string& instance : h.listed)
          if (present_[instance] && periods_[instance].back().seen < 0)
            periods_[instance].back().seen = t;
        break;
      case Happening::kSaved:
      case Happening::kFault:
        if (h.kind == Happening::kSaved) stored_ = h.actions;
        for (auto& [instance, each] : periods_)
          if (present_[instance]) each.back().troubled = true;
        if (h.kind == Happening::kFault) Excuse(""), faulted_ = true;
        break;
      case Happening::kDelivered:
        if (h.letter == '\0') break;
        drive_ = h.letter;
        for (const StormAction& action : stored_)
          if (action.bound == "drive" && action.enabled) drive_decided_[action.name] = 0;
        break;
      case Happening::kRunThread:
        threads_.push_back(h.refused);
        break;
      case Happening::kDecided: {
        // Each run chosen was given a thread, in the order chosen.
        const bool refused = !threads_.empty() && threads_.front();
        if (!threads_.empty()) threads_.pop_front();
        const std::size_t before = decisions_.size();
        Decide(h, t);
        if (refused && decisions_.size() > before) decisions_.back().matched = true;
        break;
      }
      case Happening::kNotRun: {
        const StormDevice* device = ByInstance(h.instance);
        for (Decision& decision : decisions_) {
          if (decision.matched || decision.action != h.action) continue;
          if (!device || decision.letter != device->letter) continue;
          decision.matched = true;
          break;
        }
        break;
      }
      case Happening::kStarted: {
        // Two arrivals of one device may wait with runs of one Action: which
        // of them a program serves, nothing outside the program tells, and
        // from then on no program on that drive is surely of one arrival.
        std::vector<std::size_t> candidates;
        for (std::size_t d = 0; d < decisions_.size(); ++d)
          if (!decisions_[d].matched && decisions_[d].action == h.action &&
              decisions_[d].letter == h.letter)
            candidates.push_back(d);
        if (candidates.empty()) {
          Fail(h.action + " started on " + h.letter + ": without a run chosen for it");
          break;
        }
        decisions_[candidates[0]].matched = true;
        if (candidates.size() > 1) mixed_.insert(h.letter);
        for (Group& group : groups_)
          if (mixed_.contains(h.letter) && ByInstance(group.instance) &&
              ByInstance(group.instance)->letter == h.letter)
            group.ambiguous = true;
        for (std::size_t d : candidates) {
          if (!decisions_[d].group) continue;
          Group& group = groups_[*decisions_[d].group];
          if (group.removed && !group.ambiguous)
            Fail(h.action + " started after its device " + group.instance + " was removed");
          group.programs.push_back(h.program);
          group.ran = true;
          running_[h.program] = true;
        }
        break;
      }
      case Happening::kEnded:
        running_[h.program] = false;
        break;
      case Happening::kRemovalAsked:
        AskRemoval(h);
        break;
      case Happening::kSettled:
        Settle(t);
        faulted_ = false;
        break;
    }
  }
  CloseDrive();
  Finish();
  return failures_;
}

inline void PromiseModel::Decide(const Happening& h, int t) {
  const StormAction* action = Stored(h.action);
  if (!action || !action->enabled) return Fail(h.action + ": chosen, but not stored and enabled");
  const StormDevice* device = h.instance.empty() ? nullptr : ByInstance(h.instance);
  if (device) {
    if (action->bound != device->model) return Fail(h.action + ": chosen for another model");
    // The latest plugging that was noticed and has not run this Action yet.
    Period* owed = nullptr;
    std::vector<Period>& periods = periods_[h.instance];
    for (auto p = periods.rbegin(); p != periods.rend() && !owed; ++p)
      if (p->begin <= t && p->seen >= 0 && p->decisions[h.action] == 0) owed = &*p;
    if (!owed)
      return Fail(h.action + " for " + h.instance +
                  ": chosen twice for one plugging, or for one never noticed");
    ++owed->decisions[h.action];
  } else {
    if (!drive_ || *drive_ != h.letter || action->bound != "drive")
      return Fail(h.action + ": chosen for a drive that did not arrive");
    if (drive_decided_[h.action]++ != 0) return Fail(h.action + ": chosen twice for one drive");
  }
  const char letter = device ? device->letter : h.letter;
  std::optional<std::size_t> group;
  const StormDevice* owner = device ? device : ByLetter(h.letter);
  if (owner && !device && !drive_in_[owner->instance]) owner = nullptr;  // its drive is not there
  if (action->eject && owner) {
    // Consecutive choices are those of one arrival.
    auto [open, fresh] = open_group_.try_emplace(owner->instance, groups_.size());
    // Nothing is owed to a device that is gone, or after a failure of the system.
    if (fresh) {
      Group& made = groups_.emplace_back();
      made.instance = owner->instance;
      made.excused = faulted_ || !present_[owner->instance];
      made.ambiguous = mixed_.contains(owner->letter);
    }
    group = open->second;
  }
  if (group) groups_[*group].members.push_back(decisions_.size());
  decisions_.push_back({h.action, letter, group});
}

// A drive's arrival ran each enabled Action of the drive entry, once.
inline void PromiseModel::CloseDrive() {
  if (!drive_) return;
  for (const auto& [name, decided] : drive_decided_)
    if (decided == 0) Fail(name + ": not chosen for the drive " + *drive_);
  drive_.reset();
  drive_decided_.clear();
}

inline void PromiseModel::AskRemoval(const Happening& h) {
  Sequence& sequence = sequences_[h.by];
  if (!sequence.refused.empty()) {  // a retry of the same run
    if (sequence.instance != h.instance) Fail("a retry asked for another device");
    if (!sequence.refused.back()) Fail("asked again after a removal was granted");
    sequence.refused.push_back(h.refused);
    return;
  }
  sequence = {h.instance, {h.refused}};
  // The earliest arrival it may be for, one that is owed a removal first.
  for (const bool owed : {true, false})
    for (Group& group : groups_) {
      if (group.instance != h.instance || group.removed || !group.ran || group.excused == owed)
        continue;
      bool done = true;
      // Every run of it started and ended, or gave up.
      for (std::size_t d : group.members) done = done && (group.ambiguous || decisions_[d].matched);
      for (int program : group.programs) done = done && (group.ambiguous || !running_[program]);
      if (done) return void(group.removed = true);
    }
  Fail("removal of " + h.instance + " asked by no arrival of it, or while its programs ran");
}

// What stayed attached and noticed until now ran each Action bound to it.
inline void PromiseModel::Settle(int t) {
  for (auto& [instance, periods] : periods_) {
    if (!present_[instance] || periods.back().troubled) continue;
    const Period& period = periods.back();
    if (period.seen < 0 || period.seen > t) continue;
    for (const StormAction& action : stored_)
      if (action.enabled && action.bound == ByInstance(instance)->model &&
          period.decisions.count(action.name) == 0)
        Fail(action.name + ": never chosen for " + instance + ", attached and noticed");
  }
}

inline void PromiseModel::Finish() {
  for (const Group& group : groups_)
    if (group.ran && !group.removed && !group.excused)
      Fail("an arrival of " + group.instance + " never asked for its removal");
  for (const auto& [by, sequence] : sequences_) {
    const auto asked = static_cast<int>(sequence.refused.size());
    if (asked > retries_ + 1) Fail("removal of " + sequence.instance + " asked too often");
    if (sequence.refused.back() && asked <= retries_ && !sequence.excused)
      Fail("a refused removal of " + sequence.instance + " was not retried");
  }
}

}  // namespace storm
