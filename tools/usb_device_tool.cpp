// Installs and removes fake USB devices in a test Wine prefix, for scripts:
//   usb_device_tool add ID [--hwid HWID]... [--friendly|--desc|--mfg|--service|--location TEXT]
//   usb_device_tool remove ID         (ID: an instance id such as ROOT\MWTEST\0000)
// An option left out is a property the device does not have. Exit code 0 on success,
// 1 when the system refused (stderr names the call), 2 for a command line it does not understand.
#include <cstdio>
#include <string>

#include "fake_usb_device.h"

int main(int argc, char** argv) {
  using namespace mw::fakeusb;
  std::string command = argc > 2 && argv[2][0] != '\0' ? argv[1] : "";
  FakeUsbDevice device{argc > 2 ? argv[2] : "", {}};
  for (int i = 3; command == "add" && i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    Property* field = option == "--friendly"   ? &device.friendly_name
                      : option == "--desc"     ? &device.device_desc
                      : option == "--mfg"      ? &device.mfg
                      : option == "--service"  ? &device.service
                      : option == "--location" ? &device.location
                                               : nullptr;
    if (option == "--hwid")
      device.hardware_ids.emplace_back(argv[i + 1]);
    else if (field == nullptr || field->has_value())
      command.clear();  // unknown or repeated
    else
      *field = argv[i + 1];
  }
  const bool remove = command == "remove" && argc == 3;
  if (!remove && !(command == "add" && argc % 2 == 1 && device.instance_id[0] != '-'))
    return std::fputs("usb_device_tool: see the top of its source for the usage\n", stderr), 2;
  const Outcome outcome =
      remove ? RemoveFakeUsbDevice(device.instance_id) : InstallFakeUsbDevice(device);
  if (!outcome.ok())
    std::fprintf(stderr, "usb_device_tool: %s failed with error 0x%08lX\n", outcome.step,
                 static_cast<unsigned long>(outcome.error));
  return outcome.ok() ? 0 : 1;
}
