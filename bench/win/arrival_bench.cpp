// What the sections of the arrival benchmark share: one arrival timed to the
// start of the program its Action runs, one direct start of that program
// beside it, the summaries printed of both, and Mountwick's Actions and quit.
#include <algorithm>
#include <cstdio>
#include <fstream>

#include "arrival_bench.h"
#include "resource.h"

namespace mw::bench {

void Quit(const driver::Running& running) {
  if (running.window) PostMessageA(running.window, WM_COMMAND, IDM_EXIT, 0);
  driver::Finish(running.process, 10000);
}

unsigned long long Now() {
  FILETIME now;
  GetSystemTimePreciseAsFileTime(&now);
  return (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

std::vector<unsigned long long> ReadTimes(const std::string& path) {
  std::vector<unsigned long long> times;
  std::ifstream file(path);
  unsigned long long value = 0;
  while (file >> value) times.push_back(value);
  return times;
}

bool SendDriveArrival(HWND window) {
  return driver::SendVolumeArrival(window, 1u << 4, 0, kPatienceMs);
}

// Signalled by each start of the child once it has written its time. The
// benchmark waits on it rather than reading the file over and over: polling
// would load the wineserver that the start being measured also needs.
bool WaitForChild(DWORD timeout_ms) {
  static const HANDLE started = CreateEventA(nullptr, FALSE, FALSE, "MountwickBenchChildStarted");
  return WaitForSingleObject(started, timeout_ms) == WAIT_OBJECT_0;
}

namespace {

// A pause before each start measured, so that the last child and its console
// have gone: with 50 ms the floor's own spread (p95 three times the median)
// hid the effects measured. Some series pause longer (kQuietMilliseconds).
void Settle() {
  Sleep(200);
}

}  // namespace

Summary Summarize(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  if (samples.empty()) return {0, 0};
  const auto at = [&](double q) {
    return samples[std::min(samples.size() - 1,
                            static_cast<std::size_t>(q * (samples.size() - 1) + 0.5))];
  };
  return {at(0.5), at(0.95)};
}

double Ratio(double value, double floor) {
  return floor > 0 ? value / floor : 0.0;
}

double TimeArrival(const std::function<unsigned long long()>& arrive, const std::string& record,
                   std::size_t lines_before) {
  Settle();
  const unsigned long long sent = arrive();
  if (sent == 0 || !WaitForChild(20000)) return -1;
  const std::vector<unsigned long long> times = ReadTimes(record);
  return times.size() > lines_before ? (times.back() - sent) / 10000.0 : -1;
}

double TimeArrival(HWND window, const std::string& record, std::size_t lines_before) {
  return TimeArrival(
      [&] {
        const unsigned long long sent = Now();
        return SendDriveArrival(window) ? sent : 0;
      },
      record, lines_before);
}

double TimeDirectStart(const std::string& child, const std::string& record) {
  const std::size_t lines = ReadTimes(record).size();
  std::string command = child + " " + record;
  Settle();
  const unsigned long long started = Now();
  const HANDLE process =
      driver::Launch(std::move(command), nullptr, CREATE_NEW_CONSOLE | CREATE_NEW_PROCESS_GROUP);
  if (!process) return -1;
  WaitForChild(20000);
  WaitForSingleObject(process, 20000);
  CloseHandle(process);
  const std::vector<unsigned long long> times = ReadTimes(record);
  return times.size() > lines ? (times.back() - started) / 10000.0 : -1;
}

void StoreActions(int count, const Bench& bench, bool log, const char* bound_id) {
  driver::RemoveAllSettings();
  if (!log) driver::WriteString(driver::kSettingsKey, "ActivityLog", "0");
  std::vector<driver::Fields> actions;
  for (int i = 0; i < count; ++i)
    actions.push_back(
        driver::Action("Action " + std::to_string(i),
                       i == count - 1 ? bound_id : "USB\\VID_0000&PID_" + std::to_string(i),
                       bench.child + " " + bench.record));
  driver::StoreActions(actions);
}

void PrintLatency(const std::string& what, const std::vector<double>& samples,
                  const std::vector<double>& floor) {
  const Summary s = Summarize(samples);
  const double floor_ms = Summarize(floor).median_ms;
  std::printf(
      "arrival_to_start_ms %s median %.2f p95 %.2f (n=%zu) floor_beside %.2f ratio_to_floor "
      "%.2f\n",
      what.c_str(), s.median_ms, s.p95_ms, samples.size(), floor_ms, Ratio(s.median_ms, floor_ms));
}

}  // namespace mw::bench
