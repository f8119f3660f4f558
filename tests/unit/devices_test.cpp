#include <gtest/gtest.h>

#include <algorithm>

#include "devices/device_eject.h"
#include "devices/device_enumeration.h"
#include "devices/device_property.h"
#include "devices/display_name.h"
#include "fakes/fake_world.h"
#include "model/action.h"

namespace mw {
namespace {

using fake::FakeDevice;
using fake::FakeWorld;
namespace s = setup;
constexpr std::uint32_t kProp = s::kSpdrpHardwareId;

FakeDevice Usb(const std::string& hardware_id, bool present = true) {
  FakeDevice device;
  device.present = present;
  device.Multi(kProp, {hardware_id}).Text(s::kSpdrpPhysicalDeviceObjectName, "\\Device\\USBPDO-1");
  return device;
}

std::vector<std::string> Ids(const DeviceList& list) {
  std::vector<std::string> ids;
  for (const DeviceRecord& record : list)
    ids.push_back(record.HardwareID + (record.Present ? "" : "?"));
  return ids;
}

struct Read {
  std::string value, details;
  std::size_t queries;
};

// Reads kProp of the only device into a record whose Details hold `details`.
// The buffers are zeroed like the real ones but followed by bytes that are not
// NUL, so that a walk past the end of the data shows in the value.
Read ReadProperty(FakeWorld& world, std::string details = {}, int failed_allocations = 0) {
  Read out{"stale", std::move(details), 0};
  {
    ScopedDeviceSet set(world);
    std::uint32_t error = 0;
    EXPECT_TRUE(world.OpenUsbDeviceSet(s::kDigcfDeviceInterface, set.receive(), &error));
    DeviceElement element;
    EXPECT_TRUE(world.EnumDevice(set.get(), 0, &element));
    DeviceRecord record;
    record.Details = out.details;
    ReadDeviceProperty(world, set.get(), element, kProp, out.value, "HARDWAREID", record,
                       [&](std::uint32_t size) {
                         if (failed_allocations-- > 0) return PropertyBuffer();
                         PropertyBuffer buffer(new unsigned char[size + 8]);
                         std::fill_n(buffer.get(), size, 0);
                         std::fill_n(buffer.get() + size, 8, 'Z');
                         return buffer;
                       });
    out.details = record.Details;
  }
  out.queries = world.property_queries;
  EXPECT_EQ(world.open_sets(), 0u);
  return out;
}

TEST(DeviceProperty, ValueAndDetailsLineFromTheData) {
  const std::vector<std::tuple<const char*, std::string, std::string>> cases = {
      {"single string", std::string("USB\\VID_0411\0", 13), "USB\\VID_0411"},
      {"strings joined without separator", std::string("A\0B\0\0", 5), "AB"},
      {"strings after an empty one ignored", std::string("A\0\0B\0\0", 6), "A"},
      {"empty string still gives a line", std::string(1, '\0'), ""},
      {"Shift-JIS trail bytes kept", "ソ表能", "ソ表能"},
      {"string without NUL", "AB", "AB"},
      {"list without final NUL", std::string("A\0B", 3), "AB"},
  };
  for (const auto& [name, bytes, value] : cases) {
    FakeWorld world;
    world.Add(FakeDevice{}.Raw(kProp, bytes));
    const Read out = ReadProperty(world);
    EXPECT_EQ(out.value, value) << name;
    EXPECT_EQ(out.details, "HARDWAREID = " + value) << name;
  }
  FakeWorld world;
  world.Add(FakeDevice{}.Text(kProp, "X"));
  EXPECT_EQ(ReadProperty(world, "MFG = M").details, "MFG = M\r\nHARDWAREID = X");
}

TEST(DeviceProperty, QueriesUntilReadOrGivenUp) {
  struct Case {
    const char* name;
    bool stored;
    std::vector<long> errors;  // what the n-th query fails with (0: it runs); the last repeats
    int failed_allocations;
    std::size_t queries;
    bool read;
  };
  const std::vector<Case> cases = {
      {"fits the first buffer", true, {}, 0, 2, true},
      {"missing", false, {}, 0, 1, false},
      {"vanishes after the size query", true, {0, s::kErrorInvalidData}, 0, 2, false},
      {"another error keeps the buffer", true, {0, 31, 0}, 0, 3, true},
      {"always another error", true, {1784}, 0, 1 + 11, false},
      {"always too small", true, {s::kErrorInsufficientBuffer}, 0, 1 + 11, false},
      {"failed allocations are tried again", true, {}, 10, 2 + 10, true},
      {"up to the last attempt", true, {}, 11, 1 + 11, false},
  };
  for (const Case& c : cases) {
    FakeWorld world;
    world.Add(c.stored ? FakeDevice{}.Text(kProp, "ABC") : FakeDevice{});
    world.fault = [&c, n = std::size_t{0}](const std::string& call, const std::string&) mutable {
      return call != "GetProperty" || c.errors.empty()
                 ? 0
                 : c.errors[std::min(n++, c.errors.size() - 1)];
    };
    const Read out = ReadProperty(world, "", c.failed_allocations);
    EXPECT_EQ(out.queries, c.queries) << c.name;
    EXPECT_EQ(out.value, c.read ? "ABC" : "") << c.name;
    EXPECT_EQ(out.details, c.read ? "HARDWAREID = ABC" : "") << c.name;
  }
}

TEST(EnumerateDevices, ReadsEveryPropertyIntoItsFieldAndDetailsInOrder) {
  FakeWorld world;
  world.Add(FakeDevice{}
                .Multi(kProp, {"USB\\VID_0411&PID_01EE&REV_0100", "USB\\VID_0411&PID_01EE"})
                .Text(s::kSpdrpFriendlyName, "")
                .Text(s::kSpdrpDeviceDesc, "USB 大容量記憶装置")
                .Text(s::kSpdrpMfg, "(標準)")
                .Text(s::kSpdrpLocationInformation, "Port_#0002.Hub_#0003")
                .Text(s::kSpdrpService, "USBSTOR")
                .Text(s::kSpdrpPhysicalDeviceObjectName, "\\Device\\USBPDO-7"));
  DeviceList list;
  EnumerateDevices(world.platform(), list, false);
  ASSERT_EQ(Ids(list),
            (std::vector<std::string>{"USB\\VID_0411&PID_01EE&REV_0100USB\\VID_0411&PID_01EE",
                                      kGenericVolumeId, kGenericMediaId}));
  const DeviceRecord& r = list[0];
  EXPECT_EQ(std::vector<std::string>({r.FriendlyName, r.DeviceDesc, r.Mfg, r.LocationInformation,
                                      r.Service, r.PhysicalDeviceObjectName}),
            std::vector<std::string>({"", "USB 大容量記憶装置", "(標準)", "Port_#0002.Hub_#0003",
                                      "USBSTOR", "\\Device\\USBPDO-7"}));
  EXPECT_EQ(r.DisplayName, "USB 大容量記憶装置/(標準)/Port_#0002.Hub_#0003");
  EXPECT_EQ(r.Details,
            "HARDWAREID = USB\\VID_0411&PID_01EE&REV_0100USB\\VID_0411&PID_01EE\r\n"
            "FRIENDLYNAME = \r\nDEVICEDESC = USB 大容量記憶装置\r\nMFG = (標準)\r\n"
            "LOCATION_INFORMATION = Port_#0002.Hub_#0003\r\nSERVICE = USBSTOR\r\n"
            "PHYSICAL_DEVICE_OBJECT_NAME = \\Device\\USBPDO-7");
}

TEST(EnumerateDevices, OneRecordPerHardwareIdAndPresenceFromTheObjectName) {
  FakeDevice nameless;  // attached, but its object name cannot be read
  nameless.Multi(kProp, {"NAMELESS"});
  for (const bool all_known : {false, true}) {
    FakeWorld world;
    world.Add(Usb("X").Text(s::kSpdrpDeviceDesc, "first"));
    world.Add(Usb("KNOWN", false));
    world.Add(Usb("X").Text(s::kSpdrpDeviceDesc, "second"));
    world.Add(Usb("x"));  // case matters
    world.Add(nameless);
    DeviceList list;
    EnumerateDevices(world.platform(), list, all_known);
    EXPECT_EQ(world.open_flags, std::vector<std::uint32_t>{all_known ? 0x10u : 0x12u});
    std::vector<std::string> expected = {"X",         "KNOWN?",         "x",
                                         "NAMELESS?", kGenericVolumeId, kGenericMediaId};
    if (!all_known) expected.erase(expected.begin() + 1);
    EXPECT_EQ(Ids(list), expected);
    EXPECT_EQ(list[0].DisplayName, "first");
  }
}

TEST(EnumerateDevices, AnUnopenableSetGivesOneNoticeAndAnEmptyList) {
  FakeWorld world;
  world.Add(Usb("X"));
  world.FailAlways("OpenUsbDeviceSet", 5);
  world.system_texts[5] = "拒否されました。\r\n";
  DeviceList list(2);
  EnumerateDevices(world.platform(), list, true);
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(world.Texts(),
            std::vector<std::string>{"Mountwickからのエラー通知：\nデバイス情報の取得に"
                                     "失敗しました。\n\n\nSysErr(5) 拒否されました。\r\n"});
}

TEST(DisplayName, ComposedFromTheFourSources) {
  const std::vector<std::vector<std::string>> cases = {
      // friendly name, description, maker, location, composed
      {"", "D", "M", "L", "D/M/L"},
      {"F", "D", "M", "L", "F/D/M/L"},
      {"USB Disk Pro", "USB Disk", "M", "", "USB Disk Pro/M"},
      {"F", "D", "D", "L", "F/D/L"},    // the maker found in what the description added
      {"F", "Dx", "x", "F/D", "F/Dx"},  // found across a joint
      {"", "", "", "L", "L"},
      {"Reader  ", "", "", "", "Reader"},
      {"Reader  ", "D", "", "", "Reader  /D"},
      {"  ", "", "", "", ""},
      {"ソフト", "表", "", "", "ソフト/表"},
  };
  for (const std::vector<std::string>& c : cases) {
    DeviceRecord record;
    record.FriendlyName = c[0];
    record.DeviceDesc = c[1];
    record.Mfg = c[2];
    record.LocationInformation = c[3];
    EXPECT_EQ(ComposeDisplayName(record), c[4])
        << c[0] << "|" << c[1] << "|" << c[2] << "|" << c[3];
  }
}

TEST(EjectDevice, RequestsOnlyTheFirstAttachedDeviceWithTheExactId) {
  const std::vector<std::pair<std::string, std::vector<std::uint32_t>>> cases = {
      {"USB\\VID_1&PID_2USB\\VID_1", {20}},  // the joined identifiers
      {"SAME", {30}},                        // two of one model: the first only
      {"USB\\VID_1&PID_2", {}},              // one string of a list is not the device
      {"same", {}},
      {"GONE", {}},  // known, not attached
      {kGenericVolumeId, {}},
  };
  for (const auto& [hardware_id, requests] : cases) {
    FakeWorld world;
    const auto add = [&](std::vector<std::string> ids, std::uint32_t dev_inst, bool present) {
      FakeDevice device;
      device.dev_inst = dev_inst;
      device.present = present;
      device.eject_answers = {dev_inst};  // tells which device answered
      world.Add(device.Multi(kProp, ids));
    };
    add({"OTHER"}, 10, true);
    add({"USB\\VID_1&PID_2", "USB\\VID_1"}, 20, true);
    add({"GONE"}, 25, false);
    add({"SAME"}, 30, true);
    add({"SAME"}, 40, true);
    const int result = EjectDevice(world.platform(), hardware_id);
    EXPECT_EQ(world.eject_requests, requests) << hardware_id;
    EXPECT_EQ(result, requests.empty() ? 0 : static_cast<int>(requests[0])) << hardware_id;
    EXPECT_EQ(world.open_flags, std::vector<std::uint32_t>{0x12});
    EXPECT_EQ(world.open_sets(), 0u);
  }
}

}  // namespace
}  // namespace mw
