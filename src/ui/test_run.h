#pragma once
// The settings dialog's test run: starts the form's command line once, and
// shows when the automatic removal would be requested.
#include <functional>
#include <string>

#include "platform/platform.h"

namespace mw {

inline constexpr char kProcessEndedMessage[] =
    "プロセスの終了を検知しました。\nこのタイミングで取り外しが試みられます。";

// Starts command_line as the test run reads it (510 bytes at most), untouched
// otherwise: the drive token stays, no delay, no checks. An empty command line
// does nothing. Without wait_for_end it returns once the program has started.
// With it the start and the wait go to a thread of the pool, so that the
// window goes on answering: true then, and done is called on that thread at
// the end, with whether the program ran to its end (a failed start has had
// the launcher's notice).
bool RunTestCommand(const Platform& platform, const std::string& command_line, bool wait_for_end,
                    std::function<void(bool ended)> done);

// The box that tells the end, owned by the dialog and above other windows.
void ShowProcessEnded(const Platform& platform, UserNoticePort::Window owner);

}  // namespace mw
