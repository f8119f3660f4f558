// The usb section: a new USB stick's arrival with 0, 50 and 200 other devices
// attached, told by its interface and the list's change, beside a drive's
// arrival in the same rhythm; and the stick itself, which the burst section
// plugs too.
#include <cstdio>

#include "arrival_bench.h"
#include "tools/fake_usb_device.h"

namespace mw::bench {

namespace {

constexpr char kNewStickInstance[] = "ROOT\\MWBENCH\\NEW";

std::string OtherInstance(int i) {
  return "ROOT\\MWBENCH\\" + std::to_string(i);
}

bool Plug(const std::string& instance, const std::string& hardware_id) {
  return fakeusb::PlugFakeUsbDevice({instance,
                                     {hardware_id},
                                     {},
                                     "USB Mass Storage Device",
                                     "Compatible USB storage device",
                                     "USBSTOR"})
      .ok();
}

// A new USB device with others attached since before Mountwick started: each
// arrival follows a direct start of the child, and the device is pulled
// again after it. With by_drive, the same plugging and pulling, but the
// Action is bound to the drive entry and a drive's arrival is timed: what
// any start costs in this rhythm, to tell the USB arrival's own part.
Latencies NewDeviceLatencies(const Bench& bench, bool by_drive) {
  const std::string floor_record = bench.record + ".floor";
  driver::Running running = StartForNewStick(bench, by_drive ? driver::kVolumeId : kNewStick);
  Latencies latencies;
  for (std::size_t lines = 0; running.window && static_cast<int>(lines) < bench.arrivals; ++lines) {
    latencies.floor.push_back(TimeDirectStart(bench.child, floor_record));
    // Plugged before the quiet that precedes each start measured: installing
    // the fake device keeps the wineserver busy for a while, which is the
    // harness's cost, not the arrival's.
    if (!PlugNewStick()) break;
    Sleep(kQuietMilliseconds);
    const double ms = by_drive ? TimeArrival(running.window, bench.record, lines)
                               : TimeArrival([&] { return AnnounceNewStick(running.window); },
                                             bench.record, lines);
    UnplugNewStick(running.window);
    if (ms < 0) break;
    latencies.steady.push_back(ms);
  }
  Quit(running);
  return latencies;
}

}  // namespace

bool Others::AttachUpTo(int count) {
  for (; attached_ < count; ++attached_) {
    char hardware_id[64];
    std::snprintf(hardware_id, sizeof hardware_id, "USB\\VID_BE0D&PID_%04X", attached_);
    if (!Plug(OtherInstance(attached_), hardware_id)) return false;
  }
  return true;
}

void UnplugAll() {
  fakeusb::RemoveFakeUsbDevice(kNewStickInstance);
  for (int i = 0; i < kMostOthers; ++i) fakeusb::RemoveFakeUsbDevice(OtherInstance(i));
}

bool PlugNewStick() {
  return Plug(kNewStickInstance, kNewStick);
}

unsigned long long AnnounceNewStick(HWND window) {
  const unsigned long long sent = Now();
  return driver::SendUsbInterfaceArrival(window, kNewStickInstance, kPatienceMs) &&
                 driver::SendNodesChanged(window, kPatienceMs)
             ? sent
             : 0;
}

void UnplugNewStick(HWND window) {
  fakeusb::RemoveFakeUsbDevice(kNewStickInstance);
  driver::SendNodesChanged(window, kPatienceMs);
  Sleep(kQuietMilliseconds);
}

driver::Running StartForNewStick(const Bench& bench, const char* bound_id) {
  DeleteFileA((bench.record + ".floor").c_str());
  StoreActions(1, bench, true, bound_id);
  DeleteFileA(bench.record.c_str());
  fakeusb::RemoveFakeUsbDevice(kNewStickInstance);
  return driver::Start(bench.folder + "\\Mountwick.exe", "", bench.folder);
}

void UsbSection(const Bench& bench, Others& others) {
  for (int count : {0, 50, kMostOthers}) {
    if (!others.AttachUpTo(count)) {
      std::printf("error: only %d fake USB devices could be plugged\n", others.attached());
      break;
    }
    const Latencies l = NewDeviceLatencies(bench, false);
    PrintLatency("usb_new others=" + std::to_string(count), l.steady, l.floor);
    const Latencies d = NewDeviceLatencies(bench, true);
    PrintLatency("usb_rhythm_drive others=" + std::to_string(count), d.steady, d.floor);
  }
}

}  // namespace mw::bench
