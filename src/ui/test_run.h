#pragma once
// The settings dialog's test run: starts the form's command line once, and
// shows when the automatic removal would be requested.
#include <string>

#include "platform/platform.h"

namespace mw {

inline constexpr char kProcessEndedMessage[] =
    "プロセスの終了を検知しました。\nこのタイミングで取り外しが試みられます。";

// Starts command_line as the test run reads it (510 bytes at most), untouched
// otherwise: the drive token stays, no delay, no checks. With wait_for_end
// the launcher returns when the program has ended, and then owner gets the
// information box. An empty command line does nothing.
void RunTestCommand(const Platform& platform, UserNoticePort::Window owner,
                    const std::string& command_line, bool wait_for_end);

}  // namespace mw
