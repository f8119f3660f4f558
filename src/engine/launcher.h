#pragma once
// Turns a command line into a started program: a program or batch file with
// its parameters, a document through its association, a web address through
// the default browser, or a mail address through the shell.
#include <optional>
#include <string>
#include <string_view>

#include "engine/launch_target.h"
#include "platform/platform.h"

namespace mw {

inline constexpr std::uint32_t kErrorElevationRequired = 740;
// How often a wait for the programs of a job looks at their count again, in
// case the job's port missed its message.
inline constexpr std::uint32_t kJobPollMilliseconds = 500;

// What a launch came to: started, or not started after a notice, with the code
// the failing call gave (0 for a failure that has none, such as a missing
// association).
struct LaunchResult {
  bool started = false;
  std::uint32_t error = 0;
  explicit operator bool() const { return started; }
};

// Starts what the command line names. With wait, returns once the started
// process and every process it started in turn have ended: the program runs in
// a job of its own, which nothing ever ends. who names the start in the
// activity log.
[[nodiscard]] LaunchResult LaunchProgram(const Platform& platform, const std::string& command_line,
                                         bool wait, std::string_view who = "テスト実行");

// CreateProcess of command as it stands; false after the start-failure
// notice. The process, when started, is left in process.
[[nodiscard]] bool StartCommand(const Platform& platform, const std::string& command,
                                ProcessWindow window, ScopedProcess& process);

// The shell's "open" verb, with parameters when given; false after the
// start-failure notice, with the shell's answer in *error when given.
[[nodiscard]] bool ShellOpen(const Platform& platform, const std::string& file,
                             const std::optional<std::string>& parameters = std::nullopt,
                             std::uint32_t* error = nullptr);

}  // namespace mw
