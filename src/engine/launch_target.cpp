#include "engine/launch_target.h"

#include "engine/command_line_split.h"
#include "notices/notices.h"
#include "store/registry_text.h"

namespace mw {
namespace {

constexpr char kBrowserNotFound[] = "標準ブラウザのPath読み出しに失敗しました。";
constexpr char kNoAssociation[] = "アプリケーションの関連付けがありません。\n\nドキュメント = %s\n";
constexpr char kAssociationUnreadable[] = "拡張子関連付けレジストリの読み出しに失敗しました。";
constexpr char kRegOpenFailed[] = "RegOpenKeyExに失敗しました。";
constexpr std::uint32_t kErrorFileNotFound = 2;
constexpr std::uint32_t kErrorFilenameTooLong = 206;

// ExpandEnvironmentStringsA into the 512-byte buffer, 511 offered. False when
// the expansion fails or does not fit.
bool Expand(ProcessPort& processes, const std::string& source, std::string& expanded) {
  char buffer[kLaunchBufferSize] = {};
  const std::uint32_t needed = processes.ExpandEnvironment(source, buffer, kLaunchBufferSize - 1);
  if (needed == 0 || needed > kLaunchBufferSize - 1) return false;
  expanded.assign(buffer);
  return true;
}

std::string Unquoted(const std::string& path) {
  if (path.size() >= 2 && path.front() == '"' && path.back() == '"')
    return path.substr(1, path.size() - 2);
  return path;
}

std::string Upper(DesktopPort& text, std::string value) {
  text.ToUpper(value);
  return value;
}

}  // namespace

bool FindAssociatedProgram(const Platform& platform, const std::string& document,
                           std::string& program) {
  program.clear();
  std::string path = document;
  if (!path.empty() && path.front() == '"') {
    const std::size_t close = path.find('"', 1);
    path = path.substr(1, close == std::string::npos ? std::string::npos : close - 1);
  }
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos) return false;
  const std::string extension = path.substr(dot);

  RegistryPort& registry = platform.registry;
  std::string class_name;
  {
    ScopedRegKey key(registry);
    long result = key.Open(RegistryRoot::ClassesRoot, extension, reg::kRead);
    if (result != reg::kSuccess) {
      ShowSystemErrorNotice(platform, static_cast<std::uint32_t>(result), kRegOpenFailed);
      return false;
    }
    result = ReadRegistryText(registry, key.get(), "", class_name);
    if (result == reg::kFileNotFound) {
      class_name = extension;
    } else if (result != reg::kSuccess) {
      key.Reset();
      ShowSystemErrorNotice(platform, static_cast<std::uint32_t>(result), kRegQueryFailed);
      return false;
    }
  }

  std::string command;
  {
    ScopedRegKey key(registry);
    long result =
        key.Open(RegistryRoot::ClassesRoot, class_name + "\\shell\\open\\command", reg::kRead);
    if (result != reg::kSuccess) {
      ShowSystemErrorNotice(platform, static_cast<std::uint32_t>(result), kRegOpenFailed);
      return false;
    }
    result = ReadRegistryText(registry, key.get(), "", command);
    if (result != reg::kSuccess) {
      key.Reset();
      ShowSystemErrorNotice(platform, static_cast<std::uint32_t>(result), kRegQueryFailed);
      return false;
    }
  }
  platform.desktop.ToUpper(command);

  if (!command.empty() && command.front() == '"') {
    const std::size_t close = command.find('"', 1);
    command = close == std::string::npos ? std::string() : command.substr(0, close + 1);
  } else if (const std::size_t exe = command.find(".EXE"); exe != std::string::npos) {
    command.resize(exe + 4);
  }
  return Expand(platform.processes, command, program);
}

LaunchTarget ResolveLaunchTarget(const Platform& platform, const std::string& command_line) {
  std::string expanded;
  const bool fits = Expand(platform.processes, command_line, expanded);
  if (!fits || expanded.empty()) {
    // Neither a line too long for the buffer nor an empty one can be started.
    const std::uint32_t error = fits ? kErrorFileNotFound : kErrorFilenameTooLong;
    ShowSystemErrorNotice(platform, error, kStartFailedText, command_line);
    return {LaunchTarget::Way::Refused, {}, error};
  }
  // Every test works on the upper-cased copy; what is started keeps the
  // user's letters. Upper-casing keeps byte positions, so splits carry over.
  CasedText line{Upper(platform.desktop, expanded), expanded};
  if (line.upper.size() != line.original.size()) line.original = line.upper;

  if (line.upper.rfind("MAILTO:", 0) == 0) return {LaunchTarget::Way::Shell, line.original};

  SplitCommandLine split = SplitParameters(line);

  if (line.upper.find("://") != std::string::npos) {
    std::string browser;
    if (!FindAssociatedProgram(platform, "dummy.html", browser)) {
      ShowNotice(platform, "%s", kBrowserNotFound);
      return {LaunchTarget::Way::Refused, {}, 0};
    }
    split.parameters = split.program;
    split.program = {browser, browser};
    split.joint = " ";
  }

  if (!NamesProgram(split)) {
    char buffer[kLaunchBufferSize] = {};
    // The quotes around a path with blanks are no part of the file's name.
    // Success or not, the buffer tells: it stays empty when nothing was found.
    (void)platform.processes.FindExecutableFor(Unquoted(split.program.original), buffer,
                                               kLaunchBufferSize);
    buffer[kLaunchBufferSize - 1] = '\0';
    const std::string associated = buffer;
    const std::string associated_upper = Upper(platform.desktop, associated);
    const bool associated_is_program = EndsWithFirstExtension(associated_upper, ".EXE");
    const bool placeholder = associated_upper.size() <= 4 && associated_upper.rfind("\"%", 0) == 0;
    if (!placeholder && associated_upper != split.program.upper) {
      split.parameters = split.program;
      split.program = {associated_upper, associated};
      split.joint = " ";
    }
    if (split.program.empty()) {
      ShowNotice(platform, kNoAssociation, line.original);
      return {LaunchTarget::Way::Refused, {}, 0};
    }
    if (!associated_is_program) {
      std::string program;
      if (!FindAssociatedProgram(platform, line.original, program)) {
        ShowNotice(platform, "%s", kAssociationUnreadable);
        return {LaunchTarget::Way::Refused, {}, 0};
      }
      split.program = {program, program};
      split.parameters = line;
      split.joint = " ";
    }
  }

  return {LaunchTarget::Way::Create, StartedCommand(split)};
}

}  // namespace mw
