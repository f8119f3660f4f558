#include <gtest/gtest.h>

#include "fakes/fake_world.h"
#include "store/action_store.h"
#include "ui/action_form.h"
#include "ui/control_ids.h"
#include "ui/extended_form.h"
#include "ui/settings_list.h"
#include "ui/test_run.h"

namespace mw {
namespace {

constexpr UserNoticePort::Window kDialog = 0x4242;
const std::string kActionsKey = "HKCU\\software\\Quillory\\Mountwick\\1.0\\Actions";

DeviceRecord Device(std::string name, std::string hardware_id, std::string service,
                    bool present = true) {
  DeviceRecord record;
  record.DisplayName = std::move(name);
  record.HardwareID = std::move(hardware_id);
  record.Service = std::move(service);
  record.Present = present;
  return record;
}

// Connected mode over a reader, a stick that is only known, and a generic entry.
DevicePicker Picker(bool all_known = false) {
  DevicePicker picker;
  picker.mode = all_known ? IDX_SHOW_ALL_KNOWN : IDX_SHOW_CONNECTED;
  picker.devices = {Device("Disk/Maker", "USB\\VID_1&PID_2", "USBSTOR"),
                    Device("Stick", "USB\\VID_3&PID_4", "USBSTOR", false),
                    Device("【汎用：任意のドライブ追加時】", kGenericVolumeId, "QL_ANY_DRV"),
                    Device("Hub", "USB\\HUB", "usbhub"), Device("Lower", "USB\\LOW", "usbstor")};
  picker.shown = ShownDevices(picker.devices, all_known);
  return picker;
}

TEST(GenerateActionName, DeviceBeforeTheFirstSlashArrowCommandAfterTheLastBackslash) {
  const std::vector<std::vector<std::string>> cases = {
      {"Disk/Maker", "C:\\Tools\\app.exe", "Disk⇒app.exe"},
      {"A/B/C", "x\\y\\z", "A⇒z"},
      {"/Maker", "\\", "⇒"},
      // The second bytes of ソ, 表 and 能 are 0x5C: no backslash.
      {"ソフト/表", "C:\\ソフト\\表示能力.exe", "ソフト⇒表示能力.exe"},
      {"能", "D:\\ソ", "能⇒ソ"},
  };
  for (const auto& c : cases) EXPECT_EQ(GenerateActionName(c[0], c[1]), c[2]) << c[0] << c[1];
}

TEST(ValidateForm, ChecksDeviceCommandLineThenANameNoOtherActionHas) {
  const DevicePicker picker = Picker();
  ActionList actions(2);
  actions[0].Name = "Reader";
  actions[1].Name = "Disk⇒app.exe";
  struct Case {
    int device;
    std::string command_line, name;
    int selection;
    const char* message;
    std::string registered;
  };
  const std::vector<Case> cases = {
      {-1, "", "Reader", -1, kNoDeviceMessage, ""},
      {0, "", "Reader", -1, kNoCommandMessage, ""},
      {0, "x.exe", "Reader", -1, kDuplicateNameMessage, "Reader"},
      {0, "x.exe", "Reader", 1, kDuplicateNameMessage, "Reader"},
      {0, "x.exe", "Reader", 0, nullptr, "Reader"},  // renamed to its own name
      {0, "x.exe", "reader", -1, nullptr, "reader"},
      {0, "x.exe", " ", -1, nullptr, " "},
      // An empty or untouched name is generated, and kept even when taken.
      {2, "\"C:\\P F\\view.exe\" %_newdrv_%:\\", "", -1, nullptr,
       "【汎用：任意のドライブ追加時】⇒"},
      {0, "C:\\Tools\\app.exe", kNewActionName, -1, kDuplicateNameMessage, "Disk⇒app.exe"},
      {0, std::string(1100, 'x'), "", -1, nullptr, "Disk⇒" + std::string(1016, 'x')},
  };
  for (const Case& c : cases) {
    ActionForm form;
    form.device = c.device;
    form.command_line = c.command_line;
    form.name = c.name;
    const FormCheck check = ValidateForm(form, picker, actions, c.selection);
    EXPECT_STREQ(check.message, c.message) << c.name << " " << c.selection;
    if (c.message == nullptr || c.message == kDuplicateNameMessage) {
      EXPECT_EQ(check.name, c.registered);
    }
  }
}

TEST(ActionFormFill, RoundTripsAnActionAndWritesChecksAsOneOrZero) {
  for (const std::string flag : {"0", "1", "", "false"}) {
    Action stored = fake::MakeAction({{"Name", "Reader"},
                                      {"State", flag},
                                      {"Eject", flag},
                                      {"HardwareID", "USB\\VID_1&PID_2"},
                                      {"Ex_RunVolume", "CARD"}});
    ActionForm form;
    Action work_copy, registered;
    FillFormFromAction(stored, Picker(), form, work_copy);
    EXPECT_EQ(form.disabled, flag != "0") << flag;
    EXPECT_EQ(form.eject_checked, flag != "0") << flag;
    EXPECT_EQ(form.device, 0);
    work_copy.Ex_RunPath = stored.Ex_RunPath = "DCIM";  // as the extended dialog stores it
    registered.DriveLetter = stored.DriveLetter = 'E';
    FillActionFromForm(form, Picker(), work_copy, registered);
    stored.State = stored.Eject = flag != "0" ? "1" : "0";
    EXPECT_EQ(fake::Fields(registered), fake::Fields(stored)) << flag;
  }
}

TEST(ActionFormFill, SelectsOnlyOfferedDevicesAndOffersRemovalOnlyForUsbStorage) {
  for (const auto& [hardware_id, connected, all_known] :
       std::vector<std::tuple<std::string, int, int>>{
           {"USB\\VID_1&PID_2", 0, 0}, {"USB\\VID_3&PID_4", -1, 1}, {"usb\\vid_1&pid_2", -1, -1}}) {
    Action action;
    action.HardwareID = hardware_id;
    ActionForm form;
    Action work_copy;
    FillFormFromAction(action, Picker(false), form, work_copy);
    EXPECT_EQ(form.device, connected) << hardware_id;
    FillFormFromAction(action, Picker(true), form, work_copy);
    EXPECT_EQ(form.device, all_known) << hardware_id;
  }
  for (const auto& [device, allowed] : std::vector<std::pair<int, bool>>{
           {0, true}, {1, true}, {2, false}, {3, false}, {4, false}, {-1, false}, {99, false}}) {
    ActionForm form;
    form.device = device;
    form.eject_checked = true;
    RefreshEjectOption(Picker(), form);
    EXPECT_EQ(form.eject_enabled, allowed) << device;
    EXPECT_EQ(form.eject_checked, allowed) << device;  // kept when allowed
  }
}

TEST(DevicePickerMode, EnumeratesOnlyWhenTheModeChangesAndConnectedShowsOnlyAttached) {
  fake::FakeWorld world;
  world.Add(fake::FakeDevice{}
                .Multi(setup::kSpdrpHardwareId, {"USB\\ATTACHED"})
                .Text(setup::kSpdrpPhysicalDeviceObjectName, "\\Device\\USBPDO-1"));
  fake::FakeDevice known;
  known.present = false;
  world.Add(known.Multi(setup::kSpdrpHardwareId, {"USB\\KNOWN"}));
  DevicePicker picker;
  for (const int mode : {IDX_SHOW_CONNECTED, IDX_SHOW_ALL_KNOWN}) {
    ASSERT_TRUE(SetPickerMode(world.platform(), picker, mode));
    EXPECT_FALSE(SetPickerMode(world.platform(), picker, mode));
    std::vector<std::string> ids;
    for (int device : picker.shown) ids.push_back(picker.devices.at(device).HardwareID);
    std::vector<std::string> expected = {"USB\\ATTACHED", "USB\\KNOWN", kGenericVolumeId,
                                         kGenericMediaId};
    if (mode == IDX_SHOW_CONNECTED) expected.erase(expected.begin() + 1);
    EXPECT_EQ(ids, expected);
  }
  EXPECT_EQ(world.open_flags.size(), 2u);
  // Connected mode keeps the positions of what it skips.
  const DevicePicker connected = Picker();
  EXPECT_EQ(connected.shown, (std::vector<int>{0, 2, 3, 4}));
  EXPECT_EQ(EntryOfDevice(connected, 1), -1);
  EXPECT_EQ(DeviceOfEntry(connected, 1), 2);
  EXPECT_EQ(ChooserStartName("\"C:\\My Tools\\app.exe\" /x"), "");
  EXPECT_EQ(ChooserStartName("C:\\" + std::string(600, 'a') + "\"x\""),
            "C:\\" + std::string(507, 'a'));
}

TEST(ExtendedForm, EachControlShowsAndStoresItsOwnFieldGreyedOutOrNot) {
  const Action stored = fake::MakeAction({{"Ex_RunWaitChk", "1"},
                                          {"Ex_RunWait", "11"},
                                          {"Ex_RunVolumeChk", ""},
                                          {"Ex_RunVolume", "LABEL"},
                                          {"Ex_RmvWaitChk", "yes"},
                                          {"Ex_RmvRetryCount", "25"}});
  ExtendedForm form = ExtendedFormFromAction(stored);
  EXPECT_EQ(form.checked, (std::map<int, bool>{{IDX_RUN_WAIT, true},
                                               {IDX_RUN_VOLUME, true},
                                               {IDX_RUN_PATH, false},
                                               {IDX_RMV_WAIT, true},
                                               {IDX_RMV_RETRY, false}}));
  form.checked[IDX_RMV_WAIT] = false;
  form.texts[IDE_RUN_WAIT] = "";
  Action work_copy = fake::MakeAction({{"Name", "kept"}});
  StoreExtendedForm(form, work_copy);
  EXPECT_EQ(fake::Fields(work_copy), fake::Fields(fake::MakeAction({{"Name", "kept"},
                                                                    {"Ex_RunWaitChk", "1"},
                                                                    {"Ex_RunWait", ""},
                                                                    {"Ex_RunVolumeChk", "1"},
                                                                    {"Ex_RunVolume", "LABEL"},
                                                                    {"Ex_RmvRetryCount", "25"}})));
}

class SettingsList : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"A", "B", "C"}) {
      actions_.emplace_back();
      actions_.back().Name = name;
      actions_.back().HardwareID = std::string("USB\\") + name;
    }
    SaveActions(world_.platform(), actions_);
  }
  std::vector<std::string> StoredNames() {
    ActionList stored;
    (void)LoadActions(world_.platform(), stored);
    std::vector<std::string> names;
    for (const Action& action : stored) names.push_back(action.Name);
    return names;
  }
  fake::FakeWorld world_;
  ActionList actions_;
};

TEST_F(SettingsList, DeleteNeedsASelectionAndAYes) {
  EXPECT_FALSE(DeleteSelectedAction(world_.platform(), kDialog, actions_, -1));
  EXPECT_FALSE(RequireSelection(world_.platform(), -1));
  EXPECT_TRUE(RequireSelection(world_.platform(), 0));
  world_.answers = {mb::kIdNo, mb::kIdYes};
  EXPECT_FALSE(DeleteSelectedAction(world_.platform(), kDialog, actions_, 1));
  EXPECT_EQ(actions_.size(), 3u);
  EXPECT_TRUE(DeleteSelectedAction(world_.platform(), kDialog, actions_, 1));
  EXPECT_EQ(StoredNames(), (std::vector<std::string>{"A", "C"}));
  EXPECT_EQ(world_.Texts(), (std::vector<std::string>{kNoSelectionMessage, kNoSelectionMessage,
                                                      kDeleteQuestion, kDeleteQuestion}));
  EXPECT_EQ(world_.shown[2].owner, kDialog);
  EXPECT_EQ(world_.shown[2].style, mb::kYesNo | mb::kIconQuestion | mb::kDefaultButton2);
}

TEST_F(SettingsList, RegisterAppendsWithoutASelectionAndOverwritesTheSelectedRow) {
  DevicePicker picker = Picker();
  ActionForm form;
  form.device = 0;
  form.command_line = "C:\\Tools\\app.exe";
  Action work_copy;
  work_copy.Ex_RmvRetryCount = "5";
  form.name = "D";
  EXPECT_EQ(RegisterForm(world_.platform(), form, picker, work_copy, actions_, -1), 3);
  form.name = "B2";
  EXPECT_EQ(RegisterForm(world_.platform(), form, picker, work_copy, actions_, 1), 1);
  EXPECT_EQ(StoredNames(), (std::vector<std::string>{"A", "B2", "C", "D"}));
  EXPECT_EQ(world_.GetString(kActionsKey, "3_HardwareID"), "USB\\VID_1&PID_2");
  EXPECT_EQ(world_.GetString(kActionsKey, "3_Ex_RmvRetryCount"), "5");
  EXPECT_EQ(world_.GetString(kActionsKey, "1_ExeFile"), "C:\\Tools\\app.exe");
  EXPECT_EQ(ExpandBuildNumber("%BUILD_NUMBER%/%BUILD_NUMBER%", 7), "7/%BUILD_NUMBER%");
}

TEST(TestRun, StartsTheCutLineAndTellsTheEndOfAWaitedRun) {
  fake::FakeWorld world;
  RunTestCommand(world.platform(), kDialog, "", true);
  EXPECT_TRUE(world.started.empty());
  const std::string line = "C:\\TOOLS\\APP.EXE " + std::string(600, 'x');
  RunTestCommand(world.platform(), kDialog, line, false);
  EXPECT_TRUE(world.shown.empty());
  RunTestCommand(world.platform(), kDialog, "C:\\TOOLS\\APP.EXE", true);
  ASSERT_EQ(world.started.size(), 2u);
  EXPECT_EQ(world.started[0].command_line, line.substr(0, 510));
  EXPECT_FALSE(world.started[0].waited);
  EXPECT_TRUE(world.started[1].waited);
  ASSERT_EQ(world.shown.size(), 1u);
  EXPECT_EQ(world.shown[0].owner, kDialog);
  EXPECT_EQ(world.shown[0].style, mb::kIconInformation | mb::kTopmost);
  world.FailAlways("StartProcess", 2);
  RunTestCommand(world.platform(), kDialog, "C:\\TOOLS\\APP.EXE", true);
  ASSERT_EQ(world.shown.size(), 2u);  // the launcher's notice only
  EXPECT_EQ(world.shown[1].style & mb::kIconError, mb::kIconError);
}

}  // namespace
}  // namespace mw
