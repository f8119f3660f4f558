#pragma once
// What a command line comes to before anything starts: the command to create
// (a program with its parameters, a document's associated program, the
// browser for a web address), a file for the shell (a mail address), or
// nothing, after a notice that says why.
#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace mw {

inline constexpr std::size_t kLaunchBufferSize = 512;
inline constexpr char kStartFailedText[] =
    "アプリケーションの起動に失敗しました。\n\n起動アプリ = %s\n";

struct LaunchTarget {
  enum class Way { Create, Shell, Refused };
  Way way = Way::Refused;
  std::string what;         // the command to create, or the file the shell opens
  std::uint32_t error = 0;  // of a refusal, when it has one
};

// Environment names expanded, quoted where it must be, associations and the
// browser found. A refusal has shown its notice.
LaunchTarget ResolveLaunchTarget(const Platform& platform, const std::string& command_line);

// The program part of the "open" command that HKEY_CLASSES_ROOT registers for
// the document's extension, upper-cased and environment-expanded. False when
// the document has no extension (silently) or a registry step failed (after
// a notice).
[[nodiscard]] bool FindAssociatedProgram(const Platform& platform, const std::string& document,
                                         std::string& program);

}  // namespace mw
