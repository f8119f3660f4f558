#pragma once
// The pure part of the launcher: where a command line splits into the program
// and its parameters, and whether a part names a program.
#include <cstddef>
#include <string>
#include <string_view>

namespace mw {

// A text in two spellings of equal length: upper-cased for every test and
// search, and as the user wrote it for everything that is started.
struct CasedText {
  std::string upper;
  std::string original;

  bool empty() const { return upper.empty(); }
  CasedText Sub(std::size_t pos, std::size_t count = std::string::npos) const {
    return {upper.substr(pos, count), original.substr(pos, count)};
  }
  static CasedText Quoted(const CasedText& text) {
    return {'"' + text.upper + '"', '"' + text.original + '"'};
  }
};

struct SplitCommandLine {
  CasedText program;
  CasedText parameters;
  // What stood between the two in the line: a blank, or nothing when the split
  // fell at a quote. A program found elsewhere is joined with one blank.
  std::string joint;
};

// Splits off the parameters: a leading quoted program, a trailing quoted
// argument, ".BAT "/".COM "/".EXE " in that order of preference, or a path
// with blanks that is quoted as a whole.
SplitCommandLine SplitParameters(const CasedText& line);

// The first occurrence of extension starts exactly four characters before the end.
bool EndsWithFirstExtension(std::string_view upper, std::string_view extension);

// The program test: whether the split names something CreateProcess can
// start. Besides a program part that ends in a program's extension, or one
// with parameters, a program path followed by options counts: a line with a
// quoted argument in its middle is not split, yet names a program.
bool NamesProgram(const SplitCommandLine& split);

// Where the program path of a program part ends: just after the first
// ".EXE", ".COM" or ".BAT" that is followed by a blank or ends the part;
// npos when there is none.
std::size_t ProgramPathEnd(std::string_view upper);

// The command CreateProcess receives: program, joint, parameters, so that a
// line is started exactly as typed. An unquoted program path with blanks is
// quoted, and only the path, so that no shorter path ("C:\PROGRAM.EXE" for
// "C:\PROGRAM FILES\...") is ever tried first; nothing else is added.
std::string StartedCommand(const SplitCommandLine& split);

// A started command taken apart again for the shell: the program file without
// its quotes, and the parameters after the blanks that follow it.
struct ShellCommand {
  std::string file;
  std::string parameters;
};
ShellCommand SplitStartedCommand(const std::string& command);

}  // namespace mw
