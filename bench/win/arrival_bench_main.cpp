// Measures Mountwick.exe under Wine: the time from a volume arrival to the
// start of the program its Action runs, with 1, 100 and 1,000 Actions stored
// and right after the settings changed; from a new USB device's arrival with
// 0, 50 and 200 other devices attached, alone and amid a burst of device-list
// broadcasts, with the window's longest answer during the burst, and from a
// drive's arrival in the new device's rhythm; each beside
// the floor of starting the same program directly. Then the settings dialog's
// Register with 100 Actions; its CPU time when idle; its private bytes after
// start-up and over many arrival cycles, beside those of a bare tray-window
// program. Prints figures only; nothing here passes or fails on a timing.
//
//   arrival_bench [arrivals [idle-seconds [soak [long-soak [sections]]]]]
//
// sections: "all", or a comma-separated list of volume, log, usb, burst,
// register and memory; "arrivals" stands for volume,log,usb,burst. Each
// section is a file of its own, arrival_<section>.cpp.
#include <cstdio>
#include <cstdlib>

#include "arrival_bench.h"

namespace {

// Whether the comma-separated list names the section, or "arrivals" does.
bool Wants(const std::string& sections, const std::string& name) {
  const std::string list = "," + sections + ",";
  const bool arrival = name == "volume" || name == "log" || name == "usb" || name == "burst";
  return sections == "all" || list.find("," + name + ",") != std::string::npos ||
         (arrival && list.find(",arrivals,") != std::string::npos);
}

// The floor of every series: direct starts of the child, one after another.
std::vector<double> DirectStarts(const mw::bench::Bench& bench) {
  DeleteFileA(bench.record.c_str());
  std::vector<double> latencies;
  for (double ms = 0; static_cast<int>(latencies.size()) < bench.arrivals;) {
    if ((ms = mw::bench::TimeDirectStart(bench.child, bench.record)) < 0) break;
    latencies.push_back(ms);
  }
  return latencies;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace mw::bench;
  std::setvbuf(stdout, nullptr, _IONBF, 0);  // figures appear as they are taken
  Bench bench;
  if (argc > 1) bench.arrivals = std::atoi(argv[1]);
  if (argc > 2) bench.idle_seconds = std::atoi(argv[2]);
  if (argc > 3) bench.soak = std::atoi(argv[3]);
  if (argc > 4) bench.long_soak = std::atoi(argv[4]);
  const std::string sections = argc > 5 ? argv[5] : "all";
  bench.folder = mw::driver::ProgramFolder();
  bench.child = bench.folder + "\\bench_child.exe";
  char temp[MAX_PATH] = {};
  GetTempPathA(sizeof temp, temp);
  bench.record = std::string(temp) + "mw_bench_times.txt";

  const Summary floor = Summarize(DirectStarts(bench));
  std::printf("floor_createprocess_ms median %.2f p95 %.2f (n=%d)\n", floor.median_ms, floor.p95_ms,
              bench.arrivals);
  if (Wants(sections, "volume")) VolumeSection(bench);
  if (Wants(sections, "log")) LogSection(bench);
  if (Wants(sections, "usb") || Wants(sections, "burst")) {
    UnplugAll();
    Others others;
    if (Wants(sections, "usb")) UsbSection(bench, others);
    if (Wants(sections, "burst")) BurstSection(bench, others);
    UnplugAll();
  }
  if (Wants(sections, "register")) RegisterSection(bench);
  if (Wants(sections, "memory") && !MemorySection(bench)) return 1;
  mw::driver::RemoveAllSettings();
  DeleteFileA(bench.record.c_str());
  return 0;
}
