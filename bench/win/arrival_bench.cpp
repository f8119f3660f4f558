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
// register and memory; "arrivals" stands for volume,log,usb,burst.
#include <windows.h>

#include <commctrl.h>
#include <dbt.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "model/version.h"
#include "tools/fake_usb_device.h"

namespace {

std::string Folder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string folder = path;
  return folder.substr(0, folder.find_last_of('\\'));
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

constexpr char kActionsKey[] = "software\\Quillory\\Mountwick\\1.0\\Actions";
constexpr char kVolumeEntry[] = "MESSAGE://DBT_DEVICEARRIVAL/VOLUME";

void SetString(HKEY key, const std::string& name, const std::string& text) {
  RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>(text.size() + 1));
}

// count Actions, the last of which is bound to bound_id (by default the
// generic drive entry); the activity log on or off.
void StoreActions(int count, const std::string& child, const std::string& record, bool log,
                  const char* bound_id = kVolumeEntry) {
  RegDeleteTreeA(HKEY_CURRENT_USER, "software\\Quillory");
  HKEY key = nullptr;
  if (!log && RegCreateKeyExA(HKEY_CURRENT_USER, "software\\Quillory\\Mountwick\\1.0", 0, nullptr,
                              0, KEY_ALL_ACCESS, nullptr, &key, nullptr) == ERROR_SUCCESS) {
    SetString(key, "ActivityLog", "0");
    RegCloseKey(key);
  }
  RegCreateKeyExA(HKEY_CURRENT_USER, kActionsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                  nullptr);
  for (int i = 0; i < count; ++i) {
    const std::string prefix = std::to_string(i) + "_";
    SetString(key, prefix + "Name", "Action " + std::to_string(i));
    SetString(key, prefix + "State", "0");
    SetString(key, prefix + "HardwareID",
              i == count - 1 ? bound_id : "USB\\VID_0000&PID_" + std::to_string(i));
    SetString(key, prefix + "ExeFile", child + " " + record);
    SetString(key, prefix + "Eject", "0");
  }
  RegCloseKey(key);
}

// A change any writer could make: the first Action renamed. The name differs
// each time, since the registry takes writing the same data again for no
// change at all.
void ChangeActions(int round) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kActionsKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
    return;
  SetString(key, "0_Name", "Action 0, change " + std::to_string(round));
  RegCloseKey(key);
}

struct Running {
  HANDLE process = nullptr;
  HWND window = nullptr;
};

Running StartProgram(const std::string& folder, const std::string& exe_name,
                     const std::string& arguments, const char* window_class) {
  Running running;
  const std::string exe = folder + "\\" + exe_name;
  std::string command = "\"" + exe + "\"" + arguments;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &startup, &info))
    return running;
  CloseHandle(info.hThread);
  running.process = info.hProcess;
  for (int i = 0; i < 400 && !running.window; ++i) {
    running.window = FindWindowA(window_class, nullptr);
    if (!running.window) Sleep(50);
  }
  return running;
}

Running StartMountwick(const std::string& folder, const std::string& arguments = "") {
  return StartProgram(folder, "Mountwick.exe", arguments, "MOUNTWICK");
}

void Stop(Running& running) {
  if (running.window) PostMessageA(running.window, WM_COMMAND, 105, 0);
  if (WaitForSingleObject(running.process, 10000) != WAIT_OBJECT_0)
    TerminateProcess(running.process, 1);
  CloseHandle(running.process);
}

bool SendArrival(HWND window) {
  DEV_BROADCAST_VOLUME volume = {};
  volume.dbcv_size = sizeof volume;
  volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
  volume.dbcv_unitmask = 1u << 4;
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(window, WM_DEVICECHANGE, DBT_DEVICEARRIVAL,
                             reinterpret_cast<LPARAM>(&volume), SMTO_NORMAL, 30000, &result) != 0;
}

// The broadcast that follows any device plugged or pulled, sent as the system
// sends it: the sender waits for the window to take it.
bool SendNodesChanged(HWND window) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(window, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0, SMTO_NORMAL, 30000,
                             &result) != 0;
}

// The device whose arrival is timed, and the others attached beside it. Each
// has its own hardware id: devices of one model count once.
constexpr char kNewStick[] = "USB\\VID_BE0C&PID_0001";
constexpr char kNewStickInstance[] = "ROOT\\MWBENCH\\NEW";
constexpr int kMostOthers = 200;

std::string OtherInstance(int i) {
  return "ROOT\\MWBENCH\\" + std::to_string(i);
}

bool Plug(const std::string& instance, const std::string& hardware_id) {
  const mw::fakeusb::FakeUsbDevice device{
      instance, {hardware_id}, {}, "USB Mass Storage Device", "Compatible USB storage device",
      "USBSTOR"};
  const mw::fakeusb::Outcome outcome = mw::fakeusb::InstallFakeUsbDevice(device);
  return outcome.ok() || outcome.error == ERROR_DEVINST_ALREADY_EXISTS;
}

// Attaches other devices until count are attached.
bool AttachOthers(int count, int& attached) {
  for (; attached < count; ++attached) {
    char hardware_id[64];
    std::snprintf(hardware_id, sizeof hardware_id, "USB\\VID_BE0D&PID_%04X", attached);
    if (!Plug(OtherInstance(attached), hardware_id)) return false;
  }
  return true;
}

// Every device this benchmark plugs, also those an aborted run left behind.
void UnplugAll() {
  mw::fakeusb::RemoveFakeUsbDevice(kNewStickInstance);
  for (int i = 0; i < kMostOthers; ++i) mw::fakeusb::RemoveFakeUsbDevice(OtherInstance(i));
}

// Under Wine a program started a fifth of a second after another one ended
// starts about a third slower than after a second of quiet, whoever starts
// it. A series that pauses that long before its floor pauses as long before
// the arrival it times, so that both start alike.
constexpr DWORD kQuietMilliseconds = 1000;

// Pulls the new device again and says so, then waits long enough that a
// program which folds broadcasts arriving close together has seen it gone
// before the next plug: folded with the next one, the device would not be new.
void Unplug(HWND window) {
  mw::fakeusb::RemoveFakeUsbDevice(kNewStickInstance);
  SendNodesChanged(window);
  Sleep(kQuietMilliseconds);
}

// Signalled by each start of the child once it has written its time. The
// benchmark waits on it rather than reading the file over and over: polling
// would load the wineserver that the start being measured also needs.
HANDLE ChildStarted() {
  static const HANDLE event = CreateEventA(nullptr, FALSE, FALSE, "MountwickBenchChildStarted");
  return event;
}

bool WaitForChild(DWORD timeout_ms) {
  return WaitForSingleObject(ChildStarted(), timeout_ms) == WAIT_OBJECT_0;
}

// A pause before each start measured, so that the last child and its console
// have gone: with 50 ms the floor's own spread (p95 three times the median)
// hid the effects measured. Some series pause longer (kQuietMilliseconds).
void Settle() {
  Sleep(200);
}

struct Summary {
  double median_ms;
  double p95_ms;
};

Summary Summarize(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  if (samples.empty()) return {0, 0};
  const auto at = [&](double q) {
    return samples[std::min(samples.size() - 1,
                            static_cast<std::size_t>(q * (samples.size() - 1) + 0.5))];
  };
  return {at(0.5), at(0.95)};
}

// One arrival made by arrive, which returns the time the arrival was
// announced, 0 when it could not be: the milliseconds from then until the
// started program wrote its time, or a negative figure when it did not start.
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
        return SendArrival(window) ? sent : 0;
      },
      record, lines_before);
}

// What the system sends once the new device is there: its USB interface's
// arrival and the list's change. Timed from the first.
unsigned long long AnnounceNewStick(HWND window) {
  const unsigned long long sent = Now();
  return mw::fakeusb::SendUsbInterfaceArrival(window, kNewStickInstance) && SendNodesChanged(window)
             ? sent
             : 0;
}

unsigned long long PlugNewStick(HWND window) {
  return Plug(kNewStickInstance, kNewStick) ? AnnounceNewStick(window) : 0;
}

struct Latencies {
  std::vector<double> after_change;  // each arrival right after a change of the list
  std::vector<double> steady;        // arrivals with the list unchanged since the last
  std::vector<double> floor;         // a direct start of the child before each arrival
};

// One direct start of the child, as Mountwick starts it: the milliseconds
// until it wrote its time, or a negative figure when it did not start.
double TimeDirectStart(const std::string& child, const std::string& record) {
  const std::size_t lines = ReadTimes(record).size();
  std::string command = child + " " + record;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  Settle();
  const unsigned long long started = Now();
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE,
                      CREATE_NEW_CONSOLE | CREATE_NEW_PROCESS_GROUP, nullptr, nullptr, &startup,
                      &info))
    return -1;
  WaitForChild(20000);
  WaitForSingleObject(info.hProcess, 20000);
  CloseHandle(info.hProcess);
  CloseHandle(info.hThread);
  const std::vector<unsigned long long> times = ReadTimes(record);
  return times.size() > lines ? (times.back() - started) / 10000.0 : -1;
}

// With actions stored: after one arrival that reads the list at start, the
// arrivals that each follow a change (when asked for), then those without.
// Each arrival follows a direct start of the child, so that every series has
// its floor taken beside it: Wine's process start slows down over a long run.
Latencies ArrivalLatencies(const std::string& folder, int actions, int arrivals, bool changes,
                           const std::string& child, const std::string& record, bool log = true) {
  const std::string floor_record = record + ".floor";
  DeleteFileA(floor_record.c_str());
  StoreActions(actions, child, record, log);
  DeleteFileA(record.c_str());
  Running running = StartMountwick(folder);
  Latencies latencies;
  std::size_t lines = 0;
  bool started = running.window && TimeArrival(running.window, record, lines++) >= 0;
  for (int i = 0; started && changes && i < arrivals; ++i) {
    latencies.floor.push_back(TimeDirectStart(child, floor_record));
    ChangeActions(i);
    // A device plugged two seconds after a save: reading a thousand Actions
    // takes about a second under Wine, and it belongs to the save, not to
    // the arrival.
    Sleep(2000);
    const double ms = TimeArrival(running.window, record, lines++);
    started = ms >= 0;
    if (started) latencies.after_change.push_back(ms);
  }
  for (int i = 0; started && i < arrivals; ++i) {
    latencies.floor.push_back(TimeDirectStart(child, floor_record));
    const double ms = TimeArrival(running.window, record, lines++);
    started = ms >= 0;
    if (started) latencies.steady.push_back(ms);
  }
  Stop(running);
  return latencies;
}

// Mountwick with one Action bound to bound_id (the new stick, which is not
// plugged yet, by default).
Running StartForNewStick(const std::string& folder, const std::string& child,
                         const std::string& record, const char* bound_id = kNewStick) {
  DeleteFileA((record + ".floor").c_str());
  StoreActions(1, child, record, true, bound_id);
  DeleteFileA(record.c_str());
  mw::fakeusb::RemoveFakeUsbDevice(kNewStickInstance);
  return StartMountwick(folder);
}

// A new USB device with others attached since before Mountwick started: each
// arrival follows a direct start of the child, and the device is pulled
// again after it. With by_drive, the same plugging and pulling, but the
// Action is bound to the drive entry and a drive's arrival is timed: what
// any start costs in this rhythm, to tell the USB arrival's own part.
Latencies NewDeviceLatencies(const std::string& folder, int arrivals, const std::string& child,
                             const std::string& record, bool by_drive = false) {
  const std::string floor_record = record + ".floor";
  Running running = StartForNewStick(folder, child, record, by_drive ? kVolumeEntry : kNewStick);
  Latencies latencies;
  for (std::size_t lines = 0; running.window && static_cast<int>(lines) < arrivals; ++lines) {
    latencies.floor.push_back(TimeDirectStart(child, floor_record));
    // Plugged before the quiet that precedes each start measured: installing
    // the fake device keeps the wineserver busy for a while, which is the
    // harness's cost, not the arrival's.
    if (!Plug(kNewStickInstance, kNewStick)) break;
    Sleep(kQuietMilliseconds);
    const double ms =
        by_drive ? TimeArrival(running.window, record, lines)
                 : TimeArrival([&] { return AnnounceNewStick(running.window); }, record, lines);
    Unplug(running.window);
    if (ms < 0) break;
    latencies.steady.push_back(ms);
  }
  Stop(running);
  return latencies;
}

// Asks the window for an answer to WM_NULL over and over, as any program may,
// until finished; keeps the longest wait for an answer.
class Pinger {
 public:
  explicit Pinger(HWND window)
      : thread_([this, window] {
          while (!stop_) {
            const unsigned long long sent = Now();
            DWORD_PTR result = 0;
            SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result);
            longest_ms_ = std::max(longest_ms_, (Now() - sent) / 10000.0);
            Sleep(5);
          }
        }) {}
  double Finish() {
    stop_ = true;
    thread_.join();
    return longest_ms_;
  }

 private:
  std::atomic<bool> stop_{false};
  double longest_ms_ = 0;
  std::thread thread_;  // last: it starts once the fields above are set
};

struct Bursts {
  Latencies arrival;                   // the new device's, in steady, beside its floor
  std::vector<double> longest_answer;  // the window's longest answer during each burst
  std::vector<double> quiet_answer;    // the same over a quiet half second before it
};

constexpr int kBurstLength = 30;

// Bursts of device-list broadcasts sent back to back, the new device plugged
// before the middle one, with the devices attached that are attached now.
// The window is asked for answers from the first broadcast until a second
// after both the last one and the start of the new device's program.
Bursts BurstLatencies(const std::string& folder, int count, const std::string& child,
                      const std::string& record) {
  const std::string floor_record = record + ".floor";
  Running running = StartForNewStick(folder, child, record);
  Bursts bursts;
  for (std::size_t lines = 0; running.window && static_cast<int>(lines) < count; ++lines) {
    bursts.arrival.floor.push_back(TimeDirectStart(child, floor_record));
    Sleep(kQuietMilliseconds);
    Pinger quiet(running.window);
    Sleep(500);
    bursts.quiet_answer.push_back(quiet.Finish());
    std::unique_ptr<Pinger> pinger;
    const double ms = TimeArrival(
        [&] {
          pinger = std::make_unique<Pinger>(running.window);
          unsigned long long sent = 0;
          for (int i = 0; i < kBurstLength; ++i) {
            if (i == kBurstLength / 2)
              sent = PlugNewStick(running.window);
            else
              SendNodesChanged(running.window);
          }
          return sent;
        },
        record, lines);
    Sleep(1000);
    bursts.longest_answer.push_back(pinger ? pinger->Finish() : -1);
    Unplug(running.window);
    if (ms < 0) break;
    bursts.arrival.steady.push_back(ms);
  }
  Stop(running);
  return bursts;
}

std::vector<double> DirectStarts(const std::string& child, const std::string& record, int count) {
  DeleteFileA(record.c_str());
  std::vector<double> latencies;
  for (double ms = 0; static_cast<int>(latencies.size()) < count;) {
    if ((ms = TimeDirectStart(child, record)) < 0) break;
    latencies.push_back(ms);
  }
  return latencies;
}

SIZE_T PrivateBytes(HANDLE process) {
  PROCESS_MEMORY_COUNTERS_EX counters = {};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                       sizeof counters);
  // Wine leaves PrivateUsage at 0 and reports the committed private memory
  // as the page-file usage.
  return counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
}

double CpuSeconds(HANDLE process) {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(process, &created, &exited, &kernel, &user);
  const auto ticks = [](FILETIME t) {
    return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  return (ticks(kernel) + ticks(user)) / 1e7;
}

LRESULT SendTo(HWND window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(window, message, wparam, lparam, SMTO_NORMAL, 60000, &result);
  return static_cast<LRESULT>(result);
}

// Selects a row of the settings dialog's list: the item record has to live in
// the dialog's process.
bool SelectRow(HANDLE process, HWND list, int row) {
  void* remote = VirtualAllocEx(process, nullptr, sizeof(LVITEMA), MEM_COMMIT, PAGE_READWRITE);
  if (!remote) return false;
  LVITEMA item = {};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  const bool written = WriteProcessMemory(process, remote, &item, sizeof item, nullptr) != 0;
  if (written)
    SendTo(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote));
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  return written;
}

HWND WaitForDialog(DWORD process_id, const char* caption) {
  for (int i = 0; i < 400; ++i) {
    HWND found = nullptr;
    for (HWND window = FindWindowExA(nullptr, nullptr, "#32770", nullptr); window && !found;
         window = FindWindowExA(nullptr, window, "#32770", nullptr)) {
      DWORD owner = 0;
      GetWindowThreadProcessId(window, &owner);
      char text[256] = {};
      GetWindowTextA(window, text, sizeof text);
      if (owner == process_id && std::string(text) == caption) found = window;
    }
    if (found) return found;
    Sleep(50);
  }
  return nullptr;
}

// The settings dialog with actions stored: the last row changed and
// registered again, each Register timed until the list is stored.
std::vector<double> RegisterTimes(const std::string& folder, int actions, int count,
                                  const std::string& child, const std::string& record) {
  constexpr int kActionList = 1005, kChange = 1008, kRegister = 1012;
  StoreActions(actions, child, record, true);
  Running running = StartMountwick(folder, " /S");
  std::vector<double> times;
  HWND dialog = running.window ? WaitForDialog(GetProcessId(running.process),
                                               "Mountwick Ver" MOUNTWICK_VERSION_TEXT
                                               " (Build" MOUNTWICK_BUILD_TEXT ")  アクションの設定")
                               : nullptr;
  if (dialog && SelectRow(running.process, GetDlgItem(dialog, kActionList), actions - 1)) {
    for (int i = 0; i < count; ++i) {
      SendTo(dialog, WM_COMMAND, MAKEWPARAM(kChange, BN_CLICKED),
             reinterpret_cast<LPARAM>(GetDlgItem(dialog, kChange)));
      const unsigned long long pressed = Now();
      SendTo(dialog, WM_COMMAND, MAKEWPARAM(kRegister, BN_CLICKED),
             reinterpret_cast<LPARAM>(GetDlgItem(dialog, kRegister)));
      times.push_back((Now() - pressed) / 10000.0);
    }
  }
  if (dialog) SendTo(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  Stop(running);
  return times;
}

// What the registry alone costs for a Register of the list: every value of
// every Action set through one open key, as a save does.
std::vector<double> RegisterFloor(int actions, int count) {
  std::vector<double> times;
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "software\\Quillory\\MountwickFloor", 0, nullptr, 0,
                      KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return times;
  const std::string text(24, 'x');
  for (int i = 0; i < count; ++i) {
    const unsigned long long started = Now();
    for (int index = 0; index < actions; ++index)
      for (int field = 0; field < 16; ++field)
        RegSetValueExA(key, (std::to_string(index) + "_" + std::to_string(field)).c_str(), 0,
                       REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1));
    times.push_back((Now() - started) / 10000.0);
  }
  RegCloseKey(key);
  RegDeleteTreeA(HKEY_CURRENT_USER, "software\\Quillory\\MountwickFloor");
  return times;
}

double Ratio(double value, double floor) {
  return floor > 0 ? value / floor : 0.0;
}

// The ratio is to the floor taken beside the series, sample for sample.
void PrintLatency(const char* what, const std::vector<double>& samples,
                  const std::vector<double>& floor) {
  const Summary s = Summarize(samples);
  const double floor_ms = Summarize(floor).median_ms;
  std::printf(
      "arrival_to_start_ms %s median %.2f p95 %.2f (n=%zu) floor_beside %.2f ratio_to_floor "
      "%.2f\n",
      what, s.median_ms, s.p95_ms, samples.size(), floor_ms, Ratio(s.median_ms, floor_ms));
}

// Private bytes of a program once it has settled after start.
SIZE_T SettledPrivateBytes(HANDLE process) {
  Sleep(2000);
  return PrivateBytes(process);
}

// A run with changes: the arrivals after a change, then the steady ones, each
// beside the floors taken with them.
void PrintChangedAndSteady(int actions, const Latencies& l) {
  const auto changed_end = l.floor.begin() + static_cast<std::ptrdiff_t>(l.after_change.size());
  const std::string what = "actions=" + std::to_string(actions);
  PrintLatency((what + " after_change").c_str(), l.after_change, {l.floor.begin(), changed_end});
  PrintLatency((what + " steady").c_str(), l.steady, {changed_end, l.floor.end()});
}

// The longest answers, one a burst, beside those of the quiet before each.
void PrintAnswers(const char* what, const Bursts& b) {
  const Summary s = Summarize(b.longest_answer);
  const double most = b.longest_answer.empty()
                          ? 0
                          : *std::max_element(b.longest_answer.begin(), b.longest_answer.end());
  std::printf(
      "window_longest_answer_ms %s median %.2f p95 %.2f max %.2f (n=%zu) quiet_beside %.2f\n", what,
      s.median_ms, s.p95_ms, most, b.longest_answer.size(), Summarize(b.quiet_answer).median_ms);
}

// Whether the comma-separated list names the section, or "arrivals" does.
bool Wants(const std::string& sections, const std::string& name) {
  const std::string list = "," + sections + ",";
  const bool arrival = name == "volume" || name == "log" || name == "usb" || name == "burst";
  return sections == "all" || list.find("," + name + ",") != std::string::npos ||
         (arrival && list.find(",arrivals,") != std::string::npos);
}

// Private bytes after start and over a soak of arrivals, beside the bare tray
// window's, and the CPU time when idle; false when a program did not start.
bool Memory(const std::string& folder, const std::string& child, const std::string& record,
            int idle_seconds, std::initializer_list<int> soaks) {
  // The bare tray window first, then Mountwick over a soak of arrivals.
  Running bare = StartProgram(folder, "tray_floor.exe", "", "MOUNTWICK_FLOOR");
  if (!bare.window) {
    std::printf("error: the tray-window floor did not start\n");
    return false;
  }
  const SIZE_T floor_bytes = SettledPrivateBytes(bare.process);
  Stop(bare);
  std::printf("private_bytes_floor_tray_window %zu\n", static_cast<std::size_t>(floor_bytes));

  StoreActions(1, child, record, true);
  DeleteFileA(record.c_str());
  Running running = StartMountwick(folder);
  if (!running.window) {
    std::printf("error: Mountwick did not start\n");
    return false;
  }
  const SIZE_T after_start = SettledPrivateBytes(running.process);
  std::printf("private_bytes_after_start %zu ratio_to_floor %.3f\n",
              static_cast<std::size_t>(after_start),
              Ratio(static_cast<double>(after_start), static_cast<double>(floor_bytes)));
  const double cpu_before = CpuSeconds(running.process);
  Sleep(static_cast<DWORD>(idle_seconds) * 1000);
  const double idle_cpu = CpuSeconds(running.process) - cpu_before;
  std::printf("idle_cpu_seconds %.3f over %d s\n", idle_cpu, idle_seconds);
  SIZE_T previous = after_start;
  int cycles = 0;
  for (int target : soaks) {
    for (; cycles < target; ++cycles) {
      if (!SendArrival(running.window) || !WaitForChild(20000)) break;
    }
    const SIZE_T now = SettledPrivateBytes(running.process);
    std::printf("private_bytes_after_%d_arrivals %zu ratio_to_floor %.3f growth %lld\n", cycles,
                static_cast<std::size_t>(now),
                Ratio(static_cast<double>(now), static_cast<double>(floor_bytes)),
                static_cast<long long>(now) - static_cast<long long>(previous));
    previous = now;
  }
  Stop(running);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);  // figures appear as they are taken
  const int arrivals = argc > 1 ? std::atoi(argv[1]) : 30;
  const int idle_seconds = argc > 2 ? std::atoi(argv[2]) : 60;
  const int soak_cycles = argc > 3 ? std::atoi(argv[3]) : 300;
  const int long_soak_cycles = argc > 4 ? std::atoi(argv[4]) : 900;
  const std::string sections = argc > 5 ? argv[5] : "all";
  const std::string folder = Folder();
  const std::string child = folder + "\\bench_child.exe";
  char temp[MAX_PATH] = {};
  GetTempPathA(sizeof temp, temp);
  const std::string record = std::string(temp) + "mw_bench_times.txt";

  const Summary floor = Summarize(DirectStarts(child, record, arrivals));
  std::printf("floor_createprocess_ms median %.2f p95 %.2f (n=%d)\n", floor.median_ms, floor.p95_ms,
              arrivals);
  if (Wants(sections, "volume")) {
    const Latencies one = ArrivalLatencies(folder, 1, arrivals, false, child, record);
    PrintLatency("actions=1", one.steady, one.floor);
    for (int actions : {100, 1000})
      PrintChangedAndSteady(actions,
                            ArrivalLatencies(folder, actions, arrivals, true, child, record));
  }
  if (Wants(sections, "log")) {
    // The log's cost, each series to its own floor, so that the drift between them drops out.
    const Latencies off = ArrivalLatencies(folder, 10, arrivals, false, child, record, false);
    const Latencies on = ArrivalLatencies(folder, 10, arrivals, false, child, record);
    PrintLatency("actions=10 log_off", off.steady, off.floor);
    PrintLatency("actions=10 log_on", on.steady, on.floor);
    const auto to_floor = [](const Latencies& l) {
      return Ratio(Summarize(l.steady).median_ms, Summarize(l.floor).median_ms);
    };
    std::printf("activity_log_on_to_off %.3f (each to its floor; raw medians %.3f)\n",
                Ratio(to_floor(on), to_floor(off)),
                Ratio(Summarize(on.steady).median_ms, Summarize(off.steady).median_ms));
  }

  if (Wants(sections, "usb") || Wants(sections, "burst")) {
    UnplugAll();
    int attached = 0;
    for (int others : {0, 50, kMostOthers}) {
      if (!Wants(sections, "usb")) break;
      if (!AttachOthers(others, attached)) {
        std::printf("error: only %d fake USB devices could be plugged\n", attached);
        break;
      }
      const Latencies l = NewDeviceLatencies(folder, arrivals, child, record);
      PrintLatency(("usb_new others=" + std::to_string(others)).c_str(), l.steady, l.floor);
      const Latencies d = NewDeviceLatencies(folder, arrivals, child, record, true);
      PrintLatency(("usb_rhythm_drive others=" + std::to_string(others)).c_str(), d.steady,
                   d.floor);
    }
    if (Wants(sections, "burst") && AttachOthers(kMostOthers, attached)) {
      const Bursts b = BurstLatencies(folder, arrivals, child, record);
      const std::string what = "usb_new burst=" + std::to_string(kBurstLength) +
                               " others=" + std::to_string(kMostOthers);
      PrintLatency(what.c_str(), b.arrival.steady, b.arrival.floor);
      PrintAnswers(what.c_str(), b);
    }
    UnplugAll();
  }

  // Beside the floor of the same Register: one value written per Action field, each
  // through a key opened once, straight from this program.
  for (int actions : {100, 1000}) {
    if (!Wants(sections, "register")) break;
    const int samples = actions > 100 ? std::max(5, arrivals / 3) : arrivals;
    // The floor first: closing the dialog starts an export of the settings that runs on.
    const Summary f = Summarize(RegisterFloor(actions, samples));
    const Summary r = Summarize(RegisterTimes(folder, actions, samples, child, record));
    std::printf("settings_register_ms actions=%d median %.2f p95 %.2f (n=%d) floor_beside %.2f\n",
                actions, r.median_ms, r.p95_ms, samples, f.median_ms);
  }
  if (Wants(sections, "memory") &&
      !Memory(folder, child, record, idle_seconds, {soak_cycles, long_soak_cycles}))
    return 1;
  RegDeleteTreeA(HKEY_CURRENT_USER, "software\\Quillory");
  DeleteFileA(record.c_str());
  return 0;
}
