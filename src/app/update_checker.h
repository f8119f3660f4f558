#pragma once
// Leaves the values an installed update checker reads to find the program;
// the checker itself is never started or called.
#include "platform/platform.h"

namespace mw {

inline constexpr char kUpdateCheckerRoot[] = "Software\\Tivolane\\";
inline constexpr char kAuthorContact[] = "support@quillory.example";

void RegisterWithUpdateChecker(const Platform& platform);

}  // namespace mw
