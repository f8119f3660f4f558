#include "notices/notices.h"

#include <gtest/gtest.h>

#include "fakes/fake_world.h"
#include "notices/bounded_format.h"

namespace mw {
namespace {

TEST(BoundedFormat, FollowsTheSystemFormatterAndStaysInsideTheBuffer) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {FormatBounded("SysErr(%d) %s", {-5, "x"}, 1024), "SysErr(-5) x"},
      {FormatBounded("%u", {-5}, 1024), "4294967291"},
      {FormatBounded("%x %X %#x", {255, 255, 255}, 1024), "ff FF 0xff"},
      {FormatBounded("[%3d][%-3d][%03d]", {7, 7, 7}, 1024), "[  7][7  ][007]"},
      {FormatBounded("%.2s|%d%%|%c:", {"abcdef", 100, 'E'}, 1024), "ab|100%|E:"},
      {FormatBounded("Build%ld", {102L}, 20), "Build102"},
      // Missing or mismatched arguments print nothing.
      {FormatBounded("a%sb%dc", {}, 1024), "abc"},
      {FormatBounded("%d|%s", {"text", 3}, 1024), "|"},
      {FormatBounded("%99999999d", {1}, 16), std::string(15, ' ')},
      {FormatBounded("%s%s", {std::string(10, 'a'), std::string(10, 'b')}, 8), "aaaaaaa"},
  };
  for (const auto& [actual, expected] : cases) EXPECT_EQ(actual, expected);
}

TEST(Notices, AreCutAt1023BytesAsAWholeNeverInsideACharacter) {
  fake::FakeWorld world;
  world.system_texts = {{2, "not found"}, {5, "拒否されました。\r\n"}};
  const Platform platform = world.platform();
  ShowNotice(platform, "%s = %d", "Name", 7);
  ShowNotice(platform, "%s", std::string(1500, 'x'));
  ShowNotice(platform, "%s%s", std::string(1022, 'x'), "ソ");   // the pair does not fit
  ShowNotice(platform, "起動アプリ = %s\n", "C:\\%s%n%d.exe");  // user text is never a format
  ShowSystemErrorNotice(platform, 5, "RegSetValueExに失敗しました。");
  ShowSystemErrorNotice(platform, static_cast<std::uint32_t>(-3), "失敗 %s", "x");
  ShowSystemErrorNotice(platform, 2, "%s", std::string(1020, 'y'));
  EXPECT_EQ(world.Texts(), (std::vector<std::string>{
                               "Name = 7", std::string(1023, 'x'), std::string(1022, 'x'),
                               "起動アプリ = C:\\%s%n%d.exe\n",
                               "RegSetValueExに失敗しました。\nSysErr(5) 拒否されました。\r\n",
                               "失敗 x\nSysErr(-3) ", std::string(1020, 'y') + "\nSy"}));
  EXPECT_EQ(world.shown[0].caption, "Mountwickからの通知");
  EXPECT_EQ(world.shown[0].style, mb::kIconError);
}

TEST(Notices, TheOwnerIsTheForegroundWindowOnlyWhenItIsOurs) {
  for (const auto& [title, owned] : std::vector<std::pair<std::string, bool>>{
           {"Mountwick Ver1.0 (Build102)  アクションの設定", true},
           {"Mountwick", true},
           {"Mountwic", false},
           {"Notepad - Mountwick", false},
           {"", false}}) {
    fake::FakeWorld world;
    world.foreground = 0x55;
    world.titles[0x55] = title;
    ShowNotice(world.platform(), "x");
    EXPECT_EQ(world.shown.at(0).owner, owned ? 0x55u : 0u) << title;
  }
}

}  // namespace
}  // namespace mw
