#include "app/carry_over.h"

#include "notices/notices.h"
#include "engine/launcher.h"
#include "model/product.h"
#include "store/registry_settings.h"

namespace mw {
namespace {
constexpr char kImportQuestion[] = "アクションの引継ぎ情報を読み込みますか？";
constexpr char kImportFailed[] = "アクションの引継ぎ情報の読み込みに失敗しました。";
constexpr char kProductKeyForRegTool[] = "HKCU\\software\\Quillory\\Mountwick";
}  // namespace

std::string BuildCarryOverPath(const Platform& platform) {
  return "\"" + platform.files.CurrentDirectory(1023) + "\\" + kCarryOverFileName + "\"";
}

std::string RegistryToolPath(const Platform& platform) {
  return platform.files.WindowsDirectory() + "\\System32\\reg.exe";
}

void ExportCarryOver(const Platform& platform, const std::string& carry_over_path) {
  // Nobody waits for the export: the window must go on answering at once.
  ScopedProcess process(platform.processes);
  (void)StartCommand(platform,
                     RegistryToolPath(platform) + " export " + kProductKeyForRegTool + " " +
                         carry_over_path + " /y",
                     ProcessWindow::None, process);
}

bool ImportCarryOver(const Platform& platform, const std::string& carry_over_path) {
  if (platform.files.FileAttributes(kCarryOverFileName) == kInvalidFileAttributes) return true;
  const int answer =
      platform.notices.ShowMessageBox(platform.desktop.DesktopWindow(), kImportQuestion,
                                      kNoticeCaption, mb::kYesNo | mb::kIconQuestion);
  if (answer != mb::kIdYes) return true;

  ScopedProcess process(platform.processes);
  if (StartCommand(platform, RegistryToolPath(platform) + " import " + carry_over_path,
                   ProcessWindow::None, process)) {
    // The import is done when the tool has ended, however long it takes, up to a
    // limit; after it, the check below tells whether the settings arrived.
    (void)platform.processes.WaitForProcessEnd(process.get(), kImportTimeoutMs);
  }

  const bool still_absent = !MakerSubkeyExists(platform, kProductName);
  if (still_absent) ShowNotice(platform, "%s", kImportFailed);
  return still_absent;
}

}  // namespace mw
