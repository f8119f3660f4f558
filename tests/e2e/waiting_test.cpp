// Mountwick.exe while work waits: a test run that holds only its dialog, the tray's tip while a run
// waits for its program and its removal, quitting then, and a save the registry refuses.
#include "e2e_support.h"

#include <commctrl.h>

#include <atomic>
#include <thread>

namespace e2e {
namespace {

class Waiting : public Case {
 public:
  // Every tooltip text on the desktop, in the program's code page: Wine's tray keeps each
  // icon's tip in a tooltip control of its own, read here through that process's memory.
  static std::vector<std::string> ToolTips() {
    struct Remote {
      TTTOOLINFOW info;
      wchar_t text[256];
    };
    std::vector<std::string> tips;
    for (HWND tip = nullptr; (tip = FindWindowExA(nullptr, tip, TOOLTIPS_CLASSA, nullptr));) {
      DWORD id = 0;
      GetWindowThreadProcessId(tip, &id);
      HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, id);
      auto* remote = static_cast<Remote*>(
          VirtualAllocEx(process, nullptr, sizeof(Remote), MEM_COMMIT, PAGE_READWRITE));
      for (LRESULT i = 0; remote && i < SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0); ++i) {
        Remote local = {{sizeof(TTTOOLINFOW), 0, nullptr, 0, {}, nullptr, remote->text, 0, nullptr},
                        {}};
        char text[512] = {};
        if (WriteProcessMemory(process, remote, &local, sizeof local, nullptr) &&
            SendMessageW(tip, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(&remote->info)) &&
            ReadProcessMemory(process, remote, &local, sizeof local, nullptr) &&
            WideCharToMultiByte(932, 0, local.text, -1, text, sizeof text, nullptr, nullptr))
          tips.push_back(text);
      }
      if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
      if (process) CloseHandle(process);
    }
    return tips;
  }
  static bool TipShows(const std::string& text) {
    return WaitUntil([&] { return std::ranges::count(ToolTips(), text) == 1; }, 15000);
  }
};

// A volume arrives during a test run with removal: answered within a second, its Action runs, the
// controls wait disabled, and the box follows the program's end. Registered, the list is stored
// byte for byte without what lay beyond it; then with the key deleted under the save, one notice.
TEST_F(Waiting, ATestRunHoldsOnlyTheDialogAndARegisterTheRegistryRefusesShowsOneNotice) {
  std::vector<Fields> actions = {Action("V", kVolumeId, "volume")};
  for (int i = 1; i < 300; ++i) actions.push_back(Action(std::to_string(i), "USB\\NONE", "none"));
  StoreActions(actions);
  WriteString(kActionsKey, "302_Name", "beyond a gap");
  ASSERT_NO_FATAL_FAILURE(PlugStick("USB\\VID_F00D&PID_E2E3"));
  HWND window = Start("/S");
  HWND dialog = WaitFor(kSettingsCaption, 20000);
  ASSERT_TRUE(Send(dialog, WM_COMMAND, IDC_NEW));
  ASSERT_TRUE(Send(GetDlgItem(dialog, IDX_SHOW_ALL_KNOWN), BM_CLICK));
  // The removal can be ticked for the stick alone, whichever entry it has.
  for (int i = 0; i < SendMessageA(GetDlgItem(dialog, IDC_DEVICE_COMBO), CB_GETCOUNT, 0, 0); ++i)
    if (Choose(dialog, i)) break;
  ASSERT_TRUE(Send(GetDlgItem(dialog, IDX_EJECT), BM_CLICK));
  SetDlgItemTextA(dialog, IDE_COMMAND_LINE, (Child() + " test --sleep-ms=3000").c_str());
  const std::string edit_mode = Mode(dialog);
  Press(dialog, IDC_TEST_RUN);
  ASSERT_TRUE(WaitUntil([&] { return !Runs().empty(); }, 15000));
  EXPECT_EQ(Mode(dialog), "0000|000000000000");
  EXPECT_TRUE(SendVolumeArrival(window, E, 0, 1000));
  EXPECT_TRUE(WaitUntil([&] { return Runs().size() == 2; }, 15000));
  EXPECT_THAT(Runs(), ::testing::UnorderedElementsAre("test|--sleep-ms=3000", "volume"));
  EXPECT_THAT(Ends(), ::testing::IsEmpty());
  HWND box = WaitFor(kNoticeCaption, 15000);
  EXPECT_EQ(Ends().size(), 1u);
  EXPECT_EQ(GetWindow(box, GW_OWNER), dialog);  // Wine's boxes ignore the topmost style
  Press(box, IDOK);
  EXPECT_TRUE(WaitUntil([&] { return Mode(dialog) == edit_mode; }, 5000)) << Mode(dialog);
  SetDlgItemTextA(dialog, IDE_NAME, "カード表示");  // 表 ends in the byte 0x5C
  ASSERT_TRUE(Send(dialog, WM_COMMAND, IDC_REGISTER));
  EXPECT_EQ(ReadString(kActionsKey, "300_Name") + ReadString(kActionsKey, "302_Name"),
            "カード表示");

  ASSERT_TRUE(Send(dialog, WM_COMMAND, IDC_CHANGE));
  std::atomic<bool> deleting = true;
  std::thread remover([&] {
    while (deleting) RegDeleteKeyA(HKEY_CURRENT_USER, kActionsKey);
  });
  Press(dialog, IDC_REGISTER);
  HWND notice = WaitFor(kNoticeCaption, 20000);
  deleting = false;
  remover.join();
  ASSERT_TRUE(notice);
  Sleep(1500);  // no other may follow
  EXPECT_EQ(Windows(kNoticeCaption).size(), 1u);
  EXPECT_THAT(Text(GetDlgItem(notice, 0xFFFF)), ::testing::HasSubstr("アクションの保存: 失敗 "));
  Press(notice, IDOK);
}

// The tip tells the waiting run and returns when it has ended; quitting with one asks, No keeps
// Mountwick, Yes ends it and leaves the program running to its own end.
TEST_F(Waiting, TheTipTellsAWaitingRunAndQuittingMeanwhileAsksFirst) {
  StoreActions({Action("写真の取り込み", kVolumeId, "--sleep-ms=2500", {{"Eject", "1"}})});
  const std::string product = "ﾃﾞﾊﾞｲｽ監視ﾗﾝﾁｬｰ";
  HWND window = Start();
  ASSERT_TRUE(SendVolumeArrival(window, E));
  EXPECT_TRUE(TipShows(product + " - 待機中 1 件: 写真の取り込み"));
  EXPECT_TRUE(WaitUntil([&] { return Ends().size() == 1; }, 15000));
  EXPECT_TRUE(TipShows(product));

  ASSERT_TRUE(SendVolumeArrival(window, E));
  ASSERT_TRUE(WaitUntil([&] { return Runs().size() == 2; }, 15000));
  for (const int answer : {IDNO, IDYES}) {
    ASSERT_NO_FATAL_FAILURE(ChooseFromTrayMenu(window, {VK_UP, VK_RETURN}));
    Press(WaitFor(kNoticeCaption), answer);
    EXPECT_EQ(WaitForSingleObject(program_.process, answer == IDYES ? 10000 : 1500) == 0,
              answer == IDYES);
  }
  EXPECT_EQ(Ends().size(), 1u);
  EXPECT_TRUE(WaitUntil([&] { return Ends().size() == 2; }, 15000));
}

}  // namespace
}  // namespace e2e
