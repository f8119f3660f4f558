// A drive's owner with the real adapters under Wine, on R:, which the test
// prefix makes a floppy drive (removable) over a folder. Wine has no disk
// interfaces and no parents, so no drive has an owner here.
#include <windows.h>
#include <winioctl.h>

#include "devices/drive_owner.h"
#include "unit/win_test_support.h"

namespace mw {
namespace {

TEST(DriveOwnerOnWindows, ReadsARemovableDrivesDiskAndEndsWithoutOwner) {
  wintest::World world;
  const Platform platform = world.platform();
  StoragePort& storage = platform.storage;
  ASSERT_EQ(storage.DriveType("R:\\"), storage::kDriveRemovable) << "scripts/wine-env.sh makes R:";
  EXPECT_NE(storage.LogicalDrives() & (1u << ('R' - 'A')), 0u);
  std::string target;
  std::uint32_t error = 0, extents = 9, first_disk = 9;
  EXPECT_TRUE(storage.QueryDosTarget("R:", &target, &error));
  EXPECT_FALSE(target.empty() || target.starts_with("\\??\\")) << target;
  {
    ScopedStorageDevice volume(storage);
    ASSERT_TRUE(storage.OpenDevice("\\\\.\\R:", volume.receive(), &error)) << error;
    EXPECT_TRUE(storage.GetVolumeDiskExtents(volume.get(), &extents, &first_disk, &error));
    EXPECT_EQ(extents, 0u);  // the step that falls back to the device number
    StorageDeviceNumber number;
    ASSERT_TRUE(storage.GetDeviceNumber(volume.get(), &number, &error)) << error;
    EXPECT_EQ(number.device_type, static_cast<std::uint32_t>(FILE_DEVICE_DISK));
    EXPECT_EQ(number.device_number, 1u);
  }
  for (const char letter : {'R', 'E', 'C'}) {
    const DriveOwner owner = FindDriveOwner(platform, letter);
    EXPECT_EQ(owner.instance, "") << letter;
    EXPECT_STREQ(owner.why_none, kDiskNotFoundText) << letter;
  }

  // A USB device that Wine lists has no parent and no drive.
  const fakeusb::FakeUsbDevice usb{"ROOT\\MWOWNER\\" + std::to_string(GetCurrentProcessId()),
                                   {"USB\\VID_F00D&PID_0A00"}};
  ASSERT_TRUE(fakeusb::PlugFakeUsbDevice(usb).ok());
  ScopedDeviceSet set(platform.devices);
  ASSERT_TRUE(platform.devices.OpenUsbDeviceSet(DIGCF_PRESENT | DIGCF_DEVICEINTERFACE,
                                                set.receive(), &error));
  DeviceElement element;
  std::string id, path;
  std::uint32_t parent = 9;
  for (std::uint32_t i = 0;
       id != usb.instance_id && platform.devices.EnumDevice(set.get(), i, &element); ++i)
    EXPECT_EQ(platform.devices.GetDeviceId(element.dev_inst, &id), setup::kCrSuccess);
  EXPECT_EQ(id, usb.instance_id);
  EXPECT_NE(platform.devices.GetParent(element.dev_inst, &parent), setup::kCrSuccess);
  EXPECT_EQ(parent, 0u);
  EXPECT_EQ(DriveLettersOf(platform, usb.instance_id), "");
  ASSERT_TRUE(platform.devices.OpenDiskInterfaceSet(set.receive(), &error));
  EXPECT_FALSE(platform.devices.EnumDiskInterface(set.get(), 0, &path, &element));
  EXPECT_TRUE(fakeusb::RemoveFakeUsbDevice(usb.instance_id).ok());
  EXPECT_EQ(world.texts, wintest::Lines{});
}

}  // namespace
}  // namespace mw
