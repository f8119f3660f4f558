// The log section: what the activity log costs a drive's arrival, on beside off.
#include <cstdio>

#include "arrival_bench.h"

namespace mw::bench {

// Each series to its own floor, so that the drift between them drops out.
void LogSection(const Bench& bench) {
  const Latencies off = DriveLatencies(bench, 10, false, false);
  const Latencies on = DriveLatencies(bench, 10, false);
  PrintLatency("actions=10 log_off", off.steady, off.floor);
  PrintLatency("actions=10 log_on", on.steady, on.floor);
  const auto to_floor = [](const Latencies& l) {
    return Ratio(Summarize(l.steady).median_ms, Summarize(l.floor).median_ms);
  };
  std::printf("activity_log_on_to_off %.3f (each to its floor; raw medians %.3f)\n",
              Ratio(to_floor(on), to_floor(off)),
              Ratio(Summarize(on.steady).median_ms, Summarize(off.steady).median_ms));
}

}  // namespace mw::bench
