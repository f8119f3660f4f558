#pragma once
// Drives with labels, paths that exist, and a current directory.
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "fakes/call_faults.h"
#include "platform/file_system_port.h"

namespace mw::fake {

class FakeFiles : public FileSystemPort {
 public:
  // Root ("E:\\") -> label; a root that is missing fails every query.
  std::map<std::string, std::string> volumes;
  // Queries of a root that fail before it answers (a drive not yet ready).
  std::map<std::string, int> failures_before_ready;
  std::set<std::string> existing_paths;  // compared case-insensitively
  std::string current_directory = "C:\\work";
  std::string windows_directory = "C:\\WINDOWS";
  std::string program_file = "C:\\Program Files\\Mountwick\\Mountwick.exe";
  CallFaults faults;  // a failed call: no label, no attributes, no folder

  bool GetVolumeLabel(const std::string& root, char* label, std::uint32_t label_size) override;
  std::uint32_t FileAttributes(const std::string& path) override;
  std::string CurrentDirectory(std::uint32_t buffer_size) override;
  std::string WindowsDirectory() override {
    return faults.Fails("WindowsDirectory") ? std::string() : windows_directory;
  }
  std::string ProgramFile() override {
    return faults.Fails("ProgramFile") ? std::string() : program_file;
  }

  std::vector<std::string> VolumeQueries() const;
  std::vector<std::string> AttributeQueries() const;

 private:
  mutable std::mutex guard_;
  std::vector<std::string> volume_queries_;
  std::vector<std::string> attribute_queries_;
};

}  // namespace mw::fake
