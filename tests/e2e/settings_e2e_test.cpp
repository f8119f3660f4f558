// The settings dialog under Wine: opened by tray clicks and raised when open,
// an Action made in it that then runs, and what closing leaves behind.
#include "e2e/e2e_harness.h"
#include "resource.h"

namespace e2e {
namespace {

void SetText(HWND control, const char* text) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 15000,
                      &result);
}

TEST_F(Case, TrayClicksOpenTheSettingsOnceAndADoubleClickRaisesThem) {
  StoreActions({});
  ASSERT_TRUE(Start());
  HWND window = WaitForMainWindow();
  ASSERT_NE(window, nullptr);
  for (const DWORD gap_ms : {900, 500}) {  // only the second pair is within the click time
    SendTray(window, WM_LBUTTONDOWN);
    Sleep(gap_ms);
    SendTray(window, WM_LBUTTONDOWN);
    Sleep(1500);  // long enough for a dialog to show, and for the click timer to end
    EXPECT_EQ(WindowsWithCaption(Pid(), kSettingsCaption).size(), gap_ms < 900 ? 1u : 0u) << gap_ms;
  }
  HWND dialog = WaitForWindow(Pid(), kSettingsCaption);
  PostMessageA(window, WM_COMMAND, IDM_ABOUT, 0);
  HWND about = WaitForWindow(Pid(), "Mountwick ﾊﾞｰｼﾞｮﾝ情報");
  ASSERT_NE(about, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == about; }, 5000));
  SendTray(window, WM_LBUTTONDBLCLK);
  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == dialog; }, 5000));
  EXPECT_EQ(WindowsWithCaption(Pid(), kSettingsCaption), std::vector<HWND>{dialog});
  for (UINT message : {WM_KEYDOWN, WM_KEYUP})
    PostMessageA(GetDlgItem(about, IDOK), message, VK_ESCAPE, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }, 5000));
}

// New, the first device entry, a command line, a label check typed in the
// extended settings; registered, closed, and the next new drive runs it.
TEST_F(Case, AnActionRegisteredInTheDialogRunsAtTheNextArrival) {
  StoreActions({});
  ASSERT_TRUE(Start("/S"));
  HWND window = WaitForMainWindow();
  HWND dialog = WaitForWindow(Pid(), kSettingsCaption, 20000);
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(Command(dialog, IDC_NEW));
  HWND combo = GetDlgItem(dialog, IDC_DEVICE_COMBO);
  DWORD_PTR result = 0;
  SendMessageTimeoutA(combo, CB_SETCURSEL, 0, 0, SMTO_NORMAL, 15000, &result);
  SendMessageTimeoutA(dialog, WM_COMMAND, MAKEWPARAM(IDC_DEVICE_COMBO, CBN_SELCHANGE),
                      reinterpret_cast<LPARAM>(combo), SMTO_NORMAL, 15000, &result);
  SetText(GetDlgItem(dialog, IDE_COMMAND_LINE), (Child() + " got %_newdrv_%").c_str());

  PressButton(dialog, IDC_EXTENDED);
  HWND extended = WaitForWindow(Pid(), "Mountwick 拡張設定");
  ASSERT_NE(extended, nullptr);
  SendMessageTimeoutA(GetDlgItem(extended, IDX_RUN_VOLUME), BM_CLICK, 0, 0, SMTO_NORMAL, 15000,
                      &result);
  for (char c : std::string("photos"))  // typed: the control upper-cases as the user types
    PostMessageA(GetDlgItem(extended, IDE_RUN_VOLUME), WM_CHAR, static_cast<BYTE>(c), 1);
  char typed[32] = {};
  EXPECT_TRUE(WaitUntil(
      [&] {
        GetDlgItemTextA(extended, IDE_RUN_VOLUME, typed, sizeof typed);
        return std::string(typed) == "PHOTOS";
      },
      5000))
      << typed;
  PressButton(extended, IDCANCEL);  // the close button keeps what was set
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(extended); }, 5000));
  ASSERT_TRUE(Command(dialog, IDC_REGISTER));
  EXPECT_TRUE(WindowsWithCaption(Pid(), kNoticeCaption).empty());
  EXPECT_EQ(ReadString(kActionsKey, "0_HardwareID"), kVolumeId);
  EXPECT_EQ(ReadString(kActionsKey, "0_Ex_RunVolume"), "PHOTOS");
  EXPECT_EQ(ValueNames(kActionsKey).size(), 16u);

  PressButton(dialog, IDCANCEL);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 5000));
  ASSERT_TRUE(SendVolume(window, 1u << 4));  // E:, labelled "Photos"
  EXPECT_TRUE(WaitUntil([&] { return Runs() == std::vector<std::string>{"got|E"}; }, 15000));
}

// Closing starts the export of the settings into the carry-over file with the
// system's registry tool, and the window answers long before that tool is done.
TEST_F(Case, ClosingTheSettingsExportsThemWithoutWaitingForTheTool) {
  StoreActions({Action("Kept", kVolumeId, "kept")});
  ASSERT_TRUE(Start());
  HWND window = WaitForMainWindow();
  ASSERT_NE(window, nullptr);
  const std::string file = folder_ + "\\" + kCarryOverFile;
  for (int close = 0; close < 3; ++close) {
    DeleteFileA(file.c_str());
    PostMessageA(window, WM_COMMAND, IDM_SETTINGS, 0);
    HWND dialog = WaitForWindow(Pid(), kSettingsCaption);
    ASSERT_NE(dialog, nullptr);
    PressButton(dialog, IDCANCEL);
    for (const DWORD limit = GetTickCount() + 5000; IsWindow(dialog) && GetTickCount() < limit;)
      Sleep(1);
    const DWORD closed = GetTickCount();
    ASSERT_TRUE(Answers(window, 20000));
    const DWORD answered = GetTickCount() - closed;
    ASSERT_TRUE(
        WaitUntil([&] { return ReadFile(file).find(Utf16("Kept")) != std::string::npos; }, 20000));
    const DWORD exported = GetTickCount() - closed;
    EXPECT_LT(answered * 2, exported)
        << "answered after " << answered << " ms, the export took " << exported << " ms";
  }
  EXPECT_NE(ReadFile(file).find(Utf16("Quillory\\Mountwick]")), std::string::npos);
  EXPECT_EQ(WaitForExit(0), -1);  // still resident
}

}  // namespace
}  // namespace e2e
