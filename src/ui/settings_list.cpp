#include "ui/settings_list.h"

#include "notices/notices.h"
#include "store/action_store.h"
#include "ui/control_ids.h"

namespace mw {
namespace {

constexpr int kListGroup[] = {IDC_ACTION_LIST, IDC_NEW, IDC_CHANGE, IDC_DELETE};
constexpr int kFormGroup[] = {IDE_NAME,           IDX_DISABLED,     IDX_SHOW_CONNECTED,
                              IDX_SHOW_ALL_KNOWN, IDC_DEVICE_COMBO, IDE_COMMAND_LINE,
                              IDC_BROWSE,         IDC_EXTENDED,     IDC_TEST_RUN,
                              IDC_REGISTER,       IDC_CANCEL_EDIT};

bool IsRow(const ActionList& actions, int selection) {
  return selection >= 0 && static_cast<std::size_t>(selection) < actions.size();
}

}  // namespace

std::string ExpandBuildNumber(std::string caption, int build_number) {
  const std::size_t at = caption.find(kBuildNumberToken);
  if (at != std::string::npos)
    caption.replace(at, sizeof kBuildNumberToken - 1, std::to_string(build_number));
  return caption;
}

const char* StateColumnText(const Action& action) {
  return IsShownEnabled(action) ? kEnabledText : kDisabledText;
}

std::vector<ControlEnabling> EditModeEnabling(bool list_enabled, bool form_enabled) {
  std::vector<ControlEnabling> states;
  for (int id : kListGroup) states.push_back({id, list_enabled});
  for (int id : kFormGroup) states.push_back({id, form_enabled});
  if (!form_enabled) states.push_back({IDX_EJECT, false});
  return states;
}

int EditModeFocus(bool list_enabled) {
  return list_enabled ? IDC_ACTION_LIST : IDE_NAME;
}

bool RequireSelection(const Platform& platform, int selection) {
  if (selection >= 0) return true;
  ShowNotice(platform, kNoSelectionMessage);
  return false;
}

bool DeleteSelectedAction(const Platform& platform, UserNoticePort::Window owner,
                          ActionList& actions, int selection) {
  if (!RequireSelection(platform, selection)) return false;
  const int answer = platform.notices.ShowMessageBox(
      owner, kDeleteQuestion, kNoticeCaption, mb::kYesNo | mb::kIconQuestion | mb::kDefaultButton2);
  if (answer != mb::kIdYes || !IsRow(actions, selection)) return false;
  actions.erase(actions.begin() + selection);
  SaveActions(platform, actions);
  return true;
}

int RegisterForm(const Platform& platform, const ActionForm& form, const DevicePicker& picker,
                 const Action& extended_work_copy, ActionList& actions, int selection) {
  int row = selection;
  if (IsRow(actions, selection)) {
    FillActionFromForm(form, picker, extended_work_copy, actions[static_cast<std::size_t>(row)]);
  } else {
    Action added;
    FillActionFromForm(form, picker, extended_work_copy, added);
    actions.push_back(std::move(added));
    row = static_cast<int>(actions.size()) - 1;
  }
  SaveActions(platform, actions);
  return row;
}

}  // namespace mw
