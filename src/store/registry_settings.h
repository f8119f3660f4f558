#pragma once
// The program's settings: text values below the version key in the current
// user's hive. Every operation opens its key, does one thing and closes it
// again, or works on a key the caller opened once for many values; every
// unexpected registry failure reaches the user as a notice.
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

// The names of every value in the subkey. False after a notice; names then
// holds those found before the failure.
[[nodiscard]] bool ListSettingNames(const Platform& platform, const std::string& subkey,
                                    std::vector<std::string>& names);

// Deletes one value; one that is already gone counts as deleted. False after a notice.
[[nodiscard]] bool DeleteSetting(const Platform& platform, const std::string& subkey,
                                 const std::string& name);

// The same operations on a key from OpenVersionKey. A read tells a missing
// value (silent) from a failed one (after a notice).
enum class ReadResult { kRead, kMissing, kFailed };
[[nodiscard]] ReadResult ReadSetting(const Platform& platform, const ScopedRegKey& key,
                                     const std::string& name, std::string& value);
[[nodiscard]] ReadResult ReadSettingOrDefault(const Platform& platform, const ScopedRegKey& key,
                                              const std::string& name, std::string& value,
                                              std::string fallback);
[[nodiscard]] bool WriteSetting(const Platform& platform, const ScopedRegKey& key,
                                const std::string& name, const std::string& text);
[[nodiscard]] bool ListSettingNames(const Platform& platform, const ScopedRegKey& key,
                                    std::vector<std::string>& names);
[[nodiscard]] bool DeleteSetting(const Platform& platform, const ScopedRegKey& key,
                                 const std::string& name);

// Deletes a subkey of the version key (it must hold values only). Any failure,
// a missing subkey included, shows a notice.
void DeleteVersionSubkey(const Platform& platform, const std::string& subkey);

}  // namespace mw
