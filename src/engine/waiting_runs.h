#pragma once
// The runs with automatic removal that are under way: each waits for its
// programs and then for its device's removal. The tray tells them, and
// quitting asks about them. Runner threads enter and leave; the window reads.
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "model/action.h"

namespace mw {

class WaitingRuns {
 public:
  struct Summary {
    std::size_t count = 0;
    std::string first_name;  // of the run that has waited longest
  };

  // Called on the thread of every change, after it; set before any run starts.
  void OnChange(std::function<void()> notify) { notify_ = std::move(notify); }
  Summary Read() const;

  // Holds a run among the waiting ones for its lifetime; a run without
  // automatic removal waits for nothing and is not held.
  class Entry {
   public:
    Entry(WaitingRuns& runs, const Action& action);
    ~Entry();
    Entry(const Entry&) = delete;
    Entry& operator=(const Entry&) = delete;

   private:
    WaitingRuns* runs_ = nullptr;
    std::uint64_t serial_ = 0;
  };

 private:
  void Changed() const;

  mutable std::mutex guard_;
  std::map<std::uint64_t, std::string> names_;  // by serial: oldest first
  std::uint64_t next_serial_ = 0;
  std::function<void()> notify_;
};

}  // namespace mw
