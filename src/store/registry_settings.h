#pragma once
// The program's settings: text values below the version key in the current
// user's hive. Every operation opens its key, does one thing and closes it
// again, or works on a key the caller opened once for many values; every
// unexpected registry failure reaches the user as a notice, one for all the
// values of such a key.
#include <cstddef>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace mw {

inline constexpr char kMakerKeyPath[] = "software\\Quillory\\";
// Where the settings are stored: its name stays when the product's version moves on.
inline constexpr char kVersionKeyPath[] = "software\\Quillory\\Mountwick\\1.0\\";
// Key paths are built in buffers of this size; a longer path is a failure.
inline constexpr std::size_t kSettingsPathBufferSize = 1024;

// The version key, or the subkey of it named by subkey (appended without a
// separator; empty means the version key itself), created with every missing
// key on its path. An empty key after a notice.
ScopedRegKey OpenVersionKey(const Platform& platform, const std::string& subkey);

// Whether "software\Quillory\" + name opens for reading. Creates nothing and
// shows nothing.
[[nodiscard]] bool MakerSubkeyExists(const Platform& platform, const std::string& name);

// Whether the subkey of the version key exists. Creates nothing and shows nothing.
[[nodiscard]] bool VersionSubkeyExists(const Platform& platform, const std::string& subkey);

// Reads a value of any type as text: its bytes up to the first NUL, never past
// its stored length. False when it was not read, with value empty; a missing
// value is silent, any other failure shows a notice.
[[nodiscard]] bool ReadSetting(const Platform& platform, const std::string& subkey,
                               const std::string& name, std::string& value);

// As ReadSetting, and value becomes fallback when it was not read.
[[nodiscard]] bool ReadSettingOrDefault(const Platform& platform, const std::string& subkey,
                                        const std::string& name, std::string& value,
                                        std::string fallback);

// Stores text as REG_SZ, its NUL counted. False after a notice.
[[nodiscard]] bool WriteSetting(const Platform& platform, const std::string& subkey,
                                const std::string& name, const std::string& text);

// The failures of one save or load: the first one's call, code and value,
// and how many values failed, so that the user gets one notice for them all.
class RegistryFailures {
 public:
  void Add(const char* failed_call, long code, const std::string& value_name);
  std::size_t count() const { return count_; }
  // One notice, none when nothing failed, and the same line in the activity
  // log; what names the work, such as the save of the Actions.
  void Report(const Platform& platform, const char* what) const;

 private:
  std::size_t count_ = 0;
  const char* call_ = "";
  long code_ = 0;
  std::string value_name_;
};

// The version key or its subkey, as above; a failure goes to failures.
ScopedRegKey OpenVersionKey(const Platform& platform, const std::string& subkey,
                            RegistryFailures& failures);

// The same operations on a key from OpenVersionKey, many values in a row: a
// failure goes to failures for one notice at the end. A read tells a missing
// value (no failure) from a failed one.
enum class ReadResult { kRead, kMissing, kFailed };
[[nodiscard]] ReadResult ReadSetting(const Platform& platform, const ScopedRegKey& key,
                                     const std::string& name, std::string& value,
                                     RegistryFailures& failures);
[[nodiscard]] ReadResult ReadSettingOrDefault(const Platform& platform, const ScopedRegKey& key,
                                              const std::string& name, std::string& value,
                                              std::string fallback, RegistryFailures& failures);
[[nodiscard]] bool WriteSetting(const Platform& platform, const ScopedRegKey& key,
                                const std::string& name, const std::string& text,
                                RegistryFailures& failures);
// The names of every value; after a failure, those found before it.
[[nodiscard]] bool ListSettingNames(const Platform& platform, const ScopedRegKey& key,
                                    std::vector<std::string>& names, RegistryFailures& failures);
// A value that is already gone counts as deleted.
[[nodiscard]] bool DeleteSetting(const Platform& platform, const ScopedRegKey& key,
                                 const std::string& name, RegistryFailures& failures);

// Deletes a subkey of the version key (it must hold values only). Any failure,
// a missing subkey included, shows a notice.
void DeleteVersionSubkey(const Platform& platform, const std::string& subkey);

}  // namespace mw
