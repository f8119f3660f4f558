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
  constexpr std::intptr_t kNoAssociation = 31;  // SE_ERR_NOASSOC
  const std::intptr_t opened = platform.processes.ShellExecuteOpen(path, nullptr);
  if (opened > 32) return true;
  // With no editor chosen for ".log" files, Notepad, which every system has.
  if (opened == kNoAssociation) return ShellOpen(platform, "notepad.exe", "\"" + path + "\"");
  return ShellOpen(platform, path);
}

}  // namespace mw
