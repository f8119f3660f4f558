#include "notices/notices.h"

#include <gtest/gtest.h>

#include "fakes/fake_notices.h"

namespace mw {
namespace {

using fake::FakeNotices;

TEST(Notices, ShowsTheTextWithCaptionAndErrorStyle) {
  FakeNotices port;
  ShowNotice(port, "%s = %d", "Name", 7);
  ASSERT_EQ(port.shown.size(), 1u);
  EXPECT_EQ(port.shown[0].text, "Name = 7");
  EXPECT_EQ(port.shown[0].caption, "Mountwickからの通知");
  EXPECT_EQ(port.shown[0].style, 0x10u);
}

TEST(Notices, CutsTheTextAt1023Bytes) {
  FakeNotices port;
  ShowNotice(port, "%s", std::string(1500, 'x'));
  EXPECT_EQ(port.shown.at(0).text, std::string(1023, 'x'));
}

TEST(Notices, CutNeverSplitsADoubleByteCharacter) {
  FakeNotices port;
  // 1022 single bytes, then ソ (0x83 0x5C): the pair does not fit in 1023.
  ShowNotice(port, "%s%s", std::string(1022, 'x'), "ソ");
  EXPECT_EQ(port.shown.at(0).text, std::string(1022, 'x'));
}

TEST(Notices, UserTextIsNeverReadAsAFormat) {
  FakeNotices port;
  ShowNotice(port, "起動アプリ = %s\n", "C:\\%s%n%d.exe");
  EXPECT_EQ(port.shown.at(0).text, "起動アプリ = C:\\%s%n%d.exe\n");
}

TEST(Notices, SystemErrorLineCarriesCodeAndSystemText) {
  FakeNotices port;
  port.system_texts[5] = "アクセスが拒否されました。\r\n";
  ShowSystemErrorNotice(port, 5, "RegSetValueExに失敗しました。");
  EXPECT_EQ(port.shown.at(0).text,
            "RegSetValueExに失敗しました。\nSysErr(5) アクセスが拒否されました。\r\n");
}

TEST(Notices, SystemErrorWithoutTextAndWithNegativeCode) {
  FakeNotices port;
  ShowSystemErrorNotice(port, static_cast<std::uint32_t>(-3), "失敗 %s", "x");
  EXPECT_EQ(port.shown.at(0).text, "失敗 x\nSysErr(-3) ");
}

TEST(Notices, SystemErrorNoticeIsCutAsAWhole) {
  FakeNotices port;
  port.system_texts[2] = "not found";
  ShowSystemErrorNotice(port, 2, "%s", std::string(1020, 'y'));
  EXPECT_EQ(port.shown.at(0).text, std::string(1020, 'y') + "\nSy");
}

TEST(Notices, OwnerIsTheForegroundWindowOnlyWhenItIsOurs) {
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
    FakeNotices port;
    port.foreground = 0x55;
    port.titles[0x55] = c.title;
    ShowNotice(port, "x");
    EXPECT_EQ(port.shown.at(0).owner, c.owned ? 0x55u : 0u) << c.title;
  }
}

}  // namespace
}  // namespace mw
