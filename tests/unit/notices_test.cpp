#include "notices/notices.h"

#include <gtest/gtest.h>

#include "fakes/fake_world.h"
#include "notices/bounded_format.h"

namespace mw {
namespace {

TEST(Notices, AreFormattedAsTheSystemWouldAndCutAt1023BytesNeverInsideACharacter) {
  EXPECT_EQ(FormatBounded("%u|%x %X %#x|[%3d][%-3d][%03d]|%.2s|%d%%|%c|%ld",
                          {-5, 255, 255, 255, 7, 7, 7, "abc", 100, 'E', 102L}, 1024),
            "4294967291|ff FF 0xff|[  7][7  ][007]|ab|100%|E|102");
  EXPECT_EQ(FormatBounded("%d|%s|%s", {"text", 3}, 1024),
            "||");  // mismatched or missing arguments print nothing
  EXPECT_EQ(FormatBounded("%s%s", {std::string(10, 'a'), std::string(10, 'b')}, 8), "aaaaaaa");
  fake::FakeWorld world;
  world.system_texts[5] = "拒否されました。\r\n";
  ShowNotice(world.platform(), "%s", std::string(1500, 'x'));
  ShowNotice(world.platform(), "%s%s", std::string(1022, 'x'), "ソ");  // the pair does not fit
  ShowNotice(world.platform(), "起動アプリ = %s", "C:\\%s%n%d.exe");  // user text is never a format
  ShowSystemErrorNotice(world.platform(), 5, "失敗 %s", "x");
  ShowSystemErrorNotice(world.platform(), static_cast<std::uint32_t>(-3), "%s",
                        std::string(1015, 'y'));
  EXPECT_EQ(world.Texts(),
            (std::vector<std::string>{
                std::string(1023, 'x'), std::string(1022, 'x'), "起動アプリ = C:\\%s%n%d.exe",
                "失敗 x\nSysErr(5) 拒否されました。\r\n", std::string(1015, 'y') + "\nSysErr("}));
}

}  // namespace
}  // namespace mw
