#include <gtest/gtest.h>

#include <functional>

#include "devices/drive_owner.h"
#include "fakes/fake_device_trees.h"

namespace mw {
namespace {

using fake::FakeWorld;

void ExpectNothingLeftOpen(FakeWorld& world) {
  EXPECT_EQ(world.storage.open_devices(), 0u);
  EXPECT_EQ(world.open_sets(), 0u);
  EXPECT_TRUE(world.shown.empty());
}

TEST(DriveOwner, IsTheNearestUsbDeviceAboveTheDiskOfTheDrive) {
  // Windows lists a volume's extents; Wine lists none, and the volume's own number tells.
  for (const bool wine_extents : {false, true}) {
    FakeWorld world;
    world.storage.wine_extents = wine_extents;
    const std::string dvd = fake::UsbDvdDrive(world, 'Q');  // CD-ROM 1, listed before disk 1
    const std::string stick = fake::UsbStick(world, 'E');
    const std::string uasp = fake::UaspDisk(world, 'F', 'G');
    const std::string reader = fake::CardReader(world, 'H');
    const std::uint32_t hub = fake::Hub(world);
    const std::string behind_hub = fake::UsbStick(world, 'I', hub);
    fake::InternalCardReader(world, 'J');
    auto disk_of = [&](char letter) {
      return world.storage.devices[std::string("\\\\.\\") + letter + ':'].extents.at(0);
    };
    fake::Volume(world, 'K', {disk_of('E'), disk_of('I')}, storage::kDriveFixed);
    world.storage.drives['N'].type = storage::kDriveRemote;
    world.storage.drives['S'].target = "\\??\\E:\\Photos";  // opens as the volume of E:
    world.storage.devices["\\\\.\\S:"] = world.storage.devices["\\\\.\\E:"];

    const struct {
      char letter;
      std::string owner;
      const char* why_none;
    } drives[] = {
        {'E', stick, nullptr},
        {'e', stick, nullptr},
        {'F', uasp, nullptr},
        {'G', uasp, nullptr},
        {'H', reader, nullptr},
        {'I', behind_hub, nullptr},
        {'J', "", kNotOnUsbText},
        {'K', "", wine_extents ? kNoDiskNumberText : kSpannedVolumeText},
        {'N', "", kNotRemovableOrFixedText},
        {'Q', "", kNotRemovableOrFixedText},
        {'S', "", kSubstDriveText},
        {'Z', "", kNotRemovableOrFixedText},
    };
    for (const auto& drive : drives) {
      SCOPED_TRACE(std::string(1, drive.letter) + (wine_extents ? " wine" : ""));
      const DriveOwner owner = FindDriveOwner(world.platform(), drive.letter);
      EXPECT_EQ(owner.instance, drive.owner);
      EXPECT_STREQ(owner.why_none, drive.why_none);
      ExpectNothingLeftOpen(world);
    }
    std::string lower_uasp = uasp;
    for (char& c : lower_uasp) c = static_cast<char>(std::tolower(c));
    const std::pair<std::string, std::string> letters[] = {
        {stick, "E"},  {uasp, "FG"},      {lower_uasp, "FG"},
        {reader, "H"}, {behind_hub, "I"}, {world.nodes.Find(hub)->instance_id, ""},
        {dvd, ""},     {"", ""}};
    for (const auto& [instance, expected] : letters) {
      EXPECT_EQ(DriveLettersOf(world.platform(), instance), expected) << instance;
      ExpectNothingLeftOpen(world);
    }
  }
}

TEST(DriveOwner, IsNoneWhereTheSystemCannotTellOrTheTreeAnswersWrongly) {
  using fake::StorageCall;
  const std::string volume = "\\\\.\\E:";
  const struct {
    const char* what;
    std::function<void(FakeWorld&)> change;
    const char* why_none;  // null: the stick still owns E:
  } cases[] = {
      {"volume not opened",
       [&](FakeWorld& w) { w.storage.devices[volume].fails[StorageCall::kOpenDevice] = 5; },
       kDriveNotOpenedText},
      {"no extents, the number instead",
       [&](FakeWorld& w) {
         w.storage.devices[volume].fails[StorageCall::kGetVolumeDiskExtents] = 1;
       },
       nullptr},
      {"neither extents nor number",
       [&](FakeWorld& w) {
         w.storage.devices[volume].fails = {{StorageCall::kGetVolumeDiskExtents, 1},
                                            {StorageCall::kGetDeviceNumber, 1}};
       },
       kNoDiskNumberText},
      {"disk not opened",
       [](FakeWorld& w) {
         w.storage.devices[w.nodes.nodes.back().disk_interface].fails[StorageCall::kOpenDevice] = 5;
       },
       kDiskNotFoundText},
      {"no disk set", [](FakeWorld& w) { w.nodes.disk_set_error = 5; }, kNoDeviceInfoText},
      {"no USB set", [](FakeWorld& w) { w.FailAlways("OpenUsbDeviceSet", 5); }, kNoDeviceInfoText},
      {"parent untouched, as under Wine",
       [](FakeWorld& w) { w.nodes.nodes.back().parent_untouched = true; }, kNotOnUsbText},
      {"parents in a cycle",
       [](FakeWorld& w) {
         const std::uint32_t a = fake::Node(w, "ACPI\\A"), b = fake::Node(w, "ACPI\\B", a);
         w.nodes.Find(a)->parent = b;
         w.nodes.nodes[1].parent = b;  // the stick's disk
       },
       kNotOnUsbText},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeWorld world;
    const std::string stick = fake::UsbStick(world, 'E');
    c.change(world);
    const DriveOwner owner = FindDriveOwner(world.platform(), 'E');
    EXPECT_EQ(owner.instance, c.why_none ? "" : stick);
    EXPECT_STREQ(owner.why_none, c.why_none);
    EXPECT_EQ(DriveLettersOf(world.platform(), stick), c.why_none ? "" : "E");
    ExpectNothingLeftOpen(world);
  }
}

}  // namespace
}  // namespace mw
