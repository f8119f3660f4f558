#include "fakes/fake_notices.h"

#include <cstring>

#include "platform/sjis.h"

namespace mw::fake {

int FakeNotices::ShowMessageBox(Window owner, const std::string& text, const std::string& caption,
                                std::uint32_t style) {
  std::function<void()> hook;
  {
    std::lock_guard lock(guard_);
    shown.push_back({owner, text, caption, style});
    hook = while_shown;
  }
  if (hook) hook();
  std::lock_guard lock(guard_);
  if (answers.empty()) return mb::kIdOk;
  const int answer = answers.front();
  answers.pop_front();
  return answer;
}

std::string FakeDesktop::WindowTitle(Window window, int buffer_size) {
  auto it = titles.find(window);
  if (it == titles.end()) return {};
  return it->second.substr(0, static_cast<std::size_t>(buffer_size - 1));
}

std::uint32_t FakeNotices::FormatSystemMessage(std::uint32_t code, char* buffer,
                                               std::uint32_t size) {
  auto it = system_texts.find(code);
  if (it == system_texts.end()) return 0;
  const std::size_t length = std::min<std::size_t>(it->second.size(), size - 1);
  std::memcpy(buffer, it->second.data(), length);
  return static_cast<std::uint32_t>(length);
}

std::vector<std::string> FakeNotices::Texts() const {
  std::lock_guard lock(guard_);
  std::vector<std::string> texts;
  for (const Shown& notice : shown) texts.push_back(notice.text);
  return texts;
}

void FakeDesktop::ToUpper(std::string& text) {
  UpperCaseSjis(text.data(), text.size());
}

}  // namespace mw::fake
