#include <windows.h>
#include <winioctl.h>

#include <cstring>
#include <vector>

#include "platform/win32/win32_ports.h"

namespace mw::win32 {
namespace {
HANDLE AsHandle(StoragePort::Device device) {
  return reinterpret_cast<HANDLE>(device);
}
}  // namespace

std::uint32_t Win32Storage::LogicalDrives() {
  return GetLogicalDrives();
}

std::uint32_t Win32Storage::DriveType(const std::string& root) {
  return GetDriveTypeA(root.c_str());
}

bool Win32Storage::QueryDosTarget(const std::string& name, std::string* target,
                                  std::uint32_t* last_error) {
  // Room for the longest path a subst drive can stand for.
  std::vector<char> buffer(32768, '\0');
  target->clear();
  if (QueryDosDeviceA(name.c_str(), buffer.data(), static_cast<DWORD>(buffer.size())) == 0) {
    *last_error = GetLastError();
    return false;
  }
  target->assign(buffer.data());  // the first string of the list
  return true;
}

bool Win32Storage::OpenDevice(const std::string& path, Device* device, std::uint32_t* last_error) {
  *device = 0;
  const HANDLE opened = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
  if (opened == INVALID_HANDLE_VALUE) {
    *last_error = GetLastError();
    return false;
  }
  *device = reinterpret_cast<Device>(opened);
  return true;
}

bool Win32Storage::GetVolumeDiskExtents(Device device, std::uint32_t* extents,
                                        std::uint32_t* first_disk, std::uint32_t* last_error) {
  VOLUME_DISK_EXTENTS answer;  // room for one extent
  std::memset(&answer, 0, sizeof answer);
  DWORD returned = 0;
  const BOOL ok = DeviceIoControl(AsHandle(device), IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr,
                                  0, &answer, sizeof answer, &returned, nullptr);
  *last_error = ok ? ERROR_SUCCESS : GetLastError();
  *extents = answer.NumberOfDiskExtents;
  *first_disk = answer.Extents[0].DiskNumber;
  return ok != FALSE;
}

bool Win32Storage::GetDeviceNumber(Device device, StorageDeviceNumber* number,
                                   std::uint32_t* last_error) {
  STORAGE_DEVICE_NUMBER answer = {};
  DWORD returned = 0;
  const BOOL ok = DeviceIoControl(AsHandle(device), IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr, 0,
                                  &answer, sizeof answer, &returned, nullptr);
  *last_error = ok ? ERROR_SUCCESS : GetLastError();
  *number = {answer.DeviceType, answer.DeviceNumber, answer.PartitionNumber};
  return ok != FALSE;
}

void Win32Storage::CloseDevice(Device device) {
  CloseHandle(AsHandle(device));
}

}  // namespace mw::win32
