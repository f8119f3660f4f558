#pragma once
// Drives and the storage devices behind them, one call per method, Win32
// semantics kept (drive types, last errors, ERROR_MORE_DATA with a count).
#include <cstdint>
#include <string>

#include "platform/scoped_handle.h"

namespace mw {

// STORAGE_DEVICE_NUMBER.
struct StorageDeviceNumber {
  std::uint32_t device_type = 0;  // FILE_DEVICE_DISK, FILE_DEVICE_CD_ROM, ...
  std::uint32_t device_number = 0;
  std::uint32_t partition_number = 0;
};

class StoragePort {
 public:
  using Device = std::uintptr_t;  // opaque file handle on a volume or a disk; 0 is none

  virtual ~StoragePort() = default;
  // GetLogicalDrives: bit 0 is A:.
  virtual std::uint32_t LogicalDrives() = 0;
  // GetDriveTypeA(root), root as "E:\\".
  virtual std::uint32_t DriveType(const std::string& root) = 0;
  // QueryDosDeviceA(name, ...) with name as "E:": *target receives the first
  // target ("\\??\\C:\\dir" for a subst drive), empty on failure.
  [[nodiscard]] virtual bool QueryDosTarget(const std::string& name, std::string* target,
                                            std::uint32_t* last_error) = 0;
  // CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
  // OPEN_EXISTING, 0, NULL); *device is 0 on failure.
  [[nodiscard]] virtual bool OpenDevice(const std::string& path, Device* device,
                                        std::uint32_t* last_error) = 0;
  // IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS with room for one extent: *extents
  // receives NumberOfDiskExtents, *first_disk the first extent's DiskNumber.
  // A volume of several extents fails with ERROR_MORE_DATA and still gives
  // the count; each output is 0 where the system wrote nothing.
  [[nodiscard]] virtual bool GetVolumeDiskExtents(Device device, std::uint32_t* extents,
                                                  std::uint32_t* first_disk,
                                                  std::uint32_t* last_error) = 0;
  // IOCTL_STORAGE_GET_DEVICE_NUMBER; *number is zero on failure.
  [[nodiscard]] virtual bool GetDeviceNumber(Device device, StorageDeviceNumber* number,
                                             std::uint32_t* last_error) = 0;
  // CloseHandle.
  virtual void CloseDevice(Device device) = 0;
};

namespace storage {
inline constexpr std::uint32_t kDriveNoRootDir = 1;
inline constexpr std::uint32_t kDriveRemovable = 2;
inline constexpr std::uint32_t kDriveFixed = 3;
inline constexpr std::uint32_t kDriveRemote = 4;
inline constexpr std::uint32_t kDriveCdRom = 5;
inline constexpr std::uint32_t kFileDeviceCdRom = 2;
inline constexpr std::uint32_t kFileDeviceDisk = 7;
inline constexpr std::uint32_t kErrorMoreData = 234;
}  // namespace storage

// Closes its device handle through the port when it goes out of scope.
using ScopedStorageDevice =
    ScopedPortHandle<StoragePort, StoragePort::Device, &StoragePort::CloseDevice>;

}  // namespace mw
