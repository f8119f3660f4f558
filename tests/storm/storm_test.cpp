// The promise held over storms of random events. A short storm runs with the
// other tests; scripts/storm.sh runs one for minutes. MOUNTWICK_STORM_SEED
// replays one sequence; MOUNTWICK_STORM_SECONDS storms that long.
#include <gtest/gtest.h>

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

// The shortest part of events found that still breaks the promise.
std::vector<StormEvent> Shrink(std::vector<StormEvent> events) {
  for (std::size_t chunk = events.size() / 2; chunk >= 1; chunk /= 2)
    for (std::size_t at = 0; at + chunk <= events.size();) {
      std::vector<StormEvent> fewer = events;
      fewer.erase(fewer.begin() + static_cast<long>(at),
                  fewer.begin() + static_cast<long>(at + chunk));
      if (!Replay(fewer).empty())
        events = std::move(fewer);
      else
        at += chunk;
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
      const std::vector<StormEvent> few = Shrink(drawn);
      for (const StormEvent& event : few) shrunk += "  " + Describe(event) + "\n";
      const std::vector<std::string> again = Replay(few, &log);
      FAIL() << "sequence " << seed << " (MOUNTWICK_STORM_SEED=" << seed << "): " << broken[0]
             << "\nshrunk to:\n"
             << shrunk << again[0] << "\nits log:\n"
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
  using E = StormEvent;
  const std::vector<std::vector<StormEvent>> kFound = {
      // A device whose instance could not be read once looked gone, then new.
      {{E::kBurst, 3739500109, 1138294691},
       {E::kFailInstance, 1012522683, 2874210110},
       {E::kSave, 1067056549, 1008307597}},
      // Pulled and plugged again while a list waited to be read: the list and
      // the device's own arrival both ran its Actions.
      {{E::kReplug, 2902175842, 1312043788},
       {E::kDeliver, 1087943313, 3535063502},
       {E::kFailList, 1215060675, 4042293426},
       {E::kUnplug, 937079284, 3056919719},
       {E::kDeliver, 1549456994, 479436671},
       {E::kDeliver, 538255030, 1125382546},
       {E::kDeliver, 1789555596, 3959722},
       {E::kDeliver, 3654483173, 2344971393},
       {E::kEndProgram, 1697598115, 3502511205},
       {E::kPlug, 1577334622, 1309968159},
       {E::kFailThread, 148087447, 3904798246}},
      // A list read in place saw a stick gone and back before its removal was
      // told: the late removal and the arrival after it ran it again.
      {{E::kBurst, 2256309321, 935552822},
       {E::kBurst, 843008683, 1124754102},
       {E::kSave, 1032616352, 2146762200},
       {E::kDeliver, 2823550426, 4188564444},
       {E::kDeliver, 2652708240, 3764186764},
       {E::kFailThread, 2738172975, 1653306772},
       {E::kDeliver, 4193396414, 3541582454},
       {E::kStep, 124769992, 186033347},
       {E::kDeliver, 50978188, 3942823923},
       {E::kReplug, 2381160442, 1935629960},
       {E::kDeliver, 1393421185, 2076373853},
       {E::kUnplug, 1834587818, 1102851014},
       {E::kDeliver, 3682662788, 3313576216},
       {E::kDeliver, 2182655110, 2535925049},
       {E::kDeliver, 1892869536, 1472435900},
       {E::kDeliver, 3767534995, 2785713144},
       {E::kFailThread, 3970082591, 1757321524},
       {E::kPlug, 1563837590, 3477592975}},
      // One of the runs of an arrival with removal whose thread could not start.
      {{E::kSave, 3763196597, 4229576713},
       {E::kUnplug, 3033358256, 1825554245},
       {E::kPlug, 772739408, 2997331198},
       {E::kFailThread, 489004276, 3903739636}},
      // Lists read in place saw a stick come, then go, before its arrival was
      // told: the late arrival ran it again.
      {{E::kReplug, 2471976862, 800061501},     {E::kDeliver, 4275216080, 3384176296},
       {E::kDeliver, 2499537064, 3816099608},   {E::kDeliver, 1797873822, 2813142199},
       {E::kStep, 1313381857, 3116025609},      {E::kStep, 540351731, 4145105957},
       {E::kStray, 3837569151, 717962839},      {E::kFailThread, 2086169739, 1882045249},
       {E::kDeliver, 3070123939, 2404079942},   {E::kDeliver, 1704685383, 1302020233},
       {E::kDeliver, 4167911432, 442038359},    {E::kStep, 2146079749, 4071576558},
       {E::kUnplug, 501763456, 1327952649},     {E::kStep, 3441627760, 997111994},
       {E::kDeliver, 2333471045, 365682733},    {E::kReplug, 2657016516, 4050320176},
       {E::kDeliver, 870661418, 2145024089},    {E::kDeliver, 3530010739, 3786771647},
       {E::kFailThread, 377909274, 2813837259}, {E::kEndProgram, 660147206, 770755591},
       {E::kDeliver, 1589179406, 586957031},    {E::kPlug, 346754218, 345562871},
       {E::kDeliver, 4132097931, 1623674180},   {E::kDeliver, 3127792397, 1036044248},
       {E::kUnplug, 1006311508, 927534847}},
      // A stick with a disabled Action beside one with removal.
      {{E::kSave, 3473074133, 1122086371}, {E::kReplug, 245988778, 1997445928}},
  };
  for (const std::vector<StormEvent>& events : kFound)
    EXPECT_EQ(Replay(events), std::vector<std::string>{}) << Describe(events.front());
}

}  // namespace
}  // namespace mw::storm_world
