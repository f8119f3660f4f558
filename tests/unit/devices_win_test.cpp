// Enumeration and ejection with the real device setup adapter under Wine, on
// fake USB devices installed into the test prefix.
#include <windows.h>
#include <cfgmgr32.h>

#include "devices/device_eject.h"
#include "devices/device_enumeration.h"
#include "model/action.h"
#include "tools/fake_usb_device.h"
#include "unit/win_test_support.h"

namespace mw {
namespace {

using fakeusb::FakeUsbDevice;
using wintest::Lines;

// The real adapter, noting the device each removal request was made for.
struct RecordingDeviceSetup : win32::Win32DeviceSetup {
  Lines asked;
  std::uint32_t RequestDeviceEject(std::uint32_t dev_inst) override {
    char id[MAX_DEVICE_ID_LEN + 1] = {};
    CM_Get_Device_IDA(dev_inst, id, sizeof id, 0);
    asked.push_back(id);
    return Win32DeviceSetup::RequestDeviceEject(dev_inst);
  }
};

class DevicesOnWindows : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const std::string& id : installed_) fakeusb::RemoveFakeUsbDevice(id);
  }
  // An identifier no other test or earlier run in this prefix uses.
  std::string Unique(const std::string& stem) {
    return stem + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++counter_);
  }
  // Installs the device under a fresh instance id, removed at teardown.
  std::string Install(FakeUsbDevice device) {
    device.instance_id = Unique("ROOT\\MWTEST\\D");
    const fakeusb::Outcome outcome = fakeusb::InstallFakeUsbDevice(device);
    EXPECT_TRUE(outcome.ok()) << outcome.step << " " << outcome.error;
    installed_.push_back(device.instance_id);
    return device.instance_id;
  }
  const DeviceRecord* Find(bool all_known, const std::string& hardware_id) {
    EnumerateDevices(world_.platform(&devices_), list_, all_known);
    EXPECT_EQ(world_.texts, Lines{});
    const int at = FindDeviceByHardwareID(hardware_id, list_);
    return at < 0 ? nullptr : &list_[static_cast<std::size_t>(at)];
  }

  wintest::World world_;
  RecordingDeviceSetup devices_;
  DeviceList list_;
  Lines installed_;
  int counter_ = 0;
};

TEST_F(DevicesOnWindows, ListsAndEjectsInstalledDevicesUntilRemoved) {
  const std::string a = Unique("USB\\VID_F00D&PID_0001&REV_"), b = Unique("USB\\VID_F00D&X");
  const std::string c = Unique("USB\\VID_F00D&PID_0002&X"), d = Unique("USB\\VID_F00D&PID_0003&X");
  const struct {
    FakeUsbDevice device;  // hardware ids, friendly name, description, maker, service, location
    std::string hardware_id, display_name, details;
  } cases[] = {
      // The description lies inside the friendly name: not repeated.
      {{"", {a, b}, "Mw Stick ", "Stick", "Fake Maker", "USBSTOR", "Port_#0003.Hub_#0001"},
       a + b,
       "Mw Stick /Fake Maker/Port_#0003.Hub_#0001",
       "HARDWAREID = " + a + b +
           "\r\nFRIENDLYNAME = Mw Stick \r\nDEVICEDESC = Stick\r\nMFG = Fake Maker"
           "\r\nLOCATION_INFORMATION = Port_#0003.Hub_#0001\r\nSERVICE = USBSTOR"},
      // An empty maker, the rest missing.
      {{"", {c}, {}, {}, ""}, c, "", "HARDWAREID = " + c + "\r\nMFG = "},
      // Shift-JIS with 0x5C trail bytes, through the system's ANSI conversions.
      {{"", {d}, {}, "ソフト表示", "能力メーカー  ", ""},
       d,
       "ソフト表示/能力メーカー",
       "HARDWAREID = " + d + "\r\nDEVICEDESC = ソフト表示\r\nMFG = 能力メーカー  \r\nSERVICE = "},
  };
  for (const auto& each : cases) Install(each.device);

  // Wine 8 lists every device with the interface whatever DIGCF_PRESENT says,
  // and never provides SPDRP_PHYSICAL_DEVICE_OBJECT_NAME, so the records read
  // as not present and have no line for it in either mode.
  for (const bool all_known : {false, true}) {
    for (const auto& each : cases) {
      const DeviceRecord* record = Find(all_known, each.hardware_id);
      ASSERT_NE(record, nullptr) << each.hardware_id << " all_known=" << all_known;
      EXPECT_EQ(record->DisplayName, each.display_name);
      EXPECT_EQ(record->Details, each.details);
      EXPECT_FALSE(record->Present);
    }
  }
  // A removal request goes to the one device with the whole id (Wine grants
  // every request): none for one string of the list or a generic entry.
  const std::pair<std::string, Lines> ejects[] = {
      {a + b, {installed_[0]}}, {c, {installed_[1]}}, {a, {}}, {kGenericVolumeId, {}}};
  for (const auto& [hardware_id, asked] : ejects) {
    devices_.asked.clear();
    EXPECT_EQ(EjectDevice(world_.platform(&devices_), hardware_id), 0) << hardware_id;
    EXPECT_EQ(devices_.asked, asked) << hardware_id;
  }
  ASSERT_TRUE(fakeusb::RemoveFakeUsbDevice(installed_[0]).ok());
  for (const bool all_known : {false, true}) {
    EXPECT_EQ(Find(all_known, a + b), nullptr) << all_known;
    EXPECT_NE(Find(all_known, c), nullptr) << all_known;
  }
  devices_.asked.clear();
  EXPECT_EQ(EjectDevice(world_.platform(&devices_), a + b), 0);
  EXPECT_EQ(devices_.asked, Lines{});
  EXPECT_EQ(world_.texts, Lines{});
}

// Wine fails the query for the device object name without setting a last
// error; the adapter must not pass a stale ERROR_INSUFFICIENT_BUFFER on as
// its answer, which the reader would take for "allocate and ask again".
TEST_F(DevicesOnWindows, AnUnprovidedPropertyFailsWithoutAStaleLastError) {
  Install({"", {Unique("USB\\VID_F00D&PID_0050&X")}});
  DeviceSetupPort::DeviceSet set = 0;
  std::uint32_t last_error = 0, required = 0;
  ASSERT_TRUE(devices_.OpenUsbDeviceSet(DIGCF_PRESENT | DIGCF_DEVICEINTERFACE, &set, &last_error));
  DeviceElement element;
  ASSERT_TRUE(devices_.EnumDevice(set, 0, &element));
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  EXPECT_FALSE(devices_.GetProperty(set, element, SPDRP_PHYSICAL_DEVICE_OBJECT_NAME, nullptr, 0,
                                    &required, &last_error));
  EXPECT_EQ(last_error, static_cast<std::uint32_t>(ERROR_SUCCESS));
  EXPECT_FALSE(
      devices_.GetProperty(set, element, SPDRP_UPPERFILTERS, nullptr, 0, &required, &last_error));
  EXPECT_EQ(last_error, static_cast<std::uint32_t>(ERROR_INVALID_DATA));  // a reason given passes
  devices_.DestroyDeviceSet(set);
}

}  // namespace
}  // namespace mw
