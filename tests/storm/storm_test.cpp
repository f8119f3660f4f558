// The promise held over storms of random events. A short storm runs with the
// other tests; scripts/storm.sh runs one for minutes. MOUNTWICK_STORM_SEED
// replays one sequence; MOUNTWICK_STORM_SECONDS storms that long.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <iostream>

#include "storm/storm.h"

namespace mw::storm_world {
namespace {

std::vector<std::string> Replay(const std::vector<StormEvent>& events, std::string* log = nullptr) {
  Storm storm;
  for (const StormEvent& event : events) storm.Play(event);
  std::vector<std::string> broken = storm.Finish();
  for (const std::string& line : storm.log())
    if (log) *log += "    " + line + "\n";
  return broken;
}

// The shortest part of events found that still breaks the promise, with
// numbers as small as they can be: a sequence a reader can follow.
std::vector<StormEvent> Shrink(std::vector<StormEvent> events) {
  const auto breaks = [](const std::vector<StormEvent>& some) { return !Replay(some).empty(); };
  for (std::size_t chunk = events.size() / 2; chunk >= 1; chunk /= 2)
    for (std::size_t at = 0; at + chunk <= events.size();) {
      std::vector<StormEvent> fewer = events;
      fewer.erase(fewer.begin() + static_cast<long>(at),
                  fewer.begin() + static_cast<long>(at + chunk));
      if (breaks(fewer))
        events = std::move(fewer);
      else
        at += chunk;
    }
  for (StormEvent& event : events)
    for (unsigned* number : {&event.a, &event.b}) {
      const unsigned was = *number;
      for (*number = 0; *number < std::min(was, 512u) && !breaks(events);) ++*number;
      if (!breaks(events)) *number = was;
    }
  return events;
}

std::uint64_t FromEnvironment(const char* name, std::uint64_t otherwise) {
  const char* text = std::getenv(name);
  return text && *text ? std::strtoull(text, nullptr, 10) : otherwise;
}

TEST(Storm, EveryPluggedDeviceRunsItsActionsOnceAndIsRemovedAfterItsPrograms) {
  const std::time_t began = std::time(nullptr);
  const std::uint64_t seconds = FromEnvironment("MOUNTWICK_STORM_SECONDS", 0);
  const std::uint64_t replay = FromEnvironment("MOUNTWICK_STORM_SEED", 0);
  const auto base = static_cast<std::uint32_t>(
      replay ? replay : FromEnvironment("MOUNTWICK_STORM_BASE", std::random_device{}()));
  std::size_t events = 0, sequences = 0;
  for (std::uint32_t seed = base;; ++seed) {
    const std::vector<StormEvent> drawn = DrawEvents(seed, 50 + seed % 250);
    const std::vector<std::string> broken = Replay(drawn);
    events += drawn.size(), ++sequences;
    if (!broken.empty()) {
      std::string shrunk, log;
      for (const StormEvent& event : Shrink(drawn))
        shrunk += (shrunk.empty() ? "" : ", ") + Describe(event);
      const std::vector<std::string> again = Replay(ParseEvents(shrunk), &log);
      FAIL() << "sequence " << seed << " (MOUNTWICK_STORM_SEED=" << seed << "): " << broken[0]
             << "\nshrunk to:\n  \"" << shrunk << "\"\n"
             << again[0] << "\nits log:\n"
             << log;
    }
    const auto elapsed = static_cast<std::uint64_t>(std::time(nullptr) - began);
    if (replay || (seconds ? elapsed >= seconds : events >= 10000)) break;
  }
  std::cout << "storm: " << events << " events in " << sequences << " sequences from seed " << base
            << "\n";
}

// Storms that found faults, shrunk.
TEST(Storm, SequencesThatOnceBrokeThePromiseHoldIt) {
  const char* const kFound[] = {
      // Pulled and plugged again within one reading of the list.
      "replug 4 0",
      // A stick pulled while another comes, and a thread refused.
      "plug 1 0, unplug 4 0, fail thread 0 1",
      // A device whose instance could not be read once in a list.
      "unplug 0 0, save 0 4, fail instance 0 0, burst 0 0",
      // Two Actions with removal on one stick, the thread of one refused.
      "save 0 6, fail thread 0 0, plug 3 1",
      // Two Actions with removal on a stick whose drive never comes: nothing ran.
      "late drive 0 0, plug 3 0, save 0 6",
      // Three Actions on one stick, two of them with removal.
      "save 0 7, replug 4 0",
      // A disabled Action with removal beside an enabled one.
      "save 0 60, replug 4 0",
      // A removal while an instance cannot be read.
      "save 0 18, plug 1 1, deliver 0 0, end program 0 0, fail instance 0 0",
      // Pulled and plugged again while a list waited to be read.
      "burst 0 3, plug 0 0, deliver 0 0, end program 0 0, deliver 0 0, deliver 0 0, deliver 0 0, "
      "deliver 0 0, deliver 0 0, fail list 0 0, save 0 3, deliver 0 0, unplug 0 0, deliver 0 0, "
      "end program 0 0, fail thread 0 1, plug 0 0",
      // A list read in place saw a stick gone and back before its removal was told.
      "save 0 3, plug 1 0, settle 0 0, burst 0 0, fail thread 0 1, unplug 1 0, deliver 0 0, "
      "plug 1 0, fail thread 0 1",
      // A list read before a stick left, compared after.
      "unplug 0 0, plug 3 0, save 0 4, plug 0 0, replug 0 0, stray 0 0, deliver 0 0, deliver 0 0, "
      "unplug 3 0, step 0 0, deliver 0 0, plug 3 0, settle 0 0",
      // Lists read in place saw a stick come and go before its arrival was told.
      "unplug 2 2, deliver 0 0, save 0 3, plug 2 0, unplug 0 0, plug 0 0, plug 0 0, deliver 0 0, "
      "plug 3 0, stray 0 0, unplug 2 0, unplug 0 0, deliver 0 0, fail thread 0 0, end program 0 0, "
      "replug 3 2, deliver 0 0, deliver 0 0, deliver 0 0, stray 0 0, deliver 0 0, unplug 0 0, "
      "deliver 0 0, deliver 0 0, deliver 0 0, plug 0 1, unplug 0 0, deliver 0 0, fail thread 0 1, "
      "deliver 0 0, deliver 0 0, end program 0 0, deliver 0 0, deliver 0 0, fail thread 0 1, "
      "deliver 0 0, deliver 0 0, plug 1 0, deliver 0 0, deliver 0 0, deliver 0 0, unplug 1 0",
      // Lists read one after another as sticks come and go.
      "plug 5 0, deliver 0 0, deliver 0 0, step 0 0, deliver 0 0, unplug 5 0, stray 0 0, "
      "deliver 0 0, save 0 3, plug 1 0, deliver 0 0, step 0 0, plug 0 0",
  };
  for (const char* found : kFound) {
    const std::vector<StormEvent> events = ParseEvents(found);
    ASSERT_TRUE(std::ranges::none_of(events, [](auto e) { return e.kind == StormEvent::kKinds; }))
        << found;
    EXPECT_EQ(Replay(events), std::vector<std::string>{}) << found;
  }
}

}  // namespace
}  // namespace mw::storm_world
