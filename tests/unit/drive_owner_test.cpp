#include <gtest/gtest.h>

#include "devices/drive_owner.h"
#include "fakes/fake_device_trees.h"

namespace mw {
namespace {

using fake::FakeWorld;

void ExpectNothingLeftOpen(FakeWorld& world) {
  EXPECT_EQ(world.storage.open_devices() + world.open_sets() + world.shown.size(), 0u);
}

TEST(DriveOwner, IsTheNearestUsbDeviceAboveTheDiskOfTheDrive) {
  // Windows lists a volume's extents; Wine lists none, and the volume's own number tells.
  for (const bool wine_extents : {false, true}) {
    FakeWorld world;
    world.storage.wine_extents = wine_extents;
    const std::string dvd = fake::UsbDvdDrive(world, 'Q');  // CD-ROM 1, listed before disk 1
    const std::string stick = fake::UsbStick(world, 'E'), uasp = fake::UaspDisk(world, 'F', 'G');
    const std::string reader = fake::CardReader(world, 'H');
    const std::uint32_t hub = fake::Hub(world);
    const std::string behind_hub = fake::UsbStick(world, 'I', hub);
    fake::InternalCardReader(world, 'J');
    fake::Volume(world, 'K', {1, 2}, storage::kDriveFixed);  // over the disks of E: and F:
    world.storage.drives['N'].type = storage::kDriveRemote;
    world.storage.drives['S'].target = "\\??\\E:\\Photos";  // opens as the volume of E:
    world.storage.devices["\\\\.\\S:"] = world.storage.devices["\\\\.\\E:"];
    // Sticks whose disks have parents in a loop, or one never written, as under Wine.
    (void)fake::UsbStick(world, 'L');
    const std::size_t looped = world.nodes.nodes.size() - 1;
    const std::uint32_t a = fake::Node(world, "ACPI\\A"), b = fake::Node(world, "ACPI\\B", a);
    world.nodes.Find(a)->parent = world.nodes.nodes[looped].parent = b;
    (void)fake::UsbStick(world, 'M');
    world.nodes.nodes.back().parent_untouched = true;

    const char* const spanned = wine_extents ? kNoDiskNumberText : kSpannedVolumeText;
    const std::tuple<char, std::string, const char*> drives[] = {
        {'E', stick, nullptr},
        {'e', stick, nullptr},
        {'F', uasp, nullptr},
        {'G', uasp, nullptr},
        {'H', reader, nullptr},
        {'I', behind_hub, nullptr},
        {'J', "", kNotOnUsbText},
        {'L', "", kNotOnUsbText},
        {'M', "", kNotOnUsbText},
        {'K', "", spanned},
        {'N', "", kNotRemovableOrFixedText},
        {'S', "", kSubstDriveText},
        {'Q', "", kNotRemovableOrFixedText}};
    for (const auto& [letter, instance, why_none] : drives) {
      const DriveOwner owner = FindDriveOwner(world.platform(), letter);
      EXPECT_EQ(owner.instance, instance) << letter << wine_extents;
      EXPECT_STREQ(owner.why_none, why_none) << letter << wine_extents;
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

}  // namespace
}  // namespace mw
