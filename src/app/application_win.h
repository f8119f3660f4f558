#pragma once
// The process-wide objects of the running program, reached by the window
// and dialog procedures through their window data.
#include <windows.h>

#include <memory>
#include <string>

#include "app/tray_clicks.h"
#include "app/tray_icon_win.h"
#include "model/action.h"
#include "engine/dispatcher.h"
#include "notices/activity_log.h"
#include "platform/win32/usb_interface.h"
#include "platform/win32/win32_ports.h"

namespace mw {

// Posted by the pool's thread once a device list has been read.
inline constexpr UINT kDeviceListReadMessage = WM_APP + 101;
// Posted by a runner's thread when a run begins or ends to wait.
inline constexpr UINT kWaitingRunsMessage = WM_APP + 102;

struct Application {
  HINSTANCE instance = nullptr;
  win32::Win32World adapters;
  ActivityLog activity{adapters.log_file};
  Platform platform = adapters.platform(activity);

  ScopedMutex process_mutex{adapters.threads};
  std::unique_ptr<DeviceDiffMutex> device_diff_mutex;
  std::unique_ptr<PendingRuns> pending_runs;
  std::unique_ptr<Dispatcher> dispatcher;
  win32::ScopedDeviceNotification usb_arrivals;

  std::string carry_over_path;
  HWND main_window = nullptr;
  HWND settings_dialog = nullptr;  // while the settings dialog is open
  UINT taskbar_created = 0;
  std::unique_ptr<TrayIcon> tray;  // once the main window exists
  bool asking_to_quit = false;
  TrayClicks tray_clicks;
  Action extended_work_copy;  // the Ex_ fields between the settings form and its extended dialog
};

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK AboutBoxProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// Switches dispatching on, shows the settings dialog modally and, once it has
// closed, writes the carry-over file.
void RunSettingsDialog(Application& app);

}  // namespace mw
