#include "ui/file_chooser_win.h"

#include <commdlg.h>

namespace mw {
namespace {

// Pairs of title and pattern; the literal's own NUL ends the list.
constexpr char kFilters[] = "実行ﾌｧｲﾙ(*.exe)\0*.EXE\0全てのﾌｧｲﾙ(*.*)\0*.*\0";
constexpr DWORD kAllFilesFilter = 2;
constexpr char kTitle[] = "Mountwick  実行ファイルの選択";

using GetOpenFileNameFn = BOOL(WINAPI*)(OPENFILENAMEA*);

// The common dialogs bring the printing system along (and under Wine its
// whole Unix stack), several hundred KB for as long as the program runs, so
// they are loaded the first time the chooser opens, not at start. They stay
// loaded after that.
GetOpenFileNameFn LoadGetOpenFileName() {
  static const GetOpenFileNameFn function = [] {
    HMODULE dialogs = LoadLibraryExA("comdlg32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return dialogs ? reinterpret_cast<GetOpenFileNameFn>(
                         reinterpret_cast<void*>(GetProcAddress(dialogs, "GetOpenFileNameA")))
                   : nullptr;
  }();
  return function;
}

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
  const GetOpenFileNameFn get_open_file_name = LoadGetOpenFileName();
  if (!get_open_file_name || !get_open_file_name(&dialog)) return false;
  chosen = file;
  return true;
}

}  // namespace mw
