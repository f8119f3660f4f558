// Installs, removes and lists fake USB devices in a test Wine prefix, for
// scripts and the end-to-end suite. For example:
//
//   wine usb_device_tool.exe add 'ROOT\MWTEST\0000' --hwid 'USB\VID_0001&PID_0002' --service
//   USBSTOR wine usb_device_tool.exe remove 'ROOT\MWTEST\0000' wine usb_device_tool.exe list (one
//   instance id per line)
//
// Exit code 0 on success, 1 when the system refused (stderr names the call
// and its error), 2 for a command line it does not understand. Texts are taken
// in the ANSI code page, as the program under test reads them back.
#include <windows.h>
#include <cfgmgr32.h>
#include <setupapi.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "fake_usb_device.h"

namespace {

using mw::fakeusb::FakeUsbDevice;
using mw::fakeusb::Outcome;

constexpr int kRefused = 1;
constexpr int kUsage = 2;

constexpr char kUsageText[] =
    "usage: usb_device_tool add INSTANCE-ID [--hwid ID]... [--friendly NAME] [--desc TEXT]\n"
    "                           [--mfg TEXT] [--service NAME] [--location TEXT]\n"
    "       usb_device_tool remove INSTANCE-ID\n"
    "       usb_device_tool list\n"
    "INSTANCE-ID looks like ROOT\\MWTEST\\0000. --hwid may be repeated (a multi-string);\n"
    "an option left out is a property the device does not have, an empty one an empty text.\n";

int Usage(const char* problem) {
  std::fprintf(stderr, "usb_device_tool: %s\n%s", problem, kUsageText);
  return kUsage;
}

int Report(const Outcome& outcome, const char* action, const std::string& instance_id) {
  if (outcome.ok()) return 0;
  std::fprintf(stderr, "usb_device_tool: cannot %s %s: %s failed with error 0x%08lX\n", action,
               instance_id.c_str(), outcome.step, static_cast<unsigned long>(outcome.error));
  return kRefused;
}

int Add(int argc, char** argv) {
  if (argc < 3 || argv[2][0] == '\0' || argv[2][0] == '-') return Usage("add needs an instance id");
  FakeUsbDevice device;
  device.instance_id = argv[2];
  for (int i = 3; i < argc; i += 2) {
    const std::string option = argv[i];
    if (i + 1 >= argc) return Usage(("missing value after " + option).c_str());
    const char* value = argv[i + 1];
    if (option == "--hwid") {
      device.hardware_ids.emplace_back(value);
      continue;
    }
    std::optional<std::string>* field = option == "--friendly"   ? &device.friendly_name
                                        : option == "--desc"     ? &device.device_desc
                                        : option == "--mfg"      ? &device.mfg
                                        : option == "--service"  ? &device.service
                                        : option == "--location" ? &device.location
                                                                 : nullptr;
    if (field == nullptr) return Usage(("unknown option " + option).c_str());
    if (field->has_value()) return Usage((option + " given twice").c_str());
    *field = value;
  }
  return Report(mw::fakeusb::InstallFakeUsbDevice(device), "add", device.instance_id);
}

int Remove(int argc, char** argv) {
  if (argc != 3 || argv[2][0] == '\0') return Usage("remove needs exactly one instance id");
  return Report(mw::fakeusb::RemoveFakeUsbDevice(argv[2]), "remove", argv[2]);
}

// One instance id per line: every device with the USB device interface.
int List(int argc) {
  if (argc != 2) return Usage("list takes no arguments");
  HDEVINFO set = SetupDiGetClassDevsA(&mw::fakeusb::kUsbDeviceInterface, nullptr, nullptr,
                                      DIGCF_DEVICEINTERFACE);
  if (set == INVALID_HANDLE_VALUE)
    return Report(mw::fakeusb::detail::Failed("SetupDiGetClassDevsA"), "list", "devices");
  SP_DEVINFO_DATA element = {};
  element.cbSize = sizeof element;
  for (DWORD index = 0; SetupDiEnumDeviceInfo(set, index, &element); ++index) {
    char id[MAX_DEVICE_ID_LEN + 1] = {};
    if (SetupDiGetDeviceInstanceIdA(set, &element, id, sizeof id, nullptr)) std::printf("%s\n", id);
  }
  SetupDiDestroyDeviceInfoList(set);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage("no command");
  const char* command = argv[1];
  if (std::strcmp(command, "add") == 0) return Add(argc, argv);
  if (std::strcmp(command, "remove") == 0) return Remove(argc, argv);
  if (std::strcmp(command, "list") == 0) return List(argc);
  if (std::strcmp(command, "--help") == 0 || std::strcmp(command, "-h") == 0) {
    std::fputs(kUsageText, stdout);
    return 0;
  }
  return Usage((std::string("unknown command ") + command).c_str());
}
