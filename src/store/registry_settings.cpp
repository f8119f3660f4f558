#include "store/registry_settings.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "notices/activity_log.h"
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

bool CanOpenForReading(const Platform& platform, const char* base, const std::string& tail) {
  const std::optional<std::string> path = BoundedPath(base, tail);
  if (!path) return false;
  ScopedRegKey key(platform.registry);
  return key.Open(RegistryRoot::CurrentUser, *path, reg::kRead) == reg::kSuccess;
}

}  // namespace

void RegistryFailures::Add(const char* failed_call, long code, const std::string& value_name) {
  if (count_++ > 0) return;
  call_ = failed_call;
  code_ = code;
  value_name_ = value_name;
}

void RegistryFailures::Report(const Platform& platform, const char* what) const {
  if (count_ == 0) return;
  const auto code = static_cast<std::uint32_t>(code_);
  if (!what) return ShowSystemErrorNotice(platform, code, "%s", call_);
  const std::string first = value_name_.empty() ? "" : "（最初: " + value_name_ + "）";
  LogActivity(platform, "%s: 失敗 %u 件%s: %s（コード %d）", what, static_cast<unsigned>(count_),
              first, call_, static_cast<int>(code_));
  ShowSystemErrorNotice(platform, code, "%s\n%s: 失敗 %u 件%s", call_, what,
                        static_cast<unsigned>(count_), first);
}

ScopedRegKey OpenVersionKey(const Platform& platform, const std::string& subkey,
                            RegistryFailures& failures) {
  ScopedRegKey key(platform.registry);
  const std::optional<std::string> path = BoundedPath(kVersionKeyPath, subkey);
  if (!path) {
    failures.Add(kCreateFailed, kErrorFilenameTooLong, "");
    return key;
  }
  const long result = key.Create(RegistryRoot::CurrentUser, *path, reg::kReadWriteCreate);
  if (result != reg::kSuccess) failures.Add(kCreateFailed, result, "");
  return key;
}

ScopedRegKey OpenVersionKey(const Platform& platform, const std::string& subkey) {
  RegistryFailures failures;
  ScopedRegKey key = OpenVersionKey(platform, subkey, failures);
  failures.Report(platform, nullptr);
  return key;
}

bool MakerSubkeyExists(const Platform& platform, const std::string& name) {
  return CanOpenForReading(platform, kMakerKeyPath, name);
}

bool VersionSubkeyExists(const Platform& platform, const std::string& subkey) {
  return CanOpenForReading(platform, kVersionKeyPath, subkey);
}

ReadResult ReadSetting(const Platform& platform, const ScopedRegKey& key, const std::string& name,
                       std::string& value, RegistryFailures& failures) {
  value.clear();
  const long result = ReadRegistryText(platform.registry, key.get(), name, value);
  if (result == reg::kSuccess) return ReadResult::kRead;
  if (result == reg::kFileNotFound) return ReadResult::kMissing;
  failures.Add(kRegQueryFailed, result, name);
  return ReadResult::kFailed;
}

ReadResult ReadSettingOrDefault(const Platform& platform, const ScopedRegKey& key,
                                const std::string& name, std::string& value, std::string fallback,
                                RegistryFailures& failures) {
  const ReadResult read = ReadSetting(platform, key, name, value, failures);
  if (read != ReadResult::kRead) value = std::move(fallback);
  return read;
}

bool WriteSetting(const Platform& platform, const ScopedRegKey& key, const std::string& name,
                  const std::string& text, RegistryFailures& failures) {
  long result = kErrorInvalidParameter;
  if (text.size() < std::numeric_limits<std::uint32_t>::max()) {
    result = platform.registry.SetValue(key.get(), name, reg::kSz,
                                        reinterpret_cast<const unsigned char*>(text.c_str()),
                                        static_cast<std::uint32_t>(text.size() + 1));
  }
  if (result == reg::kSuccess) return true;
  failures.Add(kSetFailed, result, name);
  return false;
}

bool ListSettingNames(const Platform& platform, const ScopedRegKey& key,
                      std::vector<std::string>& names, RegistryFailures& failures) {
  names.clear();
  for (std::uint32_t index = 0;; ++index) {
    std::string name;
    const long result = platform.registry.EnumValueName(key.get(), index, &name);
    if (result == reg::kNoMoreItems) return true;
    if (result != reg::kSuccess) {
      failures.Add(kEnumFailed, result, "");
      return false;
    }
    names.push_back(std::move(name));
  }
}

bool DeleteSetting(const Platform& platform, const ScopedRegKey& key, const std::string& name,
                   RegistryFailures& failures) {
  const long result = platform.registry.DeleteValue(key.get(), name);
  if (result == reg::kSuccess || result == reg::kFileNotFound) return true;
  failures.Add(kDeleteValueFailed, result, name);
  return false;
}

// One value through its own opening of the key, with its own notice.
template <class Operation>
bool OnOneValue(const Platform& platform, const std::string& subkey, Operation operation) {
  RegistryFailures failures;
  const ScopedRegKey key = OpenVersionKey(platform, subkey, failures);
  const bool done = key && operation(key, failures);
  failures.Report(platform, nullptr);
  return done;
}

bool ReadSetting(const Platform& platform, const std::string& subkey, const std::string& name,
                 std::string& value) {
  value.clear();
  return OnOneValue(platform, subkey, [&](const ScopedRegKey& key, RegistryFailures& failures) {
    return ReadSetting(platform, key, name, value, failures) == ReadResult::kRead;
  });
}

bool ReadSettingOrDefault(const Platform& platform, const std::string& subkey,
                          const std::string& name, std::string& value, std::string fallback) {
  const bool read = ReadSetting(platform, subkey, name, value);
  if (!read) value = std::move(fallback);
  return read;
}

bool WriteSetting(const Platform& platform, const std::string& subkey, const std::string& name,
                  const std::string& text) {
  return OnOneValue(platform, subkey, [&](const ScopedRegKey& key, RegistryFailures& failures) {
    return WriteSetting(platform, key, name, text, failures);
  });
}

void DeleteVersionSubkey(const Platform& platform, const std::string& subkey) {
  const ScopedRegKey key = OpenVersionKey(platform, "");
  if (!key) return;
  const long result = platform.registry.DeleteKey(key.get(), subkey);
  if (result != reg::kSuccess)
    ShowSystemErrorNotice(platform, static_cast<std::uint32_t>(result), kDeleteKeyFailed);
}

}  // namespace mw
