#pragma once
// Numbers in Actions are decimal texts: leading white space is skipped, an
// optional sign and the leading digits count, anything else ends the number,
// and a text without leading digits is 0. The result saturates at the limits
// of a signed 32-bit value instead of overflowing.
#include <cstdint>
#include <string_view>

namespace mw {

std::int32_t DecimalToInt(std::string_view text);

// A wait in milliseconds; a negative number waits nothing.
std::uint32_t DecimalToWait(std::string_view text);

}  // namespace mw
