#include "ui/action_form.h"

#include <gtest/gtest.h>

#include "notices/notices.h"
#include "model/action.h"
#include "fakes/fake_world.h"
#include "ui/control_ids.h"

namespace mw {
namespace {

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
DevicePicker ConnectedPicker() {
  DevicePicker picker;
  picker.mode = IDX_SHOW_CONNECTED;
  picker.devices = {Device("Disk/Maker", "USB\\VID_1&PID_2", "USBSTOR"),
                    Device("Stick", "USB\\VID_3&PID_4", "USBSTOR", false),
                    Device("【汎用：任意のドライブ追加時】", kGenericVolumeId, "QL_ANY_DRV")};
  picker.shown = ShownDevices(picker.devices, false);
  return picker;
}

TEST(GenerateActionName, DeviceBeforeTheFirstSlashArrowCommandAfterTheLastBackslash) {
  struct Case {
    std::string display_name, command_line, name;
  };
  const std::vector<Case> cases = {
      {"Disk/Maker", "C:\\Tools\\app.exe", "Disk⇒app.exe"},
      {"Disk/Maker", "C:\\Tools\\", "Disk⇒"},
      {"Disk", "app.exe /x", "Disk⇒app.exe /x"},
      {"A/B/C", "x\\y\\z", "A⇒z"},
      {"/Maker", "\\", "⇒"},
      // The second bytes of ソ, 表 and 能 are 0x5C: no backslash.
      {"ソフト/表", "C:\\ソフト\\表示能力.exe", "ソフト⇒表示能力.exe"},
      {"表", "ソ能表.exe", "表⇒ソ能表.exe"},
      {"能", "D:\\ソ", "能⇒ソ"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(GenerateActionName(c.display_name, c.command_line), c.name)
        << c.display_name << " " << c.command_line;
  EXPECT_EQ(std::string(kNameArrow), "\x81\xCB");
}

class Validate : public ::testing::Test {
 protected:
  FormCheck Run(int selection = -1) { return ValidateForm(form_, picker_, actions_, selection); }

  DevicePicker picker_ = ConnectedPicker();
  ActionList actions_ = ActionList(2);
  ActionForm form_;
  void SetUp() override {
    actions_[0].Name = "Reader";
    actions_[1].Name = "Disk⇒app.exe";
  }
};

TEST_F(Validate, ChecksDeviceThenCommandLineThenName) {
  form_.name = "Reader";  // a duplicate as well: the earlier checks win
  FormCheck check = Run();
  EXPECT_EQ(check.message, kNoDeviceMessage);
  EXPECT_EQ(check.focus, IDC_DEVICE_COMBO);

  form_.device = 0;
  check = Run();
  EXPECT_EQ(check.message, kNoCommandMessage);
  EXPECT_EQ(check.focus, IDE_COMMAND_LINE);

  form_.command_line = "C:\\Tools\\app.exe";
  check = Run();
  EXPECT_EQ(check.message, kDuplicateNameMessage);
  EXPECT_EQ(check.focus, IDE_NAME);

  form_.name = "Camera";
  check = Run();
  EXPECT_TRUE(check.valid());
  EXPECT_EQ(check.name, "Camera");
}

TEST_F(Validate, AnEmptyOrUntouchedNameIsGeneratedAndKeptWhenTaken) {
  form_.device = 2;
  form_.command_line = "\"C:\\Program Files\\Viewer\\view.exe\" %_newdrv_%:\\";
  for (const char* untouched : {"", kNewActionName}) {
    form_.name = untouched;
    const FormCheck check = Run();
    EXPECT_TRUE(check.valid());
    EXPECT_EQ(check.name, "【汎用：任意のドライブ追加時】⇒");
  }
  form_.device = 0;
  form_.command_line = "C:\\Tools\\app.exe";
  form_.name = kNewActionName;
  FormCheck check = Run();
  EXPECT_EQ(check.message, kDuplicateNameMessage);
  EXPECT_EQ(check.name, "Disk⇒app.exe");
  // No longer than the name edit holds.
  form_.command_line = std::string(1100, 'x');
  EXPECT_EQ(Run().name.size(), kFormTextLimit - 1);
  // Blanks are a name like any other.
  form_.name = " ";
  EXPECT_EQ(Run().name, " ");
}

TEST_F(Validate, TheDuplicateCheckSkipsOnlyTheSelectedRowAndComparesExactly) {
  form_.device = 0;
  form_.command_line = "x.exe";
  form_.name = "Reader";
  EXPECT_TRUE(Run(0).valid());   // renaming an Action to its own name
  EXPECT_FALSE(Run(1).valid());  // another Action has it
  EXPECT_FALSE(Run(-1).valid());
  for (const char* other : {"reader", "Reader ", "Read"}) {
    form_.name = other;
    EXPECT_TRUE(Run(-1).valid()) << other;
  }
}

TEST(ActionFormFill, ChecksShowAnyTextButZeroAndTheFormWritesOneOrZero) {
  const DevicePicker picker = ConnectedPicker();
  for (const char* flag : {"0", "1", "", "2", "00", "false"}) {
    Action action;
    action.State = flag;
    action.Eject = flag;
    ActionForm form;
    Action work_copy;
    FillFormFromAction(action, picker, form, work_copy);
    const bool checked = std::string(flag) != "0";
    EXPECT_EQ(form.disabled, checked) << "'" << flag << "'";
    EXPECT_EQ(form.eject_checked, checked) << "'" << flag << "'";
    Action written;
    FillActionFromForm(form, picker, work_copy, written);
    EXPECT_EQ(written.State, checked ? "1" : "0");
    EXPECT_EQ(written.Eject, checked ? "1" : "0");
  }
}

TEST(ActionFormFill, RoundTripsAnActionThroughTheFormAndTheWorkCopy) {
  const DevicePicker picker = ConnectedPicker();
  Action stored;
  stored.Name = "Reader";
  stored.State = "1";
  stored.HardwareID = "USB\\VID_1&PID_2";
  stored.ExeFile = "C:\\Tools\\app.exe /x";
  stored.Eject = "1";
  stored.Ex_RunVolumeChk = "1";
  stored.Ex_RunVolume = "CARD";
  stored.Ex_RmvRetryCount = "7";
  ActionForm form;
  form.eject_enabled = true;
  Action work_copy;
  FillFormFromAction(stored, picker, form, work_copy);
  EXPECT_EQ(form.name, "Reader");
  EXPECT_EQ(form.device, 0);
  EXPECT_EQ(form.command_line, "C:\\Tools\\app.exe /x");
  EXPECT_TRUE(form.eject_enabled);  // left to RefreshEjectOption
  EXPECT_EQ(work_copy.Ex_RunVolume, "CARD");
  EXPECT_EQ(work_copy.Ex_RmvRetryCount, "7");

  work_copy.Ex_RunPath = "DCIM";  // as the extended dialog stores it
  Action registered;
  registered.DriveLetter = 'E';
  FillActionFromForm(form, picker, work_copy, registered);
  Action expected = stored;
  expected.Ex_RunPath = "DCIM";
  expected.DriveLetter = 'E';
  EXPECT_EQ(registered.Name, expected.Name);
  EXPECT_EQ(registered.HardwareID, expected.HardwareID);
  EXPECT_EQ(registered.ExeFile, expected.ExeFile);
  EXPECT_EQ(registered.Ex_RunVolume, expected.Ex_RunVolume);
  EXPECT_EQ(registered.Ex_RunPath, expected.Ex_RunPath);
  EXPECT_EQ(registered.Ex_RmvRetryCount, expected.Ex_RmvRetryCount);
  EXPECT_EQ(registered.DriveLetter, 'E');
}

TEST(ActionFormFill, SelectsTheDeviceOnlyWhenThePickerOffersIt) {
  const DevicePicker connected = ConnectedPicker();
  DevicePicker all_known = connected;
  all_known.shown = ShownDevices(all_known.devices, true);
  struct Case {
    std::string hardware_id;
    int connected_device, all_known_device;
  };
  for (const Case& c : std::vector<Case>{{"USB\\VID_1&PID_2", 0, 0},
                                         {"USB\\VID_3&PID_4", -1, 1},
                                         {kGenericVolumeId, 2, 2},
                                         {"usb\\vid_1&pid_2", -1, -1},
                                         {"", -1, -1}}) {
    Action action;
    action.HardwareID = c.hardware_id;
    ActionForm form;
    form.device = 0;
    Action work_copy;
    FillFormFromAction(action, connected, form, work_copy);
    EXPECT_EQ(form.device, c.connected_device) << c.hardware_id;
    FillFormFromAction(action, all_known, form, work_copy);
    EXPECT_EQ(form.device, c.all_known_device) << c.hardware_id;
  }
}

TEST(ActionFormFill, EjectIsOfferedOnlyForAUsbStorageDevice) {
  DevicePicker picker = ConnectedPicker();
  picker.devices.push_back(Device("Hub", "USB\\HUB", "usbhub"));
  picker.devices.push_back(Device("Lower", "USB\\LOW", "usbstor"));
  struct Case {
    int device;
    bool allowed;
  };
  for (const Case& c : std::vector<Case>{
           {0, true}, {1, true}, {2, false}, {3, false}, {4, false}, {-1, false}, {99, false}}) {
    ActionForm form;
    form.device = c.device;
    form.eject_checked = true;
    RefreshEjectOption(picker, form);
    EXPECT_EQ(form.eject_enabled, c.allowed) << c.device;
    EXPECT_EQ(form.eject_checked, c.allowed) << c.device;  // kept when allowed
  }
}

TEST(DevicePickerMode, EnumeratesOnlyWhenTheModeChanges) {
  fake::FakeWorld world;
  world.devices.Add(fake::FakeDevice{}
                        .Multi(setup::kSpdrpHardwareId, {"USB\\ATTACHED"})
                        .Text(setup::kSpdrpPhysicalDeviceObjectName, "\\Device\\USBPDO-1"));
  fake::FakeDevice known;
  known.present = false;
  known.Multi(setup::kSpdrpHardwareId, {"USB\\KNOWN"});
  world.devices.Add(known);

  DevicePicker picker;
  ASSERT_TRUE(SetPickerMode(world.platform(), picker, IDX_SHOW_CONNECTED));
  EXPECT_EQ(picker.shown.size(), 3u);  // the attached device and the generic entries
  EXPECT_EQ(picker.devices[static_cast<std::size_t>(picker.shown[0])].HardwareID, "USB\\ATTACHED");
  EXPECT_FALSE(SetPickerMode(world.platform(), picker, IDX_SHOW_CONNECTED));
  EXPECT_EQ(world.devices.OpenFlags().size(), 1u);

  ASSERT_TRUE(SetPickerMode(world.platform(), picker, IDX_SHOW_ALL_KNOWN));
  EXPECT_FALSE(SetPickerMode(world.platform(), picker, IDX_SHOW_ALL_KNOWN));
  EXPECT_EQ(world.devices.OpenFlags().size(), 2u);
  ASSERT_EQ(picker.shown.size(), 4u);
  std::vector<std::string> ids;
  for (int device : picker.shown)
    ids.push_back(picker.devices[static_cast<std::size_t>(device)].HardwareID);
  EXPECT_EQ(ids, (std::vector<std::string>{"USB\\ATTACHED", "USB\\KNOWN", kGenericVolumeId,
                                           kGenericMediaId}));
  EXPECT_EQ(EntryOfDevice(picker, 1), 1);
  EXPECT_EQ(DeviceOfEntry(picker, 3), 3);
  EXPECT_EQ(DeviceOfEntry(picker, 4), -1);
  EXPECT_EQ(DeviceOfEntry(picker, -1), -1);
}

TEST(DevicePickerMode, ConnectedModeSkipsAbsentRecordsButKeepsTheirPositions) {
  DevicePicker picker = ConnectedPicker();
  EXPECT_EQ(picker.shown, (std::vector<int>{0, 2}));
  EXPECT_EQ(EntryOfDevice(picker, 1), -1);
  EXPECT_EQ(EntryOfDevice(picker, 2), 1);
  EXPECT_EQ(DeviceOfEntry(picker, 1), 2);
}

TEST(ChooserStartName, StartsEmptyForAQuotedCommandAndTakes510BytesAtMost) {
  EXPECT_EQ(ChooserStartName("C:\\Tools\\app.exe /x"), "C:\\Tools\\app.exe /x");
  EXPECT_EQ(ChooserStartName("\"C:\\My Tools\\app.exe\" /x"), "");
  const std::string long_line = "C:\\" + std::string(600, 'a');
  EXPECT_EQ(ChooserStartName(long_line), long_line.substr(0, 510));
  // A quote beyond what is read does not count.
  EXPECT_EQ(ChooserStartName(long_line + "\"x\""), long_line.substr(0, 510));
}

}  // namespace
}  // namespace mw
