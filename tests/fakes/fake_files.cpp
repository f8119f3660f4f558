#include "fakes/fake_files.h"

#include <cstring>

namespace mw::fake {
namespace {
std::string Fold(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  // The system treats doubled separators as one.
  std::string out;
  for (char c : text)
    if (!(c == '\\' && !out.empty() && out.back() == '\\')) out += c;
  while (out.size() > 3 && out.back() == '\\') out.pop_back();
  return out;
}
}  // namespace

bool FakeFiles::GetVolumeLabel(const std::string& root, char* label, std::uint32_t label_size) {
  std::lock_guard lock(guard_);
  volume_queries_.push_back(root);
  if (faults.Fails("GetVolumeLabel")) return false;
  auto failing = failures_before_ready.find(root);
  if (failing != failures_before_ready.end() && failing->second > 0) {
    --failing->second;
    return false;
  }
  auto it = volumes.find(root);
  if (it == volumes.end()) return false;
  std::strncpy(label, it->second.c_str(), label_size - 1);
  return true;
}

std::uint32_t FakeFiles::FileAttributes(const std::string& path) {
  std::lock_guard lock(guard_);
  attribute_queries_.push_back(path);
  if (faults.Fails("FileAttributes")) return kInvalidFileAttributes;
  const std::string folded = Fold(path);
  // The root of a readable volume exists.
  for (const auto& [root, label] : volumes)
    if (Fold(root) == folded) return 0x10;
  for (const std::string& existing : existing_paths)
    if (Fold(existing) == folded) return 0x10;  // FILE_ATTRIBUTE_DIRECTORY
  return kInvalidFileAttributes;
}

std::string FakeFiles::CurrentDirectory(std::uint32_t buffer_size) {
  if (faults.Fails("CurrentDirectory")) return {};
  if (current_directory.size() + 1 > buffer_size) return {};
  return current_directory;
}

std::vector<std::string> FakeFiles::VolumeQueries() const {
  std::lock_guard lock(guard_);
  return volume_queries_;
}

std::vector<std::string> FakeFiles::AttributeQueries() const {
  std::lock_guard lock(guard_);
  return attribute_queries_;
}

}  // namespace mw::fake
