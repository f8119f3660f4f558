// The volume section: a drive's arrival with 1, 100 and 1,000 Actions stored,
// steady and two seconds after a change of the settings.
#include "arrival_bench.h"

namespace mw::bench {

namespace {

// A change any writer could make: the first Action renamed. The name differs
// each time, since the registry takes writing the same data again for no
// change at all.
void ChangeActions(int round) {
  driver::WriteString(driver::kActionsKey, "0_Name", "Action 0, change " + std::to_string(round));
}

// A run with changes: the arrivals after a change, then the steady ones, each
// beside the floors taken with them.
void PrintChangedAndSteady(int actions, const Latencies& l) {
  const auto changed_end = l.floor.begin() + static_cast<std::ptrdiff_t>(l.after_change.size());
  const std::string what = "actions=" + std::to_string(actions);
  PrintLatency(what + " after_change", l.after_change, {l.floor.begin(), changed_end});
  PrintLatency(what + " steady", l.steady, {changed_end, l.floor.end()});
}

}  // namespace

// Each arrival follows a direct start of the child, so that every series has
// its floor taken beside it: Wine's process start slows down over a long run.
Latencies DriveLatencies(const Bench& bench, int actions, bool changes, bool log) {
  const std::string floor_record = bench.record + ".floor";
  DeleteFileA(floor_record.c_str());
  StoreActions(actions, bench, log, driver::kVolumeId);
  DeleteFileA(bench.record.c_str());
  driver::Running running = driver::Start(bench.folder + "\\Mountwick.exe", "", bench.folder);
  Latencies latencies;
  std::size_t lines = 0;
  bool started = running.window && TimeArrival(running.window, bench.record, lines++) >= 0;
  for (int i = 0; started && changes && i < bench.arrivals; ++i) {
    latencies.floor.push_back(TimeDirectStart(bench.child, floor_record));
    ChangeActions(i);
    // A device plugged two seconds after a save: reading a thousand Actions
    // takes about a second under Wine, and it belongs to the save, not to
    // the arrival.
    Sleep(2000);
    const double ms = TimeArrival(running.window, bench.record, lines++);
    started = ms >= 0;
    if (started) latencies.after_change.push_back(ms);
  }
  for (int i = 0; started && i < bench.arrivals; ++i) {
    latencies.floor.push_back(TimeDirectStart(bench.child, floor_record));
    const double ms = TimeArrival(running.window, bench.record, lines++);
    started = ms >= 0;
    if (started) latencies.steady.push_back(ms);
  }
  Quit(running);
  return latencies;
}

void VolumeSection(const Bench& bench) {
  const Latencies one = DriveLatencies(bench, 1, false);
  PrintLatency("actions=1", one.steady, one.floor);
  for (int actions : {100, 1000})
    PrintChangedAndSteady(actions, DriveLatencies(bench, actions, true));
}

}  // namespace mw::bench
