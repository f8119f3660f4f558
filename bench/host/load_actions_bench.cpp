// LoadActions opens the Actions key once and reads sixteen values per Action:
// what one reload after a change of the settings costs.
#include <benchmark/benchmark.h>

#include "fakes/fake_world.h"
#include "store/action_store.h"

namespace mw {
namespace {

ActionList MakeActions(int count) {
  ActionList actions(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    Action& action = actions[static_cast<std::size_t>(i)];
    action.Name = "アクション " + std::to_string(i);
    action.HardwareID = "USB\\VID_0BDA&PID_" + std::to_string(1000 + i);
    action.ExeFile = "C:\\TOOLS\\SYNC.EXE /from %_newdrv_%:\\DCIM /to D:\\PHOTOS";
    action.Eject = "1";
  }
  return actions;
}

void BM_LoadActions(benchmark::State& state) {
  fake::FakeWorld world;
  const Platform platform = world.platform();
  SaveActions(platform, MakeActions(static_cast<int>(state.range(0))));

  ActionList loaded;
  const std::size_t calls_before = world.calls;
  for (auto _ : state) {
    (void)LoadActions(platform, loaded);
    benchmark::DoNotOptimize(loaded.data());
  }
  if (loaded.size() != static_cast<std::size_t>(state.range(0)) || !world.shown.empty())
    state.SkipWithError("the stored list did not load whole");
  state.counters["registry_calls"] = benchmark::Counter(
      static_cast<double>(world.calls - calls_before), benchmark::Counter::kAvgIterations);
  state.counters["actions"] = static_cast<double>(loaded.size());
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LoadActions)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace mw
