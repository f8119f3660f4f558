#include "ui/extended_form.h"

#include "ui/control_ids.h"

namespace mw {
namespace {

struct Bound {
  int id;
  std::string Action::*field;
};

constexpr Bound kCheckBoxes[] = {
    {IDX_RUN_WAIT, &Action::Ex_RunWaitChk},   {IDX_RUN_VOLUME, &Action::Ex_RunVolumeChk},
    {IDX_RUN_PATH, &Action::Ex_RunPathChk},   {IDX_RMV_WAIT, &Action::Ex_RmvWaitChk},
    {IDX_RMV_RETRY, &Action::Ex_RmvRetryChk},
};

constexpr Bound kEdits[] = {
    {IDE_RUN_WAIT, &Action::Ex_RunWait},
    {IDE_RUN_VOLUME, &Action::Ex_RunVolume},
    {IDE_RUN_PATH, &Action::Ex_RunPath},
    {IDE_RMV_WAIT, &Action::Ex_RmvWait},
    {IDE_RMV_RETRY_WAIT, &Action::Ex_RmvRetryWait},
    {IDE_RMV_RETRY_COUNT, &Action::Ex_RmvRetryCount},
};

struct EnablingGroup {
  int check_box;
  std::vector<int> controls;
};

const std::vector<EnablingGroup>& EnablingGroups() {
  static const std::vector<EnablingGroup> groups = {
      {IDX_RUN_WAIT, {IDE_RUN_WAIT, IDC_RUN_WAIT_SPIN}},
      {IDX_RUN_VOLUME, {IDE_RUN_VOLUME}},
      {IDX_RUN_PATH, {IDE_RUN_PATH}},
      {IDX_RMV_WAIT, {IDE_RMV_WAIT, IDC_RMV_WAIT_SPIN}},
      {IDX_RMV_RETRY,
       {IDE_RMV_RETRY_WAIT, IDC_RMV_RETRY_WAIT_SPIN, IDE_RMV_RETRY_COUNT,
        IDC_RMV_RETRY_COUNT_SPIN}},
  };
  return groups;
}

}  // namespace

ExtendedForm ExtendedFormFromAction(const Action& work_copy) {
  ExtendedForm form;
  for (const Bound& box : kCheckBoxes) form.checked[box.id] = IsShownChecked(work_copy.*box.field);
  for (const Bound& edit : kEdits) form.texts[edit.id] = work_copy.*edit.field;
  return form;
}

void StoreExtendedForm(const ExtendedForm& form, Action& work_copy) {
  for (const Bound& box : kCheckBoxes) {
    const auto it = form.checked.find(box.id);
    work_copy.*box.field = it != form.checked.end() && it->second ? kFlagOn : kFlagOff;
  }
  for (const Bound& edit : kEdits) {
    const auto it = form.texts.find(edit.id);
    work_copy.*edit.field = it != form.texts.end() ? it->second : std::string();
  }
}

std::map<int, bool> ExtendedEnabling(const ExtendedForm& form) {
  std::map<int, bool> enabled;
  for (const EnablingGroup& group : EnablingGroups()) {
    const auto it = form.checked.find(group.check_box);
    const bool on = it != form.checked.end() && it->second;
    for (int id : group.controls) enabled[id] = on;
  }
  return enabled;
}

const std::vector<UpDownSetting>& ExtendedUpDowns() {
  static const std::vector<UpDownSetting> settings = {
      {IDC_RUN_WAIT_SPIN, IDE_RUN_WAIT, 32000, 250},
      {IDC_RMV_WAIT_SPIN, IDE_RMV_WAIT, 32000, 250},
      {IDC_RMV_RETRY_WAIT_SPIN, IDE_RMV_RETRY_WAIT, 32000, 250},
      {IDC_RMV_RETRY_COUNT_SPIN, IDE_RMV_RETRY_COUNT, 9, 1},
  };
  return settings;
}

bool IsExtendedCheckBox(int id) {
  for (const Bound& box : kCheckBoxes)
    if (box.id == id) return true;
  return false;
}

}  // namespace mw
