// The memory section: Mountwick's private bytes after start and over a soak
// of arrivals, beside those of a bare tray-window program, and its CPU time
// when idle.
#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <initializer_list>

#include "arrival_bench.h"

namespace mw::bench {

namespace {

SIZE_T PrivateBytes(HANDLE process) {
  PROCESS_MEMORY_COUNTERS_EX counters = {};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                       sizeof counters);
  // Wine leaves PrivateUsage at 0 and reports the committed private memory
  // as the page-file usage.
  return counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
}

// Private bytes of a program once it has settled after start.
SIZE_T SettledPrivateBytes(HANDLE process) {
  Sleep(2000);
  return PrivateBytes(process);
}

double CpuSeconds(HANDLE process) {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(process, &created, &exited, &kernel, &user);
  const auto ticks = [](FILETIME t) {
    return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  return (ticks(kernel) + ticks(user)) / 1e7;
}

double ToFloor(SIZE_T bytes, SIZE_T floor) {
  return Ratio(static_cast<double>(bytes), static_cast<double>(floor));
}

}  // namespace

bool MemorySection(const Bench& bench) {
  // The bare tray window first, then Mountwick over a soak of arrivals.
  driver::Running bare =
      driver::Start(bench.folder + "\\tray_floor.exe", "", bench.folder, "MOUNTWICK_FLOOR");
  if (!bare.window) {
    std::printf("error: the tray-window floor did not start\n");
    return false;
  }
  const SIZE_T floor_bytes = SettledPrivateBytes(bare.process);
  Quit(bare);
  std::printf("private_bytes_floor_tray_window %zu\n", static_cast<std::size_t>(floor_bytes));

  StoreActions(1, bench, true, driver::kVolumeId);
  DeleteFileA(bench.record.c_str());
  driver::Running running = driver::Start(bench.folder + "\\Mountwick.exe", "", bench.folder);
  if (!running.window) {
    std::printf("error: Mountwick did not start\n");
    return false;
  }
  const SIZE_T after_start = SettledPrivateBytes(running.process);
  std::printf("private_bytes_after_start %zu ratio_to_floor %.3f\n",
              static_cast<std::size_t>(after_start), ToFloor(after_start, floor_bytes));
  const double cpu_before = CpuSeconds(running.process);
  Sleep(static_cast<DWORD>(bench.idle_seconds) * 1000);
  const double idle_cpu = CpuSeconds(running.process) - cpu_before;
  std::printf("idle_cpu_seconds %.3f over %d s\n", idle_cpu, bench.idle_seconds);
  SIZE_T previous = after_start;
  int cycles = 0;
  for (int target : {bench.soak, bench.long_soak}) {
    for (; cycles < target; ++cycles) {
      if (!SendDriveArrival(running.window) || !WaitForChild(20000)) break;
    }
    const SIZE_T now = SettledPrivateBytes(running.process);
    std::printf("private_bytes_after_%d_arrivals %zu ratio_to_floor %.3f growth %lld\n", cycles,
                static_cast<std::size_t>(now), ToFloor(now, floor_bytes),
                static_cast<long long>(now) - static_cast<long long>(previous));
    previous = now;
  }
  Quit(running);
  return true;
}

}  // namespace mw::bench
