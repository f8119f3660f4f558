#pragma once
// A desktop with no window in front, message boxes that are recorded and
// answered in turn, and the activity log.
#include <algorithm>
#include <cstring>
#include <map>

#include "fakes/fake_common.h"
#include "platform/activity_port.h"
#include "platform/desktop_port.h"
#include "platform/user_notice_port.h"

namespace mw::fake {

class FakeDesktop : public DesktopPort {
 public:
  Window DesktopWindow() override { return 0xDE5C; }
  Window ForegroundWindow() override { return 0; }
  std::string WindowTitle(Window, int) override { return {}; }
  void ToUpper(std::string& text) override { text = Upper(text); }
};

class FakeNotices : public UserNoticePort {
 public:
  struct Shown {
    Window owner;
    std::string text;
    std::uint32_t style;
  };
  std::vector<Shown> shown;
  std::deque<int> answers;            // answered in order; IDOK once they run out
  std::function<void()> while_shown;  // what the message loop of the next box runs
  std::map<std::uint32_t, std::string> system_texts;
  std::vector<std::string> Texts() {
    std::vector<std::string> texts;
    for (const Shown& each : shown) texts.push_back(each.text);
    return texts;
  }

  int ShowMessageBox(Window owner, const std::string& text, const std::string&,
                     std::uint32_t style) override {
    shown.push_back({owner, text, style});
    if (while_shown) std::exchange(while_shown, nullptr)();
    const int answer = answers.empty() ? mb::kIdOk : answers.front();
    if (!answers.empty()) answers.pop_front();
    return answer;
  }
  std::uint32_t FormatSystemMessage(std::uint32_t code, char* buffer, std::uint32_t size) override {
    const std::string text = system_texts[code].substr(0, size - 1);
    std::memcpy(buffer, text.data(), text.size());
    return static_cast<std::uint32_t>(text.size());
  }
};

// The activity log, line by line.
class FakeActivity : public ActivityPort {
 public:
  explicit FakeActivity(FakeCommon& common) : common_(common) {}
  std::vector<std::string> activity;
  void Write(const std::string& text) override {
    common_.Locked([&] {
      for (std::size_t from = 0; from <= text.size();) {
        const std::size_t end = std::min(text.find('\n', from), text.size());
        activity.push_back(text.substr(from, end - from));
        from = end + 1;
      }
    });
  }

 private:
  FakeCommon& common_;
};

}  // namespace mw::fake
