// Installs and removes fake USB devices in a test Wine prefix, for scripts:
//   usb_device_tool add INSTANCE-ID [--hwid ID]... [--friendly NAME] [--desc TEXT]
//                   [--mfg TEXT] [--service NAME] [--location TEXT]
//   usb_device_tool remove INSTANCE-ID
// An option left out is a property the device does not have. Exit code 0 on
// success, 1 when the system refused (stderr names the call), 2 for a command
// line it does not understand.
#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>

#include "fake_usb_device.h"

namespace {

int Usage(const std::string& problem) {
  std::fprintf(stderr, "usb_device_tool: %s (see the comment at the top of its source)\n",
               problem.c_str());
  return 2;
}

int Report(const mw::fakeusb::Outcome& outcome, const std::string& instance_id) {
  if (outcome.ok()) return 0;
  std::fprintf(stderr, "usb_device_tool: %s: %s failed with error 0x%08lX\n", instance_id.c_str(),
               outcome.step, static_cast<unsigned long>(outcome.error));
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "remove" && argc == 3 && argv[2][0] != '\0')
    return Report(mw::fakeusb::RemoveFakeUsbDevice(argv[2]), argv[2]);
  if (command != "add") return Usage("add or remove, with one instance id");
  if (argc < 3 || argv[2][0] == '\0' || argv[2][0] == '-') return Usage("add needs an instance id");
  mw::fakeusb::FakeUsbDevice device;
  device.instance_id = argv[2];
  for (int i = 3; i < argc; i += 2) {
    const std::string option = argv[i];
    if (i + 1 >= argc) return Usage("missing value after " + option);
    if (option == "--hwid") {
      device.hardware_ids.emplace_back(argv[i + 1]);
      continue;
    }
    std::optional<std::string>* field = option == "--friendly"   ? &device.friendly_name
                                        : option == "--desc"     ? &device.device_desc
                                        : option == "--mfg"      ? &device.mfg
                                        : option == "--service"  ? &device.service
                                        : option == "--location" ? &device.location
                                                                 : nullptr;
    if (field == nullptr || field->has_value()) return Usage("unknown or repeated " + option);
    *field = argv[i + 1];
  }
  return Report(mw::fakeusb::InstallFakeUsbDevice(device), device.instance_id);
}
