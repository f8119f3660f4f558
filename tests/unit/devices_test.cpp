#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>

#include "devices/device_eject.h"
#include "devices/device_enumeration.h"
#include "devices/device_property.h"
#include "devices/display_name.h"
#include "fakes/fake_world.h"

namespace mw {
namespace {

using fake::FakeDevice;
namespace s = setup;
constexpr std::uint32_t kId = s::kSpdrpHardwareId;

FakeDevice Usb(const std::string& hardware_id, bool present = true) {
  FakeDevice device;
  device.present = present;
  device.Multi(kId, {hardware_id}).Text(s::kSpdrpPhysicalDeviceObjectName, "\\Device\\USBPDO-1");
  return device;
}

TEST(DeviceProperty, ReadsTheValueAndItsDetailsLineOrGivesUp) {
  struct Case {
    std::string bytes;         // "-": not stored
    std::vector<long> errors;  // what the n-th query fails with (0: it runs); the last repeats
    int failed_allocations;
    std::string value;  // "-": no details line
    std::size_t queries;
  };
  const std::vector<Case> cases = {
      {std::string("A\0B\0\0", 5), {}, 0, "AB", 2},   // strings joined without separator
      {std::string("A\0\0B\0\0", 6), {}, 0, "A", 2},  // strings after an empty one ignored
      {std::string(1, '\0'), {}, 0, "", 2},
      {"ソ表能", {}, 0, "ソ表能", 2},  // trail bytes kept, no NUL at all
      {"-", {}, 0, "-", 1},
      {"ABC", {0, s::kErrorInvalidData}, 0, "-", 2},  // gone after the size query
      {"ABC", {0, 31, 0}, 0, "ABC", 3},               // another error keeps the buffer
      {"ABC", {s::kErrorInsufficientBuffer}, 0, "-", 1 + 11},
      {"ABC", {}, 10, "ABC", 2 + 10},  // each failed allocation costs a query
      {"ABC", {}, 11, "-", 1 + 11},
  };
  for (const Case& c : cases) {
    fake::FakeWorld world;
    world.Add(c.bytes == "-" ? FakeDevice{} : FakeDevice{}.Raw(kId, c.bytes));
    world.fault = [&c, n = std::size_t{0}](fake::Call call, const std::string&) mutable {
      return call != fake::Call::kGetProperty || c.errors.empty()
                 ? 0
                 : c.errors[std::min(n++, c.errors.size() - 1)];
    };
    std::string value = "stale";
    DeviceRecord record;
    record.Details = "MFG = M";
    {
      ScopedDeviceSet set(world);
      std::uint32_t error = 0;
      DeviceElement element;
      ASSERT_TRUE(world.OpenUsbDeviceSet(s::kDigcfDeviceInterface, set.receive(), &error));
      ASSERT_TRUE(world.EnumDevice(set.get(), 0, &element));
      // Zeroed like the real buffers, then bytes that are not NUL, so that a
      // walk past the end of the data shows in the value.
      ReadDeviceProperty(
          world, set.get(), element, kId, value, "HARDWAREID", record,
          [&, failures = c.failed_allocations](std::uint32_t size) mutable {
            PropertyBuffer buffer(failures-- > 0 ? nullptr : new unsigned char[size + 8]);
            if (buffer) std::fill_n(std::fill_n(buffer.get(), size, 0), 8, 'Z');
            return buffer;
          });
    }
    SCOPED_TRACE(testing::PrintToString(c.bytes) + " " + c.value);
    EXPECT_EQ(value, c.value == "-" ? "" : c.value);
    EXPECT_EQ(record.Details, c.value == "-" ? "MFG = M" : "MFG = M\r\nHARDWAREID = " + c.value);
    EXPECT_EQ(world.property_queries, c.queries);
    EXPECT_EQ(world.open_sets(), 0u);
  }
}

TEST(EnumerateDevices, ReadsEveryPropertyOncePerHardwareIdAndPresenceFromTheObjectName) {
  const std::string joined = "USB\\VID_0411&PID_01EE&REV_0100USB\\VID_0411&PID_01EE";
  for (const bool all_known : {false, true}) {
    fake::FakeWorld world;
    for (const char* description : {"USB 大容量記憶装置", "the same device again"})
      world.Add(FakeDevice{}
                    .Multi(kId, {"USB\\VID_0411&PID_01EE&REV_0100", "USB\\VID_0411&PID_01EE"})
                    .Text(s::kSpdrpFriendlyName, "")
                    .Text(s::kSpdrpDeviceDesc, description)
                    .Text(s::kSpdrpMfg, "(標準)")
                    .Text(s::kSpdrpLocationInformation, "Port_#0002")
                    .Text(s::kSpdrpService, "USBSTOR")
                    .Text(s::kSpdrpPhysicalDeviceObjectName, "\\Device\\USBPDO-7"));
    world.Add(Usb("KNOWN", false));
    world.Add(Usb("X"));
    world.Add(Usb("x"));                               // case matters
    world.Add(FakeDevice{}.Multi(kId, {"NAMELESS"}));  // no object name to read
    DeviceList list;
    EnumerateDevices(world.platform(), list, all_known);
    std::vector<std::string> ids;
    for (const DeviceRecord& record : list)
      ids.push_back(record.HardwareID + (record.Present ? "" : "?"));
    std::vector<std::string> expected = {joined,           "KNOWN?",       "X", "x", "NAMELESS?",
                                         kGenericVolumeId, kGenericMediaId};
    if (!all_known) expected.erase(expected.begin() + 1);
    EXPECT_EQ(ids, expected);
    EXPECT_EQ(world.open_flags, std::vector<std::uint32_t>{all_known ? 0x10u : 0x12u});
    EXPECT_EQ(list[0].DisplayName, "USB 大容量記憶装置/(標準)/Port_#0002");
    EXPECT_EQ(list[0].Details,
              "HARDWAREID = " + joined +
                  "\r\nFRIENDLYNAME = \r\nDEVICEDESC = USB 大容量記憶装置\r\nMFG = (標準)\r\n"
                  "LOCATION_INFORMATION = Port_#0002\r\nSERVICE = USBSTOR\r\n"
                  "PHYSICAL_DEVICE_OBJECT_NAME = \\Device\\USBPDO-7");
  }
}

TEST(DisplayName, ComposedFromTheFourSourcesEachSaidOnce) {
  // friendly name, description, maker, location, composed
  for (const auto& c : std::vector<std::array<std::string, 5>>{
           {"", "D", "M", "L", "D/M/L"},
           {"USB Disk Pro", "USB Disk", "M", "", "USB Disk Pro/M"},
           {"F", "Dx", "x", "F/D", "F/Dx"},  // the maker found across a joint
           {"Reader  ", "", "", "", "Reader"},
           {"Reader  ", "D", "", "", "Reader  /D"}})
    EXPECT_EQ(ComposeDisplayName({"", false, "", c[1], c[0], "", c[3], c[2], "", ""}), c[4])
        << testing::PrintToString(c);
}

TEST(EjectDevice, RequestsTheDeviceThatArrivedElseTheOneAttachedDeviceWithTheExactId) {
  using A = RemovalAnswer;
  // Device n's hardware identifiers and its answer to a removal request; 3 is only known.
  const std::vector<std::pair<std::vector<std::string>, std::uint32_t>> devices = {
      {{"OTHER"}, 0},
      {{"USB\\VID_1&PID_2", "USB\\VID_1"}, 23},
      {{"GONE"}, 0},
      {{"SAME"}, 0},
      {{"SAME"}, 0x13}};
  // The identifier, the instance that arrived ("": none), the requests, the answer.
  const std::tuple<std::string, std::string, std::vector<std::uint32_t>, A> cases[] = {
      {"USB\\VID_1&PID_2USB\\VID_1", "", {2}, A::Refused},  // the joined identifiers
      {"SAME", "", {}, A::NoSuchDevice},                    // two of one model: neither
      {"SAME", "usb\\fake\\5", {5}, A::Failed},             // ... unless one arrived
      {"SAME", "USB\\FAKE\\4", {4}, A::Granted},
      {"GONE", "USB\\FAKE\\3", {}, A::NoSuchDevice},  // the one that arrived has left
      {"USB\\VID_1&PID_2", "", {}, A::NoSuchDevice},  // one string of a list is not the device
      {"same", "", {}, A::NoSuchDevice},
      {"GONE", "", {}, A::NoSuchDevice},  // known, not attached
  };
  for (const auto& [hardware_id, instance, requests, answer] : cases) {
    fake::FakeWorld world;
    for (std::uint32_t n = 1; n <= devices.size(); ++n)
      world.Add(
          FakeDevice{n != 3, n, {}, {devices[n - 1].second}, {}}.Multi(kId, devices[n - 1].first));
    const RemovalResult result = EjectDevice(world.platform(), hardware_id, instance);
    EXPECT_EQ(result.answer, answer) << hardware_id << instance;
    EXPECT_EQ(result.asked(), !requests.empty());
    EXPECT_EQ(world.eject_requests, requests) << hardware_id << instance;
    EXPECT_EQ(world.open_flags, std::vector<std::uint32_t>{0x12});
    EXPECT_EQ(world.open_sets(), 0u);
  }
  fake::FakeWorld world;  // no set: nothing asked, and the user is told
  world.FailAlways(fake::Call::kOpenUsbDeviceSet, 5);
  EXPECT_EQ(EjectDevice(world.platform(), "SAME").answer, A::SetUnavailable);
  EXPECT_EQ(world.shown.size(), 1u);
}

TEST(EjectDevice, ASuccessThatNamesAVetoIsARefusal) {
  using A = RemovalAnswer;
  // CONFIGRET, veto type, the answer and the veto type it keeps.
  const std::tuple<std::uint32_t, std::uint32_t, A, std::uint32_t> cases[] = {
      {0, 0, A::Granted, 0},  {0, 3, A::Refused, 3},   {23, 0, A::Refused, 0},
      {23, 6, A::Refused, 6}, {0x13, 3, A::Failed, 0}, {0x0D, 0, A::Failed, 0}};
  for (const auto& [code, veto, answer, kept] : cases) {
    const RemovalResult result = ClassifyRemoval(code, veto);
    EXPECT_EQ(std::tie(result.answer, result.code, result.veto_type), std::tie(answer, code, kept))
        << code << " " << veto;
  }
}

}  // namespace
}  // namespace mw
