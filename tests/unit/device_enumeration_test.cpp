#include "devices/device_enumeration.h"

#include <gtest/gtest.h>

#include "devices/display_name.h"
#include "model/action.h"
#include "fakes/fake_world.h"

namespace mw {
namespace {

using fake::FakeDevice;
using fake::FakeWorld;
namespace s = setup;

FakeDevice Usb(const std::string& hardware_id) {
  FakeDevice device;
  device.Multi(s::kSpdrpHardwareId, {hardware_id})
      .Text(s::kSpdrpPhysicalDeviceObjectName, "\\Device\\USBPDO-1");
  return device;
}

std::vector<std::string> HardwareIds(const DeviceList& list) {
  std::vector<std::string> ids;
  for (const DeviceRecord& record : list) ids.push_back(record.HardwareID);
  return ids;
}

TEST(EnumerateDevices, WithoutDevicesOnlyTheGenericEntriesDriveFirst) {
  FakeWorld world;
  DeviceList list(3);
  EnumerateDevices(world.platform(), list, false);
  EXPECT_EQ(HardwareIds(list), (std::vector<std::string>{kGenericVolumeId, kGenericMediaId}));
  EXPECT_TRUE(world.notices.shown.empty());
  EXPECT_EQ(world.devices.OpenSets(), 0u);
}

TEST(EnumerateDevices, ReadsEveryPropertyIntoItsFieldAndDetailsInOrder) {
  FakeWorld world;
  world.devices.Add(
      FakeDevice{}
          .Multi(s::kSpdrpHardwareId, {"USB\\VID_0411&PID_01EE&REV_0100", "USB\\VID_0411&PID_01EE"})
          .Text(s::kSpdrpFriendlyName, "")
          .Text(s::kSpdrpDeviceDesc, "USB 大容量記憶装置")
          .Text(s::kSpdrpMfg, "(標準 USB ホスト コントローラー)")
          .Text(s::kSpdrpLocationInformation, "Port_#0002.Hub_#0003")
          .Text(s::kSpdrpService, "USBSTOR")
          .Text(s::kSpdrpPhysicalDeviceObjectName, "\\Device\\USBPDO-7"));
  DeviceList list;
  EnumerateDevices(world.platform(), list, false);
  ASSERT_EQ(list.size(), 3u);
  const DeviceRecord& r = list[0];
  EXPECT_EQ(r.HardwareID, "USB\\VID_0411&PID_01EE&REV_0100USB\\VID_0411&PID_01EE");
  EXPECT_EQ(r.FriendlyName, "");
  EXPECT_EQ(r.DeviceDesc, "USB 大容量記憶装置");
  EXPECT_EQ(r.Mfg, "(標準 USB ホスト コントローラー)");
  EXPECT_EQ(r.LocationInformation, "Port_#0002.Hub_#0003");
  EXPECT_EQ(r.Service, "USBSTOR");
  EXPECT_EQ(r.PhysicalDeviceObjectName, "\\Device\\USBPDO-7");
  EXPECT_TRUE(r.Present);
  EXPECT_EQ(r.DisplayName,
            "USB 大容量記憶装置/(標準 USB ホスト コントローラー)/Port_#0002.Hub_#0003");
  EXPECT_EQ(r.Details,
            "HARDWAREID = USB\\VID_0411&PID_01EE&REV_0100USB\\VID_0411&PID_01EE\r\n"
            "FRIENDLYNAME = \r\n"
            "DEVICEDESC = USB 大容量記憶装置\r\n"
            "MFG = (標準 USB ホスト コントローラー)\r\n"
            "LOCATION_INFORMATION = Port_#0002.Hub_#0003\r\n"
            "SERVICE = USBSTOR\r\n"
            "PHYSICAL_DEVICE_OBJECT_NAME = \\Device\\USBPDO-7");
}

TEST(EnumerateDevices, UnreadablePropertiesLeaveNoLines) {
  FakeWorld world;
  world.devices.Add(FakeDevice{}
                        .Failing(s::kSpdrpHardwareId, 5)
                        .Text(s::kSpdrpMfg, "M")
                        .Text(s::kSpdrpPhysicalDeviceObjectName, "\\Device\\USBPDO-1"));
  DeviceList list;
  EnumerateDevices(world.platform(), list, false);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0].Details, "MFG = M\r\nPHYSICAL_DEVICE_OBJECT_NAME = \\Device\\USBPDO-1");
  EXPECT_EQ(list[0].HardwareID, "");
  EXPECT_EQ(list[0].DisplayName, "M");
}

TEST(EnumerateDevices, OneRecordPerHardwareIdFirstWins) {
  FakeWorld world;
  world.devices.Add(Usb("X").Text(s::kSpdrpDeviceDesc, "first"));
  world.devices.Add(Usb("Y"));
  world.devices.Add(Usb("X").Text(s::kSpdrpDeviceDesc, "second"));
  world.devices.Add(Usb("x"));  // case matters
  world.devices.Add(FakeDevice{}.Text(s::kSpdrpDeviceDesc, "no ids 1"));
  world.devices.Add(FakeDevice{}.Failing(s::kSpdrpHardwareId, 5).Text(s::kSpdrpDeviceDesc, "2"));
  DeviceList list;
  EnumerateDevices(world.platform(), list, false);
  EXPECT_EQ(HardwareIds(list),
            (std::vector<std::string>{"X", "Y", "x", "", kGenericVolumeId, kGenericMediaId}));
  EXPECT_EQ(list[0].DisplayName, "first");
  EXPECT_EQ(list[3].DisplayName, "no ids 1");
}

TEST(EnumerateDevices, PresenceFollowsThePhysicalDeviceObjectName) {
  FakeDevice attached = Usb("ATTACHED");
  FakeDevice known = Usb("KNOWN");
  known.present = false;
  FakeDevice nameless;  // attached, but its object name cannot be read
  nameless.Multi(s::kSpdrpHardwareId, {"NAMELESS"});

  struct Case {
    bool all_known;
    std::uint32_t flags;
    std::vector<std::string> ids;
    std::vector<bool> present;
  };
  for (const Case& c : std::vector<Case>{
           {false,
            0x12,
            {"ATTACHED", "NAMELESS", kGenericVolumeId, kGenericMediaId},
            {true, false, true, true}},
           {true,
            0x10,
            {"ATTACHED", "KNOWN", "NAMELESS", kGenericVolumeId, kGenericMediaId},
            {true, false, false, true, true}},
       }) {
    FakeWorld world;
    world.devices.Add(attached);
    world.devices.Add(known);
    world.devices.Add(nameless);
    DeviceList list;
    EnumerateDevices(world.platform(), list, c.all_known);
    EXPECT_EQ(world.devices.OpenFlags(), std::vector<std::uint32_t>{c.flags});
    EXPECT_EQ(HardwareIds(list), c.ids) << c.all_known;
    std::vector<bool> present;
    for (const DeviceRecord& record : list) present.push_back(record.Present);
    EXPECT_EQ(present, c.present) << c.all_known;
  }
}

TEST(EnumerateDevices, UnopenableSetGivesOneNoticeAndAnEmptyList) {
  FakeWorld world;
  world.devices.Add(Usb("X"));
  world.devices.open_fails = true;
  world.devices.open_error = 5;
  world.notices.system_texts[5] = "アクセスが拒否されました。\r\n";
  DeviceList list(2);
  EnumerateDevices(world.platform(), list, true);
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(
      world.notices.Texts(),
      std::vector<std::string>{"Mountwickからのエラー通知：\nデバイス情報の取得に失敗しました。"
                               "\n\n\nSysErr(5) アクセスが拒否されました。\r\n"});
  EXPECT_EQ(world.devices.OpenSets(), 0u);
}

TEST(DisplayName, ComposedFromTheFourSources) {
  struct Case {
    std::string friendly, desc, mfg, location, expected;
  };
  for (const Case& c : std::vector<Case>{
           {"", "D", "M", "L", "D/M/L"},
           {"F", "D", "M", "L", "F/D/M/L"},
           {"USB Disk Pro", "USB Disk", "M", "", "USB Disk Pro/M"},
           {"F", "D", "D", "L", "F/D/L"},    // Mfg found in what DeviceDesc just added
           {"F", "Dx", "x", "F/D", "F/Dx"},  // found across a joint
           {"", "", "", "L", "L"},
           {"", "", "", "", ""},
           {"Reader  ", "", "", "", "Reader"},
           {"Reader  ", "D", "", "", "Reader  /D"},
           {"", "D ", "", "", "D"},
           {"  ", "", "", "", ""},
           {"Tab\t", "", "", "", "Tab\t"},
           {"ソフト", "表", "", "", "ソフト/表"},
       }) {
    DeviceRecord record;
    record.FriendlyName = c.friendly;
    record.DeviceDesc = c.desc;
    record.Mfg = c.mfg;
    record.LocationInformation = c.location;
    EXPECT_EQ(ComposeDisplayName(record), c.expected)
        << c.friendly << "|" << c.desc << "|" << c.mfg << "|" << c.location;
  }
}

TEST(FindDeviceByHardwareID, FirstExactMatchOrMinusOne) {
  DeviceList list(4);
  list[0].HardwareID = "USB\\VID_1";
  list[1].HardwareID = "USB\\VID_12";
  list[2].HardwareID = "";
  list[3].HardwareID = "USB\\VID_12";
  EXPECT_EQ(FindDeviceByHardwareID("USB\\VID_12", list), 1);
  EXPECT_EQ(FindDeviceByHardwareID("USB\\VID_1", list), 0);
  EXPECT_EQ(FindDeviceByHardwareID("", list), 2);
  EXPECT_EQ(FindDeviceByHardwareID("usb\\vid_1", list), -1);
  EXPECT_EQ(FindDeviceByHardwareID("USB\\VID_", list), -1);
  EXPECT_EQ(FindDeviceByHardwareID("X", DeviceList{}), -1);
}

}  // namespace
}  // namespace mw
