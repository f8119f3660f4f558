#include "store/registry_settings.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "notices/notices.h"
#include "store/registry_text.h"

namespace mw {
namespace {

constexpr char kCreateFailed[] = "RegCreateKeyExに失敗しました。";
constexpr char kSetFailed[] = "RegSetValueExに失敗しました。";
constexpr char kEnumFailed[] = "RegEnumValueに失敗しました。";
constexpr char kDeleteValueFailed[] = "RegDeleteValueに失敗しました。";
constexpr char kDeleteKeyFailed[] = "DeleteRegKeyに失敗しました。";
constexpr long kErrorFilenameTooLong = 206;  // ERROR_FILENAME_EXCED_RANGE
constexpr long kErrorInvalidParameter = 87;

// The path as it would stand in the fixed buffer, or none when it does not fit.
std::optional<std::string> BoundedPath(const char* base, const std::string& tail) {
  std::string path = base;
  path += tail;
  if (path.size() >= kSettingsPathBufferSize) return std::nullopt;
  return path;
}

void ShowRegistryError(const Platform& platform, long code, const char* text) {
  ShowSystemErrorNotice(platform, static_cast<std::uint32_t>(code), text);
}

bool CanOpenForReading(const Platform& platform, const char* base, const std::string& tail) {
  const std::optional<std::string> path = BoundedPath(base, tail);
  if (!path) return false;
  ScopedRegKey key(platform.registry);
  return key.Open(RegistryRoot::CurrentUser, *path, reg::kRead) == reg::kSuccess;
}

}  // namespace

ScopedRegKey OpenVersionKey(const Platform& platform, const std::string& subkey) {
  ScopedRegKey key(platform.registry);
  const std::optional<std::string> path = BoundedPath(kVersionKeyPath, subkey);
  if (!path) {
    ShowRegistryError(platform, kErrorFilenameTooLong, kCreateFailed);
    return key;
  }
  const long result = key.Create(RegistryRoot::CurrentUser, *path, reg::kReadWriteCreate);
  if (result != reg::kSuccess) ShowRegistryError(platform, result, kCreateFailed);
  return key;
}

bool MakerSubkeyExists(const Platform& platform, const std::string& name) {
  return CanOpenForReading(platform, kMakerKeyPath, name);
}

bool VersionSubkeyExists(const Platform& platform, const std::string& subkey) {
  return CanOpenForReading(platform, kVersionKeyPath, subkey);
}

ReadResult ReadSetting(const Platform& platform, const ScopedRegKey& key, const std::string& name,
                       std::string& value) {
  value.clear();
  const long result = ReadRegistryText(platform.registry, key.get(), name, value);
  if (result == reg::kSuccess) return ReadResult::kRead;
  if (result == reg::kFileNotFound) return ReadResult::kMissing;
  ShowRegistryError(platform, result, kRegQueryFailed);
  return ReadResult::kFailed;
}

ReadResult ReadSettingOrDefault(const Platform& platform, const ScopedRegKey& key,
                                const std::string& name, std::string& value, std::string fallback) {
  const ReadResult read = ReadSetting(platform, key, name, value);
  if (read != ReadResult::kRead) value = std::move(fallback);
  return read;
}

bool WriteSetting(const Platform& platform, const ScopedRegKey& key, const std::string& name,
                  const std::string& text) {
  long result = kErrorInvalidParameter;
  if (text.size() < std::numeric_limits<std::uint32_t>::max()) {
    result = platform.registry.SetValue(key.get(), name, reg::kSz,
                                        reinterpret_cast<const unsigned char*>(text.c_str()),
                                        static_cast<std::uint32_t>(text.size() + 1));
  }
  if (result == reg::kSuccess) return true;
  ShowRegistryError(platform, result, kSetFailed);
  return false;
}

bool ListSettingNames(const Platform& platform, const ScopedRegKey& key,
                      std::vector<std::string>& names) {
  names.clear();
  for (std::uint32_t index = 0;; ++index) {
    std::string name;
    const long result = platform.registry.EnumValueName(key.get(), index, &name);
    if (result == reg::kNoMoreItems) return true;
    if (result != reg::kSuccess) {
      ShowRegistryError(platform, result, kEnumFailed);
      return false;
    }
    names.push_back(std::move(name));
  }
}

bool DeleteSetting(const Platform& platform, const ScopedRegKey& key, const std::string& name) {
  const long result = platform.registry.DeleteValue(key.get(), name);
  if (result == reg::kSuccess || result == reg::kFileNotFound) return true;
  ShowRegistryError(platform, result, kDeleteValueFailed);
  return false;
}

bool ReadSetting(const Platform& platform, const std::string& subkey, const std::string& name,
                 std::string& value) {
  value.clear();
  const ScopedRegKey key = OpenVersionKey(platform, subkey);
  return key && ReadSetting(platform, key, name, value) == ReadResult::kRead;
}

bool ReadSettingOrDefault(const Platform& platform, const std::string& subkey,
                          const std::string& name, std::string& value, std::string fallback) {
  const bool read = ReadSetting(platform, subkey, name, value);
  if (!read) value = std::move(fallback);
  return read;
}

bool WriteSetting(const Platform& platform, const std::string& subkey, const std::string& name,
                  const std::string& text) {
  const ScopedRegKey key = OpenVersionKey(platform, subkey);
  return key && WriteSetting(platform, key, name, text);
}

bool ListSettingNames(const Platform& platform, const std::string& subkey,
                      std::vector<std::string>& names) {
  names.clear();
  const ScopedRegKey key = OpenVersionKey(platform, subkey);
  return key && ListSettingNames(platform, key, names);
}

bool DeleteSetting(const Platform& platform, const std::string& subkey, const std::string& name) {
  const ScopedRegKey key = OpenVersionKey(platform, subkey);
  return key && DeleteSetting(platform, key, name);
}

void DeleteVersionSubkey(const Platform& platform, const std::string& subkey) {
  const ScopedRegKey key = OpenVersionKey(platform, "");
  if (!key) return;
  const long result = platform.registry.DeleteKey(key.get(), subkey);
  if (result != reg::kSuccess) ShowRegistryError(platform, result, kDeleteKeyFailed);
}

}  // namespace mw
