#pragma once
// "/LOG": the activity log opened in the user's editor.
#include "platform/log_file_port.h"
#include "platform/platform.h"

namespace mw {

// Opens the log with the shell (Notepad when ".log" files have no editor),
// making an empty one first, so that there is always something to open;
// false after a notice.
bool ShowActivityLog(const Platform& platform, LogFilePort& file);

}  // namespace mw
