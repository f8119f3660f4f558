#include "engine/waiting_runs.h"

namespace mw {

WaitingRuns::Summary WaitingRuns::Read() const {
  const std::lock_guard<std::mutex> lock(guard_);
  if (names_.empty()) return {};
  return {names_.size(), names_.begin()->second};
}

void WaitingRuns::Changed() const {
  if (notify_) notify_();
}

WaitingRuns::Entry::Entry(WaitingRuns& runs, const Action& action) {
  if (!IsFlagOn(action.Eject)) return;
  {
    const std::lock_guard<std::mutex> lock(runs.guard_);
    serial_ = runs.next_serial_++;
    runs.names_.emplace(serial_, action.Name);
  }
  runs_ = &runs;
  runs_->Changed();
}

WaitingRuns::Entry::~Entry() {
  if (!runs_) return;
  {
    const std::lock_guard<std::mutex> lock(runs_->guard_);
    runs_->names_.erase(serial_);
  }
  // Nothing may leave a destructor; the window learns of the end at the next change then.
  try {
    runs_->Changed();
  } catch (...) {
  }
}

}  // namespace mw
