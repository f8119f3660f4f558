#include "ui/settings_list.h"

#include <gtest/gtest.h>

#include <set>

#include "model/product.h"
#include "fakes/fake_world.h"
#include "store/action_store.h"
#include "ui/control_ids.h"

namespace mw {
namespace {

const std::string kActionsKey = "HKCU\\software\\Quillory\\Mountwick\\1.0\\Actions";
constexpr UserNoticePort::Window kDialog = 0x4242;

TEST(SettingsCaption, TheBuildNumberReplacesTheFirstToken) {
  EXPECT_EQ(
      ExpandBuildNumber("Mountwick Ver1.0 (Build%BUILD_NUMBER%)  アクションの設定", kBuildNumber),
      "Mountwick Ver1.0 (Build102)  アクションの設定");
  EXPECT_EQ(ExpandBuildNumber("%BUILD_NUMBER%/%BUILD_NUMBER%", 7), "7/%BUILD_NUMBER%");
  EXPECT_EQ(ExpandBuildNumber("Mountwick", 102), "Mountwick");
}

TEST(ActionListRows, OnlyAStateOfExactlyZeroShowsEnabled) {
  for (const auto& [state, text] : std::vector<std::pair<std::string, std::string>>{
           {"0", "有効"}, {"1", "無効"}, {"", "無効"}, {"00", "無効"}, {" 0", "無効"}}) {
    Action action;
    action.State = state;
    EXPECT_EQ(StateColumnText(action), text) << "'" << state << "'";
  }
}

TEST(EditModes, ListModeAndEditModeEnableOppositeGroups) {
  const std::set<int> list_group = {IDC_ACTION_LIST, IDC_NEW, IDC_CHANGE, IDC_DELETE};
  const std::set<int> form_group = {IDE_NAME,           IDX_DISABLED,     IDX_SHOW_CONNECTED,
                                    IDX_SHOW_ALL_KNOWN, IDC_DEVICE_COMBO, IDE_COMMAND_LINE,
                                    IDC_BROWSE,         IDC_EXTENDED,     IDC_TEST_RUN,
                                    IDC_REGISTER,       IDC_CANCEL_EDIT};
  for (bool edit_mode : {false, true}) {
    std::set<int> enabled, disabled;
    for (const ControlEnabling& control : EditModeEnabling(!edit_mode, edit_mode))
      (control.enabled ? enabled : disabled).insert(control.id);
    std::set<int> expected_off = edit_mode ? list_group : form_group;
    if (!edit_mode) expected_off.insert(IDX_EJECT);
    EXPECT_EQ(enabled, edit_mode ? form_group : list_group);
    EXPECT_EQ(disabled, expected_off);
    // Help and close (id 2) stay usable in both modes.
    EXPECT_FALSE(enabled.count(IDC_HELP_BUTTON) || disabled.count(IDC_HELP_BUTTON));
    EXPECT_FALSE(enabled.count(2) || disabled.count(2));
  }
  EXPECT_EQ(EditModeFocus(true), IDC_ACTION_LIST);
  EXPECT_EQ(EditModeFocus(false), IDE_NAME);
}

class SettingsList : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"A", "B", "C"}) {
      Action action;
      action.Name = name;
      action.HardwareID = std::string("USB\\") + name;
      actions_.push_back(action);
    }
    SaveActions(world_.platform(), actions_);
    DeviceRecord stick;
    stick.DisplayName = "Stick";
    stick.HardwareID = "USB\\STICK";
    stick.Present = true;
    picker_.devices = {stick};
    picker_.shown = {0};
  }
  std::vector<std::string> StoredNames() {
    ActionList stored;
    (void)LoadActions(world_.platform(), stored);
    std::vector<std::string> names;
    for (const Action& action : stored) names.push_back(action.Name);
    return names;
  }
  ActionForm Form(const std::string& name) {
    ActionForm form;
    form.name = name;
    form.device = 0;
    form.command_line = "C:\\Tools\\app.exe";
    return form;
  }

  fake::FakeWorld world_;
  ActionList actions_;
  DevicePicker picker_;
};

TEST_F(SettingsList, ChangeAndDeleteWithoutASelectionOnlyShowTheNotice) {
  EXPECT_TRUE(RequireSelection(world_.platform(), 0));
  EXPECT_TRUE(world_.notices.shown.empty());
  EXPECT_FALSE(RequireSelection(world_.platform(), -1));
  EXPECT_FALSE(DeleteSelectedAction(world_.platform(), kDialog, actions_, -1));
  EXPECT_EQ(world_.notices.Texts(),
            (std::vector<std::string>{kNoSelectionMessage, kNoSelectionMessage}));
  EXPECT_EQ(actions_.size(), 3u);
}

TEST_F(SettingsList, DeleteAsksTheDialogAndOnlyYesRemovesAndSaves) {
  world_.notices.answers = {mb::kIdNo};
  EXPECT_FALSE(DeleteSelectedAction(world_.platform(), kDialog, actions_, 1));
  ASSERT_EQ(world_.notices.shown.size(), 1u);
  const auto& question = world_.notices.shown[0];
  EXPECT_EQ(question.owner, kDialog);
  EXPECT_EQ(question.text, kDeleteQuestion);
  EXPECT_EQ(question.caption, "Mountwickからの通知");
  EXPECT_EQ(question.style, 0x124u);  // Yes/No, question icon, No by default
  EXPECT_EQ(actions_.size(), 3u);

  world_.notices.answers = {mb::kIdYes};
  EXPECT_TRUE(DeleteSelectedAction(world_.platform(), kDialog, actions_, 1));
  EXPECT_EQ(StoredNames(), (std::vector<std::string>{"A", "C"}));
  EXPECT_FALSE(world_.registry.HasValue(kActionsKey, "2_Name"));
  EXPECT_EQ(world_.registry.GetString(kActionsKey, "1_HardwareID"), "USB\\C");
}

TEST_F(SettingsList, RegisterAppendsWithoutASelectionAndOverwritesTheSelectedRow) {
  Action work_copy;
  work_copy.Ex_RmvRetryCount = "5";
  EXPECT_EQ(RegisterForm(world_.platform(), Form("D"), picker_, work_copy, actions_, -1), 3);
  EXPECT_EQ(StoredNames(), (std::vector<std::string>{"A", "B", "C", "D"}));
  EXPECT_EQ(world_.registry.ValueNames(kActionsKey).size(), 4u * 16u);
  EXPECT_EQ(world_.registry.GetString(kActionsKey, "3_HardwareID"), "USB\\STICK");
  EXPECT_EQ(world_.registry.GetString(kActionsKey, "3_Ex_RmvRetryCount"), "5");

  EXPECT_EQ(RegisterForm(world_.platform(), Form("B2"), picker_, work_copy, actions_, 1), 1);
  EXPECT_EQ(StoredNames(), (std::vector<std::string>{"A", "B2", "C", "D"}));
  EXPECT_EQ(world_.registry.GetString(kActionsKey, "1_ExeFile"), "C:\\Tools\\app.exe");
}

}  // namespace
}  // namespace mw
