// Mountwick: starts a program when a storage device is attached and removes
// the device safely once that program has ended.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "app/activity_viewer.h"
#include "app/application_win.h"
#include "app/carry_over.h"
#include "model/product.h"
#include "app/startup_options.h"
#include "app/update_checker.h"
#include "store/activity_log_switch.h"
#include "store/registry_settings.h"
#include "resource.h"

namespace {

// Nothing from the working directory may load as a DLL.
void RestrictDllSearchToSystem() {
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  if (HMODULE kernel = GetModuleHandleA("kernel32.dll")) {
    auto set_directories = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (set_directories) set_directories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  }
}

std::string LoadText(HINSTANCE instance, UINT id) {
  char buffer[101] = {};
  LoadStringA(instance, id, buffer, sizeof buffer);
  return buffer;
}

int QuitProgram(mw::Application& a, const MSG& quit) {
  // DeviceDiffMutex stays open: a runner that has not yet taken its run may
  // still wait for it. The process end closes it.
  a.process_mutex.Reset();
  return static_cast<int>(quit.wParam);
}

int Run(HINSTANCE instance, const char* arguments) {
  RestrictDllSearchToSystem();
  // The runner threads may outlive the message loop, so the objects they use
  // live until the process ends.
  auto* app = new mw::Application;
  mw::Application& a = *app;
  const mw::Platform& platform = a.platform;

  const std::string options = arguments ? arguments : "";
  // Before the single-instance check, so that it works while Mountwick runs.
  if (mw::OpenActivityLogOnly(platform.desktop, options))
    return mw::ShowActivityLog(platform, a.adapters.log_file) ? 0 : 1;
  const bool open_settings = mw::OpenSettingsAtStart(platform.desktop, options);

  bool already_running = false;
  a.process_mutex.Reset(
      platform.threads.CreateNamedMutex(mw::kProcessMutexName, true, &already_running));
  if (already_running) return 0;
  if (mw::ActivityLogEnabled(platform)) a.activity.Open(mw::ActivityLogPath(a.adapters.log_file));
  mw::LogActivity(platform, "Mountwick を起動しました");

  bool settings_absent = !mw::MakerSubkeyExists(platform, mw::kProductName);
  a.carry_over_path = mw::BuildCarryOverPath(platform);
  if (settings_absent) settings_absent = mw::ImportCarryOver(platform, a.carry_over_path);
  mw::RegisterWithUpdateChecker(platform);

  a.device_diff_mutex = std::make_unique<mw::DeviceDiffMutex>(a.adapters.threads);
  a.pending_runs = std::make_unique<mw::PendingRuns>(*a.device_diff_mutex);
  a.instance = instance;
  const std::string title = LoadText(instance, IDS_APP_TITLE);
  const std::string class_name = LoadText(instance, IDS_WINDOW_CLASS);
  a.dispatcher = std::make_unique<mw::Dispatcher>(platform, *a.pending_runs, [&a] {
    // Until it is read, no other list is: a full queue is waited out.
    while (!PostMessageA(a.main_window, mw::kDeviceListReadMessage, 0, 0) &&
           IsWindow(a.main_window))
      Sleep(50);
  });
  a.dispatcher->SetSettingsAbsent(settings_absent);

  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS |
                                                        ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  WNDCLASSEXA window_class = {};
  window_class.cbSize = sizeof window_class;
  window_class.style = CS_HREDRAW | CS_VREDRAW;
  window_class.lpfnWndProc = mw::MainWindowProc;
  window_class.hInstance = instance;
  window_class.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_MOUNTWICK));
  window_class.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(IDI_SMALL));
  window_class.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  window_class.lpszMenuName = MAKEINTRESOURCEA(IDR_MAINMENU);
  window_class.lpszClassName = class_name.c_str();
  RegisterClassExA(&window_class);

  a.taskbar_created = RegisterWindowMessageA("TaskbarCreated");
  a.main_window =
      CreateWindowExA(0, class_name.c_str(), title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0,
                      CW_USEDEFAULT, 0, nullptr, nullptr, instance, app);
  if (!a.main_window) return 0;
  // Without it every USB device is still found, by reading the whole list.
  a.usb_arrivals.Reset(mw::win32::RegisterUsbInterfaceArrivals(a.main_window));
  if (!a.usb_arrivals)
    mw::LogActivity(platform, "USB デバイスの到着通知を登録できませんでした（コード %u）",
                    static_cast<unsigned>(GetLastError()));
  a.pending_runs->waiting().OnChange(
      [&a] { PostMessageA(a.main_window, mw::kWaitingRunsMessage, 0, 0); });
  a.tray = std::make_unique<mw::TrayIcon>(a.main_window, instance, IDI_SMALL);
  a.tray->Add();

  HACCEL accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));

  if (open_settings) {
    mw::RunSettingsDialog(a);
  }

  // The loop also waits for the stored Actions to change, so that they are
  // read again then and not when the next device arrives.
  MSG message = {};
  for (;;) {
    auto change = reinterpret_cast<HANDLE>(a.dispatcher->ActionsChangeEvent());
    if (MsgWaitForMultipleObjectsEx(change ? 1 : 0, &change, INFINITE, QS_ALLINPUT,
                                    MWMO_INPUTAVAILABLE) == WAIT_OBJECT_0 &&
        change) {
      a.dispatcher->ReloadActions();
      continue;
    }
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return QuitProgram(a, message);
      if (!TranslateAcceleratorA(message.hwnd, accelerators, &message)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
      }
    }
  }
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int) {
  try {
    return Run(instance, arguments);
  } catch (...) {
    return 1;
  }
}
