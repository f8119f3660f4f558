// Measures Mountwick.exe under Wine: the time from a volume arrival to the
// start of the program its Action runs, with 1 and with 100 Actions stored,
// beside the floor of starting the same program directly; its CPU time when
// idle; its private bytes after start-up and over many arrival cycles.
// Prints figures only; nothing here passes or fails on a timing.
#include <windows.h>

#include <dbt.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

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

void SetString(const std::string& path, const std::string& name, const std::string& text) {
  HKEY key = nullptr;
  RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                  nullptr);
  RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>(text.size() + 1));
  RegCloseKey(key);
}

// count Actions, the last of which is bound to the generic drive entry.
void StoreActions(int count, const std::string& child, const std::string& record) {
  RegDeleteTreeA(HKEY_CURRENT_USER, "software\\Quillory");
  const std::string key = "software\\Quillory\\Mountwick\\1.0\\Actions";
  for (int i = 0; i < count; ++i) {
    const std::string prefix = std::to_string(i) + "_";
    SetString(key, prefix + "Name", "Action " + std::to_string(i));
    SetString(key, prefix + "State", "0");
    SetString(key, prefix + "HardwareID",
              i == count - 1 ? "MESSAGE://DBT_DEVICEARRIVAL/VOLUME"
                             : "USB\\VID_0000&PID_" + std::to_string(i));
    SetString(key, prefix + "ExeFile", child + " " + record);
    SetString(key, prefix + "Eject", "0");
  }
}

struct Running {
  HANDLE process = nullptr;
  HWND window = nullptr;
};

Running StartMountwick(const std::string& folder) {
  Running running;
  const std::string exe = folder + "\\Mountwick.exe";
  std::string command = "\"" + exe + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &startup, &info))
    return running;
  CloseHandle(info.hThread);
  running.process = info.hProcess;
  for (int i = 0; i < 400 && !running.window; ++i) {
    running.window = FindWindowA("MOUNTWICK", nullptr);
    if (!running.window) Sleep(50);
  }
  return running;
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

bool WaitForLines(const std::string& path, std::size_t lines, DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  while (ReadTimes(path).size() < lines) {
    if (GetTickCount() - start > timeout_ms) return false;
    Sleep(2);
  }
  return true;
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

std::vector<double> ArrivalLatencies(const std::string& folder, int actions, int arrivals,
                                     const std::string& child, const std::string& record) {
  StoreActions(actions, child, record);
  DeleteFileA(record.c_str());
  Running running = StartMountwick(folder);
  std::vector<double> latencies;
  for (int i = 0; i < arrivals && running.window; ++i) {
    const unsigned long long sent = Now();
    if (!SendArrival(running.window) || !WaitForLines(record, latencies.size() + 1, 20000)) break;
    latencies.push_back((ReadTimes(record).back() - sent) / 10000.0);
    Sleep(50);
  }
  Stop(running);
  return latencies;
}

std::vector<double> DirectStarts(const std::string& child, const std::string& record, int count) {
  DeleteFileA(record.c_str());
  std::vector<double> latencies;
  for (int i = 0; i < count; ++i) {
    std::string command = child + " " + record;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    const unsigned long long started = Now();
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE,
                        CREATE_NEW_CONSOLE | CREATE_NEW_PROCESS_GROUP, nullptr, nullptr, &startup,
                        &info))
      break;
    WaitForSingleObject(info.hProcess, 20000);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    if (ReadTimes(record).size() < latencies.size() + 1) break;
    latencies.push_back((ReadTimes(record).back() - started) / 10000.0);
    Sleep(50);
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

}  // namespace

int main(int argc, char** argv) {
  const int arrivals = argc > 1 ? std::atoi(argv[1]) : 30;
  const int idle_seconds = argc > 2 ? std::atoi(argv[2]) : 60;
  const int soak_cycles = argc > 3 ? std::atoi(argv[3]) : 300;
  const std::string folder = Folder();
  const std::string child = folder + "\\bench_child.exe";
  char temp[MAX_PATH] = {};
  GetTempPathA(sizeof temp, temp);
  const std::string record = std::string(temp) + "mw_bench_times.txt";

  const Summary floor = Summarize(DirectStarts(child, record, arrivals));
  std::printf("floor_createprocess_ms median %.2f p95 %.2f (n=%d)\n", floor.median_ms, floor.p95_ms,
              arrivals);
  for (int actions : {1, 100}) {
    const std::vector<double> samples = ArrivalLatencies(folder, actions, arrivals, child, record);
    const Summary s = Summarize(samples);
    std::printf("arrival_to_start_ms actions=%d median %.2f p95 %.2f (n=%zu) ratio_to_floor %.2f\n",
                actions, s.median_ms, s.p95_ms, samples.size(),
                floor.median_ms > 0 ? s.median_ms / floor.median_ms : 0.0);
  }

  // Idle CPU and memory over a soak of arrival cycles.
  StoreActions(1, child, record);
  DeleteFileA(record.c_str());
  Running running = StartMountwick(folder);
  if (!running.window) {
    std::printf("error: Mountwick did not start\n");
    return 1;
  }
  Sleep(1000);
  const SIZE_T after_start = PrivateBytes(running.process);
  const double cpu_before = CpuSeconds(running.process);
  Sleep(static_cast<DWORD>(idle_seconds) * 1000);
  const double idle_cpu = CpuSeconds(running.process) - cpu_before;
  std::printf("idle_cpu_seconds %.3f over %d s\n", idle_cpu, idle_seconds);
  std::printf("private_bytes_after_start %zu\n", static_cast<std::size_t>(after_start));
  for (int i = 0; i < soak_cycles; ++i) {
    if (!SendArrival(running.window) ||
        !WaitForLines(record, static_cast<std::size_t>(i) + 1, 20000))
      break;
  }
  Sleep(1000);
  const SIZE_T after_soak = PrivateBytes(running.process);
  std::printf("private_bytes_after_%d_arrivals %zu growth %lld\n", soak_cycles,
              static_cast<std::size_t>(after_soak),
              static_cast<long long>(after_soak) - static_cast<long long>(after_start));
  Stop(running);
  RegDeleteTreeA(HKEY_CURRENT_USER, "software\\Quillory");
  DeleteFileA(record.c_str());
  return 0;
}
