// Installs and removes fake USB devices in a test Wine prefix, for scripts:
//   usb_device_tool add ID [--hwid HWID]... [--friendly|--desc|--mfg|--service|--location TEXT]
//   usb_device_tool remove ID         (ID: an instance id such as ROOT\MWTEST\0000)
// An option left out is a property the device does not have. Exit code 0 on success,
// 1 when the system refused (stderr names the call), 2 for a command line it does not understand.
#include <windows.h>

#include <cstdio>
#include <string>

#include "fake_usb_device.h"

static int Usage(const std::string& problem) {
  std::fprintf(stderr, "usb_device_tool: %s (usage at the top of its source)\n", problem.c_str());
  return 2;
}

static int Report(const mw::fakeusb::Outcome& outcome) {
  if (!outcome.ok())
    std::fprintf(stderr, "usb_device_tool: %s failed with error 0x%08lX\n", outcome.step,
                 static_cast<unsigned long>(outcome.error));
  return outcome.ok() ? 0 : 1;
}

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "remove" && argc == 3 && argv[2][0] != '\0')
    return Report(mw::fakeusb::RemoveFakeUsbDevice(argv[2]));
  if (command != "add" || argc < 3 || argv[2][0] == '\0' || argv[2][0] == '-')
    return Usage("add or remove, with one instance id");
  mw::fakeusb::FakeUsbDevice device;
  device.instance_id = argv[2];
  for (int i = 3; i < argc; i += 2) {
    const std::string option = argv[i];
    if (i + 1 >= argc) return Usage("missing value after " + option);
    if (option == "--hwid") device.hardware_ids.emplace_back(argv[i + 1]);
    std::optional<std::string>* field = option == "--friendly"   ? &device.friendly_name
                                        : option == "--desc"     ? &device.device_desc
                                        : option == "--mfg"      ? &device.mfg
                                        : option == "--service"  ? &device.service
                                        : option == "--location" ? &device.location
                                                                 : nullptr;
    if (option != "--hwid" && (field == nullptr || field->has_value()))
      return Usage("unknown or repeated " + option);
    if (field) *field = argv[i + 1];
  }
  return Report(mw::fakeusb::InstallFakeUsbDevice(device));
}
