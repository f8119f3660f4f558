#include "store/registry_settings.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "fakes/fake_world.h"

namespace mw {
namespace {

using fake::FakeRegistry;
using fake::FakeWorld;
using Op = FakeRegistry::Op;

const std::string kVersionKey = "HKCU\\software\\Quillory\\Mountwick\\1.0";
const std::string kActionsKey = kVersionKey + "\\Actions";
constexpr char kAccessDeniedText[] = "アクセスが拒否されました。\r\n";

class RegistrySettings : public ::testing::Test {
 protected:
  // No operation keeps a key open past its return, whatever happened in it.
  void TearDown() override { EXPECT_EQ(world.registry.OpenKeyCount(), 0u); }

  FakeWorld world;
  Platform platform = world.platform();
};

TEST_F(RegistrySettings, FirstReadCreatesTheKeysAndFindsTheValueMissing) {
  EXPECT_FALSE(MakerSubkeyExists(platform, "Mountwick"));
  EXPECT_FALSE(world.registry.HasKey("HKCU\\software\\Quillory"));

  std::string value = "left over";
  EXPECT_FALSE(ReadSetting(platform, "Actions", "0_Name", value));
  EXPECT_EQ(value, "");
  EXPECT_FALSE(ReadSettingOrDefault(platform, "Actions", "0_Ex_RunWait", value, "2000"));
  EXPECT_EQ(value, "2000");

  EXPECT_TRUE(MakerSubkeyExists(platform, "Mountwick"));
  EXPECT_TRUE(world.registry.HasKey(kActionsKey));
  EXPECT_TRUE(world.notices.shown.empty());
}

TEST_F(RegistrySettings, ValuesOfAnyTypeReadAsTextUpToTheFirstNul) {
  struct Case {
    const char* what;
    std::uint32_t type;
    std::string bytes;
    std::string text;
  };
  const std::vector<Case> cases = {
      {"REG_DWORD 0", reg::kDword, std::string(4, '\0'), ""},
      {"REG_DWORD 0x41", reg::kDword, std::string("A\0\0\0", 4), "A"},
      {"REG_SZ without NUL", reg::kSz, "abc", "abc"},
      {"NUL inside", reg::kSz, std::string("ab\0cd\0", 6), "ab"},
      {"no bytes at all", reg::kSz, "", ""},
      {"REG_BINARY Shift-JIS", 3, "ソ表能", "ソ表能"},
  };
  for (const Case& c : cases) {
    world.registry.PutValue(kActionsKey, "v", {c.type, {c.bytes.begin(), c.bytes.end()}});
    std::string value;
    // Read, so the default must not replace even an empty text.
    EXPECT_TRUE(ReadSettingOrDefault(platform, "Actions", "v", value, "default")) << c.what;
    EXPECT_EQ(value, c.text) << c.what;
  }
  EXPECT_TRUE(world.notices.shown.empty());
}

TEST_F(RegistrySettings, AOneMebibyteValueReadsWhole) {
  const std::string big(1 << 20, 'x');
  world.registry.PutString(kActionsKey, "big", big);
  std::string value;
  EXPECT_TRUE(ReadSetting(platform, "Actions", "big", value));
  EXPECT_EQ(value, big);
}

TEST_F(RegistrySettings, WriteStoresRegSzCountingTheNul) {
  for (const std::string text : {"", "abc", "ソ表能\\"}) {
    EXPECT_TRUE(WriteSetting(platform, "Actions", "v", text));
    const FakeRegistry::Value* stored = world.registry.Find(kActionsKey, "v");
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->type, reg::kSz);
    const std::string with_nul = text + '\0';
    EXPECT_EQ(stored->data, std::vector<unsigned char>(with_nul.begin(), with_nul.end()));

    std::string value = "left over";
    EXPECT_TRUE(ReadSetting(platform, "Actions", "v", value));
    EXPECT_EQ(value, text);
  }
}

TEST_F(RegistrySettings, EachFailingCallShowsItsNoticeWithCodeAndSystemText) {
  struct Case {
    Op op;
    std::function<void(const Platform&)> run;
    std::string notice;
  };
  const std::vector<Case> cases = {
      {Op::Create,
       [](const Platform& p) {
         std::string value = "left over";
         EXPECT_FALSE(ReadSetting(p, "Actions", "v", value));
         EXPECT_EQ(value, "");
       },
       "RegCreateKeyExに失敗しました。"},
      {Op::Query,
       [](const Platform& p) {
         std::string value = "left over";
         EXPECT_FALSE(ReadSetting(p, "Actions", "v", value));
         EXPECT_EQ(value, "");
       },
       "RegQueryValueExに失敗しました。"},
      {Op::Set, [](const Platform& p) { EXPECT_FALSE(WriteSetting(p, "Actions", "w", "x")); },
       "RegSetValueExに失敗しました。"},
      {Op::EnumValue,
       [](const Platform& p) {
         std::vector<std::string> names;
         EXPECT_FALSE(ListSettingNames(p, "Actions", names));
       },
       "RegEnumValueに失敗しました。"},
      {Op::DeleteValue, [](const Platform& p) { EXPECT_FALSE(DeleteSetting(p, "Actions", "v")); },
       "RegDeleteValueに失敗しました。"},
      {Op::DeleteKey, [](const Platform& p) { DeleteVersionSubkey(p, "Actions"); },
       "DeleteRegKeyに失敗しました。"},
  };
  for (const Case& c : cases) {
    FakeWorld fresh;
    fresh.notices.system_texts[5] = kAccessDeniedText;
    fresh.registry.PutString(kActionsKey, "v", "stored");
    fresh.registry.SetFault(
        [&](Op op, const std::string&, const std::string&) { return op == c.op ? 5 : 0; });
    c.run(fresh.platform());
    EXPECT_EQ(fresh.notices.Texts(),
              std::vector<std::string>{c.notice + "\nSysErr(5) " + kAccessDeniedText})
        << c.notice;
    EXPECT_FALSE(fresh.registry.HasValue(kActionsKey, "w"));
    EXPECT_EQ(fresh.registry.OpenKeyCount(), 0u) << c.notice;
  }
}

TEST_F(RegistrySettings, DeletingAnAbsentSubkeyIsNoticedWithCode2) {
  world.notices.system_texts[2] = "指定されたファイルが見つかりません。";
  DeleteVersionSubkey(platform, "Actions");
  EXPECT_EQ(world.notices.Texts(),
            std::vector<std::string>{
                "DeleteRegKeyに失敗しました。\nSysErr(2) 指定されたファイルが見つかりません。"});
}

TEST_F(RegistrySettings, AValueThatGrewAfterTheSizeQueryIsReadAtItsNewSize) {
  const std::string grown(5000, 'g');
  world.registry.PutString(kActionsKey, "v", "short");
  int queries = 0;
  world.registry.SetFault([&](Op op, const std::string&, const std::string&) {
    if (op == Op::Query && ++queries == 2) world.registry.PutString(kActionsKey, "v", grown);
    return 0L;
  });
  std::string value;
  EXPECT_TRUE(ReadSetting(platform, "Actions", "v", value));
  EXPECT_EQ(value, grown);
  EXPECT_TRUE(world.notices.shown.empty());
}

TEST_F(RegistrySettings, AValueThatKeepsGrowingIsGivenUpWithANotice) {
  std::string text = "x";
  world.registry.PutString(kActionsKey, "v", text);
  world.registry.SetFault([&](Op op, const std::string&, const std::string&) {
    if (op == Op::Query) world.registry.PutString(kActionsKey, "v", text += "xxxxxxxx");
    return 0L;
  });
  std::string value = "left over";
  EXPECT_FALSE(ReadSetting(platform, "Actions", "v", value));
  EXPECT_EQ(value, "");
  EXPECT_EQ(world.notices.Texts(),
            std::vector<std::string>{"RegQueryValueExに失敗しました。\nSysErr(234) "});
}

TEST_F(RegistrySettings, AValueGoneAfterTheSizeQueryIsMissingSilently) {
  world.registry.PutString(kActionsKey, "v", "text");
  int queries = 0;
  world.registry.SetFault([&](Op op, const std::string&, const std::string&) {
    return op == Op::Query && ++queries == 2 ? reg::kFileNotFound : 0L;
  });
  std::string value;
  EXPECT_FALSE(ReadSettingOrDefault(platform, "Actions", "v", value, "default"));
  EXPECT_EQ(value, "default");
  EXPECT_TRUE(world.notices.shown.empty());
}

TEST_F(RegistrySettings, PathsMustFitTheirBuffer) {
  // The version key path is 32 bytes: a 991-byte subkey fills 1023 bytes and the NUL the last.
  EXPECT_TRUE(WriteSetting(platform, std::string(991, 'k'), "v", "1"));
  EXPECT_TRUE(world.notices.shown.empty());

  EXPECT_FALSE(WriteSetting(platform, std::string(992, 'k'), "v", "1"));
  EXPECT_EQ(world.notices.Texts(),
            std::vector<std::string>{"RegCreateKeyExに失敗しました。\nSysErr(206) "});
  EXPECT_FALSE(world.registry.HasKey(kVersionKey + "\\" + std::string(992, 'k')));

  // "software\Quillory\" is 18 bytes. The test never shows a notice.
  world.notices.shown.clear();
  world.registry.PutKey("HKCU\\software\\Quillory\\" + std::string(1005, 'm'));
  world.registry.PutKey("HKCU\\software\\Quillory\\" + std::string(1006, 'm'));
  EXPECT_TRUE(MakerSubkeyExists(platform, std::string(1005, 'm')));
  EXPECT_FALSE(MakerSubkeyExists(platform, std::string(1006, 'm')));
  EXPECT_TRUE(world.notices.shown.empty());
}

}  // namespace
}  // namespace mw
