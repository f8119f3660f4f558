#include "ui/test_run.h"

#include "notices/notices.h"
#include "engine/launcher.h"
#include "ui/action_form.h"

namespace mw {

void RunTestCommand(const Platform& platform, UserNoticePort::Window owner,
                    const std::string& command_line, bool wait_for_end) {
  const std::string command = CutToBuffer(command_line, kShortCommandLimit);
  if (command.empty()) return;
  if (LaunchProgram(platform, command, wait_for_end) && wait_for_end)
    platform.notices.ShowMessageBox(owner, kProcessEndedMessage, kNoticeCaption,
                                    mb::kOk | mb::kIconInformation | mb::kTopmost);
}

}  // namespace mw
