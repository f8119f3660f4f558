// One plugging of a USB device with 50 attached and 1000 Actions stored: the
// enumeration, the fresh load of every Action, the comparison with the last
// list and the runs of the Actions bound to the new device (runner threads
// run inline, processes are fakes).
#include <benchmark/benchmark.h>

#include <set>

#include "engine/dispatcher.h"
#include "fakes/fake_world.h"
#include "store/action_store.h"

namespace mw {
namespace {

constexpr int kDevices = 50;
constexpr int kActions = 1000;

std::string HardwareIdOf(int device) {
  return "USB\\VID_0BDA&PID_" + std::to_string(0x100 + device) + "&REV_0100";
}

void BM_DispatchDeviceListChange(benchmark::State& state) {
  fake::FakeWorld world;
  world.run_threads_inline = true;
  const Platform platform = world.platform();
  for (int device = 0; device < kDevices; ++device) {
    world.Add(fake::FakeDevice{}
                  .Multi(setup::kSpdrpHardwareId, {HardwareIdOf(device)})
                  .Text(setup::kSpdrpFriendlyName, "USB Mass Storage " + std::to_string(device))
                  .Text(setup::kSpdrpDeviceDesc, "USB 大容量記憶装置")
                  .Text(setup::kSpdrpMfg, "Generic")
                  .Text(setup::kSpdrpLocationInformation, "Port_#0001.Hub_#0004")
                  .Text(setup::kSpdrpService, "USBSTOR")
                  .Text(setup::kSpdrpPhysicalDeviceObjectName, "\\Device\\USBPDO-7"));
  }
  // Every device has its share of the Actions; the plugged one starts 20 runs.
  ActionList actions(kActions);
  for (int i = 0; i < kActions; ++i) {
    Action& action = actions[static_cast<std::size_t>(i)];
    action.Name = "アクション " + std::to_string(i);
    action.HardwareID = HardwareIdOf(i % kDevices);
    action.ExeFile = "C:\\TOOLS\\BACKUP.EXE /device " + std::to_string(i);
  }
  SaveActions(platform, actions);

  fake::FakeDevice& plugged = world.devices.back();
  DeviceDiffMutex mutex(world);
  PendingRuns pending(mutex);
  Dispatcher dispatcher(platform, pending);

  std::size_t registry_calls = 0;
  std::size_t runs = 0;
  using C = fake::Call;
  const std::set<C> registry_methods = {C::kOpenKey,     C::kCreateKey,     C::kQueryValue,
                                        C::kSetValue,    C::kEnumValueName, C::kDeleteValue,
                                        C::kCountValues, C::kDeleteKey};
  bool timing = false;
  world.fault = [&](fake::Call call, const std::string&) {
    if (timing) registry_calls += registry_methods.count(call);
    return 0L;
  };
  for (auto _ : state) {
    state.PauseTiming();
    plugged.present = false;
    dispatcher.Dispatch(
        {DeviceEvent::DeviceListChanged});  // unplugged: the baseline lacks it again
    plugged.present = true;
    world.started.clear();
    timing = true;
    state.ResumeTiming();

    dispatcher.Dispatch({DeviceEvent::DeviceListChanged});

    state.PauseTiming();
    timing = false;
    state.ResumeTiming();
    runs += world.started.size();
  }
  if (world.started.size() != kActions / kDevices || !world.shown.empty())
    state.SkipWithError("the plugged device did not start its Actions");
  const auto per_dispatch = [&](std::size_t total) {
    return benchmark::Counter(static_cast<double>(total), benchmark::Counter::kAvgIterations);
  };
  state.counters["registry_calls"] = per_dispatch(registry_calls);
  state.counters["runs"] = per_dispatch(runs);
}
BENCHMARK(BM_DispatchDeviceListChange)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace mw
