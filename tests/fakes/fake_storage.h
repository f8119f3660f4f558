#pragma once
// The drives and what their device paths open to. A call fails where the
// device it is made on names it in `fails`.
#include <map>
#include <string>
#include <vector>

#include "platform/storage_port.h"

namespace mw::fake {

enum class StorageCall { kOpenDevice, kGetVolumeDiskExtents, kGetDeviceNumber };

struct FakeDrive {
  std::uint32_t type = storage::kDriveRemovable;
  std::string target = "\\Device\\HarddiskVolume9";  // the first DOS device target
};

// A volume ("\\\\.\\E:") or a disk (its interface path) as it answers when opened.
struct FakeStorageDevice {
  std::vector<std::uint32_t> extents;  // the disk numbers of a volume's extents
  StorageDeviceNumber number;
  std::map<StorageCall, std::uint32_t> fails;  // the calls that fail on it, with their error
};

class FakeStorage : public StoragePort {
 public:
  std::map<char, FakeDrive> drives;                  // by upper-case letter
  std::map<std::string, FakeStorageDevice> devices;  // by the path that opens it
  bool wine_extents = false;                         // no volume gives an extent, as under Wine
  std::size_t open_devices() const { return open_.size(); }

  std::uint32_t LogicalDrives() override {
    std::uint32_t mask = 0;
    for (const auto& [letter, drive] : drives) mask |= 1u << (letter - 'A');
    return mask;
  }
  std::uint32_t DriveType(const std::string& root) override {
    const auto it = drives.find(root.size() == 3 ? root[0] : '?');
    return it == drives.end() ? storage::kDriveNoRootDir : it->second.type;
  }
  bool QueryDosTarget(const std::string& name, std::string* target, std::uint32_t* error) override {
    const auto it = drives.find(name.size() == 2 ? name[0] : '?');
    *target = it == drives.end() ? "" : it->second.target;
    return it != drives.end() || (*error = 2, false);
  }
  bool OpenDevice(const std::string& path, Device* device, std::uint32_t* error) override {
    *device = 0;
    const auto it = devices.find(path);
    if ((*error = it == devices.end() ? 2 : Fails(it->second, StorageCall::kOpenDevice)))
      return false;
    return open_[*device = next_++] = path, true;
  }
  bool GetVolumeDiskExtents(Device device, std::uint32_t* extents, std::uint32_t* first_disk,
                            std::uint32_t* error) override {
    const FakeStorageDevice& opened = devices.at(open_.at(device));
    const bool listed =
        !(*error = Fails(opened, StorageCall::kGetVolumeDiskExtents)) && !wine_extents;
    *extents = listed ? static_cast<std::uint32_t>(opened.extents.size()) : 0;
    *first_disk = *extents ? opened.extents[0] : 0;
    return !*error && !(*error = *extents > 1 ? storage::kErrorMoreData : 0);
  }
  bool GetDeviceNumber(Device device, StorageDeviceNumber* number, std::uint32_t* error) override {
    const FakeStorageDevice& opened = devices.at(open_.at(device));
    *number = (*error = Fails(opened, StorageCall::kGetDeviceNumber)) ? StorageDeviceNumber{}
                                                                      : opened.number;
    return *error == 0;
  }
  void CloseDevice(Device device) override { open_.erase(device); }

 private:
  static std::uint32_t Fails(const FakeStorageDevice& device, StorageCall call) {
    const auto it = device.fails.find(call);
    return it == device.fails.end() ? 0 : it->second;
  }
  std::map<Device, std::string> open_;
  Device next_ = 0x500;
};

}  // namespace mw::fake
