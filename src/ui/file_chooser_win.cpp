#include "ui/file_chooser_win.h"

#include <commdlg.h>

namespace mw {
namespace {

// Pairs of title and pattern; the literal's own NUL ends the list.
constexpr char kFilters[] = "実行ﾌｧｲﾙ(*.exe)\0*.EXE\0全てのﾌｧｲﾙ(*.*)\0*.*\0";
constexpr DWORD kAllFilesFilter = 2;
constexpr char kTitle[] = "Mountwick  実行ファイルの選択";

}  // namespace

bool ChooseExecutableFile(HWND owner, const std::string& start_name, std::string& chosen) {
  char file[512] = {};
  start_name.copy(file, sizeof file - 1);
  OPENFILENAMEA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = kFilters;
  dialog.nFilterIndex = kAllFilesFilter;
  dialog.lpstrFile = file;
  dialog.nMaxFile = sizeof file;
  dialog.lpstrTitle = kTitle;
  dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  if (!GetOpenFileNameA(&dialog)) return false;
  chosen = file;
  return true;
}

}  // namespace mw
