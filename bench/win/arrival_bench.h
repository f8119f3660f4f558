#pragma once
// What the sections of the arrival benchmark share: its run's settings, the
// timing of one arrival and of one direct start of the child beside it, the
// summaries they print, and the new USB stick the usb and burst sections plug.
#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "tools/mountwick_driver_win.h"

namespace mw::bench {

// How long the benchmark waits on Mountwick's window before it counts it as gone.
constexpr DWORD kPatienceMs = 30000;

// One run: where the programs are, what the child records into, how long.
struct Bench {
  std::string folder, child, record;
  int arrivals = 30, idle_seconds = 60, soak = 300, long_soak = 900;
};

// Quits a program by its tray menu's command, or ends it when it has not quit within 10 s.
void Quit(const driver::Running& running);

unsigned long long Now();
std::vector<unsigned long long> ReadTimes(const std::string& path);

// Under Wine a program started a fifth of a second after another one ended
// starts about a third slower than after a second of quiet, whoever starts
// it. A series that pauses that long before its floor pauses as long before
// the arrival it times, so that both start alike.
constexpr DWORD kQuietMilliseconds = 1000;

// The arrival of drive E: as the system sends it; false when the window did not take it.
bool SendDriveArrival(HWND window);

// Waits for the next start of the child, signalled once it has written its time.
bool WaitForChild(DWORD timeout_ms);

struct Summary {
  double median_ms;
  double p95_ms;
};
Summary Summarize(std::vector<double> samples);
double Ratio(double value, double floor);

struct Latencies {
  std::vector<double> after_change;  // each arrival right after a change of the list
  std::vector<double> steady;        // arrivals with the list unchanged since the last
  std::vector<double> floor;         // a direct start of the child before each arrival
};

// One arrival made by arrive, which returns the time the arrival was
// announced, 0 when it could not be: the milliseconds from then until the
// started program wrote its time, or a negative figure when it did not start.
double TimeArrival(const std::function<unsigned long long()>& arrive, const std::string& record,
                   std::size_t lines_before);
// The same for a drive's arrival sent to window.
double TimeArrival(HWND window, const std::string& record, std::size_t lines_before);
// One direct start of the child, as Mountwick starts it: the milliseconds
// until it wrote its time, or a negative figure when it did not start.
double TimeDirectStart(const std::string& child, const std::string& record);

// Stores count Actions that start the child, the last of them bound to
// bound_id; the activity log on or off.
void StoreActions(int count, const Bench& bench, bool log, const char* bound_id);

// The ratio is to the floor taken beside the series, sample for sample.
void PrintLatency(const std::string& what, const std::vector<double>& samples,
                  const std::vector<double>& floor);

// Arrivals of a drive with actions stored: after one that reads the list at
// start, those that each follow a change (when asked for), then those without.
Latencies DriveLatencies(const Bench& bench, int actions, bool changes, bool log = true);

// The new stick whose arrival the usb and burst sections time, and up to
// kMostOthers other devices attached beside it, each with its own hardware id
// (devices of one model count once).
constexpr char kNewStick[] = "USB\\VID_BE0C&PID_0001";
constexpr int kMostOthers = 200;
class Others {
 public:
  // Attaches other devices until count are attached; false when one could not be.
  bool AttachUpTo(int count);
  int attached() const { return attached_; }

 private:
  int attached_ = 0;
};
// Every device this benchmark plugs, also those an aborted run left behind.
void UnplugAll();
bool PlugNewStick();
// What the system sends once the new stick is there: its USB interface's
// arrival and the list's change. The time of the first, or 0 when not taken.
unsigned long long AnnounceNewStick(HWND window);
// Pulls the new stick again and says so, then waits long enough that a
// program which folds broadcasts arriving close together has seen it gone
// before the next plug: folded with the next one, the device would not be new.
void UnplugNewStick(HWND window);
// Mountwick with one Action bound to bound_id, the new stick not plugged yet.
driver::Running StartForNewStick(const Bench& bench, const char* bound_id = kNewStick);

// The sections, in the order they run.
void VolumeSection(const Bench& bench);
void LogSection(const Bench& bench);
void UsbSection(const Bench& bench, Others& others);
void BurstSection(const Bench& bench, Others& others);
void RegisterSection(const Bench& bench);
bool MemorySection(const Bench& bench);  // false when a program did not start

}  // namespace mw::bench
