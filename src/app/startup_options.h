#pragma once
// What the command line asks of a start.
#include <string>

#include "platform/desktop_port.h"

namespace mw {

// "/S" or "SET" anywhere in the upper-cased arguments opens the settings
// dialog at start: /s, /Settings, setup and reset all do.
bool OpenSettingsAtStart(DesktopPort& text, std::string arguments);

// "/LOG" anywhere in the upper-cased arguments opens the activity log in the
// user's editor instead of starting.
bool OpenActivityLogOnly(DesktopPort& text, std::string arguments);

}  // namespace mw
