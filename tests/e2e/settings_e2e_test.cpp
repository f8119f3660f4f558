// The settings dialog under Wine: opened by tray clicks and raised when open,
// an Action made in it that then runs, and the export when it closes.
#include "e2e/e2e_harness.h"
#include "resource.h"

namespace e2e {
namespace {

TEST_F(Case, TrayClicksOpenTheSettingsOnceAndADoubleClickRaisesThem) {
  StoreActions({});
  HWND window = Start();
  for (const DWORD gap_ms : {900, 500}) {  // only the second pair is within the click time
    SendTray(window, WM_LBUTTONDOWN);
    Sleep(gap_ms);
    SendTray(window, WM_LBUTTONDOWN);
    Sleep(1500);  // long enough for a dialog to show, and for the click timer to end
    EXPECT_EQ(Windows(kSettingsCaption).size(), gap_ms < 900 ? 1u : 0u) << gap_ms;
  }
  HWND dialog = WaitFor(kSettingsCaption);
  PostMessageA(window, WM_COMMAND, IDM_ABOUT, 0);
  HWND about = WaitFor("Mountwick ﾊﾞｰｼﾞｮﾝ情報");
  ASSERT_TRUE(WaitUntil([&] { return about && GetForegroundWindow() == about; }, 5000));
  SendTray(window, WM_LBUTTONDBLCLK);
  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == dialog; }, 5000));
  EXPECT_EQ(Windows(kSettingsCaption), std::vector<HWND>{dialog});
  for (UINT key : {WM_KEYDOWN, WM_KEYUP}) PostMessageA(GetDlgItem(about, IDOK), key, VK_ESCAPE, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }, 5000));
}

// A first start with "/S": New, the first device entry, a command line, a label
// check typed in the extended settings; registered, closed and exported by the
// system's registry tool while the window goes on answering; the next drive runs it.
TEST_F(Case, AnActionMadeInTheDialogOnAFirstStartIsExportedAndRuns) {
  HWND window = Start("/S");
  HWND dialog = WaitFor(kSettingsCaption, 20000);
  ASSERT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_NEW)) && Send(dialog, WM_COMMAND, IDC_NEW));
  HWND combo = GetDlgItem(dialog, IDC_DEVICE_COMBO);
  Send(combo, CB_SETCURSEL);
  Send(dialog, WM_COMMAND, MAKEWPARAM(IDC_DEVICE_COMBO, CBN_SELCHANGE),
       reinterpret_cast<LPARAM>(combo));
  const std::string command_line = Child() + " got %_newdrv_%";
  Send(GetDlgItem(dialog, IDE_COMMAND_LINE), WM_SETTEXT, 0,
       reinterpret_cast<LPARAM>(command_line.c_str()));
  Press(dialog, IDC_EXTENDED);
  HWND extended = WaitFor("Mountwick 拡張設定");
  Send(GetDlgItem(extended, IDX_RUN_VOLUME), BM_CLICK);
  for (char c : std::string("photos"))  // typed: the control upper-cases as the user types
    PostMessageA(GetDlgItem(extended, IDE_RUN_VOLUME), WM_CHAR, static_cast<BYTE>(c), 1);
  Press(extended, IDCANCEL);  // the close button keeps what was set
  ASSERT_TRUE(WaitUntil([&] { return extended && !IsWindow(extended); }, 5000));
  ASSERT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_REGISTER)));
  ASSERT_TRUE(Send(dialog, WM_COMMAND, IDC_REGISTER));  // a notice would hold it
  EXPECT_EQ(ReadString(kActionsKey, "0_HardwareID"), kVolumeId);
  EXPECT_EQ(ReadString(kActionsKey, "0_Ex_RunVolume"), "PHOTOS");

  const std::string file = folder_ + "\\Mountwick_Verup.inf";
  const auto in_file = [&](const std::string& text) {
    std::string wide;  // the tool writes UTF-16
    for (char c : text) wide += {c, '\0'};
    return Read(file).find(wide) != std::string::npos;
  };
  Press(dialog, IDCANCEL);
  for (const DWORD limit = GetTickCount() + 5000; IsWindow(dialog) && GetTickCount() < limit;)
    Sleep(1);
  const DWORD closed = GetTickCount();
  ASSERT_TRUE(Send(window, WM_NULL, 0, 0, 20000));
  const DWORD answered = GetTickCount() - closed;
  ASSERT_TRUE(WaitUntil(
      [&] { return in_file("Quillory\\Mountwick]") && in_file("got %_newdrv_%"); }, 20000));
  const DWORD exported = GetTickCount() - closed;
  EXPECT_LT(answered * 2, exported)
      << "answered after " << answered << " ms, exported after " << exported;
  ASSERT_TRUE(SendChange(window, DBT_DEVICEARRIVAL, kDriveE));
  EXPECT_TRUE(WaitUntil([&] { return Runs() == std::vector<std::string>{"got|E"}; }, 15000));
}

}  // namespace
}  // namespace e2e
