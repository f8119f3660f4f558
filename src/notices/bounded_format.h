#pragma once
// A formatter with the conversions of the system's wvsprintfA (%s %c %d %i %u
// %x %X, flags - 0 #, width, precision, the l and h size prefixes), bounded
// to a buffer size. Arguments are typed values: a conversion without an
// argument, or with one of the wrong kind, prints nothing and reads nothing.
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace mw {

class FormatArg {
 public:
  enum class Kind { Number, Text };

  FormatArg(int value) : kind_(Kind::Number), number_(value) {}
  FormatArg(long value) : kind_(Kind::Number), number_(value) {}
  FormatArg(unsigned value) : kind_(Kind::Number), number_(value) {}
  FormatArg(unsigned long value) : kind_(Kind::Number), number_(static_cast<std::int64_t>(value)) {}
  FormatArg(char value) : kind_(Kind::Number), number_(static_cast<unsigned char>(value)) {}
  FormatArg(const char* value) : kind_(Kind::Text), text_(value ? value : "") {}
  FormatArg(const std::string& value) : kind_(Kind::Text), text_(value) {}
  FormatArg(std::string_view value) : kind_(Kind::Text), text_(value) {}

  Kind kind() const { return kind_; }
  std::int64_t number() const { return number_; }
  std::string_view text() const { return text_; }

 private:
  Kind kind_;
  std::int64_t number_ = 0;
  std::string_view text_;
};

// Formats into at most buffer_size - 1 bytes (the NUL takes the last one).
// A cut never leaves half of a Shift-JIS double-byte character behind.
std::string FormatBounded(std::string_view format, std::initializer_list<FormatArg> args,
                          std::size_t buffer_size);

// Cuts text to at most max_bytes, stepping back over a split double-byte character.
void CutAtCharacterBoundary(std::string& text, std::size_t max_bytes);

}  // namespace mw
