#pragma once
// Where the program says what it did and why. Writing never fails visibly.
#include <string>

namespace mw {

class ActivityPort {
 public:
  virtual ~ActivityPort() = default;
  // One event as Shift-JIS text, without a line break; any thread.
  virtual void Write(const std::string& text) = 0;
};

}  // namespace mw
