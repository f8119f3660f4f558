#pragma once
// The drives and what their device paths open to: a call fails where the
// device it is made on names it in `fails`. The file system: drives by their
// root ("E:\\") with their labels, a missing root failing every query, and
// the paths that exist (compared case-insensitively).
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "fakes/fake_common.h"
#include "platform/file_system_port.h"
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

class FakeFiles : public FileSystemPort {
 public:
  explicit FakeFiles(FakeCommon& common) : common_(common) {}

  std::map<std::string, std::string> volumes;
  std::set<std::string> existing_paths;

  bool GetVolumeLabel(const std::string& root, char* label, std::uint32_t size) override {
    auto it = volumes.find(root);
    if (common_.Fault(Call::kGetVolumeLabel, root) || it == volumes.end()) return false;
    std::strncpy(label, it->second.c_str(), size - 1);
    return true;
  }
  std::uint32_t FileAttributes(const std::string& path) override {
    if (common_.Fault(Call::kFileAttributes, path)) return kInvalidFileAttributes;
    for (const auto& [root, label] : volumes)
      if (Fold(root) == Fold(path)) return 0x10;  // FILE_ATTRIBUTE_DIRECTORY
    for (const std::string& existing : existing_paths)
      if (Fold(existing) == Fold(path)) return 0x10;
    return kInvalidFileAttributes;
  }
  std::string CurrentDirectory(std::uint32_t) override {
    return common_.Fault(Call::kCurrentDirectory) ? "" : "C:\\work";
  }
  std::string WindowsDirectory() override { return "C:\\WINDOWS"; }
  std::string ProgramFile() override { return "C:\\Program Files\\Mountwick\\Mountwick.exe"; }

 private:
  FakeCommon& common_;
};

}  // namespace mw::fake
