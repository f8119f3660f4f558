#include "engine/command_line_split.h"

namespace mw {

SplitCommandLine SplitParameters(const CasedText& line) {
  SplitCommandLine split{line, {}};
  const std::string& text = line.upper;
  if (text.empty()) return split;

  if (text.front() == '"') {
    const std::size_t close = text.find('"', 1);
    if (close == std::string::npos) {
      // Never closed: nothing is taken as the program.
      split.program = {};
      split.parameters = line;
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
  for (const char* end : {".EXE\"", ".BAT\"", ".COM\""}) {
    if (program.find(end) != std::string::npos) return true;
  }
  return false;
}

std::string StartedCommand(const std::string& program, const std::string& parameters) {
  std::string path = program;
  while (!path.empty() && path.back() == ' ') path.pop_back();
  if (path.find(' ') != std::string::npos && path.find('"') == std::string::npos) {
    return '"' + path + "\" " + parameters;
  }
  return program + ' ' + parameters;
}

}  // namespace mw
