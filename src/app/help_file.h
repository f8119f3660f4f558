#pragma once
// The help file, opened by its full path beside the program file: a file
// planted in the working directory must never answer for the help.
#include <string>

#include "platform/platform.h"

namespace mw {

// "Mountwick.chm" in the program file's folder; the bare name when the
// program file's path is unknown.
std::string HelpFilePath(const Platform& platform);

void OpenHelpFile(const Platform& platform);

}  // namespace mw
