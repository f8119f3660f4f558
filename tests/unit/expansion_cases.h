#pragma once
// What ExpandEnvironmentStringsA makes of a text: the Windows tests hold the
// system to these rows and the host tests hold the fake platform to them.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "platform/process_port.h"

namespace mw::expansion {

inline constexpr std::pair<const char*, const char*> kVariables[] = {{"MW_A", "a"},
                                                                     {"MW_SELF", "<%MW_SELF%>"}};

struct Case {
  const char* source;
  const char* expanded;
};
inline constexpr Case kCases[] = {
    {"%MW_A%", "a"},
    {"%mw_a%%MW_A%", "aa"},                // names in any case, side by side
    {"x%MW_SELF%y", "x<%MW_SELF%>y"},      // a value is never expanded again
    {"%MW_NONE%", "%MW_NONE%"},            // an undefined name stays as written
    {"%MW_NONE%MW_A%", "%MW_NONE%MW_A%"},  // and the scan goes on after it
    {"100% %MW_A", "100% %MW_A"},          // unclosed
    {"%%", "%%"},
    {"", ""},
};

// Each row through the port, once with room and once without: the size
// asked for is the same either way.
inline void ExpectExpandedAsRows(ProcessPort& processes) {
  for (const Case& row : kCases) {
    char buffer[64] = {};
    const auto needed = static_cast<std::uint32_t>(std::string(row.expanded).size() + 1);
    EXPECT_EQ(processes.ExpandEnvironment(row.source, buffer, 1), needed) << row.source;
    EXPECT_EQ(processes.ExpandEnvironment(row.source, buffer, sizeof buffer), needed);
    EXPECT_STREQ(buffer, row.expanded) << row.source;
  }
}

}  // namespace mw::expansion
