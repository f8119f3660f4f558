#pragma once
// The system's file-open dialog for the program an Action runs.
#include <windows.h>

#include <string>

namespace mw {

// Starts with start_name (at most 510 bytes); true with the chosen path, as
// the dialog returns it, when the user confirmed.
bool ChooseExecutableFile(HWND owner, const std::string& start_name, std::string& chosen);

}  // namespace mw
