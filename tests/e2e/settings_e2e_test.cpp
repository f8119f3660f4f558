// The settings dialog and its extended settings as a user meets them under
// Wine: opening it, registering, changing, deleting and cancelling Actions,
// the device picker, the test run, the help button and what closing leaves
// behind (the carry-over file, dispatching switched on).
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <tuple>

#include "e2e/e2e_harness.h"
// commctrl.h needs the types of windows.h, which the harness brings.
#include <commctrl.h>
#include "resource.h"
#include "tools/fake_usb_device.h"

namespace e2e {
namespace {

constexpr char kSettingsCaption[] = "Mountwick Ver1.0 (Build102)  アクションの設定";
constexpr char kExtendedCaption[] = "Mountwick 拡張設定";
constexpr char kVolumeId[] = "MESSAGE://DBT_DEVICEARRIVAL/VOLUME";
constexpr char kMediaId[] = "MESSAGE://DBT_DEVICEARRIVAL/MEDIA";
constexpr char kVolumeEntry[] = "【汎用：任意のドライブ追加時】";
constexpr char kMediaEntry[] = "【汎用：任意のメディア挿入時】";

constexpr const char* kStoredFields[] = {
    "Name",         "State",          "HardwareID",      "ExeFile",
    "Eject",        "Ex_RunWaitChk",  "Ex_RunWait",      "Ex_RunVolumeChk",
    "Ex_RunVolume", "Ex_RunPathChk",  "Ex_RunPath",      "Ex_RmvWaitChk",
    "Ex_RmvWait",   "Ex_RmvRetryChk", "Ex_RmvRetryWait", "Ex_RmvRetryCount"};

constexpr int kListGroup[] = {IDC_ACTION_LIST, IDC_NEW, IDC_CHANGE, IDC_DELETE};
constexpr int kFormGroup[] = {IDE_NAME,           IDX_DISABLED,     IDX_SHOW_CONNECTED,
                              IDX_SHOW_ALL_KNOWN, IDC_DEVICE_COMBO, IDE_COMMAND_LINE,
                              IDC_BROWSE,         IDC_EXTENDED,     IDC_TEST_RUN,
                              IDC_REGISTER,       IDC_CANCEL_EDIT};

LRESULT Send(HWND window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(window, message, wparam, lparam, SMTO_NORMAL, 15000, &result);
  return static_cast<LRESULT>(result);
}

std::string Text(HWND dialog, int id) {
  char text[2048] = {};
  Send(GetDlgItem(dialog, id), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

bool Checked(HWND dialog, int id) {
  return Send(GetDlgItem(dialog, id), BM_GETCHECK) == BST_CHECKED;
}
bool Enabled(HWND dialog, int id) {
  return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

// Clicks a check box or radio button the way the mouse does, so that it
// changes its own state and tells the dialog. A greyed-out one cannot be clicked.
void Click(HWND dialog, int id) {
  ASSERT_TRUE(Enabled(dialog, id)) << "control " << id << " is greyed out";
  DWORD_PTR result = 0;
  ASSERT_NE(
      SendMessageTimeoutA(GetDlgItem(dialog, id), BM_CLICK, 0, 0, SMTO_NORMAL, 15000, &result), 0);
}

std::string StoredValue(int index, const std::string& field) {
  return ReadString(HKEY_CURRENT_USER, kActionsKey, std::to_string(index) + "_" + field);
}

// The value names a list of count Actions consists of.
std::set<std::string> ValuesOfActions(int count) {
  std::set<std::string> names;
  for (int index = 0; index < count; ++index)
    for (const char* field : kStoredFields) names.insert(std::to_string(index) + "_" + field);
  return names;
}

std::set<std::string> StoredValueNames() {
  const auto names = ValueNames(HKEY_CURRENT_USER, kActionsKey);
  return {names.begin(), names.end()};
}

// The carry-over file is the registry editor's UTF-16 export.
std::string Utf16(const std::string& ascii) {
  std::string wide;
  for (char c : ascii) {
    wide.push_back(c);
    wide.push_back('\0');
  }
  return wide;
}

class SettingsDialog : public MountwickCase {
 protected:
  void SetUp() override {
    screenshot_prefix_ = "settings_";
    MountwickCase::SetUp();
  }
  void TearDown() override {
    MountwickCase::TearDown();
    for (const std::string& id : fake_devices_) mw::fakeusb::RemoveFakeUsbDevice(id);
  }

  DWORD Pid() const { return GetProcessId(app_.process()); }

  // Starts Mountwick with these Actions stored and "/S" on its command line.
  void OpenWith(const std::vector<std::map<std::string, std::string>>& actions) {
    WriteString(HKEY_CURRENT_USER, "software\\Quillory\\Mountwick\\1.0", "", "");
    StoreActions(actions);
    ASSERT_TRUE(app_.Start("/S", folder_));
    ASSERT_NE(app_.WaitForMainWindow(), nullptr);
    dialog_ = WaitForWindow(Pid(), kSettingsCaption, 20000);
    ASSERT_NE(dialog_, nullptr);
  }

  HWND Item(int id) const { return GetDlgItem(dialog_, id); }
  std::string Text(int id) const { return e2e::Text(dialog_, id); }
  bool Checked(int id) const { return e2e::Checked(dialog_, id); }
  bool Enabled(int id) const { return e2e::Enabled(dialog_, id); }
  static std::string Text(HWND dialog, int id) { return e2e::Text(dialog, id); }
  static bool Checked(HWND dialog, int id) { return e2e::Checked(dialog, id); }
  static bool Enabled(HWND dialog, int id) { return e2e::Enabled(dialog, id); }
  void SetText(int id, const std::string& text) {
    Send(Item(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }

  // A button whose handling opens nothing: returns when the dialog is done.
  void Press(int id) {
    ASSERT_TRUE(Enabled(id)) << "button " << id << " is greyed out";
    DWORD_PTR result = 0;
    ASSERT_NE(SendMessageTimeoutA(dialog_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                                  reinterpret_cast<LPARAM>(Item(id)), SMTO_NORMAL, 15000, &result),
              0);
  }
  // A button that opens a box: returns at once, the box is waited for.
  void PressAndLeave(int id) {
    ASSERT_TRUE(Enabled(id)) << "button " << id << " is greyed out";
    PressButton(dialog_, id);
  }

  // Answers the next notice with button and returns its text.
  std::string AnswerNotice(int button) {
    HWND notice = WaitForWindow(Pid(), kNoticeCaption, 10000);
    if (!notice) return "<no notice>";
    const std::string text = MessageBoxText(notice);
    PressButton(notice, button);
    WaitUntil([&] { return !IsWindow(notice); }, 5000);
    return text;
  }

  std::vector<std::string> DeviceEntries() const { return ComboBoxEntries(Item(IDC_DEVICE_COMBO)); }
  std::string SelectedDevice() const {
    const auto entry = Send(Item(IDC_DEVICE_COMBO), CB_GETCURSEL);
    if (entry < 0) return "<none>";
    return DeviceEntries()[static_cast<std::size_t>(entry)];
  }
  // Picks a device from the combo box as the user does.
  void SelectDevice(const std::string& name) {
    const auto entries = DeviceEntries();
    const auto found = std::find(entries.begin(), entries.end(), name);
    ASSERT_NE(found, entries.end()) << name << " is not offered";
    Send(Item(IDC_DEVICE_COMBO), CB_SETCURSEL, static_cast<WPARAM>(found - entries.begin()));
    Send(dialog_, WM_COMMAND, MAKEWPARAM(IDC_DEVICE_COMBO, CBN_SELCHANGE),
         reinterpret_cast<LPARAM>(Item(IDC_DEVICE_COMBO)));
  }

  int SelectionMark() const {
    return static_cast<int>(Send(Item(IDC_ACTION_LIST), LVM_GETSELECTIONMARK));
  }
  bool RowSelected(int row) const {
    return Send(Item(IDC_ACTION_LIST), LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) ==
           LVIS_SELECTED;
  }
  int RowCount() const { return static_cast<int>(Send(Item(IDC_ACTION_LIST), LVM_GETITEMCOUNT)); }
  // Clicks a row with the mouse and waits until the form shows its Action.
  void SelectRow(int row, const std::string& name) {
    ASSERT_TRUE(ClickListViewRow(Item(IDC_ACTION_LIST), row));
    ASSERT_TRUE(WaitUntil([&] { return SelectionMark() == row && Text(IDE_NAME) == name; }, 10000))
        << "mark " << SelectionMark() << ", form shows " << Text(IDE_NAME);
  }

  void ExpectListMode() {
    for (int id : kListGroup) EXPECT_TRUE(Enabled(id)) << id;
    for (int id : kFormGroup) EXPECT_FALSE(Enabled(id)) << id;
    EXPECT_FALSE(Enabled(IDX_EJECT));
  }
  void ExpectEditMode() {
    for (int id : kListGroup) EXPECT_FALSE(Enabled(id)) << id;
    for (int id : kFormGroup) EXPECT_TRUE(Enabled(id)) << id;
  }

  HWND OpenExtended() {
    PressAndLeave(IDC_EXTENDED);
    return WaitForWindow(Pid(), kExtendedCaption, 10000);
  }
  static void CloseExtended(HWND extended) {
    PressButton(extended, IDCANCEL);
    WaitUntil([&] { return !IsWindow(extended); }, 5000);
  }

  // Installs a fake USB device that is removed again after the case.
  void InstallDevice(const std::string& instance_id, const std::string& hardware_id,
                     const std::string& name, const std::string& service) {
    mw::fakeusb::FakeUsbDevice device;
    device.instance_id = instance_id;
    device.hardware_ids = {hardware_id};
    device.friendly_name = name;
    device.service = service;
    mw::fakeusb::RemoveFakeUsbDevice(instance_id);  // left over from an aborted run
    const auto installed = mw::fakeusb::InstallFakeUsbDevice(device);
    ASSERT_TRUE(installed.ok()) << installed.step << " " << installed.error;
    fake_devices_.push_back(instance_id);
  }

  std::vector<std::string> fake_devices_;
  HWND dialog_ = nullptr;
};

TEST_F(SettingsDialog, SlashSOpensItInListModeAndClosingWritesTheCarryOverFileOnly) {
  ASSERT_NO_FATAL_FAILURE(OpenWith({Action("Kept", kVolumeId, "kept")}));
  ExpectListMode();
  EXPECT_EQ(SelectionMark(), -1);
  EXPECT_EQ(RowCount(), 1);
  EXPECT_EQ(ListViewText(Item(IDC_ACTION_LIST), 0, 0), "Kept");
  EXPECT_EQ(ListViewText(Item(IDC_ACTION_LIST), 0, 1), "有効");
  EXPECT_TRUE(Checked(IDX_SHOW_CONNECTED));

  // An edit in progress is lost on closing: only registering saves.
  ASSERT_NO_FATAL_FAILURE(Press(IDC_NEW));
  SetText(IDE_NAME, "Abandoned");
  SetText(IDE_COMMAND_LINE, child_);
  ASSERT_NO_FATAL_FAILURE(SelectDevice(kVolumeEntry));
  const std::string carry_over = folder_ + "\\Mountwick_Verup.inf";
  ASSERT_FALSE(FileExists(carry_over));
  PressButton(dialog_, IDCANCEL);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog_); }, 5000));
  EXPECT_EQ(StoredValueNames(),
            (std::set<std::string>{"0_Name", "0_State", "0_HardwareID", "0_ExeFile", "0_Eject"}));

  ASSERT_TRUE(WaitUntil(
      [&] { return ReadFile(carry_over).find(Utf16("Kept")) != std::string::npos; }, 20000));
  EXPECT_NE(ReadFile(carry_over).find(Utf16("Quillory\\Mountwick")), std::string::npos);
  // The program stays resident.
  EXPECT_EQ(app_.WaitForExit(0), -1);
}

TEST_F(SettingsDialog, ClosingLeavesTheWindowAnsweringAndNoPlantedRegistryToolRuns) {
  // Programs planted in the working directory under the tools' names never run.
  for (const char* name : {"reg.exe", "regedit.exe"})
    ASSERT_TRUE(CopyFileA(child_.c_str(), (folder_ + "\\" + name).c_str(), FALSE));
  WriteString(HKEY_CURRENT_USER, "software\\Quillory\\Mountwick\\1.0", "", "");
  StoreActions({Action("Kept", kVolumeId, "kept")});
  ASSERT_TRUE(app_.Start("", folder_));
  HWND window = app_.WaitForMainWindow();
  ASSERT_NE(window, nullptr);
  const std::string carry_over = folder_ + "\\Mountwick_Verup.inf";
  DWORD slowest = 0;
  for (int close = 0; close < 4; ++close) {
    PostMessageA(window, WM_COMMAND, 106, 0);
    HWND dialog = WaitForWindow(Pid(), kSettingsCaption, 10000);
    ASSERT_NE(dialog, nullptr);
    PressButton(dialog, IDCANCEL);
    const DWORD limit = GetTickCount() + 5000;
    while (IsWindow(dialog) && GetTickCount() < limit) Sleep(1);
    const DWORD start = GetTickCount();
    DWORD_PTR result = 0;
    ASSERT_NE(SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result), 0);
    slowest = std::max(slowest, GetTickCount() - start);
  }
  EXPECT_LT(slowest, 100u);
  ASSERT_TRUE(WaitUntil(
      [&] { return ReadFile(carry_over).find(Utf16("Kept")) != std::string::npos; }, 20000));
  EXPECT_NE(ReadFile(carry_over).find(Utf16("Quillory\\Mountwick]")),
            std::string::npos)
      << "written in the registry editor's format";
  Sleep(500);
  EXPECT_EQ(ReadFile(record_), "");
}

TEST_F(SettingsDialog, TwoTrayClicksWithinTheClickTimeOpenItOnceFurtherApartNothing) {
  WriteString(HKEY_CURRENT_USER, "software\\Quillory\\Mountwick\\1.0", "", "");
  ASSERT_TRUE(app_.Start("", folder_));
  HWND window = app_.WaitForMainWindow();
  ASSERT_NE(window, nullptr);

  SendTray(window, WM_LBUTTONDOWN);
  Sleep(900);
  SendTray(window, WM_LBUTTONDOWN);
  Sleep(1500);  // long enough for a wrongly opened dialog to show
  EXPECT_TRUE(WindowsWithCaption(Pid(), kSettingsCaption).empty());

  // Still clicks 900 ms apart: the timer has cleared the first click meanwhile.
  SendTray(window, WM_LBUTTONDOWN);
  Sleep(500);
  SendTray(window, WM_LBUTTONDOWN);
  dialog_ = WaitForWindow(Pid(), kSettingsCaption, 10000);
  ASSERT_NE(dialog_, nullptr);
  Sleep(500);
  EXPECT_EQ(WindowsWithCaption(Pid(), kSettingsCaption).size(), 1u);
}

TEST_F(SettingsDialog, OpeningItAgainBringsTheOpenDialogToTheFront) {
  ASSERT_NO_FATAL_FAILURE(OpenWith({}));
  HWND window = app_.window();
  // Something else in front: the about box, opened while the settings are open.
  PostMessageA(window, WM_COMMAND, IDM_ABOUT, 0);
  HWND about = WaitForWindow(Pid(), "Mountwick ﾊﾞｰｼﾞｮﾝ情報", 10000);
  ASSERT_NE(about, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == about; }, 5000));

  PostMessageA(window, WM_COMMAND, IDM_SETTINGS, 0);
  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == dialog_; }, 5000));
  SendTray(window, WM_LBUTTONDBLCLK);
  Sleep(1000);
  EXPECT_EQ(WindowsWithCaption(Pid(), kSettingsCaption), std::vector<HWND>{dialog_});
  PressButton(about, IDOK);
}

TEST_F(SettingsDialog, RegisterAppendsAllSixteenValuesAndChangeOverwritesInPlace) {
  ASSERT_NO_FATAL_FAILURE(OpenWith({Action("First", kMediaId, "first")}));
  ASSERT_NO_FATAL_FAILURE(Press(IDC_NEW));
  ExpectEditMode();
  EXPECT_EQ(Text(IDE_NAME), "新しいアクション");
  EXPECT_TRUE(Checked(IDX_SHOW_CONNECTED));
  EXPECT_EQ(SelectedDevice(), "<none>");

  // The untouched name is generated from the device and the program's file name.
  ASSERT_NO_FATAL_FAILURE(SelectDevice(kVolumeEntry));
  SetText(IDE_COMMAND_LINE, child_ + " %_newdrv_%");
  ASSERT_NO_FATAL_FAILURE(Press(IDC_REGISTER));
  const std::string generated = std::string(kVolumeEntry) + "⇒record_args.exe %_newdrv_%";
  EXPECT_EQ(StoredValueNames(), ValuesOfActions(2));
  EXPECT_EQ(StoredValue(0, "Name"), "First");
  const std::map<std::string, std::string> expected = {{"Name", generated},
                                                       {"State", "0"},
                                                       {"HardwareID", kVolumeId},
                                                       {"ExeFile", child_ + " %_newdrv_%"},
                                                       {"Eject", "0"},
                                                       {"Ex_RunWaitChk", "0"},
                                                       {"Ex_RunWait", "2000"},
                                                       {"Ex_RunVolumeChk", "0"},
                                                       {"Ex_RunVolume", ""},
                                                       {"Ex_RunPathChk", "0"},
                                                       {"Ex_RunPath", ""},
                                                       {"Ex_RmvWaitChk", "0"},
                                                       {"Ex_RmvWait", "1000"},
                                                       {"Ex_RmvRetryChk", "0"},
                                                       {"Ex_RmvRetryWait", "3000"},
                                                       {"Ex_RmvRetryCount", "1"}};
  for (const auto& [field, text] : expected) EXPECT_EQ(StoredValue(1, field), text) << field;
  EXPECT_EQ(SelectionMark(), 1);
  EXPECT_TRUE(RowSelected(1));
  EXPECT_FALSE(RowSelected(0));
  EXPECT_EQ(ListViewText(Item(IDC_ACTION_LIST), 1, 0), generated);
  EXPECT_EQ(Text(IDE_NAME), generated);
  ExpectListMode();

  // Change the registered row: renamed, disabled, another device; still two Actions.
  ASSERT_NO_FATAL_FAILURE(Press(IDC_CHANGE));
  ExpectEditMode();
  SetText(IDE_NAME, "Renamed");
  ASSERT_NO_FATAL_FAILURE(Click(dialog_, IDX_DISABLED));
  ASSERT_NO_FATAL_FAILURE(SelectDevice(kMediaEntry));
  ASSERT_NO_FATAL_FAILURE(Press(IDC_REGISTER));
  EXPECT_EQ(StoredValueNames(), ValuesOfActions(2));
  EXPECT_EQ(StoredValue(0, "Name"), "First");
  EXPECT_EQ(StoredValue(1, "Name"), "Renamed");
  EXPECT_EQ(StoredValue(1, "State"), "1");
  EXPECT_EQ(StoredValue(1, "HardwareID"), kMediaId);
  EXPECT_EQ(StoredValue(1, "ExeFile"), child_ + " %_newdrv_%");
  EXPECT_EQ(SelectionMark(), 1);
  EXPECT_EQ(RowCount(), 2);
  EXPECT_EQ(ListViewText(Item(IDC_ACTION_LIST), 1, 0), "Renamed");
  EXPECT_EQ(ListViewText(Item(IDC_ACTION_LIST), 1, 1), "無効");

  // Renaming an Action to its own name is no duplicate.
  ASSERT_NO_FATAL_FAILURE(SelectRow(0, "First"));
  ASSERT_NO_FATAL_FAILURE(Press(IDC_CHANGE));
  ASSERT_NO_FATAL_FAILURE(Press(IDC_REGISTER));
  EXPECT_EQ(StoredValueNames(), ValuesOfActions(2));
  EXPECT_EQ(StoredValue(0, "Name"), "First");
  ExpectListMode();
}

TEST_F(SettingsDialog, TheArrowKeysInTheListShowTheActionTheyMoveTo) {
  ASSERT_NO_FATAL_FAILURE(OpenWith({Action("A", kVolumeId, "a"), Action("B", kMediaId, "b")}));
  ASSERT_NO_FATAL_FAILURE(SelectRow(0, "A"));
  HWND list = Item(IDC_ACTION_LIST);
  for (const auto& [key, row, name] : {std::tuple{VK_DOWN, 1, "B"}, std::tuple{VK_UP, 0, "A"}}) {
    PostMessageA(list, WM_KEYDOWN, key, 0);
    PostMessageA(list, WM_KEYUP, key, 0);
    ASSERT_TRUE(WaitUntil([&] { return RowSelected(row); }, 5000));
    EXPECT_TRUE(WaitUntil([&] { return Text(IDE_NAME) == name; }, 5000))
        << "row " << row << " selected, the form shows " << Text(IDE_NAME);
    EXPECT_EQ(SelectionMark(), row);
  }
  // Change edits the row the form shows.
  ASSERT_NO_FATAL_FAILURE(Press(IDC_CHANGE));
  SetText(IDE_NAME, "A2");
  ASSERT_NO_FATAL_FAILURE(Press(IDC_REGISTER));
  EXPECT_EQ(StoredValue(0, "Name"), "A2");
  EXPECT_EQ(StoredValue(0, "HardwareID"), kVolumeId);
  EXPECT_EQ(StoredValue(1, "Name"), "B");
  EXPECT_EQ(StoredValue(1, "HardwareID"), kMediaId);
}

TEST_F(SettingsDialog, DeleteAsksAndOnlyYesRemovesTheActionAndSavesTheListAgain) {
  ASSERT_NO_FATAL_FAILURE(OpenWith(
      {Action("A", kVolumeId, "a"), Action("B", kMediaId, "b"), Action("C", kVolumeId, "c")}));
  PressAndLeave(IDC_DELETE);
  EXPECT_EQ(AnswerNotice(IDOK), "Actionが選択されていません。");

  ASSERT_NO_FATAL_FAILURE(SelectRow(1, "B"));
  EXPECT_TRUE(Checked(IDX_SHOW_ALL_KNOWN));  // a stored Action's device is looked up among all
  EXPECT_EQ(SelectedDevice(), kMediaEntry);
  PressAndLeave(IDC_DELETE);
  EXPECT_EQ(AnswerNotice(IDNO), "削除してよろしいですか？");
  EXPECT_EQ(RowCount(), 3);
  EXPECT_EQ(StoredValue(1, "Name"), "B");
  EXPECT_EQ(StoredValue(2, "Name"), "C");

  PressAndLeave(IDC_DELETE);
  EXPECT_EQ(AnswerNotice(IDYES), "削除してよろしいですか？");
  ASSERT_TRUE(WaitUntil([&] { return RowCount() == 2; }, 5000));
  EXPECT_EQ(ListViewText(Item(IDC_ACTION_LIST), 0, 0), "A");
  EXPECT_EQ(ListViewText(Item(IDC_ACTION_LIST), 1, 0), "C");
  EXPECT_EQ(StoredValueNames(), ValuesOfActions(2));
  EXPECT_EQ(StoredValue(0, "Name"), "A");
  EXPECT_EQ(StoredValue(1, "Name"), "C");
  EXPECT_EQ(StoredValue(1, "ExeFile"), child_ + " c");
  ExpectListMode();
}

TEST_F(SettingsDialog, CancelShowsTheStoredActionAgainAndAbandonsANewOne) {
  auto stored = Action("Stored", kVolumeId, "stored");
  ASSERT_NO_FATAL_FAILURE(OpenWith({stored}));
  ASSERT_NO_FATAL_FAILURE(SelectRow(0, "Stored"));
  ASSERT_NO_FATAL_FAILURE(Press(IDC_CHANGE));
  SetText(IDE_NAME, "Edited");
  SetText(IDE_COMMAND_LINE, "edited.exe");
  ASSERT_NO_FATAL_FAILURE(Click(dialog_, IDX_DISABLED));
  ASSERT_NO_FATAL_FAILURE(SelectDevice(kMediaEntry));
  ASSERT_NO_FATAL_FAILURE(Press(IDC_CANCEL_EDIT));
  ExpectListMode();
  EXPECT_EQ(Text(IDE_NAME), "Stored");
  EXPECT_EQ(Text(IDE_COMMAND_LINE), child_ + " stored");
  EXPECT_FALSE(Checked(IDX_DISABLED));
  EXPECT_EQ(SelectedDevice(), kVolumeEntry);
  EXPECT_EQ(SelectionMark(), 0);

  ASSERT_NO_FATAL_FAILURE(Press(IDC_NEW));
  SetText(IDE_NAME, "Abandoned");
  ASSERT_NO_FATAL_FAILURE(Press(IDC_CANCEL_EDIT));
  ExpectListMode();
  EXPECT_EQ(RowCount(), 1);
  EXPECT_EQ(Text(IDE_NAME), "Abandoned");  // nothing selected to show instead
  EXPECT_EQ(StoredValueNames(),
            (std::set<std::string>{"0_Name", "0_State", "0_HardwareID", "0_ExeFile", "0_Eject"}));
  EXPECT_EQ(StoredValue(0, "Name"), "Stored");
}

TEST_F(SettingsDialog, ValidationNamesWhatIsMissingInOrderAndStoresNothing) {
  ASSERT_NO_FATAL_FAILURE(OpenWith({Action("Taken", kVolumeId, "taken")}));
  ASSERT_NO_FATAL_FAILURE(Press(IDC_NEW));
  SetText(IDE_NAME, "Taken");

  const struct {
    const char* message;
    int focus;
  } checks[] = {{"監視USBを入力して下さい。", IDC_DEVICE_COMBO},
                {"実行ファイルを入力して下さい。", IDE_COMMAND_LINE},
                {"入力された名称は既に登録されています。", IDE_NAME}};
  for (const auto& check : checks) {
    PressAndLeave(IDC_REGISTER);
    EXPECT_EQ(AnswerNotice(IDOK), check.message);
    EXPECT_TRUE(WaitUntil([&] { return FocusedWindow(dialog_) == Item(check.focus); }, 5000))
        << check.message;
    ExpectEditMode();
    // Mend the fault just reported; the next Register meets the next check.
    if (check.focus == IDC_DEVICE_COMBO) {
      ASSERT_NO_FATAL_FAILURE(SelectDevice(kMediaEntry));
    }
    if (check.focus == IDE_COMMAND_LINE) SetText(IDE_COMMAND_LINE, child_);
  }
  EXPECT_EQ(StoredValueNames(),
            (std::set<std::string>{"0_Name", "0_State", "0_HardwareID", "0_ExeFile", "0_Eject"}));
  SetText(IDE_NAME, "Free");
  ASSERT_NO_FATAL_FAILURE(Press(IDC_REGISTER));
  EXPECT_EQ(StoredValue(1, "Name"), "Free");
}

TEST_F(SettingsDialog, ThePickerOffersKnownDevicesAndRemovalOnlyForUsbStorage) {
  ASSERT_NO_FATAL_FAILURE(InstallDevice("ROOT\\MWSETTINGS\\0000", "USB\\VID_F00D&PID_5701",
                                        "E2E Card Reader", "USBSTOR"));
  ASSERT_NO_FATAL_FAILURE(
      InstallDevice("ROOT\\MWSETTINGS\\0001", "USB\\VID_F00D&PID_5702", "E2E Keyboard", "HidUsb"));
  ASSERT_NO_FATAL_FAILURE(OpenWith({}));
  ASSERT_NO_FATAL_FAILURE(Press(IDC_NEW));

  // Wine reports no device object for any device, so none counts as connected.
  EXPECT_EQ(DeviceEntries(), (std::vector<std::string>{kVolumeEntry, kMediaEntry}));
  EXPECT_FALSE(Enabled(IDX_EJECT));

  ASSERT_NO_FATAL_FAILURE(Click(dialog_, IDX_SHOW_ALL_KNOWN));
  const auto all = DeviceEntries();
  EXPECT_NE(std::find(all.begin(), all.end(), "E2E Card Reader"), all.end());
  EXPECT_NE(std::find(all.begin(), all.end(), "E2E Keyboard"), all.end());
  ASSERT_GE(all.size(), 4u);
  EXPECT_EQ(all[all.size() - 2], kVolumeEntry);  // the generic entries come last
  EXPECT_EQ(all.back(), kMediaEntry);
  EXPECT_EQ(SelectedDevice(), "<none>");

  ASSERT_NO_FATAL_FAILURE(SelectDevice("E2E Card Reader"));
  EXPECT_TRUE(Enabled(IDX_EJECT));
  ASSERT_NO_FATAL_FAILURE(Click(dialog_, IDX_EJECT));
  EXPECT_TRUE(Checked(IDX_EJECT));
  ASSERT_NO_FATAL_FAILURE(SelectDevice("E2E Keyboard"));
  EXPECT_FALSE(Enabled(IDX_EJECT));
  EXPECT_FALSE(Checked(IDX_EJECT));
  ASSERT_NO_FATAL_FAILURE(SelectDevice(kVolumeEntry));
  EXPECT_FALSE(Enabled(IDX_EJECT));
  ASSERT_NO_FATAL_FAILURE(SelectDevice("E2E Card Reader"));
  EXPECT_TRUE(Enabled(IDX_EJECT));
  EXPECT_FALSE(Checked(IDX_EJECT));
  ASSERT_NO_FATAL_FAILURE(Click(dialog_, IDX_EJECT));

  // Switching the mode drops the chosen device, and with it the removal.
  ASSERT_NO_FATAL_FAILURE(Click(dialog_, IDX_SHOW_CONNECTED));
  EXPECT_EQ(SelectedDevice(), "<none>");
  EXPECT_FALSE(Enabled(IDX_EJECT));
  EXPECT_FALSE(Checked(IDX_EJECT));

  ASSERT_NO_FATAL_FAILURE(Click(dialog_, IDX_SHOW_ALL_KNOWN));
  ASSERT_NO_FATAL_FAILURE(SelectDevice("E2E Card Reader"));
  ASSERT_NO_FATAL_FAILURE(Click(dialog_, IDX_EJECT));
  SetText(IDE_NAME, "Reader");
  SetText(IDE_COMMAND_LINE, child_);
  ASSERT_NO_FATAL_FAILURE(Press(IDC_REGISTER));
  EXPECT_EQ(StoredValue(0, "HardwareID"), "USB\\VID_F00D&PID_5701");
  EXPECT_EQ(StoredValue(0, "Eject"), "1");
  EXPECT_EQ(SelectedDevice(), "E2E Card Reader");
  EXPECT_TRUE(Checked(IDX_EJECT));
  EXPECT_FALSE(Enabled(IDX_EJECT));  // list mode
}

TEST_F(SettingsDialog, ExtendedSettingsAreKeptByCloseAndEscAndDiscardedByCancel) {
  ASSERT_NO_FATAL_FAILURE(OpenWith({}));
  ASSERT_NO_FATAL_FAILURE(Press(IDC_NEW));
  HWND extended = OpenExtended();
  ASSERT_NE(extended, nullptr);
  // Placed with its client area on the settings dialog's client origin.
  POINT origin = {0, 0};
  ClientToScreen(dialog_, &origin);
  POINT placed = {0, 0};
  ClientToScreen(extended, &placed);
  EXPECT_EQ(placed.x, origin.x);
  EXPECT_EQ(placed.y, origin.y);
  // A new Action's defaults, every value greyed out behind its unchecked box.
  for (int id : {IDX_RUN_WAIT, IDX_RUN_VOLUME, IDX_RUN_PATH, IDX_RMV_WAIT, IDX_RMV_RETRY})
    EXPECT_FALSE(Checked(extended, id)) << id;
  EXPECT_EQ(Text(extended, IDE_RUN_WAIT), "2000");
  EXPECT_EQ(Text(extended, IDE_RMV_WAIT), "1000");
  EXPECT_EQ(Text(extended, IDE_RMV_RETRY_WAIT), "3000");
  EXPECT_EQ(Text(extended, IDE_RMV_RETRY_COUNT), "1");
  for (int id : {IDE_RUN_WAIT, IDC_RUN_WAIT_SPIN, IDE_RUN_VOLUME, IDE_RUN_PATH, IDE_RMV_WAIT,
                 IDC_RMV_WAIT_SPIN, IDE_RMV_RETRY_WAIT, IDC_RMV_RETRY_WAIT_SPIN,
                 IDE_RMV_RETRY_COUNT, IDC_RMV_RETRY_COUNT_SPIN})
    EXPECT_FALSE(Enabled(extended, id)) << id;

  ASSERT_NO_FATAL_FAILURE(Click(extended, IDX_RUN_VOLUME));
  EXPECT_TRUE(Enabled(extended, IDE_RUN_VOLUME));
  TypeText(GetDlgItem(extended, IDE_RUN_VOLUME), "photos1");
  EXPECT_TRUE(WaitUntil([&] { return Text(extended, IDE_RUN_VOLUME) == "PHOTOS1"; }, 5000))
      << Text(extended, IDE_RUN_VOLUME);
  ASSERT_NO_FATAL_FAILURE(Click(extended, IDX_RUN_WAIT));
  EXPECT_TRUE(Enabled(extended, IDC_RUN_WAIT_SPIN));
  Send(GetDlgItem(extended, IDE_RUN_WAIT), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("4500"));
  // The count's arrows stop at 9, yet a typed 25 is kept; greying it out keeps it too.
  ASSERT_NO_FATAL_FAILURE(Click(extended, IDX_RMV_RETRY));
  Send(GetDlgItem(extended, IDE_RMV_RETRY_COUNT), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("25"));
  ASSERT_NO_FATAL_FAILURE(Click(extended, IDX_RMV_RETRY));
  EXPECT_FALSE(Enabled(extended, IDE_RMV_RETRY_COUNT));
  CloseExtended(extended);
  ASSERT_FALSE(IsWindow(extended));

  SetText(IDE_NAME, "Photos");
  SetText(IDE_COMMAND_LINE, child_);
  ASSERT_NO_FATAL_FAILURE(SelectDevice(kVolumeEntry));
  ASSERT_NO_FATAL_FAILURE(Press(IDC_REGISTER));
  EXPECT_EQ(StoredValue(0, "Ex_RunVolumeChk"), "1");
  EXPECT_EQ(StoredValue(0, "Ex_RunVolume"), "PHOTOS1");
  EXPECT_EQ(StoredValue(0, "Ex_RunWaitChk"), "1");
  EXPECT_EQ(StoredValue(0, "Ex_RunWait"), "4500");
  EXPECT_EQ(StoredValue(0, "Ex_RmvRetryChk"), "0");
  EXPECT_EQ(StoredValue(0, "Ex_RmvRetryCount"), "25");

  // Esc stores as the close button does.
  ASSERT_NO_FATAL_FAILURE(Press(IDC_CHANGE));
  extended = OpenExtended();
  ASSERT_NE(extended, nullptr);
  EXPECT_TRUE(Checked(extended, IDX_RUN_VOLUME));
  EXPECT_EQ(Text(extended, IDE_RUN_VOLUME), "PHOTOS1");
  ASSERT_NO_FATAL_FAILURE(Click(extended, IDX_RUN_PATH));
  Send(GetDlgItem(extended, IDE_RUN_PATH), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("DCIM\\100"));
  PostMessageA(GetDlgItem(extended, IDX_RUN_PATH), WM_KEYDOWN, VK_ESCAPE, 0);
  PostMessageA(GetDlgItem(extended, IDX_RUN_PATH), WM_KEYUP, VK_ESCAPE, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(extended); }, 5000));
  ASSERT_NO_FATAL_FAILURE(Press(IDC_REGISTER));
  EXPECT_EQ(StoredValue(0, "Ex_RunPathChk"), "1");
  EXPECT_EQ(StoredValue(0, "Ex_RunPath"), "DCIM\\100");

  // Cancel in the settings dialog throws the extended changes away.
  ASSERT_NO_FATAL_FAILURE(Press(IDC_CHANGE));
  extended = OpenExtended();
  ASSERT_NE(extended, nullptr);
  ASSERT_NO_FATAL_FAILURE(Click(extended, IDX_RUN_VOLUME));
  Send(GetDlgItem(extended, IDE_RUN_WAIT), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("9999"));
  CloseExtended(extended);
  ASSERT_NO_FATAL_FAILURE(Press(IDC_CANCEL_EDIT));
  ASSERT_NO_FATAL_FAILURE(Press(IDC_CHANGE));
  extended = OpenExtended();
  ASSERT_NE(extended, nullptr);
  EXPECT_TRUE(Checked(extended, IDX_RUN_VOLUME));
  EXPECT_EQ(Text(extended, IDE_RUN_WAIT), "4500");
  CloseExtended(extended);
  EXPECT_EQ(StoredValue(0, "Ex_RunVolumeChk"), "1");
  EXPECT_EQ(StoredValue(0, "Ex_RunWait"), "4500");
}

TEST_F(SettingsDialog, TestRunWaitsForTheProgramOnlyWhenRemovalIsAsked) {
  SetEnvironmentVariableA("MW_RECORD_SLEEP_MS", "2500");  // inherited by Mountwick's children
  ASSERT_NO_FATAL_FAILURE(InstallDevice("ROOT\\MWSETTINGS\\0002", "USB\\VID_F00D&PID_5703",
                                        "E2E Test Stick", "USBSTOR"));
  ASSERT_NO_FATAL_FAILURE(OpenWith({}));
  ASSERT_NO_FATAL_FAILURE(Press(IDC_NEW));
  ASSERT_NO_FATAL_FAILURE(Click(dialog_, IDX_SHOW_ALL_KNOWN));
  ASSERT_NO_FATAL_FAILURE(SelectDevice("E2E Test Stick"));
  SetText(IDE_COMMAND_LINE, child_ + " try %_newdrv_%");

  // Without removal the dialog answers while the program still runs, and nothing follows.
  ASSERT_NO_FATAL_FAILURE(Press(IDC_TEST_RUN));
  ASSERT_TRUE(WaitUntil([&] { return !ReadFile(record_).empty(); }, 10000));
  // The token stays: a test run has no new drive.
  EXPECT_NE(ReadFile(record_).find("|" + child_ + " try %_newdrv_%"), std::string::npos)
      << ReadFile(record_);
  DWORD_PTR result = 0;
  EXPECT_NE(SendMessageTimeoutA(dialog_, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result), 0);
  EXPECT_EQ(ReadFile(record_).find("ended"), std::string::npos);
  ASSERT_TRUE(
      WaitUntil([&] { return ReadFile(record_).find("ended") != std::string::npos; }, 10000));
  Sleep(1000);
  EXPECT_TRUE(WindowsWithCaption(Pid(), kNoticeCaption).empty());

  // With removal asked the dialog waits for the program, then says so on top.
  DeleteFileA(record_.c_str());
  ASSERT_NO_FATAL_FAILURE(Click(dialog_, IDX_EJECT));
  PressAndLeave(IDC_TEST_RUN);
  ASSERT_TRUE(WaitUntil([&] { return !ReadFile(record_).empty(); }, 10000));
  EXPECT_EQ(SendMessageTimeoutA(dialog_, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result), 0)
      << "the dialog answered while the program ran";
  HWND notice = WaitForWindow(Pid(), kNoticeCaption, 15000);
  ASSERT_NE(notice, nullptr);
  EXPECT_NE(ReadFile(record_).find("ended"), std::string::npos);
  EXPECT_EQ(MessageBoxText(notice),
            "プロセスの終了を検知しました。\nこのタイミングで取り外しが試みられます。");
  PressButton(notice, IDOK);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(notice); }, 5000));
  // Nothing was saved and the form is as it was.
  EXPECT_TRUE(StoredValueNames().empty());
  ExpectEditMode();
  EXPECT_EQ(Text(IDE_COMMAND_LINE), child_ + " try %_newdrv_%");
}

TEST_F(SettingsDialog, OpeningItOnAFirstStartSwitchesDispatchingOn) {
  ASSERT_TRUE(app_.Start("", folder_));  // no settings at all: broadcasts are ignored
  HWND window = app_.WaitForMainWindow();
  ASSERT_NE(window, nullptr);
  PostMessageA(window, WM_COMMAND, IDM_SETTINGS, 0);
  dialog_ = WaitForWindow(Pid(), kSettingsCaption, 10000);
  ASSERT_NE(dialog_, nullptr);
  PressButton(dialog_, IDCANCEL);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog_); }, 5000));

  StoreActions({Action("Volume", kVolumeId, "arrived %_newdrv_%")});
  ASSERT_TRUE(SendVolumeArrival(window, 1u << 4, 0));
  EXPECT_TRUE(WaitUntil(
      [&] { return ReadFile(record_).find(child_ + " arrived E") != std::string::npos; }, 15000))
      << ReadFile(record_);
}

TEST_F(SettingsDialog, HelpWithoutAHelpFileNamesThePathBesideTheProgram) {
  const std::string beside_program = BinFolder() + "\\Mountwick.chm";
  const std::string hidden = beside_program + ".away";
  const bool moved = !FileExists(beside_program) ||
                     MoveFileExA(beside_program.c_str(), hidden.c_str(), MOVEFILE_REPLACE_EXISTING);
  ASSERT_NO_FATAL_FAILURE(OpenWith({}));
  PressAndLeave(IDC_HELP_BUTTON);
  const std::string text = AnswerNotice(IDOK);
  if (FileExists(hidden))
    MoveFileExA(hidden.c_str(), beside_program.c_str(), MOVEFILE_REPLACE_EXISTING);
  ASSERT_TRUE(moved);
  EXPECT_NE(text.find("アプリケーションの起動に失敗しました。"), std::string::npos) << text;
  EXPECT_NE(text.find(beside_program), std::string::npos) << text;
  EXPECT_TRUE(IsWindow(dialog_));
}

}  // namespace
}  // namespace e2e
