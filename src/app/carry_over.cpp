#include "app/carry_over.h"

#include "app/notices.h"
#include "engine/launcher.h"
#include "store/registry_settings.h"

namespace mw {
namespace {
constexpr char kImportQuestion[] = "アクションの引継ぎ情報を読み込みますか？";
constexpr char kImportFailed[] = "アクションの引継ぎ情報の読み込みに失敗しました。";
constexpr char kStartFailed[] =
    "Mountwickからのエラー通知：\nアプリケーションの起動に失敗しました。\n\n起動アプリ = %s\n";
constexpr unsigned kPauseWithoutProcess = 2000;
}  // namespace

std::string BuildCarryOverPath(const Platform& platform) {
  return "\"" + platform.files.CurrentDirectory(1023) + "\\" + kCarryOverFileName + "\"";
}

std::string RegistryEditorPath(const Platform& platform) {
  return platform.files.WindowsDirectory() + "\\regedit.exe";
}

void ExportCarryOver(const Platform& platform, const std::string& carry_over_path) {
  ShellOpen(platform, RegistryEditorPath(platform),
            "/e " + carry_over_path + kProductKeyOnCommandLine);
}

bool ImportCarryOver(const Platform& platform, const std::string& carry_over_path) {
  if (platform.files.FileAttributes(kCarryOverFileName) == kInvalidFileAttributes) return true;
  const int answer =
      platform.notices.ShowMessageBox(platform.notices.DesktopWindow(), kImportQuestion,
                                      kNoticeCaption, mb::kYesNo | mb::kIconQuestion);
  if (answer != mb::kIdYes) return true;

  const std::string editor = RegistryEditorPath(platform);
  ScopedProcess process(platform.processes);
  const std::intptr_t result = platform.processes.ShellExecuteOpenProcess(
      editor, "/s " + carry_over_path, process.receive());
  if (result <= 32) {
    ShowSystemErrorNotice(platform.notices, static_cast<std::uint32_t>(result), kStartFailed,
                          editor);
  } else if (process.get() != 0) {
    // The import is done when the editor has ended, however long it takes, up to a limit.
    platform.processes.WaitForProcessEnd(process.get(), kImportTimeoutMs);
  } else {
    platform.threads.Sleep(kPauseWithoutProcess);
  }

  const bool still_absent = !MakerSubkeyExists(platform, "Mountwick");
  if (still_absent) ShowNotice(platform.notices, "%s", kImportFailed);
  return still_absent;
}

}  // namespace mw
