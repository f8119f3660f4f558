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

// A text and what it expands to.
inline constexpr std::pair<const char*, const char*> kCases[] = {
    {"%MW_A%", "a"},
    {"%mw_a%%MW_A%", "aa"},                // names in any case, side by side
    {"x%MW_SELF%y", "x<%MW_SELF%>y"},      // a value is never expanded again
    {"%MW_NONE%", "%MW_NONE%"},            // an undefined name stays as written
    {"%MW_NONE%MW_A%", "%MW_NONE%MW_A%"},  // and the scan goes on after it
    {"100% %MW_A", "100% %MW_A"},          // unclosed
    {"%%", "%%"},
    {"", ""},
};

// Each row with room and without: the size asked for is the same.
inline void ExpectExpandedAsRows(ProcessPort& processes) {
  for (const auto& [source, expanded] : kCases) {
    char buffer[64] = {};
    const auto needed = static_cast<std::uint32_t>(std::string(expanded).size() + 1);
    EXPECT_EQ(processes.ExpandEnvironment(source, buffer, 1), needed) << source;
    EXPECT_EQ(processes.ExpandEnvironment(source, buffer, sizeof buffer), needed);
    EXPECT_STREQ(buffer, expanded) << source;
  }
}

}  // namespace mw::expansion
