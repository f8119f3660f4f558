#include "devices/drive_owner.h"

#include <set>
#include <vector>

#include "devices/instance_id.h"

namespace mw {
namespace {

// Deep enough for a composite device behind a chain of hubs; a walk that
// goes further is a tree that answers wrongly (Wine's does).
constexpr int kMaxParentSteps = 16;
constexpr std::uint32_t kMaxSetMembers = 4096;

DriveOwner None(const char* why) {
  return {std::string(), why};
}

// Finds the owners of drives with the USB device set and the disk interface
// set read once, at the first drive that needs them. The disk set stays open
// until the finder ends: under Wine a DEVINST dies with its set.
class OwnerFinder {
 public:
  explicit OwnerFinder(const Platform& platform) : p_(platform), disk_set_(platform.devices) {}

  DriveOwner Find(char letter) {
    letter = InstanceKey(std::string(1, letter))[0];
    if (letter < 'A' || letter > 'Z') return None(kNotRemovableOrFixedText);
    const std::string drive = {letter, ':'};
    const std::uint32_t type = p_.storage.DriveType(drive + "\\");
    if (type != storage::kDriveRemovable && type != storage::kDriveFixed)
      return None(kNotRemovableOrFixedText);
    // A subst drive opens as the volume it points into, which is not its own.
    std::string target;
    std::uint32_t error = 0;
    if (p_.storage.QueryDosTarget(drive, &target, &error) && target.starts_with("\\??\\"))
      return None(kSubstDriveText);
    StorageDeviceNumber disk;
    if (const char* why = ReadDiskNumber("\\\\.\\" + drive, &disk)) return None(why);
    if (const char* why = ReadSets()) return None(why);
    for (const Disk& each : disks_)
      if (each.number.device_type == disk.device_type &&
          each.number.device_number == disk.device_number)
        return UsbAncestor(each.dev_inst);
    return None(kDiskNotFoundText);
  }

 private:
  struct Disk {
    StorageDeviceNumber number;
    std::uint32_t dev_inst;
  };

  // Null with *disk set, or why there is none.
  const char* ReadDiskNumber(const std::string& volume_path, StorageDeviceNumber* disk) {
    ScopedStorageDevice volume(p_.storage);
    std::uint32_t error = 0, extents = 0, first_disk = 0;
    if (!p_.storage.OpenDevice(volume_path, volume.receive(), &error)) return kDriveNotOpenedText;
    const bool listed =
        p_.storage.GetVolumeDiskExtents(volume.get(), &extents, &first_disk, &error);
    if (extents > 1 && (listed || error == storage::kErrorMoreData)) return kSpannedVolumeText;
    if (listed && extents == 1) {
      *disk = {storage::kFileDeviceDisk, first_disk, 0};
      return nullptr;
    }
    // No extents at all is Wine's answer; the volume's own number still tells.
    return p_.storage.GetDeviceNumber(volume.get(), disk, &error) ? nullptr : kNoDiskNumberText;
  }

  // Null once the USB instances and the disks' numbers are read, or why not.
  const char* ReadSets() {
    if (read_) return read_failure_;
    read_ = true;
    ScopedDeviceSet usb(p_.devices);
    std::uint32_t error = 0;
    if (!p_.devices.OpenUsbDeviceSet(setup::kDigcfPresent | setup::kDigcfDeviceInterface,
                                     usb.receive(), &error) ||
        !p_.devices.OpenDiskInterfaceSet(disk_set_.receive(), &error))
      return read_failure_ = kNoDeviceInfoText;
    DeviceElement element;
    for (std::uint32_t i = 0; i < kMaxSetMembers && p_.devices.EnumDevice(usb.get(), i, &element);
         ++i) {
      std::string id;
      if (p_.devices.GetInstanceId(usb.get(), element, &id, &error))
        usb_instances_.insert(InstanceKey(id));
    }
    std::string path;
    for (std::uint32_t i = 0;
         i < kMaxSetMembers && p_.devices.EnumDiskInterface(disk_set_.get(), i, &path, &element);
         ++i) {
      ScopedStorageDevice device(p_.storage);
      Disk disk{{}, element.dev_inst};
      if (p_.storage.OpenDevice(path, device.receive(), &error) &&
          p_.storage.GetDeviceNumber(device.get(), &disk.number, &error))
        disks_.push_back(disk);
    }
    return nullptr;
  }

  // The first ancestor of the disk that is a USB device: the stick itself
  // above its USBSTOR or UASP disk, the composite device above an interface.
  DriveOwner UsbAncestor(std::uint32_t node) {
    for (int step = 0; step < kMaxParentSteps; ++step) {
      std::uint32_t parent = 0;  // a call that answers without writing ends the walk
      if (p_.devices.GetParent(node, &parent) != setup::kCrSuccess || parent == 0) break;
      std::string id;
      if (p_.devices.GetDeviceId(parent, &id) == setup::kCrSuccess &&
          usb_instances_.contains(InstanceKey(id)))
        return {id, nullptr};
      node = parent;
    }
    return None(kNotOnUsbText);
  }

  const Platform& p_;
  ScopedDeviceSet disk_set_;
  bool read_ = false;
  const char* read_failure_ = nullptr;
  std::set<std::string> usb_instances_;  // upper case
  std::vector<Disk> disks_;
};

}  // namespace

DriveOwner FindDriveOwner(const Platform& platform, char letter) {
  return OwnerFinder(platform).Find(letter);
}

std::string DriveLettersOf(const Platform& platform, const std::string& instance) {
  std::string letters;
  if (instance.empty()) return letters;
  const std::string wanted = InstanceKey(instance);
  OwnerFinder finder(platform);
  const std::uint32_t drives = platform.storage.LogicalDrives();
  for (char letter = 'A'; letter <= 'Z'; ++letter)
    if ((drives >> (letter - 'A')) & 1u && InstanceKey(finder.Find(letter).instance) == wanted)
      letters += letter;
  return letters;
}

}  // namespace mw
