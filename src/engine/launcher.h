#pragma once
// Turns a command line into a started program: a program or batch file with
// its parameters, a document through its association, a web address through
// the default browser, or a mail address through the shell.
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace mw {

inline constexpr std::size_t kLaunchBufferSize = 512;

// Returns true when the target was started (and, with wait and a process
// created, has ended); false after a notice.
// who names the start in the activity log.
[[nodiscard]] bool LaunchProgram(const Platform& platform, const std::string& command_line,
                                 bool wait, std::string_view who = "テスト実行");

// CreateProcess of command as it stands; false after the start-failure
// notice. The process, when started, is left in process.
[[nodiscard]] bool StartCommand(const Platform& platform, const std::string& command,
                                ProcessWindow window, ScopedProcess& process);

// The shell's "open" verb, with parameters when given; false after the
// start-failure notice.
[[nodiscard]] bool ShellOpen(const Platform& platform, const std::string& file,
                             const std::optional<std::string>& parameters = std::nullopt);

// The program part of the "open" command that HKEY_CLASSES_ROOT registers for
// the document's extension, upper-cased and environment-expanded. False when
// the document has no extension (silently) or a registry step failed (after
// a notice).
[[nodiscard]] bool FindAssociatedProgram(const Platform& platform, const std::string& document,
                                         std::string& program);

}  // namespace mw
