// A stick's Action that needs the stick's drive, started when the drive's
// volume arrival is broadcast, beside the floor of that broadcast: an Action
// of the drive entry started by the same arrival. The runner is a real thread
// and its waits are real, so a run that waited for its next half-second look
// instead of the arrival's wake would show it. Each pair runs twice: with the
// fake's start, which costs nothing, and with a real process started for each
// program (this machine's /bin/true), as every start on a user's machine is.
#include <spawn.h>
#include <sys/wait.h>
#include <benchmark/benchmark.h>

#include <condition_variable>
#include <thread>

#include "engine/dispatcher.h"
#include "fakes/fake_device_trees.h"
#include "fakes/fake_world.h"
#include "store/action_store.h"

namespace mw {
namespace {

using Clock = std::chrono::steady_clock;

// The fake world with waits that block and a clock that runs; it notes when
// the last program started.
class RealTimeWorld : public fake::FakeWorld {
 public:
  Signal CreateSignal() override {
    std::lock_guard<std::mutex> lock(guard_);
    return raised_[++next_] = false, next_;
  }
  void RaiseSignal(Signal signal) override {
    std::lock_guard<std::mutex> lock(guard_);
    raised_[signal] = true;
    changed_.notify_all();
  }
  bool WaitSignal(Signal signal, std::uint32_t milliseconds) override {
    std::unique_lock<std::mutex> lock(guard_);
    const bool raised = changed_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                                          [&] { return raised_[signal]; });
    raised_[signal] = false;
    return raised;
  }
  void CloseSignal(Signal signal) override {
    std::lock_guard<std::mutex> lock(guard_);
    raised_.erase(signal);
  }
  std::uint64_t Milliseconds() override {
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch())
            .count());
  }
  bool real_start = false;
  bool StartProcess(const std::string& command_line, ProcessWindow window, Process* process,
                    std::uint32_t* error, Thread* thread) override {
    pid_t child = 0;
    char program[] = "/bin/true";
    char* const arguments[] = {program, nullptr};
    // posix_spawn returns once the child runs the new program.
    if (real_start && posix_spawn(&child, program, nullptr, nullptr, arguments, environ) != 0)
      return *error = 2, false;
    {
      std::lock_guard<std::mutex> lock(guard_);
      started_at_ = Clock::now();
      changed_.notify_all();
    }
    if (child != 0) waitpid(child, nullptr, 0);
    return FakeWorld::StartProcess(command_line, window, process, error, thread);
  }
  // When the next program started after `since`, or nothing after 2 s.
  std::optional<Clock::time_point> NextStart(Clock::time_point since) {
    std::unique_lock<std::mutex> lock(guard_);
    if (!changed_.wait_for(lock, std::chrono::seconds(2), [&] { return started_at_ > since; }))
      return std::nullopt;
    return started_at_;
  }

 private:
  std::mutex guard_;
  std::condition_variable changed_;
  std::map<Signal, bool> raised_;
  Signal next_ = 0;
  Clock::time_point started_at_ = {};
};

// by_device: the stick's Action, plugged just before and waiting for its
// drive; else the drive entry's Action. Each iteration times one arrival.
void ArrivalToStart(benchmark::State& state, bool by_device) {
  RealTimeWorld world;
  world.real_start = state.range(0) != 0;
  state.SetLabel(world.real_start ? "real process start" : "fake start");
  const std::string id = by_device ? fake::kStickHardwareId : kGenericVolumeId;
  SaveActions(world.platform(),
              {fake::MakeAction("Name=A;HardwareID=" + id + ";ExeFile=C:\\APP.EXE %_newdrv_%:\\")});
  DeviceDiffMutex mutex(world);
  PendingRuns pending(mutex);
  Dispatcher dispatcher(world.platform(), pending);
  for (auto _ : state) {
    (void)fake::UsbStick(world, 'E');
    auto drive = world.storage.drives.extract('E');
    if (by_device) {
      dispatcher.Dispatch({DeviceEvent::DeviceListChanged});  // its run looks, then waits
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    world.storage.drives.insert(std::move(drive));
    const Clock::time_point arrived = Clock::now();
    dispatcher.Dispatch({DeviceEvent::VolumeArrived, 'E'});
    const auto started = world.NextStart(arrived);
    world.JoinAll();
    if (!started) return state.SkipWithError("the Action did not start");
    state.SetIterationTime(std::chrono::duration<double>(*started - arrived).count());
    world.storage.drives.clear();  // unplugged: the next stick is new again
    world.devices.back().present = false;
    dispatcher.Dispatch({DeviceEvent::DeviceListChanged});
  }
}

void BM_DriveArrivalFloor(benchmark::State& state) {
  ArrivalToStart(state, false);
}
void BM_DeviceDriveByArrival(benchmark::State& state) {
  ArrivalToStart(state, true);
}
// Arg 0: the fake's start; 1: a real process. Medians of 5 series of 30.
void Series(benchmark::internal::Benchmark* series) {
  series->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(30);
  series->Repetitions(5)->ReportAggregatesOnly(true);
}
BENCHMARK(BM_DriveArrivalFloor)->Apply(Series);
BENCHMARK(BM_DeviceDriveByArrival)->Apply(Series);

}  // namespace
}  // namespace mw
