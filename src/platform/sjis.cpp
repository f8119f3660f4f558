#include "platform/sjis.h"

namespace mw {

std::size_t FindLastSingleByte(std::string_view text, char ch) {
  std::size_t found = std::string_view::npos;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsSjisLeadByte(static_cast<unsigned char>(text[i]))) {
      ++i;
      continue;
    }
    if (text[i] == ch) found = i;
  }
  return found;
}

std::size_t FindFirstSingleByte(std::string_view text, char ch) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsSjisLeadByte(static_cast<unsigned char>(text[i]))) {
      ++i;
      continue;
    }
    if (text[i] == ch) return i;
  }
  return std::string_view::npos;
}

void UpperCaseSjis(char* text, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (IsSjisLeadByte(byte)) {
      ++i;
    } else if (byte >= 'a' && byte <= 'z') {
      text[i] = static_cast<char>(byte - 'a' + 'A');
    }
  }
}

}  // namespace mw
