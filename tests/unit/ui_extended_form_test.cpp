#include "ui/extended_form.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "ui/control_ids.h"

namespace mw {
namespace {

TEST(ExtendedForm, ANewActionShowsNothingCheckedTheDefaultWaitsAndAllGreyedOut) {
  const ExtendedForm form = ExtendedFormFromAction(Action{});
  for (int box : {IDX_RUN_WAIT, IDX_RUN_VOLUME, IDX_RUN_PATH, IDX_RMV_WAIT, IDX_RMV_RETRY})
    EXPECT_FALSE(form.checked.at(box)) << box;
  EXPECT_EQ(form.texts.at(IDE_RUN_WAIT), "2000");
  EXPECT_EQ(form.texts.at(IDE_RMV_WAIT), "1000");
  EXPECT_EQ(form.texts.at(IDE_RMV_RETRY_WAIT), "3000");
  EXPECT_EQ(form.texts.at(IDE_RMV_RETRY_COUNT), "1");
  EXPECT_EQ(form.texts.at(IDE_RUN_VOLUME), "");
  const auto enabled = ExtendedEnabling(form);
  EXPECT_EQ(enabled.size(), 10u);
  for (const auto& [id, on] : enabled) EXPECT_FALSE(on) << id;
}

TEST(ExtendedForm, EachControlShowsAndStoresItsOwnField) {
  Action stored;
  stored.Ex_RunWaitChk = "1";
  stored.Ex_RunWait = "11";
  stored.Ex_RunVolumeChk = "";  // any text but "0" shows checked
  stored.Ex_RunVolume = "LABEL";
  stored.Ex_RunPathChk = "0";
  stored.Ex_RunPath = "DCIM\\100";
  stored.Ex_RmvWaitChk = "yes";
  stored.Ex_RmvWait = "22";
  stored.Ex_RmvRetryChk = "0";
  stored.Ex_RmvRetryWait = "33";
  stored.Ex_RmvRetryCount = "25";  // stored as typed, beyond the arrows' range
  ExtendedForm form = ExtendedFormFromAction(stored);
  EXPECT_EQ(form.checked, (std::map<int, bool>{{IDX_RUN_WAIT, true},
                                               {IDX_RUN_VOLUME, true},
                                               {IDX_RUN_PATH, false},
                                               {IDX_RMV_WAIT, true},
                                               {IDX_RMV_RETRY, false}}));
  EXPECT_EQ(form.texts, (std::map<int, std::string>{{IDE_RUN_WAIT, "11"},
                                                    {IDE_RUN_VOLUME, "LABEL"},
                                                    {IDE_RUN_PATH, "DCIM\\100"},
                                                    {IDE_RMV_WAIT, "22"},
                                                    {IDE_RMV_RETRY_WAIT, "33"},
                                                    {IDE_RMV_RETRY_COUNT, "25"}}));

  form.checked[IDX_RMV_RETRY] = true;
  form.texts[IDE_RUN_WAIT] = "";  // an empty number is stored empty
  Action work_copy;
  work_copy.Name = "kept";
  StoreExtendedForm(form, work_copy);
  EXPECT_EQ(work_copy.Ex_RunWaitChk, "1");
  EXPECT_EQ(work_copy.Ex_RunWait, "");
  EXPECT_EQ(work_copy.Ex_RunVolumeChk, "1");
  EXPECT_EQ(work_copy.Ex_RunVolume, "LABEL");
  EXPECT_EQ(work_copy.Ex_RunPathChk, "0");
  EXPECT_EQ(work_copy.Ex_RunPath, "DCIM\\100");
  EXPECT_EQ(work_copy.Ex_RmvWaitChk, "1");
  EXPECT_EQ(work_copy.Ex_RmvWait, "22");
  EXPECT_EQ(work_copy.Ex_RmvRetryChk, "1");
  EXPECT_EQ(work_copy.Ex_RmvRetryWait, "33");
  EXPECT_EQ(work_copy.Ex_RmvRetryCount, "25");
  EXPECT_EQ(work_copy.Name, "kept");
}

TEST(ExtendedForm, EachCheckBoxEnablesExactlyItsGroup) {
  const std::map<int, std::vector<int>> groups = {
      {IDX_RUN_WAIT, {IDE_RUN_WAIT, IDC_RUN_WAIT_SPIN}},
      {IDX_RUN_VOLUME, {IDE_RUN_VOLUME}},
      {IDX_RUN_PATH, {IDE_RUN_PATH}},
      {IDX_RMV_WAIT, {IDE_RMV_WAIT, IDC_RMV_WAIT_SPIN}},
      {IDX_RMV_RETRY,
       {IDE_RMV_RETRY_WAIT, IDC_RMV_RETRY_WAIT_SPIN, IDE_RMV_RETRY_COUNT,
        IDC_RMV_RETRY_COUNT_SPIN}},
  };
  for (const auto& [box, controls] : groups) {
    EXPECT_TRUE(IsExtendedCheckBox(box));
    ExtendedForm form = ExtendedFormFromAction(Action{});
    form.checked[box] = true;
    std::vector<int> on;
    for (const auto& [id, enabled] : ExtendedEnabling(form))
      if (enabled) on.push_back(id);
    std::vector<int> expected = controls;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(on, expected) << box;
  }
  EXPECT_FALSE(IsExtendedCheckBox(IDE_RUN_WAIT));
}

}  // namespace
}  // namespace mw
