#include <windows.h>

#include "platform/win32/win32_ports.h"

namespace mw::win32 {

bool Win32Files::GetVolumeLabel(const std::string& root, char* label, std::uint32_t label_size) {
  char file_system[1024] = {};
  DWORD serial = 0;
  DWORD max_component = 0;
  DWORD flags = 0;
  return ::GetVolumeInformationA(root.c_str(), label, label_size, &serial, &max_component, &flags,
                                 file_system, sizeof file_system - 1) != FALSE;
}

std::uint32_t Win32Files::FileAttributes(const std::string& path) {
  return ::GetFileAttributesA(path.c_str());
}

std::string Win32Files::CurrentDirectory(std::uint32_t buffer_size) {
  std::string directory(buffer_size, '\0');
  const DWORD length = ::GetCurrentDirectoryA(buffer_size, directory.data());
  if (length == 0 || length >= buffer_size) return {};
  directory.resize(length);
  return directory;
}

std::string Win32Files::WindowsDirectory() {
  char buffer[MAX_PATH] = {};
  const UINT length = GetWindowsDirectoryA(buffer, sizeof buffer);
  if (length == 0 || length >= sizeof buffer) return {};
  return std::string(buffer, length);
}

std::string Win32Files::ProgramFile() {
  char buffer[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
  if (length == 0 || length >= sizeof buffer) return {};
  return std::string(buffer, length);
}

}  // namespace mw::win32
