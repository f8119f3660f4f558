#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <thread>

#include "fakes/fake_world.h"
#include "store/action_store.h"
#include "ui/action_form.h"
#include "ui/control_ids.h"
#include "ui/extended_form.h"
#include "ui/settings_list.h"
#include "ui/test_run.h"

namespace mw {
namespace {

using fake::Fields;
using fake::MakeAction;
constexpr UserNoticePort::Window kDialog = 0x4242;

// A reader, a stick that is only known, a generic entry, a hub, a lower-case storage service,
// a UASP disk and the other generic entry;
// the second bytes of ソ, 表 and 能 are 0x5C.
DevicePicker Picker(bool all_known = false) {
  DevicePicker picker;
  picker.mode = all_known ? IDX_SHOW_ALL_KNOWN : IDX_SHOW_CONNECTED;
  for (const auto& [name, id, service] : std::vector<std::array<std::string, 3>>{
           {"Disk/Maker", "USB\\VID_1&PID_2", "USBSTOR"},
           {"ソフト/表", "USB\\VID_3&PID_4", "USBSTOR"},
           {"【汎用：任意のドライブ追加時】", kGenericVolumeId, "QL_ANY_DRV"},
           {"能", "USB\\HUB", "usbhub"},
           {"/Maker", "USB\\LOW", "usbstor"},
           {"SSD", "USB\\VID_5&PID_6", "UASPStor"},
           {"【汎用：任意のメディア挿入時】", kGenericMediaId, "QL_ANY_DRV"}})
    picker.devices.push_back(
        DeviceRecord{name, id != "USB\\VID_3&PID_4", "", "", "", id, "", "", "", service});
  picker.shown = ShownDevices(picker.devices, all_known);
  return picker;
}

TEST(ActionForm, ChecksDeviceCommandLineThenANameNoOtherActionHasGeneratingAnEmptyOne) {
  const ActionList actions = {MakeAction("Name=Reader"), MakeAction("Name=Disk⇒app.exe")};
  // The device, command line and name typed, the selected row, the refusal, the name registered.
  const std::tuple<int, std::string, std::string, int, const char*, std::string> cases[] = {
      {-1, "", "Reader", -1, kNoDeviceMessage, "Reader"},
      {0, "", "Reader", -1, kNoCommandMessage, "Reader"},
      {0, "x.exe", "Reader", 1, kDuplicateNameMessage, "Reader"},
      {0, "x.exe", "Reader", 0, nullptr, "Reader"},  // renamed to its own name
      {0, "x.exe", "reader", -1, nullptr, "reader"},
      // An empty or untouched name is generated, and kept even when taken.
      {2, "\"C:\\P F\\view.exe\" x", "", -1, nullptr,
       "【汎用：任意のドライブ追加時】⇒view.exe\" x"},
      {0, "C:\\Tools\\app.exe", kNewActionName, -1, kDuplicateNameMessage, "Disk⇒app.exe"},
      {0, std::string(1100, 'x'), "", -1, nullptr, "Disk⇒" + std::string(1016, 'x')},
      // The device's name before "/" and the command after the last backslash.
      {1, "C:\\ソフト\\表示能力.exe", "", -1, nullptr, "ソフト⇒表示能力.exe"},
      {3, "D:\\ソ", "", -1, nullptr, "能⇒ソ"},
      {4, "\\", "", -1, nullptr, "⇒"},
  };
  for (const auto& [device, command_line, name, selection, message, registered] : cases) {
    const FormCheck check =
        ValidateForm({name, false, device, command_line}, Picker(), actions, selection);
    EXPECT_STREQ(check.message, message) << name << " " << selection;
    EXPECT_EQ(check.name, registered) << name << " " << selection;
  }
}

TEST(ActionForm, RoundTripsAnActionAndWritesChecksAsOneOrZero) {
  for (const std::string flag : {"0", "1", "", "false"}) {
    Action stored = MakeAction("Name=R;HardwareID=USB\\VID_1&PID_2;Ex_RunVolume=V;State=" + flag +
                               ";Eject=" + flag);
    ActionForm form;
    Action work_copy, registered;
    FillFormFromAction(stored, Picker(), form, work_copy);
    EXPECT_EQ(std::make_tuple(form.disabled, form.eject_checked, form.device),
              std::make_tuple(flag != "0", flag != "0", 0));
    work_copy.Ex_RunPath = stored.Ex_RunPath = "DCIM";  // as the extended dialog stores it
    registered.DriveLetter = stored.DriveLetter = 'E';
    FillActionFromForm(form, Picker(), work_copy, registered);
    stored.State = stored.Eject = flag != "0" ? "1" : "0";
    EXPECT_EQ(Fields(registered), Fields(stored)) << flag;
  }
}

TEST(ActionForm, SelectsOnlyOfferedDevicesAndOffersRemovalForUsbStorageAndTheDrivesEntries) {
  for (const auto& [id, connected, all_known] : std::vector<std::tuple<std::string, int, int>>{
           {"USB\\VID_1&PID_2", 0, 0}, {"USB\\VID_3&PID_4", -1, 1}, {"usb\\vid_1&pid_2", -1, -1}}) {
    ActionForm form;
    Action work_copy;
    FillFormFromAction(MakeAction("HardwareID=" + id), Picker(false), form, work_copy);
    EXPECT_EQ(form.device, connected) << id;
    FillFormFromAction(MakeAction("HardwareID=" + id), Picker(true), form, work_copy);
    EXPECT_EQ(form.device, all_known) << id;
  }
  // Each device of the picker, marked Y where offered; none and one past the list are not.
  for (int device = -1; device <= 7; ++device) {
    const bool allowed = device >= 0 && device < 7 && "YYYNNYY"[device] == 'Y';
    ActionForm form{"", false, device, "", true, false};
    RefreshEjectOption(Picker(), form);
    EXPECT_TRUE(form.eject_enabled == allowed && form.eject_checked == allowed) << device;
  }
}

TEST(DevicePicker, EnumeratesOnlyWhenTheModeChangesAndConnectedShowsOnlyAttached) {
  fake::FakeWorld world;
  world.Add(fake::FakeDevice{}
                .Multi(setup::kSpdrpHardwareId, {"USB\\ATTACHED"})
                .Text(setup::kSpdrpPhysicalDeviceObjectName, "x"));
  world.Add(fake::FakeDevice{false, 0, {}, {}, {}}.Multi(setup::kSpdrpHardwareId, {"USB\\KNOWN"}));
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
  const DevicePicker connected = Picker();  // keeps the positions of what it skips
  EXPECT_EQ(connected.shown, (std::vector<int>{0, 2, 3, 4, 5, 6}));
  EXPECT_EQ(std::make_pair(EntryOfDevice(connected, 1), DeviceOfEntry(connected, 1)),
            std::make_pair(-1, 2));
}

TEST(ExtendedForm, EachControlShowsAndStoresItsOwnFieldGreyedOutOrNot) {
  ExtendedForm form = ExtendedFormFromAction(MakeAction(
      "Ex_RunWaitChk=1;Ex_RunWait=11;Ex_RunVolumeChk=;Ex_RunVolume=L;Ex_RmvWaitChk=yes"));
  EXPECT_EQ(form.checked, (std::map<int, bool>{{IDX_RUN_WAIT, true},
                                               {IDX_RUN_VOLUME, true},
                                               {IDX_RUN_PATH, false},
                                               {IDX_RMV_WAIT, true},
                                               {IDX_RMV_RETRY, false}}));
  form.checked[IDX_RMV_WAIT] = false;
  form.texts[IDE_RUN_WAIT] = "";
  form.texts[IDE_RMV_RETRY_COUNT] = "25";  // as typed, beyond the arrows' range
  Action work_copy = MakeAction("Name=kept");
  StoreExtendedForm(form, work_copy);
  EXPECT_EQ(Fields(work_copy),
            Fields(MakeAction("Name=kept;Ex_RunWaitChk=1;Ex_RunWait=;Ex_RunVolumeChk=1;"
                              "Ex_RunVolume=L;Ex_RmvRetryCount=25")));
}

TEST(SettingsList, DeletesOnlyASelectedRowAndOnlyOnYes) {
  fake::FakeWorld world;
  const Platform platform = world.platform();
  ActionList actions = {MakeAction("Name=A"), MakeAction("Name=B"), MakeAction("Name=C")};
  EXPECT_FALSE(DeleteSelectedAction(platform, kDialog, actions, -1));
  EXPECT_FALSE(RequireSelection(platform, -1));
  EXPECT_TRUE(RequireSelection(platform, 0));
  world.answers = {mb::kIdNo, mb::kIdYes};
  EXPECT_FALSE(DeleteSelectedAction(platform, kDialog, actions, 1));
  EXPECT_TRUE(DeleteSelectedAction(platform, kDialog, actions, 1));
  ActionList stored;  // and saved
  (void)LoadActions(platform, stored);
  EXPECT_EQ(stored.size(), 2u);
  EXPECT_EQ(stored[1].Name + actions[1].Name, "CC");
  EXPECT_EQ(world.Texts(), (std::vector<std::string>{kNoSelectionMessage, kNoSelectionMessage,
                                                     kDeleteQuestion, kDeleteQuestion}));
  EXPECT_EQ(std::make_pair(world.shown[2].owner, world.shown[2].style),
            std::make_pair(kDialog, mb::kYesNo | mb::kIconQuestion | mb::kDefaultButton2));
}

// Cut to 510 bytes, waited for only with removal and then on another thread than the dialog's,
// which gets the box in front of every window; a failed start has the launcher's notice alone.
TEST(TestRun, StartsTheLineAsTypedAndTellsTheEndOnlyOfAProgramItWaitedFor) {
  const std::string line = "C:\\APP.EXE %_newdrv_%:\\" + std::string(600, 'x');
  // The line, the removal flag, what started (ADMIN: by consent) and whether waited for, the box.
  const std::tuple<std::string, bool, std::string, std::string> cases[] = {
      {line, true, line.substr(0, 510) + "+", kProcessEndedMessage},
      {line, false, line.substr(0, 510), ""},
      {"", true, "", ""},
      {"C:\\TOOL.COM /x", true, "C:\\TOOL.COM /x+", kProcessEndedMessage},
      {"C:\\ADMIN.EXE /x", true, "shell C:\\ADMIN.EXE|/x+", kProcessEndedMessage},
      {"C:\\MISSING.EXE", true, "", "アプリケーションの起動に失敗しました。"}};
  for (const auto& [typed, removal, started, box] : cases) {
    fake::FakeWorld world;
    world.fault = [none = started.empty()](fake::Call call, const std::string& what) {
      return call != fake::Call::kStartProcess ? 0L
             : none                            ? 2L
             : what.starts_with("C:\\ADMIN")   ? 740L
                                               : 0L;
    };
    std::thread::id waited_on = std::this_thread::get_id();
    world.while_running = [&] { waited_on = std::this_thread::get_id(); };
    const bool held = RunTestCommand(world.platform(), typed, removal, [&](bool ended) {
      if (ended) ShowProcessEnded(world.platform(), kDialog);
    });
    world.JoinAll();
    EXPECT_EQ(held, removal && !typed.empty()) << typed;
    EXPECT_EQ(waited_on != std::this_thread::get_id(), started.ends_with("+")) << typed;
    std::vector<std::string> runs;
    for (const auto& run : world.started)
      runs.push_back(run.command_line + (run.waited ? "+" : ""));
    EXPECT_EQ(runs, std::vector<std::string>(started.empty() ? 0 : 1, started));
    ASSERT_EQ(world.shown.size(), box.empty() ? 0u : 1u) << typed;
    if (box.empty()) continue;
    EXPECT_THAT(world.shown[0].text, testing::StartsWith(box));
    if (box == kProcessEndedMessage) {
      EXPECT_EQ(std::make_pair(world.shown[0].owner, world.shown[0].style),
                std::make_pair(kDialog, mb::kIconInformation | mb::kTopmost));
    }
  }
}

}  // namespace
}  // namespace mw
