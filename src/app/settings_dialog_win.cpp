#include <windows.h>

#include "app/application_win.h"
#include "resource.h"

namespace mw {
namespace {

// Until the full settings form arrives, only closing works.
INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* app = reinterpret_cast<Application*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dialog, DWLP_USER, lparam);
      reinterpret_cast<Application*>(lparam)->settings_dialog = dialog;
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wparam) == IDCANCEL && app) {
        app->settings_dialog = nullptr;
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

void ShowSettingsDialog(Application& app) {
  DialogBoxParamA(app.instance, MAKEINTRESOURCEA(IDD_SETTINGS), nullptr, SettingsDialogProc,
                  reinterpret_cast<LPARAM>(&app));
  app.settings_dialog = nullptr;
}

}  // namespace mw
