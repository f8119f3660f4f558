// Enumeration, ejection and property reads with the real device setup adapter
// under Wine, on fake USB devices installed into the test prefix.
#include <windows.h>
#include <cfgmgr32.h>

#include <algorithm>

#include "devices/device_eject.h"
#include "devices/device_enumeration.h"
#include "model/action.h"
#include "unit/win_test_support.h"

namespace mw {
namespace {

using wintest::Lines;

// The real adapter, noting the device each removal request was made for.
struct RecordingDeviceSetup : win32::Win32DeviceSetup {
  Lines asked;
  std::uint32_t RequestDeviceEject(std::uint32_t dev_inst, std::uint32_t* veto_type) override {
    char id[MAX_DEVICE_ID_LEN + 1] = {};
    CM_Get_Device_IDA(dev_inst, id, sizeof id, 0);
    asked.push_back(id);
    return Win32DeviceSetup::RequestDeviceEject(dev_inst, veto_type);
  }
};

// The fake devices of this test, removed again however it ends.
struct Installed : Lines {
  ~Installed() { std::for_each(begin(), end(), fakeusb::RemoveFakeUsbDevice); }
};

TEST(DevicesOnWindows, ListsAndEjectsInstalledDevices) {
  const std::string run = std::to_string(GetCurrentProcessId());  // ids no other run uses
  const std::string a = "USB\\VID_F00D&PID_0001&REV_" + run, b = "USB\\VID_F00D&X" + run;
  const std::string d = "USB\\VID_F00D&PID_0003&X" + run;
  const struct {
    fakeusb::FakeUsbDevice device;  // friendly name, description, maker, service, location
    std::string hardware_id, details;
  } cases[] = {
      // Every property, two hardware ids.
      {{"ROOT\\MWTEST\\A" + run, {a, b}, "Mw Stick ", "Stick", "Maker", "USBSTOR", "Port_#0003"},
       a + b,
       "HARDWAREID = " + a + b +
           "\r\nFRIENDLYNAME = Mw Stick \r\nDEVICEDESC = Stick\r\nMFG = Maker"
           "\r\nLOCATION_INFORMATION = Port_#0003\r\nSERVICE = USBSTOR"},
      // Shift-JIS with 0x5C trail bytes, through the system's ANSI conversions; empty texts
      // shown, missing ones left out.
      {{"ROOT\\MWTEST\\D" + run, {d}, {}, "ソフト表示", "能力メーカー  ", ""},
       d,
       "HARDWAREID = " + d + "\r\nDEVICEDESC = ソフト表示\r\nMFG = 能力メーカー  \r\nSERVICE = "},
  };
  Installed installed;
  for (const auto& each : cases) {
    const fakeusb::Outcome outcome = fakeusb::PlugFakeUsbDevice(each.device);
    ASSERT_TRUE(outcome.ok()) << outcome.step << " " << outcome.error;
    installed.push_back(each.device.instance_id);
  }
  wintest::World world;
  RecordingDeviceSetup devices;

  // Wine 8 lists every device with the interface whatever DIGCF_PRESENT says,
  // and never provides SPDRP_PHYSICAL_DEVICE_OBJECT_NAME, so the records read
  // as not present and have no line for it in either mode.
  for (const bool all_known : {false, true}) {
    DeviceList list;
    EnumerateDevices(world.platform(&devices), list, all_known);
    for (const auto& each : cases) {
      const int at = FindDeviceByHardwareID(each.hardware_id, list);
      ASSERT_GE(at, 0) << each.hardware_id << " all_known=" << all_known;
      EXPECT_EQ(list.at(at).Details, each.details);
      EXPECT_FALSE(list.at(at).Present);
    }
  }
  // A removal request goes to the one device with the whole id (Wine grants
  // every request): none for one string of the list or a generic entry.
  const std::pair<std::string, Lines> ejects[] = {
      {a + b, {installed[0]}}, {d, {installed[1]}}, {a, {}}, {kGenericVolumeId, {}}};
  for (const auto& [hardware_id, asked] : ejects) {
    devices.asked.clear();
    EXPECT_EQ(EjectDevice(world.platform(&devices), hardware_id).answer,
              asked.empty() ? RemovalAnswer::NoSuchDevice : RemovalAnswer::Granted)
        << hardware_id;
    EXPECT_EQ(devices.asked, asked) << hardware_id;
  }

  // Wine fails the query for the device object name without setting a last
  // error; the adapter must not pass a stale ERROR_INSUFFICIENT_BUFFER on as
  // its answer, which the reader would take for "allocate and ask again".
  DeviceSetupPort::DeviceSet set = 0;
  std::uint32_t last_error = 0, required = 0;
  ASSERT_TRUE(devices.OpenUsbDeviceSet(DIGCF_PRESENT | DIGCF_DEVICEINTERFACE, &set, &last_error));
  DeviceElement element;
  ASSERT_TRUE(devices.EnumDevice(set, 0, &element));
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  EXPECT_FALSE(devices.GetProperty(set, element, SPDRP_PHYSICAL_DEVICE_OBJECT_NAME, nullptr, 0,
                                   &required, &last_error));
  EXPECT_EQ(last_error, static_cast<std::uint32_t>(ERROR_SUCCESS));
  EXPECT_FALSE(
      devices.GetProperty(set, element, SPDRP_UPPERFILTERS, nullptr, 0, &required, &last_error));
  EXPECT_EQ(last_error, static_cast<std::uint32_t>(ERROR_INVALID_DATA));  // a reason given passes
  devices.DestroyDeviceSet(set);
  EXPECT_EQ(world.texts, Lines{});
}

}  // namespace
}  // namespace mw
