#include "engine/command_line_split.h"

#include <algorithm>

namespace mw {

SplitCommandLine SplitParameters(const CasedText& line) {
  SplitCommandLine split{line, {}, {}};
  const std::string& text = line.upper;
  if (text.empty()) return split;

  if (text.front() == '"') {
    const std::size_t close = text.find('"', 1);
    if (close == std::string::npos) {
      // Never closed: nothing is taken as the program, and the start fails.
      split.program = {};
      split.parameters = line;
      split.joint = " ";
    } else {
      split.program = line.Sub(0, close + 1);
      split.parameters = line.Sub(close + 1);
    }
    return split;
  }
  if (text.back() == '"') {
    const std::size_t open = text.find('"', 1);
    split.program = line.Sub(0, open);
    split.parameters = line.Sub(open);
    return split;
  }
  if (text.find('"') != std::string::npos) return split;

  std::size_t end = text.find(".BAT ");
  if (end == std::string::npos) end = text.find(".COM ");
  if (end == std::string::npos) end = text.find(".EXE ");
  if (text.find(' ') == std::string::npos) return split;
  if (end != std::string::npos) {
    split.program = line.Sub(0, end + 4);
    split.parameters = line.Sub(end + 5);
    split.joint = " ";
  } else {
    split.program = CasedText::Quoted(line);
  }
  return split;
}

bool EndsWithFirstExtension(std::string_view upper, std::string_view extension) {
  const std::size_t at = upper.find(extension);
  return at != std::string_view::npos && upper.size() >= 4 && at == upper.size() - 4;
}

bool NamesProgram(const SplitCommandLine& split) {
  const std::string& program = split.program.upper;
  if (EndsWithFirstExtension(program, ".EXE")) return true;
  if (EndsWithFirstExtension(program, ".BAT")) return true;
  if (EndsWithFirstExtension(program, ".COM")) return true;
  if (!split.parameters.empty()) return true;
  // A quoted argument in the middle leaves the options with the program.
  if (ProgramPathEnd(program) < program.size()) return true;
  for (const char* end : {".EXE\"", ".BAT\"", ".COM\""}) {
    if (program.find(end) != std::string::npos) return true;
  }
  return false;
}

std::size_t ProgramPathEnd(std::string_view upper) {
  for (std::size_t at = upper.find('.'); at != std::string_view::npos;
       at = upper.find('.', at + 1)) {
    const std::string_view extension = upper.substr(at, 4);
    if (extension != ".EXE" && extension != ".COM" && extension != ".BAT") continue;
    if (at + 4 == upper.size() || upper[at + 4] == ' ') return at + 4;
  }
  return std::string_view::npos;
}

std::string StartedCommand(const SplitCommandLine& split) {
  std::string command = split.program.original;
  const std::size_t end = ProgramPathEnd(split.program.upper);
  if (end != std::string_view::npos) {
    const std::string path = command.substr(0, end);
    if (path.find(' ') != std::string::npos && path.find('"') == std::string::npos)
      command = '"' + path + '"' + command.substr(end);
  }
  return command + split.joint + split.parameters.original;
}

ShellCommand SplitStartedCommand(const std::string& command) {
  std::size_t end = 0;
  ShellCommand shell;
  if (!command.empty() && command.front() == '"') {
    end = std::min(command.find('"', 1), command.size());
    shell.file = command.substr(1, end - 1);
    ++end;
  } else {
    end = std::min(command.find_first_of(" \t"), command.size());
    shell.file = command.substr(0, end);
  }
  const std::size_t from = command.find_first_not_of(" \t", std::min(end, command.size()));
  if (from != std::string::npos) shell.parameters = command.substr(from);
  return shell;
}

}  // namespace mw
