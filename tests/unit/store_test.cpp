#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "fakes/fake_world.h"
#include "store/action_store.h"
#include "store/registry_settings.h"

namespace mw {
namespace {

using fake::FakeWorld;
using fake::Fields;

const std::string kVersionKey = "HKCU\\software\\Quillory\\Mountwick\\1.0";
const std::string kActionsKey = kVersionKey + "\\Actions";

// Every field differs from its default and from every other field.
Action Distinct(const std::string& tag) {
  Action a;
  int i = 0;
  for (std::string* field :
       {&a.Name, &a.State, &a.HardwareID, &a.ExeFile, &a.Eject, &a.Ex_RunVolumeChk, &a.Ex_RunVolume,
        &a.Ex_RunPathChk, &a.Ex_RunPath, &a.Ex_RunWaitChk, &a.Ex_RunWait, &a.Ex_RmvWaitChk,
        &a.Ex_RmvWait, &a.Ex_RmvRetryChk, &a.Ex_RmvRetryWait, &a.Ex_RmvRetryCount})
    *field = tag + std::to_string(i++);
  return a;
}

ActionList Distincts(int count, const std::string& tag = "") {
  ActionList actions;
  for (int i = 0; i < count; ++i) actions.push_back(Distinct(tag + char('A' + i)));
  return actions;
}

class Store : public ::testing::Test {
 protected:
  // No operation keeps a key open past its return, whatever happened in it.
  void TearDown() override { EXPECT_EQ(world.open_keys(), 0u); }
  ActionList Load() {
    ActionList actions = {Distinct("left over")};
    (void)LoadActions(platform, actions);
    return actions;
  }
  std::size_t StoredValues() { return world.ValueNames(kActionsKey).size(); }

  FakeWorld world;
  Platform platform = world.platform();
};

TEST_F(Store, ValuesOfAnyTypeReadAsTextUpToTheFirstNulAndMissingOnesQuietly) {
  std::string value = "left over";
  EXPECT_FALSE(ReadSetting(platform, "Actions", "0_Name", value));
  EXPECT_EQ(value, "");
  EXPECT_FALSE(ReadSettingOrDefault(platform, "Actions", "0_Ex_RunWait", value, "2000"));
  EXPECT_EQ(value, "2000");
  EXPECT_TRUE(world.HasKey(kActionsKey));  // the first read creates the keys
  const std::vector<std::tuple<std::uint32_t, std::string, std::string>> cases = {
      {reg::kDword, std::string("A\0\0\0", 4), "A"},
      {reg::kSz, "abc", "abc"},  // without its NUL
      {reg::kSz, std::string("ab\0cd\0", 6), "ab"},
      {reg::kSz, "", ""},
      {3, "ソ表能", "ソ表能"},
      {reg::kSz, std::string(1 << 20, 'x'), std::string(1 << 20, 'x')},
  };
  for (const auto& [type, bytes, text] : cases) {
    world.PutValue(kActionsKey, "v", {type, {bytes.begin(), bytes.end()}});
    // Read, so the default must not replace even an empty text.
    EXPECT_TRUE(ReadSettingOrDefault(platform, "Actions", "v", value, "default"));
    EXPECT_EQ(value, text);
  }
  EXPECT_TRUE(world.shown.empty());
}

TEST_F(Store, WriteStoresRegSzCountingTheNul) {
  for (const std::string text : {"", "abc", "ソ表能\\"}) {
    EXPECT_TRUE(WriteSetting(platform, "Actions", "v", text));
    const std::string with_nul = text + '\0';
    EXPECT_EQ(world.Find(kActionsKey, "v")->type, reg::kSz);
    EXPECT_EQ(world.Find(kActionsKey, "v")->data,
              std::vector<unsigned char>(with_nul.begin(), with_nul.end()));
  }
}

TEST_F(Store, EachFailingCallShowsItsNoticeWithCodeAndSystemText) {
  const std::vector<std::tuple<std::string, std::function<void()>, std::string>> cases = {
      {"CreateKey", [&] { (void)WriteSetting(platform, "Actions", "w", "x"); }, "RegCreateKeyEx"},
      {"QueryValue",
       [&] {
         std::string value = "left over";
         EXPECT_FALSE(ReadSetting(platform, "Actions", "v", value));
         EXPECT_EQ(value, "");
       },
       "RegQueryValueEx"},
      {"SetValue", [&] { EXPECT_FALSE(WriteSetting(platform, "Actions", "w", "x")); },
       "RegSetValueEx"},
      {"EnumValueName",
       [&] {
         std::vector<std::string> names;
         EXPECT_FALSE(ListSettingNames(platform, "Actions", names));
       },
       "RegEnumValue"},
      {"DeleteValue", [&] { EXPECT_FALSE(DeleteSetting(platform, "Actions", "v")); },
       "RegDeleteValue"},
      {"DeleteKey", [&] { DeleteVersionSubkey(platform, "Actions"); }, "DeleteRegKey"},
      {"", [&] { DeleteVersionSubkey(platform, "Absent"); }, "DeleteRegKey"},
  };
  world.system_texts = {{2, "ありません。\r\n"}, {5, "拒否されました。\r\n"}};
  world.PutString(kActionsKey, "v", "stored");
  for (const auto& [call, run, function] : cases) {
    world.shown.clear();
    world.FailAlways(call, 5);
    run();
    const std::string system =
        call.empty() ? "SysErr(2) ありません。\r\n" : "SysErr(5) 拒否されました。\r\n";
    EXPECT_EQ(world.Texts(), std::vector<std::string>{function + "に失敗しました。\n" + system});
    EXPECT_EQ(world.Find(kActionsKey, "w"), nullptr);
  }
}

TEST_F(Store, AValueChangingBetweenItsQueriesIsReadAtItsNewSizeOrGivenUp) {
  struct Case {
    const char* name;
    int grows_at;  // the query before which the value grows; 0: before every query
    bool gone;     // deleted after the size query
    std::string value;
    std::vector<std::string> notices;
  };
  const std::vector<Case> cases = {
      {"grew once", 2, false, "short" + std::string(5000, 'g'), {}},
      {"keeps growing", 0, false, "default", {"RegQueryValueExに失敗しました。\nSysErr(234) "}},
      {"gone", -1, true, "default", {}},
  };
  for (const Case& c : cases) {
    std::string text = "short";
    world.PutString(kActionsKey, "v", text);
    world.shown.clear();
    world.fault = [&, n = 0](const std::string& call, const std::string&) mutable {
      if (call != "QueryValue") return 0L;
      if (c.grows_at == 0 || ++n == c.grows_at)
        world.PutString(kActionsKey, "v", text += std::string(5000, 'g'));
      return c.gone && n == 2 ? reg::kFileNotFound : 0L;
    };
    std::string value = "left over";
    EXPECT_EQ(ReadSettingOrDefault(platform, "Actions", "v", value, "default"),
              c.value != "default")
        << c.name;
    EXPECT_EQ(value, c.value) << c.name;
    EXPECT_EQ(world.Texts(), c.notices) << c.name;
  }
}

TEST_F(Store, PathsMustFitTheirBuffer) {
  // The version key path is 32 bytes: a 991-byte subkey fills 1023 bytes and the NUL the last.
  EXPECT_TRUE(WriteSetting(platform, std::string(991, 'k'), "v", "1"));
  EXPECT_TRUE(world.shown.empty());
  EXPECT_FALSE(WriteSetting(platform, std::string(992, 'k'), "v", "1"));
  EXPECT_EQ(world.Texts(),
            std::vector<std::string>{"RegCreateKeyExに失敗しました。\nSysErr(206) "});
  EXPECT_FALSE(world.HasKey(kVersionKey + "\\" + std::string(992, 'k')));
  // "software\Quillory\" is 18 bytes. The test never shows a notice.
  world.shown.clear();
  world.PutKey("HKCU\\software\\Quillory\\" + std::string(1005, 'm'));
  world.PutKey("HKCU\\software\\Quillory\\" + std::string(1006, 'm'));
  EXPECT_TRUE(MakerSubkeyExists(platform, std::string(1005, 'm')));
  EXPECT_FALSE(MakerSubkeyExists(platform, std::string(1006, 'm')));
  EXPECT_TRUE(world.shown.empty());
}

TEST_F(Store, ActionsRoundTripByteForByteAsSixteenRegSzValuesEach) {
  ActionList saved = {Distinct("ソ表能\\"), Distinct(""), Action{}};
  saved[1].Name = "";
  saved[0].DriveLetter = 'E';  // a run's letter is never stored
  SaveActions(platform, saved);
  saved[0].DriveLetter = '\0';
  EXPECT_EQ(StoredValues(), 48u);
  EXPECT_EQ(world.Find(kActionsKey, "2_Ex_RmvRetryCount")->type, reg::kSz);
  const ActionList loaded = Load();
  ASSERT_EQ(loaded.size(), saved.size());
  for (std::size_t i = 0; i < saved.size(); ++i)
    EXPECT_EQ(Fields(loaded[i]), Fields(saved[i])) << i;
  EXPECT_TRUE(world.shown.empty());
}

TEST_F(Store, LoadingStopsAtTheFirstMissingNameAndMissingFieldsTakeTheirDefaults) {
  world.PutString(kActionsKey, "0_Name", "zero");
  world.PutString(kActionsKey, "0_EX_RUNWAIT", "9");  // the same value as "0_Ex_RunWait"
  world.PutString(kActionsKey, "1_Name", "one");
  world.PutString(kActionsKey, "2_State", "0");
  world.PutString(kActionsKey, "3_Name", "three");
  world.PutString(kActionsKey, "stray", "x");
  const ActionList actions = Load();
  ASSERT_EQ(actions.size(), 2u);
  EXPECT_EQ(Fields(actions[1]),
            (std::vector<std::string>{"one", "", "", "", "", "0", "", "0", "", "0", "2000", "0",
                                      "1000", "0", "3000", "1", std::string(1, '\0')}));
  EXPECT_EQ(actions[0].Ex_RunWait, "9");
  // The next save leaves exactly the values of what it saved.
  SaveActions(platform, actions);
  EXPECT_EQ(StoredValues(), 32u);
  EXPECT_EQ(Fields(Load()[0]), Fields(actions[0]));
  EXPECT_TRUE(world.shown.empty());
}

TEST_F(Store, ASaveRemovesTheValuesBeyondTheNewListFromItsEndUnlessAWriteFailed) {
  SaveActions(platform, Distincts(5));
  std::vector<std::string> deleted;
  world.fault = [&](const std::string& call, const std::string& name) {
    if (call == "DeleteValue") deleted.push_back(name);
    return 0L;
  };
  SaveActions(platform, Distincts(2, "new"));
  EXPECT_EQ(StoredValues(), 32u);
  // The end of the list goes first, so that a save cut short still loads two.
  ASSERT_EQ(deleted.size(), 48u);
  EXPECT_EQ(deleted.front(), "2_Name");
  EXPECT_EQ(Fields(Load()[1]), Fields(Distinct("newB")));

  SaveActions(platform, Distincts(5));
  world.fault = [](const std::string& call, const std::string& name) {
    return call == "SetValue" && name == "1_ExeFile" ? 5L : 0L;
  };
  SaveActions(platform, Distincts(2, "new"));
  EXPECT_EQ(world.shown.size(), 1u);
  world.fault = nullptr;
  EXPECT_EQ(Load().size(), 5u);
}

TEST_F(Store, AnEmptyListRemovesTheSubkeyAndAnAbsentOneQuietly) {
  EXPECT_TRUE(Load().empty());
  SaveActions(platform, Distincts(2));
  SaveActions(platform, {});
  EXPECT_FALSE(world.HasKey(kActionsKey));
  SaveActions(platform, {});
  EXPECT_FALSE(world.HasKey(kActionsKey));
  EXPECT_TRUE(world.shown.empty());
}

}  // namespace
}  // namespace mw
