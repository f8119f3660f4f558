#pragma once
#include <algorithm>

#include "fakes/fake_common.h"
#include "platform/activity_port.h"

namespace mw::fake {

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
