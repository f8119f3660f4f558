#pragma once
// Starts the runs of one event: each enabled Action bound to the event's entry
// or device is copied with the event's drive and device into PendingRuns and
// gets a runner thread; the runs that ask for removal share one removal group.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/drive_bell.h"
#include "engine/pending_runs.h"
#include "engine/runner.h"
#include "notices/activity_log.h"

namespace mw {

class RunStarter {
 public:
  RunStarter(const Platform& platform, PendingRuns& pending, DriveBell& bell)
      : platform_(platform), pending_(pending), context_{platform, pending, &bell} {}
  RunStarter(const RunStarter&) = delete;
  RunStarter& operator=(const RunStarter&) = delete;

  // With the mutex held. The log tells each Action started, each disabled
  // one, and the Actions of other devices together on one line.
  void StartBound(ActivityBatch& said, const ActionList& actions, const Origin& origin);
  // Once the mutex is let go: the notices of the runs whose thread could not start.
  void ReportFailedStarts();
  // When a run last started.
  std::optional<std::uint64_t> last_start_ms() const { return last_start_ms_; }

 private:
  struct FailedStart {
    std::string name;
    std::uint32_t error;
  };
  void StartRun(Run run);

  Platform platform_;
  PendingRuns& pending_;
  RunnerContext context_;
  std::vector<FailedStart> failures_;
  std::optional<std::uint64_t> last_start_ms_;
};

}  // namespace mw
