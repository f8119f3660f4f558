#pragma once
// The activity log's folder, file and clock, one call per method.
#include <cstdint>
#include <string>

namespace mw {

struct LocalTime {
  std::uint16_t year, month, day, hour, minute, second, milliseconds;
};

class LogFilePort {
 public:
  virtual ~LogFilePort() = default;
  // SHGetFolderPathA(CSIDL_LOCAL_APPDATA); empty on failure.
  virtual std::string LocalAppDataDirectory() = 0;
  // CreateDirectoryA; true also when the folder is there already.
  virtual bool CreateFolder(const std::string& path) = 0;
  // The file's size in bytes; -1 when it does not exist or cannot be read.
  virtual std::int64_t FileSize(const std::string& path) = 0;
  // Opens for appending (OPEN_ALWAYS, others may read, write and delete),
  // writes the bytes in one WriteFile and closes; false when any step fails.
  [[nodiscard]] virtual bool AppendToFile(const std::string& path, const std::string& bytes) = 0;
  // MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING).
  [[nodiscard]] virtual bool ReplaceFile(const std::string& from, const std::string& to) = 0;
  // GetLocalTime.
  virtual LocalTime Now() = 0;
  // The ANSI code page's text as UTF-8; empty on failure.
  virtual std::string AnsiToUtf8(const std::string& text) = 0;
};

}  // namespace mw
