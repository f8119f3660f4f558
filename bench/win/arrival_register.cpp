// The register section: the settings dialog's Register with 100 and 1,000
// Actions, beside the floor of the same Register: one value written per
// Action field, each through a key opened once, straight from this program.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>

#include "arrival_bench.h"
#include "resource.h"

namespace mw::bench {

namespace {

// A dialog can take its time over 1,000 rows.
constexpr DWORD kDialogPatienceMs = 60000;

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
    driver::Send(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote),
                 kDialogPatienceMs);
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  return written;
}

void Click(HWND dialog, int button) {
  driver::Send(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)), kDialogPatienceMs);
}

// The settings dialog with actions stored: the last row changed and
// registered again, each Register timed until the list is stored.
std::vector<double> RegisterTimes(const Bench& bench, int actions, int count) {
  StoreActions(actions, bench, true, driver::kVolumeId);
  driver::Running running = driver::Start(bench.folder + "\\Mountwick.exe", "/S", bench.folder);
  std::vector<double> times;
  HWND dialog = running.window
                    ? driver::WaitForWindow(running.pid, driver::kSettingsCaption, "#32770", 20000)
                    : nullptr;
  if (dialog && SelectRow(running.process, GetDlgItem(dialog, IDC_ACTION_LIST), actions - 1)) {
    for (int i = 0; i < count; ++i) {
      Click(dialog, IDC_CHANGE);
      const unsigned long long pressed = Now();
      Click(dialog, IDC_REGISTER);
      times.push_back((Now() - pressed) / 10000.0);
    }
  }
  if (dialog)
    driver::Send(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0, kDialogPatienceMs);
  Quit(running);
  return times;
}

// What the registry alone costs for a Register of the list: every value of
// every Action set through one open key, as a save does.
std::vector<double> RegisterFloor(int actions, int count) {
  constexpr char kFloorKey[] = "software\\Quillory\\MountwickFloor";
  std::vector<double> times;
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kFloorKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
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
  RegDeleteTreeA(HKEY_CURRENT_USER, kFloorKey);
  return times;
}

}  // namespace

void RegisterSection(const Bench& bench) {
  for (int actions : {100, 1000}) {
    const int samples = actions > 100 ? std::max(5, bench.arrivals / 3) : bench.arrivals;
    // The floor first: closing the dialog starts an export of the settings that runs on.
    const Summary f = Summarize(RegisterFloor(actions, samples));
    const Summary r = Summarize(RegisterTimes(bench, actions, samples));
    std::printf("settings_register_ms actions=%d median %.2f p95 %.2f (n=%d) floor_beside %.2f\n",
                actions, r.median_ms, r.p95_ms, samples, f.median_ms);
  }
}

}  // namespace mw::bench
