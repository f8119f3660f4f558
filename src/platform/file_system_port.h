#pragma once
// Volumes and files.
#include <cstdint>
#include <string>

namespace mw {

class FileSystemPort {
 public:
  virtual ~FileSystemPort() = default;
  // GetVolumeInformationA on root; label receives the volume label into a
  // buffer of label_size bytes (zeroed by the caller). The other outputs are
  // received and dropped.
  [[nodiscard]] virtual bool GetVolumeLabel(const std::string& root, char* label,
                                            std::uint32_t label_size) = 0;
  // GetFileAttributesA; 0xFFFFFFFF when the path does not exist.
  virtual std::uint32_t FileAttributes(const std::string& path) = 0;
  // GetCurrentDirectoryA with a buffer of buffer_size bytes; empty on failure.
  virtual std::string CurrentDirectory(std::uint32_t buffer_size) = 0;
  // GetWindowsDirectoryA; empty on failure.
  virtual std::string WindowsDirectory() = 0;
  // The path of the running program file (GetModuleFileNameA); empty on failure.
  virtual std::string ProgramFile() = 0;
};

inline constexpr std::uint32_t kInvalidFileAttributes = 0xFFFFFFFFu;

}  // namespace mw
