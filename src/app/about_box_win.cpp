#include <windows.h>

#include "app/application_win.h"
#include "notices/bounded_format.h"
#include "model/product.h"
#include "resource.h"

namespace mw {

INT_PTR CALLBACK AboutBoxProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      const std::string build = FormatBounded("Build%d", {kBuildNumber}, 20);
      SetDlgItemTextA(dialog, IDC_BUILD_TEXT, build.c_str());
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
        EndDialog(dialog, LOWORD(wparam));
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace mw
