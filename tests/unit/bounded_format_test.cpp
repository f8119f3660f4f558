#include "notices/bounded_format.h"

#include <gtest/gtest.h>

namespace mw {
namespace {

TEST(BoundedFormat, FollowsTheSystemFormatterConversions) {
  struct Case {
    std::string expected;
    std::string actual;
  };
  const std::vector<Case> cases = {
      {"SysErr(-5) x", FormatBounded("SysErr(%d) %s", {-5, "x"}, 1024)},
      {"4294967291", FormatBounded("%u", {-5}, 1024)},
      {"ff FF 0xff", FormatBounded("%x %X %#x", {255, 255, 255}, 1024)},
      {"[  7][7  ][007]", FormatBounded("[%3d][%-3d][%03d]", {7, 7, 7}, 1024)},
      {"ab", FormatBounded("%.2s", {"abcdef"}, 1024)},
      {"100%", FormatBounded("%d%%", {100}, 1024)},
      {"E:", FormatBounded("%c:", {'E'}, 1024)},
      {"Build102", FormatBounded("Build%ld", {102L}, 20)},
  };
  for (const Case& c : cases) EXPECT_EQ(c.actual, c.expected);
}

TEST(BoundedFormat, MissingOrMismatchedArgumentsPrintNothing) {
  EXPECT_EQ(FormatBounded("a%sb%dc", {}, 1024), "abc");
  EXPECT_EQ(FormatBounded("%d|%s", {"text", 3}, 1024), "|");
}

TEST(BoundedFormat, StaysInsideTheBufferWhateverTheWidth) {
  EXPECT_EQ(FormatBounded("%99999999d", {1}, 16).size(), 15u);
  EXPECT_EQ(FormatBounded("%s%s", {std::string(10, 'a'), std::string(10, 'b')}, 8), "aaaaaaa");
}

}  // namespace
}  // namespace mw
