#pragma once
// Text conversions of the system's ANSI code page.
#include <string>

namespace mw {

class TextPort {
 public:
  virtual ~TextPort() = default;
  // CharUpperA in place. Keeps the byte length and the byte positions.
  virtual void ToUpper(std::string& text) = 0;
};

}  // namespace mw
