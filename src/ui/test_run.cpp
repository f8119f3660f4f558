#include "ui/test_run.h"

#include <memory>

#include "engine/launcher.h"
#include "notices/notices.h"
#include "ui/action_form.h"

namespace mw {
namespace {

struct WaitingTestRun {
  Platform platform;
  std::string command;
  std::function<void(bool ended)> done;
};

std::uint32_t WaitForTestRun(void* parameter) {
  // Nothing may leave a thread routine as an exception.
  try {
    const std::unique_ptr<WaitingTestRun> run(static_cast<WaitingTestRun*>(parameter));
    const bool ended = static_cast<bool>(LaunchProgram(run->platform, run->command, true));
    run->done(ended);
  } catch (...) {
    return 1;
  }
  return 0;
}

}  // namespace

bool RunTestCommand(const Platform& platform, const std::string& command_line, bool wait_for_end,
                    std::function<void(bool ended)> done) {
  const std::string command = CutToBuffer(command_line, kShortCommandLimit);
  if (command.empty()) return false;
  if (!wait_for_end) {
    (void)LaunchProgram(platform, command, false);
    return false;
  }
  // Whoever runs WaitForTestRun owns the run from here.
  auto* run = new WaitingTestRun{platform, command, std::move(done)};
  std::uint32_t error = 0;
  if (platform.threads.RunDetached(&WaitForTestRun, run, &error)) return true;
  // No thread to wait on: the window waits, as it did before there was one.
  WaitForTestRun(run);
  return false;
}

void ShowProcessEnded(const Platform& platform, UserNoticePort::Window owner) {
  platform.notices.ShowMessageBox(owner, kProcessEndedMessage, kNoticeCaption,
                                  mb::kOk | mb::kIconInformation | mb::kTopmost);
}

}  // namespace mw
