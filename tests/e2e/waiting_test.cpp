// Mountwick.exe while work waits: a test run that holds nothing but its dialog, the tray's tip
// while a run waits for its program and its removal, quitting then, and a save the registry
// refuses.
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
      HANDLE process =
          OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, id);
      auto* remote = process ? static_cast<Remote*>(VirtualAllocEx(process, nullptr, sizeof(Remote),
                                                                   MEM_COMMIT, PAGE_READWRITE))
                             : nullptr;
      const LRESULT tools = remote ? SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0) : 0;
      for (LRESULT i = 0; i < tools; ++i) {
        Remote local = {};
        local.info.cbSize = sizeof local.info;
        local.info.lpszText = remote->text;
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
  static bool Arrive(HWND window, DWORD timeout_ms = 15000) {
    DEV_BROADCAST_VOLUME volume = {sizeof volume, DBT_DEVTYP_VOLUME, 0, E, 0};
    return Send(window, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(&volume),
                timeout_ms);
  }
  bool Ended(std::size_t count) const {
    const std::string record = Read(record_);
    std::size_t ends = 0;
    for (std::size_t at = record.find("ended "); at != std::string::npos;
         at = record.find("ended ", at + 1))
      ++ends;
    return ends >= count;
  }
  static std::string Tip(std::size_t waiting, const std::string& name) {
    return "ﾃﾞﾊﾞｲｽ監視ﾗﾝﾁｬｰ" +
           (waiting ? " - 待機中 " + std::to_string(waiting) + " 件: " + name : "");
  }
};

// A volume arrives during a test run with removal ticked: answered within a second, its
// Action runs, the dialog's controls wait disabled, and the box follows the program's end.
TEST_F(Waiting, ATestRunWithRemovalHoldsOnlyTheDialogAndTellsTheEndAfterIt) {
  StoreActions({Action("V", kVolumeId, "volume")});
  const mw::fakeusb::FakeUsbDevice stick{
      "ROOT\\MWE2E\\TEST", {"USB\\VID_F00D&PID_E2E3"}, {}, {}, {}, "USBSTOR"};
  mw::fakeusb::RemoveFakeUsbDevice(stick.instance_id);
  ASSERT_TRUE(mw::fakeusb::InstallFakeUsbDevice(stick).ok());
  devices_.push_back(stick.instance_id);
  HWND window = Start("/S");
  HWND dialog = WaitFor(kSettingsCaption, 20000);
  ASSERT_TRUE(Send(dialog, WM_COMMAND, IDC_NEW));
  ASSERT_TRUE(Send(GetDlgItem(dialog, IDX_SHOW_ALL_KNOWN), BM_CLICK));
  // The removal can be ticked for the stick alone, whichever entry it has.
  HWND combo = GetDlgItem(dialog, IDC_DEVICE_COMBO), eject = GetDlgItem(dialog, IDX_EJECT);
  for (LRESULT i = 0; i < SendMessageA(combo, CB_GETCOUNT, 0, 0) && !IsWindowEnabled(eject); ++i) {
    Send(combo, CB_SETCURSEL, static_cast<WPARAM>(i));
    Send(dialog, WM_COMMAND, MAKEWPARAM(IDC_DEVICE_COMBO, CBN_SELCHANGE),
         reinterpret_cast<LPARAM>(combo));
  }
  ASSERT_TRUE(Send(eject, BM_CLICK));
  SetDlgItemTextA(dialog, IDE_COMMAND_LINE, (Child() + " test --sleep-ms=3000").c_str());
  const std::string edit_mode = Mode(dialog);
  Press(dialog, IDC_TEST_RUN);
  ASSERT_TRUE(WaitUntil([&] { return !Runs().empty(); }, 15000));
  EXPECT_EQ(Mode(dialog), "0000|000000000000");
  EXPECT_TRUE(Arrive(window, 1000));
  EXPECT_TRUE(WaitUntil([&] { return Runs().size() == 2; }, 15000));
  EXPECT_THAT(Runs(), ::testing::UnorderedElementsAre("test|--sleep-ms=3000", "volume"));
  EXPECT_FALSE(Ended(1));
  HWND box = WaitFor(kNoticeCaption, 15000);
  ASSERT_TRUE(box);
  EXPECT_TRUE(Ended(1));
  EXPECT_EQ(GetWindow(box, GW_OWNER), dialog);  // Wine's boxes ignore the topmost style
  Press(box, IDOK);
  EXPECT_TRUE(WaitUntil([&] { return Mode(dialog) == edit_mode; }, 5000)) << Mode(dialog);
}

// The tip tells the waiting run and returns when it has ended; quitting with one asks, No keeps
// Mountwick, Yes ends it and leaves the program running to its own end.
TEST_F(Waiting, TheTipTellsAWaitingRunAndQuittingMeanwhileAsksFirst) {
  StoreActions({Action("写真の取り込み", kVolumeId, "--sleep-ms=2500", {{"Eject", "1"}})});
  HWND window = Start();
  EXPECT_TRUE(TipShows(Tip(0, "")));
  ASSERT_TRUE(Arrive(window));
  EXPECT_TRUE(TipShows(Tip(1, "写真の取り込み")));
  EXPECT_TRUE(WaitUntil([&] { return Ended(1); }, 15000));
  EXPECT_TRUE(TipShows(Tip(0, "")));

  ASSERT_TRUE(Arrive(window));
  ASSERT_TRUE(WaitUntil([&] { return Runs().size() == 2; }, 15000));
  for (const int answer : {IDNO, IDYES}) {
    ASSERT_NO_FATAL_FAILURE(ChooseFromTrayMenu(window, {VK_UP, VK_RETURN}));
    HWND question = WaitFor(kNoticeCaption);
    ASSERT_TRUE(question);
    Press(question, answer);
    const bool ended = WaitForSingleObject(process_, answer == IDYES ? 10000 : 1500) == 0;
    EXPECT_EQ(ended, answer == IDYES);
  }
  EXPECT_FALSE(Ended(2));
  EXPECT_TRUE(WaitUntil([&] { return Ended(2); }, 15000));
}

// Each value of a Register fails once the key is deleted under the save: one notice says so.
TEST_F(Waiting, ARegisterTheRegistryRefusesShowsOneNotice) {
  std::vector<Fields> actions;
  for (int i = 0; i < 300; ++i) actions.push_back(Action(std::to_string(i), kVolumeId, "v"));
  StoreActions(actions);
  Start("/S");
  HWND dialog = WaitFor(kSettingsCaption, 20000);
  ASSERT_TRUE(Send(dialog, WM_COMMAND, IDC_NEW));
  Send(GetDlgItem(dialog, IDC_DEVICE_COMBO), CB_SETCURSEL);
  Send(dialog, WM_COMMAND, MAKEWPARAM(IDC_DEVICE_COMBO, CBN_SELCHANGE),
       reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_DEVICE_COMBO)));
  SetDlgItemTextA(dialog, IDE_NAME, "new");
  SetDlgItemTextA(dialog, IDE_COMMAND_LINE, (Child() + " new").c_str());
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

}  // namespace
}  // namespace e2e
