#pragma once
// Shift-JIS (code page 932) byte classes. A trail byte can be 0x5C ('\\') or a
// lower-case ASCII letter, so every byte scan of user text steps over pairs.
#include <cstddef>
#include <string_view>

namespace mw {

constexpr bool IsSjisLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Position of the last single-byte occurrence of ch, or npos. Bytes that are
// the second half of a double-byte character never match.
std::size_t FindLastSingleByte(std::string_view text, char ch);

// Position of the first single-byte occurrence of ch, or npos.
std::size_t FindFirstSingleByte(std::string_view text, char ch);

// Upper-cases the ASCII letters of text in place, stepping over double-byte
// characters: what the system's CharUpperA does to Shift-JIS text.
void UpperCaseSjis(char* text, std::size_t length);

}  // namespace mw
