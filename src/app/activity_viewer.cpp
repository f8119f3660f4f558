#include "app/activity_viewer.h"

#include "engine/launcher.h"
#include "notices/activity_log.h"
#include "notices/notices.h"

namespace mw {

bool ShowActivityLog(const Platform& platform, LogFilePort& file) {
  const std::string path = ActivityLogPath(file);
  if (path.empty()) {
    ShowNotice(platform, "%s",
               "動作記録の置き場所（ローカル アプリケーション データ）が分かりません。");
    return false;
  }
  if (file.FileSize(path) < 0) {
    (void)file.CreateFolder(path.substr(0, path.rfind('\\')));
    (void)file.AppendToFile(path, kUtf8ByteOrderMark);
  }
  return ShellOpen(platform, path);
}

}  // namespace mw
