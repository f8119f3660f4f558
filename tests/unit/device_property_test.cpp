#include "devices/device_property.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/fake_devices.h"

namespace mw {
namespace {

using fake::FakeDevice;
using fake::FakeDevices;
constexpr std::uint32_t kProp = setup::kSpdrpHardwareId;

struct Outcome {
  std::string value;
  std::string details;
  std::size_t queries;
};

// Reads kProp of the only device, on a record whose Details already hold `details`.
Outcome Read(FakeDevices& devices, const PropertyBufferSource& source = AllocateZeroedBuffer,
             std::string details = {}) {
  Outcome out;
  {
    ScopedDeviceSet set(devices);
    std::uint32_t error = 0;
    EXPECT_TRUE(devices.OpenUsbDeviceSet(setup::kDigcfDeviceInterface, set.receive(), &error));
    DeviceElement element;
    EXPECT_TRUE(devices.EnumDevice(set.get(), 0, &element));
    DeviceRecord record;
    record.Details = std::move(details);
    out.value = "stale";
    ReadDeviceProperty(devices, set.get(), element, kProp, out.value, "HARDWAREID", record, source);
    out.details = record.Details;
  }
  out.queries = devices.PropertyQueries();
  EXPECT_EQ(devices.OpenSets(), 0u);
  return out;
}

// Zero-filled like the real source, but followed by bytes that are not NUL, so
// that a walk past the end of the data shows up in the value.
PropertyBuffer GuardedBuffer(std::uint32_t size) {
  PropertyBuffer buffer(new unsigned char[size + 8]);
  std::fill_n(buffer.get(), size, 0);
  std::fill_n(buffer.get() + size, 8, 'Z');
  return buffer;
}

TEST(DeviceProperty, ValueAndDetailsLineFromTheData) {
  struct Case {
    const char* name;
    FakeDevice device;
    std::string value;
    std::string details;
  };
  const std::vector<Case> cases = {
      {"single string", FakeDevice{}.Text(kProp, "USB\\VID_0411"), "USB\\VID_0411",
       "HARDWAREID = USB\\VID_0411"},
      {"strings joined without separator", FakeDevice{}.Multi(kProp, {"A", "B"}), "AB",
       "HARDWAREID = AB"},
      {"strings after an empty one ignored", FakeDevice{}.Multi(kProp, {"A", "", "B"}), "A",
       "HARDWAREID = A"},
      {"empty string still gives a line", FakeDevice{}.Text(kProp, ""), "", "HARDWAREID = "},
      {"empty list still gives a line", FakeDevice{}.Multi(kProp, {}), "", "HARDWAREID = "},
      {"missing property gives no line", FakeDevice{}, "", ""},
      {"other error gives no line", FakeDevice{}.Failing(kProp, 5), "", ""},
      {"Shift-JIS trail bytes kept", FakeDevice{}.Text(kProp, "ソ表能"), "ソ表能",
       "HARDWAREID = ソ表能"},
      {"string without NUL", FakeDevice{}.Raw(kProp, "AB"), "AB", "HARDWAREID = AB"},
      {"list without final NUL", FakeDevice{}.Raw(kProp, std::string("A\0B", 3)), "AB",
       "HARDWAREID = AB"},
  };
  for (const Case& c : cases) {
    FakeDevices devices;
    devices.Add(c.device);
    const Outcome out = Read(devices, GuardedBuffer);
    EXPECT_EQ(out.value, c.value) << c.name;
    EXPECT_EQ(out.details, c.details) << c.name;
  }
}

TEST(DeviceProperty, LinesAreJoinedWithCrLfAndAMissingPropertyLeavesDetailsAlone) {
  FakeDevices with;
  with.Add(FakeDevice{}.Text(kProp, "X"));
  EXPECT_EQ(Read(with, AllocateZeroedBuffer, "MFG = M").details, "MFG = M\r\nHARDWAREID = X");

  FakeDevices without;
  without.Add(FakeDevice{});
  EXPECT_EQ(Read(without, AllocateZeroedBuffer, "MFG = M").details, "MFG = M");
}

TEST(DeviceProperty, QueriesUntilReadOrGivenUp) {
  struct Case {
    const char* name;
    FakeDevice device;
    std::size_t queries;
    std::string value;  // "-" for no line
  };
  FakeDevice growing;
  growing.Text(kProp, "ABC");
  growing.properties[kProp].grows = 1;
  FakeDevice blip;  // one other error after the size query: the buffer is kept
  blip.Text(kProp, "ABC");
  blip.properties[kProp].fail_first = {31};
  FakeDevice vanishing;  // gone between the size query and the read
  vanishing.Text(kProp, "ABC");
  vanishing.properties[kProp].fail_first = {setup::kErrorInvalidData};
  const std::vector<Case> cases = {
      {"fits the first buffer", FakeDevice{}.Text(kProp, "ABC"), 2, "ABC"},
      {"missing", FakeDevice{}, 1, "-"},
      {"vanishes", vanishing, 2, "-"},
      {"other error keeps the buffer", blip, 3, "ABC"},
      {"always another error", FakeDevice{}.Failing(kProp, 1784), 1 + 11, "-"},
      {"always too small", growing, 1 + 11, "-"},
  };
  for (const Case& c : cases) {
    FakeDevices devices;
    devices.Add(c.device);
    const Outcome out = Read(devices);
    EXPECT_EQ(out.queries, c.queries) << c.name;
    if (c.value == "-") {
      EXPECT_EQ(out.details, "") << c.name;
      EXPECT_EQ(out.value, "") << c.name;
    } else {
      EXPECT_EQ(out.value, c.value) << c.name;
    }
  }
}

TEST(DeviceProperty, FailedAllocationsAreRetriedWithinTheAttempts) {
  for (int failures : {0, 2, 10, 11, 50}) {
    FakeDevices devices;
    devices.Add(FakeDevice{}.Text(kProp, "ABC"));
    int calls = 0;
    std::vector<std::uint32_t> sizes;
    const Outcome out = Read(devices, [&](std::uint32_t size) {
      sizes.push_back(size);
      return ++calls <= failures ? nullptr : AllocateZeroedBuffer(size);
    });
    // Each failure costs one sized query; eleven of them are all there are.
    const bool read = failures < kMaxSizedPropertyQueries;
    EXPECT_EQ(out.value, read ? "ABC" : "") << failures;
    EXPECT_EQ(out.details, read ? "HARDWAREID = ABC" : "") << failures;
    EXPECT_EQ(out.queries, read ? 2u + failures : 1u + 11u) << failures;
    EXPECT_TRUE(std::all_of(sizes.begin(), sizes.end(), [](std::uint32_t s) { return s == 4; }))
        << failures;
  }
}

}  // namespace
}  // namespace mw
