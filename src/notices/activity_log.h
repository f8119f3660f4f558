#pragma once
// The activity log: one line per event, so that a user can see why a program
// did or did not start and why a removal was refused. Writing it is best
// effort: a log that cannot be written is skipped and never brings a notice.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "notices/bounded_format.h"
#include "platform/activity_port.h"
#include "platform/log_file_port.h"
#include "platform/platform.h"

namespace mw {

// %LOCALAPPDATA%\Mountwick\activity.log, or empty when there is no such folder.
std::string ActivityLogPath(LogFilePort& file);

inline constexpr std::size_t kActivityLineBufferSize = 2048;
// Every log file begins with it, so that editors read the names right anywhere.
inline constexpr char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";

// User text is only ever an argument here, never the format.
template <class... Args>
void LogActivity(const Platform& platform, std::string_view format, const Args&... args) {
  platform.activity.Write(FormatBounded(format, {FormatArg(args)...}, kActivityLineBufferSize));
}

// The lines of one event, written in one append when it goes out of scope.
class ActivityBatch {
 public:
  explicit ActivityBatch(const Platform& platform) : platform_(platform) {}
  ActivityBatch(const ActivityBatch&) = delete;
  ActivityBatch& operator=(const ActivityBatch&) = delete;
  ~ActivityBatch() {
    if (!lines_.empty()) platform_.activity.Write(lines_);
  }
  template <class... Args>
  void Add(std::string_view format, const Args&... args) {
    if (!lines_.empty()) lines_ += '\n';
    lines_ += FormatBounded(format, {FormatArg(args)...}, kActivityLineBufferSize);
  }

 private:
  const Platform& platform_;
  std::string lines_;
};

class ActivityLog : public ActivityPort {
 public:
  // At this size the file moves to its ".1" name, replacing the older one.
  static constexpr std::int64_t kRotateBytes = 1 << 20;

  // Writes nothing until it is opened.
  explicit ActivityLog(LogFilePort& file) : file_(file) {}
  ActivityLog(const ActivityLog&) = delete;
  ActivityLog& operator=(const ActivityLog&) = delete;

  // Appends Shift-JIS text, each of its lines stamped with the local time, in
  // one append; any thread may call it.
  void Write(const std::string& text) override;
  // From now on lines go to path; an empty path writes nothing.
  void Open(std::string path);

 private:
  LogFilePort& file_;
  std::string path_;
  std::mutex guard_;
  std::atomic<bool> open_{false};
  bool folder_made_ = false;
};

}  // namespace mw
