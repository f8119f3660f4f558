#include <windows.h>

#include <shellapi.h>

#include "app/application_win.h"
#include "app/carry_over.h"
#include "app/help_file.h"
#include "app/quit_question.h"
#include "app/tray_tip.h"
#include "model/product.h"
#include "engine/launcher.h"
#include "resource.h"
#include "ui/settings_dialog_win.h"

namespace mw {
namespace {

Application* AppOf(HWND window) {
  return reinterpret_cast<Application*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

void OpenOrRaiseSettings(Application& app) {
  if (app.settings_dialog) {
    SetForegroundWindow(app.settings_dialog);
    return;
  }
  RunSettingsDialog(app);
}

void ShowTrayMenu(HWND window) {
  POINT cursor = {};
  GetCursorPos(&cursor);
  // Without the foreground the menu would not close when the user clicks elsewhere.
  SetForegroundWindow(window);
  TrackPopupMenu(GetSubMenu(GetMenu(window), 0), TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, window,
                 nullptr);
  PostMessageA(window, WM_USER, 0, 0);
}

void PostOpenSettings(HWND window) {
  SetForegroundWindow(window);
  PostMessageA(window, WM_COMMAND, IDM_SETTINGS, 0);
}

LRESULT OnTrayCallback(Application& app, HWND window, LPARAM lparam) {
  switch (LOWORD(lparam)) {
    case WM_RBUTTONDOWN:
      app.tray_clicks.OnRightButtonDown();
      ShowTrayMenu(window);
      break;
    case WM_LBUTTONDOWN:
      if (app.tray_clicks.OnLeftButtonDown() == TrayClicks::Response::StartClickTimer) {
        SetTimer(window, kClickTimerId, kClickTimerMs, nullptr);
      } else {
        PostOpenSettings(window);
      }
      break;
    case WM_LBUTTONDBLCLK:
      app.tray_clicks.OnDoubleClick();
      PostOpenSettings(window);
      break;
    default:
      break;
  }
  return 0;
}

LRESULT OnCommand(Application& app, HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (LOWORD(wparam)) {
    case IDM_ABOUT:
      DialogBoxParamA(app.instance, MAKEINTRESOURCEA(IDD_ABOUTBOX), nullptr, AboutBoxProc, 0);
      return 0;
    case IDM_EXIT:
      // One question at a time, though the tray menu stays usable meanwhile.
      if (!app.asking_to_quit) {
        app.asking_to_quit = true;
        const bool quit = ConfirmQuit(app.platform, app.pending_runs->waiting().Read());
        app.asking_to_quit = false;
        if (quit) DestroyWindow(window);
      }
      return 0;
    case IDM_SETTINGS:
      OpenOrRaiseSettings(app);
      return 0;
    case IDM_HELP:
      OpenHelpFile(app.platform);
      return 0;
    default:
      return DefWindowProcA(window, message, wparam, lparam);
  }
}

LRESULT HandleMessage(Application& app, HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_DESTROY:
      if (app.tray) app.tray->Remove();
      PostQuitMessage(0);
      return 0;
    case WM_COMMAND:
      return OnCommand(app, window, message, wparam, lparam);
    case WM_TIMER:
      if (wparam == kClickTimerId) {
        KillTimer(window, kClickTimerId);
        app.tray_clicks.OnClickTimer();
      }
      return 0;
    case WM_DEVICECHANGE:
      app.dispatcher->Dispatch(RouteDeviceChange(wparam, reinterpret_cast<const void*>(lparam)));
      return 0;
    case kDeviceListReadMessage:
      app.dispatcher->FinishEnumeration();
      return 0;
    case kTrayCallbackMessage:
      return OnTrayCallback(app, window, lparam);
    case kWaitingRunsMessage:
      if (app.tray) app.tray->SetTip(TrayTipText(app.pending_runs->waiting().Read()));
      return 0;
    default:
      if (message == app.taskbar_created && message != 0) {
        // Explorer restarted: the icon has to be added again.
        if (app.tray) app.tray->Add();
        return 0;
      }
      return DefWindowProcA(window, message, wparam, lparam);
  }
}

}  // namespace

void RunSettingsDialog(Application& app) {
  const SettingsContext context{app.platform, app.instance, app.extended_work_copy,
                                [&app] { OpenHelpFile(app.platform); }, app.settings_dialog};
  app.dispatcher->SetSettingsAbsent(false);
  ShowSettingsDialog(context);
  ExportCarryOver(app.platform, app.carry_over_path);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lparam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  Application* app = AppOf(window);
  if (!app) return DefWindowProcA(window, message, wparam, lparam);
  // No exception may cross into the system's message dispatch.
  try {
    return HandleMessage(*app, window, message, wparam, lparam);
  } catch (...) {
    return 0;
  }
}

}  // namespace mw
