#include "notices/bounded_format.h"

#include "platform/sjis.h"

namespace mw {
namespace {

struct Conversion {
  bool left = false;
  bool zero = false;
  bool alternate = false;
  std::size_t width = 0;
  bool has_precision = false;
  std::size_t precision = 0;
};

void Pad(std::string& out, std::string_view body, const Conversion& conversion,
         std::string_view prefix = {}) {
  const std::size_t length = prefix.size() + body.size();
  const std::size_t fill = conversion.width > length ? conversion.width - length : 0;
  if (conversion.left) {
    out.append(prefix).append(body).append(fill, ' ');
  } else if (conversion.zero) {
    out.append(prefix).append(fill, '0').append(body);
  } else {
    out.append(fill, ' ').append(prefix).append(body);
  }
}

std::string Digits(std::uint64_t value, unsigned base, bool upper) {
  const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  std::string text;
  do {
    text.insert(text.begin(), digits[value % base]);
    value /= base;
  } while (value != 0);
  return text;
}

}  // namespace

void CutAtCharacterBoundary(std::string& text, std::size_t max_bytes) {
  if (text.size() <= max_bytes) return;
  text.resize(max_bytes);
  // Drop a lead byte whose trail byte was cut off.
  std::size_t i = 0;
  while (i < text.size()) {
    if (IsSjisLeadByte(static_cast<unsigned char>(text[i]))) {
      if (i + 1 >= text.size()) {
        text.resize(i);
        break;
      }
      i += 2;
    } else {
      ++i;
    }
  }
}

std::string FormatBounded(std::string_view format, std::initializer_list<FormatArg> args,
                          std::size_t buffer_size) {
  std::string out;
  const FormatArg* next = args.begin();
  auto take = [&]() -> const FormatArg* { return next != args.end() ? next++ : nullptr; };

  std::size_t i = 0;
  while (i < format.size() && out.size() < buffer_size) {
    const char c = format[i++];
    if (c != '%') {
      out.push_back(c);
      continue;
    }
    if (i >= format.size()) break;
    if (format[i] == '%') {
      out.push_back('%');
      ++i;
      continue;
    }
    Conversion conversion;
    for (; i < format.size(); ++i) {
      if (format[i] == '-')
        conversion.left = true;
      else if (format[i] == '0')
        conversion.zero = true;
      else if (format[i] == '#')
        conversion.alternate = true;
      else
        break;
    }
    while (i < format.size() && format[i] >= '0' && format[i] <= '9')
      conversion.width = conversion.width * 10 + static_cast<std::size_t>(format[i++] - '0');
    if (i < format.size() && format[i] == '.') {
      conversion.has_precision = true;
      ++i;
      while (i < format.size() && format[i] >= '0' && format[i] <= '9')
        conversion.precision =
            conversion.precision * 10 + static_cast<std::size_t>(format[i++] - '0');
    }
    while (i < format.size() && (format[i] == 'l' || format[i] == 'h')) ++i;
    if (i >= format.size()) break;
    // Keep widths sane: nothing wider than the buffer can be shown anyway.
    if (conversion.width > buffer_size) conversion.width = buffer_size;
    if (conversion.precision > buffer_size) conversion.precision = buffer_size;

    const char type = format[i++];
    switch (type) {
      case 's':
      case 'S': {
        const FormatArg* arg = take();
        if (!arg || arg->kind() != FormatArg::Kind::Text) break;
        std::string_view text = arg->text();
        if (conversion.has_precision && text.size() > conversion.precision)
          text = text.substr(0, conversion.precision);
        Pad(out, text, Conversion{conversion.left, false, false, conversion.width, false, 0});
        break;
      }
      case 'c':
      case 'C': {
        const FormatArg* arg = take();
        if (!arg || arg->kind() != FormatArg::Kind::Number) break;
        const char ch = static_cast<char>(arg->number());
        Pad(out, std::string_view(&ch, 1),
            Conversion{conversion.left, false, false, conversion.width, false, 0});
        break;
      }
      case 'd':
      case 'i':
      case 'u':
      case 'x':
      case 'X': {
        const FormatArg* arg = take();
        if (!arg || arg->kind() != FormatArg::Kind::Number) break;
        std::string prefix;
        std::string body;
        if (type == 'd' || type == 'i') {
          const auto value = static_cast<std::int32_t>(arg->number());
          if (value < 0) prefix = "-";
          body =
              Digits(value < 0 ? 0u - static_cast<std::uint64_t>(static_cast<std::int64_t>(value))
                               : static_cast<std::uint64_t>(value),
                     10, false);
        } else {
          const auto value = static_cast<std::uint32_t>(arg->number());
          body = Digits(value, type == 'u' ? 10 : 16, type == 'X');
          if (conversion.alternate && type != 'u' && value != 0) prefix = type == 'X' ? "0X" : "0x";
        }
        if (conversion.has_precision && body.size() < conversion.precision)
          body.insert(0, conversion.precision - body.size(), '0');
        Pad(out, body, conversion, prefix);
        break;
      }
      default:
        // An unknown conversion prints its character, as the system's formatter does.
        out.push_back(type);
        break;
    }
  }
  CutAtCharacterBoundary(out, buffer_size - 1);
  return out;
}

}  // namespace mw
