#pragma once
// Message boxes that record what they show and answer as told, system error
// texts from a table, and a desktop whose windows and titles are set by the test.
#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/activity_port.h"
#include "platform/desktop_port.h"
#include "platform/user_notice_port.h"

namespace mw::fake {

// The activity log as its lines, in the order they were written.
class FakeActivity : public ActivityPort {
 public:
  void Write(const std::string& text) override {
    std::lock_guard lock(guard_);
    for (std::size_t from = 0; from <= text.size();) {
      const std::size_t end = std::min(text.find('\n', from), text.size());
      lines_.push_back(text.substr(from, end - from));
      from = end + 1;
    }
  }
  std::vector<std::string> Lines() const {
    std::lock_guard lock(guard_);
    return lines_;
  }

 private:
  mutable std::mutex guard_;
  std::vector<std::string> lines_;
};

class FakeNotices : public UserNoticePort {
 public:
  struct Shown {
    Window owner;
    std::string text;
    std::string caption;
    std::uint32_t style;
  };

  std::vector<Shown> shown;
  std::deque<int> answers;  // answered in order; IDOK once they run out
  std::map<std::uint32_t, std::string> system_texts;
  // Runs while a message box is open, as its message loop would run other work.
  std::function<void()> while_shown;

  int ShowMessageBox(Window owner, const std::string& text, const std::string& caption,
                     std::uint32_t style) override;
  std::uint32_t FormatSystemMessage(std::uint32_t code, char* buffer, std::uint32_t size) override;

  std::vector<std::string> Texts() const;

 private:
  mutable std::mutex guard_;
};

// The upper-casing is the system's for Shift-JIS: ASCII letters only,
// double-byte characters stepped over.
class FakeDesktop : public DesktopPort {
 public:
  static constexpr Window kDesktop = 0xDE5C;
  Window foreground = 0;
  std::map<Window, std::string> titles;

  Window DesktopWindow() override { return kDesktop; }
  Window ForegroundWindow() override { return foreground; }
  std::string WindowTitle(Window window, int buffer_size) override;
  void ToUpper(std::string& text) override;
};

}  // namespace mw::fake
