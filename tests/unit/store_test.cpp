#include <gtest/gtest.h>

#include <functional>

#include "fakes/fake_world.h"
#include "store/action_store.h"
#include "store/registry_settings.h"

namespace mw {
namespace {

using fake::Fields;
const std::string kVersionKey = "HKCU\\software\\Quillory\\Mountwick\\1.0";
const std::string kActionsKey = kVersionKey + "\\Actions";

class Store : public ::testing::Test {
 protected:
  // No operation keeps a key open past its return, whatever happened in it; no notice is left.
  void TearDown() override { EXPECT_TRUE(world.open_keys() == 0 && world.shown.empty()); }
  ActionList Load() {
    ActionList actions = fake::Tagged("left over", 1);
    (void)LoadActions(platform, actions);
    return actions;
  }
  std::size_t StoredValues() { return world.ValueNames(kActionsKey).size(); }

  fake::FakeWorld world;
  Platform platform = world.platform();
};

TEST_F(Store, ValuesReadAsTextUpToTheFirstNulMissingOnesQuietlyAndPathsMustFitTheirBuffer) {
  std::string value = "left over";
  EXPECT_FALSE(ReadSettingOrDefault(platform, "Actions", "0_Ex_RunWait", value, "2000"));
  EXPECT_EQ(value, "2000");
  for (const auto& [type, bytes, text] :
       std::vector<std::tuple<std::uint32_t, std::string, std::string>>{
           {reg::kDword, std::string("A\0\0\0", 4), "A"},
           {reg::kSz, "abc", "abc"},  // without its NUL
           {reg::kSz, std::string("ab\0cd\0", 6), "ab"},
           {3, "", ""},
           {reg::kSz, std::string(1 << 20, 'x'), std::string(1 << 20, 'x')}}) {
    world.PutValue(kActionsKey, "v", {type, {bytes.begin(), bytes.end()}});
    // Read, so the default must not replace even an empty text.
    EXPECT_TRUE(ReadSettingOrDefault(platform, "Actions", "v", value, "default"));
    EXPECT_EQ(value, text);
  }
  for (const std::string text : {"", "ソ表能\\"}) {
    EXPECT_TRUE(WriteSetting(platform, "Actions", "w", text));
    EXPECT_EQ(world.Find(kActionsKey, "w")->data,  // REG_SZ with its NUL
              std::vector<unsigned char>(text.c_str(), text.c_str() + text.size() + 1));
  }
  // The version key path is 32 bytes: a 991-byte subkey fills 1023 bytes and the NUL the last.
  EXPECT_TRUE(WriteSetting(platform, std::string(991, 'k'), "v", "1"));
  EXPECT_FALSE(WriteSetting(platform, std::string(992, 'k'), "v", "1"));
  EXPECT_EQ(world.Texts(),
            std::vector<std::string>{"RegCreateKeyExに失敗しました。\nSysErr(206) "});
  world.shown.clear();
}

// Five Actions stored, then three saved, loaded and none saved, one call failing for all but the
// names: each save or load ends in one notice naming its first failure and their count, as the log.
TEST(StoreFailures, ASaveOrALoadShowsOneNoticeForAllItsFailedValues) {
  const std::string save = "アクションの保存: 失敗 ", load = "アクションの読み込み: 失敗 ";
  // The call, its text (none: "not found"), the save's and load's counts, last notice, loads.
  using C = fake::Call;
  const std::tuple<C, std::string, std::string, std::string, bool, std::size_t> rows[] = {
      {C::kSetValue, "RegSetValueEx", save + "45 件（最初: 0_State）", "", false, 5},
      {C::kQueryValue, "RegQueryValueEx", "", load + "45 件（最初: 0_State）", false, 3},
      {C::kCreateKey, "RegCreateKeyEx", save + "1 件", load + "1 件", true, 0},
      {C::kEnumValueName, "RegEnumValue", save + "1 件", "", false, 3},
      {C::kDeleteValue, "RegDeleteValue", save + "30 件（最初: 3_Eject）", "", false, 3},
      {C::kDeleteValue, "", "", "", false, 3},  // a value already gone is no failure
      {C::kDeleteKey, "DeleteRegKey", "", "", true, 3}};
  for (const auto& [call, function, saved, loaded, last, count] : rows) {
    SCOPED_TRACE(fake::CallName(call));
    fake::FakeWorld world;
    world.system_texts[5] = "拒否されました。\r\n";
    SaveActions(world.platform(), fake::Tagged("", 5));
    world.fault = [&](fake::Call c, const std::string& name) {
      if (c != call || name.ends_with("_Name")) return 0L;
      return function.empty() ? reg::kFileNotFound : 5L;
    };
    SaveActions(world.platform(), fake::Tagged("", 3));
    ActionList actions;
    (void)LoadActions(world.platform(), actions);
    EXPECT_EQ(actions.size(), count);
    SaveActions(world.platform(), {});
    const std::string text = function + "に失敗しました。",
                      denied = "\nSysErr(5) 拒否されました。\r\n";
    std::vector<std::string> notices, log;
    for (const std::string& counted : {saved, loaded}) {
      if (counted.empty()) continue;
      notices.push_back(text + "\n" + counted + denied);
      log.push_back(counted + ": " + text + "（コード 5）");
    }
    if (last) notices.push_back(text + denied);
    EXPECT_EQ(world.Texts(), notices);
    EXPECT_EQ(world.activity, log);
    EXPECT_EQ(world.open_keys(), 0u);
  }
}

TEST_F(Store, AValueChangingBetweenItsQueriesIsReadAtItsNewSizeOrGivenUp) {
  // The query before which the value grows (0: every one) or, with -1, after which it is gone.
  for (const auto& [changes_at, value, notices] :
       std::vector<std::tuple<int, std::string, std::vector<std::string>>>{
           {2, "short" + std::string(5000, 'g'), {}},
           {0, "default", {"RegQueryValueExに失敗しました。\nSysErr(234) "}},
           {-1, "default", {}}}) {
    std::string text = "short";
    world.PutString(kActionsKey, "v", text);
    world.shown.clear();
    world.fault = [&, at = changes_at, n = 0](fake::Call call, const std::string&) mutable {
      if (call != fake::Call::kQueryValue) return 0L;
      if (at == 0 || ++n == at) world.PutString(kActionsKey, "v", text += std::string(5000, 'g'));
      return at < 0 && n == 2 ? reg::kFileNotFound : 0L;
    };
    std::string read = "left over";
    EXPECT_EQ(ReadSettingOrDefault(platform, "Actions", "v", read, "default"), value != "default");
    EXPECT_EQ(read, value);
    EXPECT_EQ(world.Texts(), notices);
  }
}

TEST_F(Store, ActionsRoundTripByteForByteAndAnEmptyListRemovesTheSubkey) {
  ActionList saved = fake::Tagged("ソ表能\\", 2);
  saved[1].Name = "";
  saved.emplace_back();
  SaveActions(platform, saved);
  EXPECT_EQ(StoredValues(), 48u);
  EXPECT_EQ(world.Find(kActionsKey, "2_Ex_RmvRetryCount")->type, reg::kSz);
  const ActionList loaded = Load();
  ASSERT_EQ(loaded.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(Fields(loaded[i]), Fields(saved[i])) << i;
  // An empty list removes the subkey, and an absent one quietly.
  for (int i = 0; i < 2; ++i) SaveActions(platform, {});
  EXPECT_FALSE(world.HasKey(kActionsKey));
  EXPECT_TRUE(Load().empty());
}

TEST_F(Store, LoadingStopsAtTheFirstMissingNameAndMissingFieldsTakeTheirDefaults) {
  world.PutString(kActionsKey, "0_Name", "zero");
  world.PutString(kActionsKey, "0_EX_RMVWAIT", "9");  // the same value as "0_Ex_RmvWait"
  world.PutString(kActionsKey, "1_State", "0");
  world.PutString(kActionsKey, "2_Name", "two");
  world.PutString(kActionsKey, "stray", "x");
  const ActionList loaded = Load();
  ASSERT_EQ(loaded.size(), 1u);
  EXPECT_EQ(Fields(loaded[0]),
            (std::vector<std::string>{"zero", "", "", "", "", "0", "2000", "0", "", "0", "", "0",
                                      "9", "0", "3000", "1", std::string(1, '\0')}));
  // The next save leaves exactly the values of what it saved.
  SaveActions(platform, loaded);
  EXPECT_EQ(StoredValues(), 16u);
}

}  // namespace
}  // namespace mw
