#include "notices/activity_log.h"

#include <algorithm>
#include <cstdio>

namespace mw {
namespace {

std::string Stamp(const LocalTime& t) {
  char stamp[48];
  std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u.%03u ", t.year, t.month, t.day,
                t.hour, t.minute, t.second, t.milliseconds);
  return stamp;
}

std::string FolderOf(const std::string& path) {
  return path.substr(0, path.rfind('\\'));
}
}  // namespace

std::string ActivityLogPath(LogFilePort& file) {
  const std::string local = file.LocalAppDataDirectory();
  return local.empty() ? std::string() : local + "\\Mountwick\\activity.log";
}

void ActivityLog::Open(std::string path) {
  const std::lock_guard lock(guard_);
  path_ = std::move(path);
  folder_made_ = false;
  open_ = !path_.empty();
}

void ActivityLog::Write(const std::string& text) {
  if (!open_) return;
  const std::string stamp = Stamp(file_.Now());
  std::string lines;
  for (std::size_t from = 0; from <= text.size();) {
    const std::size_t end = std::min(text.find('\n', from), text.size());
    lines += stamp + text.substr(from, end - from) + "\r\n";
    from = end + 1;
  }
  std::string line = file_.AnsiToUtf8(lines);
  // One writer at a time, so that lines never interleave and the size test
  // and the move belong to the same append.
  const std::lock_guard lock(guard_);
  if (path_.empty() || line.empty()) return;
  if (!folder_made_) folder_made_ = file_.CreateFolder(FolderOf(path_));
  std::int64_t size = file_.FileSize(path_);
  if (size > 0 && size + static_cast<std::int64_t>(line.size()) > kRotateBytes &&
      file_.ReplaceFile(path_, path_ + ".1"))
    size = -1;
  if (size <= 0) line.insert(0, kUtf8ByteOrderMark);
  (void)file_.AppendToFile(path_, line);
}

}  // namespace mw
