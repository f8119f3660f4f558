#include "store/action_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fakes/fake_world.h"

namespace mw {
namespace {

using fake::FakeRegistry;
using fake::FakeWorld;
using Op = FakeRegistry::Op;

const std::string kActionsKey = "HKCU\\software\\Quillory\\Mountwick\\1.0\\Actions";

// The sixteen text fields in declaration order, for whole-record comparisons.
std::vector<std::string> Texts(const Action& a) {
  return {a.Name,       a.State,           a.HardwareID,      a.ExeFile,
          a.Eject,      a.Ex_RunVolumeChk, a.Ex_RunVolume,    a.Ex_RunPathChk,
          a.Ex_RunPath, a.Ex_RunWaitChk,   a.Ex_RunWait,      a.Ex_RmvWaitChk,
          a.Ex_RmvWait, a.Ex_RmvRetryChk,  a.Ex_RmvRetryWait, a.Ex_RmvRetryCount};
}

// Every field differs from its default and from every other field.
Action Distinct(const std::string& tag) {
  Action a;
  a.Name = tag;
  a.State = "1";
  a.HardwareID = "USB\\VID_" + tag;
  a.ExeFile = "C:\\" + tag + ".exe %_newdrv_%";
  a.Eject = "1" + tag;
  a.Ex_RunVolumeChk = "1v" + tag;
  a.Ex_RunVolume = "LABEL" + tag;
  a.Ex_RunPathChk = "1p" + tag;
  a.Ex_RunPath = "DCIM\\" + tag;
  a.Ex_RunWaitChk = "1w" + tag;
  a.Ex_RunWait = "11" + tag;
  a.Ex_RmvWaitChk = "1r" + tag;
  a.Ex_RmvWait = "12" + tag;
  a.Ex_RmvRetryChk = "1t" + tag;
  a.Ex_RmvRetryWait = "13" + tag;
  a.Ex_RmvRetryCount = "14" + tag;
  return a;
}

std::vector<std::string> NamesOfIndexes(int count) {
  static const char* const kFields[] = {
      "Name",         "State",          "HardwareID",      "ExeFile",
      "Eject",        "Ex_RunWaitChk",  "Ex_RunWait",      "Ex_RunVolumeChk",
      "Ex_RunVolume", "Ex_RunPathChk",  "Ex_RunPath",      "Ex_RmvWaitChk",
      "Ex_RmvWait",   "Ex_RmvRetryChk", "Ex_RmvRetryWait", "Ex_RmvRetryCount"};
  std::vector<std::string> names;
  for (int index = 0; index < count; ++index)
    for (const char* field : kFields) names.push_back(std::to_string(index) + "_" + field);
  return names;
}

std::vector<std::string> Sorted(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  return names;
}

class ActionStore : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(world.registry.OpenKeyCount(), 0u); }

  ActionList Load() {
    ActionList actions = {Distinct("left over")};
    (void)LoadActions(platform, actions);
    return actions;
  }
  ActionList Distincts(int count) {
    ActionList actions;
    for (int i = 0; i < count; ++i) actions.push_back(Distinct(std::string(1, char('A' + i))));
    return actions;
  }
  std::vector<std::string> StoredNames() const {
    return Sorted(world.registry.ValueNames(kActionsKey));
  }

  FakeWorld world;
  Platform platform = world.platform();
};

TEST_F(ActionStore, NoSubkeyLoadsAnEmptyListAndLeavesTheSubkeyBehind) {
  EXPECT_TRUE(Load().empty());
  EXPECT_TRUE(world.registry.HasKey(kActionsKey));
  EXPECT_TRUE(world.notices.shown.empty());
}

TEST_F(ActionStore, SaveWritesSixteenRegSzValuesInTheirOrder) {
  std::vector<std::string> written;
  world.registry.SetFault([&](Op op, const std::string&, const std::string& name) {
    if (op == Op::Set) written.push_back(name);
    return 0L;
  });
  const Action a = Distinct("ソ");
  SaveActions(platform, {a});

  const std::vector<std::string> names = NamesOfIndexes(1);
  EXPECT_EQ(written, names);
  const std::vector<std::string> expected = {
      a.Name,         a.State,          a.HardwareID,      a.ExeFile,
      a.Eject,        a.Ex_RunWaitChk,  a.Ex_RunWait,      a.Ex_RunVolumeChk,
      a.Ex_RunVolume, a.Ex_RunPathChk,  a.Ex_RunPath,      a.Ex_RmvWaitChk,
      a.Ex_RmvWait,   a.Ex_RmvRetryChk, a.Ex_RmvRetryWait, a.Ex_RmvRetryCount};
  for (std::size_t i = 0; i < names.size(); ++i) {
    const FakeRegistry::Value* stored = world.registry.Find(kActionsKey, names[i]);
    ASSERT_NE(stored, nullptr) << names[i];
    EXPECT_EQ(stored->type, reg::kSz) << names[i];
    const std::string with_nul = expected[i] + '\0';
    EXPECT_EQ(stored->data, std::vector<unsigned char>(with_nul.begin(), with_nul.end()))
        << names[i];
  }
  EXPECT_EQ(StoredNames(), Sorted(names));
}

TEST_F(ActionStore, RoundTripKeepsEveryFieldByteForByte) {
  ActionList saved = {Distinct("ソ表能\\"), Distinct(""), Action{}};
  saved[1].Name = "";
  saved[0].DriveLetter = 'E';  // a run's letter is never stored
  SaveActions(platform, saved);

  const ActionList loaded = Load();
  ASSERT_EQ(loaded.size(), saved.size());
  for (std::size_t i = 0; i < saved.size(); ++i) {
    EXPECT_EQ(Texts(loaded[i]), Texts(saved[i])) << i;
    EXPECT_EQ(loaded[i].DriveLetter, '\0');
  }
  EXPECT_TRUE(world.notices.shown.empty());
}

TEST_F(ActionStore, ANameAloneGivesDefaultsAndEmptyFields) {
  world.registry.PutString(kActionsKey, "0_Name", "only");
  const ActionList actions = Load();
  ASSERT_EQ(actions.size(), 1u);
  // Name, State, HardwareID, ExeFile, Eject, then the Ex_ fields in declaration order.
  EXPECT_EQ(Texts(actions[0]),
            (std::vector<std::string>{"only", "", "", "", "", "0", "", "0", "", "0", "2000", "0",
                                      "1000", "0", "3000", "1"}));
  EXPECT_TRUE(world.notices.shown.empty());
}

TEST_F(ActionStore, LoadStopsAtTheFirstMissingNameAndTheNextSaveRemovesWhatLiesBeyond) {
  world.registry.PutString(kActionsKey, "0_Name", "zero");
  world.registry.PutString(kActionsKey, "1_Name", "one");
  world.registry.PutString(kActionsKey, "2_State", "0");
  world.registry.PutString(kActionsKey, "3_Name", "three");
  world.registry.PutString(kActionsKey, "3_ExeFile", "c.exe");

  const ActionList actions = Load();
  ASSERT_EQ(actions.size(), 2u);
  EXPECT_EQ(actions[0].Name, "zero");
  EXPECT_EQ(actions[1].Name, "one");

  SaveActions(platform, actions);
  EXPECT_EQ(StoredNames(), Sorted(NamesOfIndexes(2)));
  EXPECT_TRUE(world.notices.shown.empty());
}

TEST_F(ActionStore, AnUnreadableValueIsNoticedAndCountsAsAbsent) {
  SaveActions(platform, Distincts(2));
  world.registry.SetFault([](Op op, const std::string&, const std::string& name) {
    return op == Op::Query && name == "0_Ex_RunWait" ? 5L : 0L;
  });
  const ActionList actions = Load();
  ASSERT_EQ(actions.size(), 2u);
  EXPECT_EQ(actions[0].Ex_RunWait, "2000");
  EXPECT_EQ(actions[0].Ex_RmvWait, Distinct("A").Ex_RmvWait);
  EXPECT_EQ(world.notices.Texts(),
            std::vector<std::string>{"RegQueryValueExに失敗しました。\nSysErr(5) "});
}

TEST_F(ActionStore, TwoSavedAfterFiveLeaveExactlyTheirValues) {
  SaveActions(platform, Distincts(5));
  ASSERT_EQ(StoredNames().size(), 80u);

  std::vector<std::string> deleted;
  world.registry.SetFault([&](Op op, const std::string&, const std::string& name) {
    if (op == Op::DeleteValue) deleted.push_back(name);
    return 0L;
  });
  const ActionList two = {Distinct("X"), Distinct("Y")};
  SaveActions(platform, two);

  EXPECT_EQ(StoredNames(), Sorted(NamesOfIndexes(2)));
  // The end of the list goes first, so that a save cut short still loads two.
  ASSERT_EQ(deleted.size(), 48u);
  EXPECT_EQ(deleted.front(), "2_Name");

  const ActionList loaded = Load();
  ASSERT_EQ(loaded.size(), 2u);
  EXPECT_EQ(Texts(loaded[0]), Texts(two[0]));
  EXPECT_EQ(Texts(loaded[1]), Texts(two[1]));
  EXPECT_TRUE(world.notices.shown.empty());
}

TEST_F(ActionStore, AFailedWriteRemovesNothingAndTheOldListStaysLoadable) {
  const ActionList five = Distincts(5);
  SaveActions(platform, five);
  world.registry.SetFault([](Op op, const std::string&, const std::string& name) {
    return op == Op::Set && name == "1_ExeFile" ? 5L : 0L;
  });
  const ActionList two = {Distinct("X"), Distinct("Y")};
  SaveActions(platform, two);

  EXPECT_EQ(world.notices.Texts(),
            std::vector<std::string>{"RegSetValueExに失敗しました。\nSysErr(5) "});
  EXPECT_EQ(StoredNames().size(), 80u);

  world.registry.SetFault(nullptr);
  const ActionList loaded = Load();
  ASSERT_EQ(loaded.size(), 5u);
  EXPECT_EQ(Texts(loaded[0]), Texts(two[0]));
  EXPECT_EQ(loaded[1].Name, "Y");                 // written before the failure
  EXPECT_EQ(loaded[1].ExeFile, five[1].ExeFile);  // the failed write left the old text
  EXPECT_EQ(loaded[1].Ex_RmvRetryCount, two[1].Ex_RmvRetryCount);  // the save went on
  for (std::size_t i = 2; i < 5; ++i) EXPECT_EQ(Texts(loaded[i]), Texts(five[i])) << i;
}

TEST_F(ActionStore, ValuesBeyondAGapStrayValuesAndOtherSpellingsAreSettled) {
  world.registry.PutString(kActionsKey, "0_name", "old");  // same value as "0_Name"
  world.registry.PutString(kActionsKey, "0_EX_RUNWAIT", "9");
  world.registry.PutString(kActionsKey, "5_Name", "far");
  world.registry.PutString(kActionsKey, "stray", "x");

  SaveActions(platform, {Distinct("new")});

  EXPECT_EQ(world.registry.ValueNames(kActionsKey).size(), 16u);
  const ActionList loaded = Load();
  ASSERT_EQ(loaded.size(), 1u);
  EXPECT_EQ(Texts(loaded[0]), Texts(Distinct("new")));
}

TEST_F(ActionStore, AFailedListingStillEndsTheListAtItsNewLength) {
  SaveActions(platform, Distincts(5));
  world.registry.SetFault(
      [](Op op, const std::string&, const std::string&) { return op == Op::EnumValue ? 5L : 0L; });
  SaveActions(platform, Distincts(2));
  EXPECT_EQ(world.notices.Texts(),
            std::vector<std::string>{"RegEnumValueに失敗しました。\nSysErr(5) "});

  world.registry.SetFault(nullptr);
  EXPECT_EQ(Load().size(), 2u);
}

TEST_F(ActionStore, LoadAndSaveOpenTheSubkeyOnceAndAFailedOpeningIsOneNotice) {
  SaveActions(platform, Distincts(3));
  int openings = 0;
  long fault = 0;
  world.registry.SetFault([&](Op op, const std::string&, const std::string&) {
    if (op != Op::Create) return 0L;
    ++openings;
    return fault;
  });
  SaveActions(platform, Distincts(2));
  EXPECT_EQ(Load().size(), 2u);
  EXPECT_EQ(openings, 2);

  fault = 5;
  SaveActions(platform, Distincts(4));
  EXPECT_EQ(world.notices.Texts(),
            std::vector<std::string>{"RegCreateKeyExに失敗しました。\nSysErr(5) "});
  fault = 0;
  EXPECT_EQ(Load().size(), 2u);
}

TEST_F(ActionStore, AnEmptyListRemovesTheSubkeyAndAnAbsentOneQuietly) {
  SaveActions(platform, Distincts(2));
  SaveActions(platform, {});
  EXPECT_FALSE(world.registry.HasKey(kActionsKey));

  SaveActions(platform, {});
  EXPECT_FALSE(world.registry.HasKey(kActionsKey));
  EXPECT_TRUE(world.notices.shown.empty());
}

}  // namespace
}  // namespace mw
