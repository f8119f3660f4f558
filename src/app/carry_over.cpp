#include "app/carry_over.h"

#include <cstdint>
#include <memory>

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

namespace {
struct Export {
  Platform platform;
  std::string command;
};

void StartExport(const Export& export_) {
  ScopedProcess process(export_.platform.processes);
  (void)StartCommand(export_.platform, export_.command, ProcessWindow::None, process);
}

std::uint32_t ExportThread(void* parameter) {
  const std::unique_ptr<Export> export_(static_cast<Export*>(parameter));
  StartExport(*export_);
  return 0;
}
}  // namespace

void ExportCarryOver(const Platform& platform, const std::string& carry_over_path) {
  auto export_ = std::make_unique<Export>(Export{platform, RegistryToolPath(platform) + " export " +
                                                               kProductKeyForRegTool + " " +
                                                               carry_over_path + " /y"});
  // Nobody waits for the export, and even starting a process can take a loaded
  // machine a tenth of a second: the window must go on answering at once.
  std::uint32_t error = 0;
  if (platform.threads.RunDetached(&ExportThread, export_.get(), &error)) {
    (void)export_.release();
    return;
  }
  StartExport(*export_);
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
