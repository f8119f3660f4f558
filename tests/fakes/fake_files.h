#pragma once
// Drives by their root ("E:\\") with their labels, a missing root failing
// every query, and the paths that exist (compared case-insensitively).
#include <cstring>
#include <map>
#include <set>

#include "fakes/fake_common.h"
#include "platform/file_system_port.h"

namespace mw::fake {

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
