#include "notices/notices.h"

#include <gtest/gtest.h>

#include "fakes/fake_world.h"

namespace mw {
namespace {

class Notices : public ::testing::Test {
 protected:
  fake::FakeWorld world_;
  fake::FakeNotices& port = world_.notices;
  Platform platform_ = world_.platform();
};

TEST_F(Notices, ShowsTheTextWithCaptionAndErrorStyle) {
  ShowNotice(platform_, "%s = %d", "Name", 7);
  ASSERT_EQ(port.shown.size(), 1u);
  EXPECT_EQ(port.shown[0].text, "Name = 7");
  EXPECT_EQ(port.shown[0].caption, "Mountwickからの通知");
  EXPECT_EQ(port.shown[0].style, 0x10u);
}

TEST_F(Notices, CutsTheTextAt1023Bytes) {
  ShowNotice(platform_, "%s", std::string(1500, 'x'));
  EXPECT_EQ(port.shown.at(0).text, std::string(1023, 'x'));
}

TEST_F(Notices, CutNeverSplitsADoubleByteCharacter) {
  // 1022 single bytes, then ソ (0x83 0x5C): the pair does not fit in 1023.
  ShowNotice(platform_, "%s%s", std::string(1022, 'x'), "ソ");
  EXPECT_EQ(port.shown.at(0).text, std::string(1022, 'x'));
}

TEST_F(Notices, UserTextIsNeverReadAsAFormat) {
  ShowNotice(platform_, "起動アプリ = %s\n", "C:\\%s%n%d.exe");
  EXPECT_EQ(port.shown.at(0).text, "起動アプリ = C:\\%s%n%d.exe\n");
}

TEST_F(Notices, SystemErrorLineCarriesCodeAndSystemText) {
  port.system_texts[5] = "アクセスが拒否されました。\r\n";
  ShowSystemErrorNotice(platform_, 5, "RegSetValueExに失敗しました。");
  EXPECT_EQ(port.shown.at(0).text,
            "RegSetValueExに失敗しました。\nSysErr(5) アクセスが拒否されました。\r\n");
}

TEST_F(Notices, SystemErrorWithoutTextAndWithNegativeCode) {
  ShowSystemErrorNotice(platform_, static_cast<std::uint32_t>(-3), "失敗 %s", "x");
  EXPECT_EQ(port.shown.at(0).text, "失敗 x\nSysErr(-3) ");
}

TEST_F(Notices, SystemErrorNoticeIsCutAsAWhole) {
  port.system_texts[2] = "not found";
  ShowSystemErrorNotice(platform_, 2, "%s", std::string(1020, 'y'));
  EXPECT_EQ(port.shown.at(0).text, std::string(1020, 'y') + "\nSy");
}

TEST_F(Notices, OwnerIsTheForegroundWindowOnlyWhenItIsOurs) {
  struct Case {
    std::string title;
    bool owned;
  };
  for (const Case& c : std::vector<Case>{{"Mountwick Ver1.0 (Build102)  アクションの設定", true},
                                         {"Mountwick 拡張設定", true},
                                         {"Mountwick", true},
                                         {"Mountwic", false},
                                         {"Notepad - Mountwick", false},
                                         {"", false}}) {
    port.shown.clear();
    world_.desktop.foreground = 0x55;
    world_.desktop.titles[0x55] = c.title;
    ShowNotice(platform_, "x");
    EXPECT_EQ(port.shown.at(0).owner, c.owned ? 0x55u : 0u) << c.title;
  }
}

}  // namespace
}  // namespace mw
