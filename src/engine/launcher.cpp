#include "engine/launcher.h"

#include <cstdio>
#include <optional>

#include "engine/command_line_split.h"
#include "model/action.h"
#include "notices/activity_log.h"
#include "notices/notices.h"
#include "store/registry_text.h"

namespace mw {
namespace {

constexpr char kStartFailed[] = "アプリケーションの起動に失敗しました。\n\n起動アプリ = %s\n";
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

// The start-failure notice for command, and the code it shows.
LaunchResult StartFailed(const Platform& platform, std::uint32_t error,
                         const std::string& command) {
  ShowSystemErrorNotice(platform, error, kStartFailed, command);
  return {false, error};
}

// Seconds since started, as "s.mmm", for the log.
std::string SecondsSince(const Platform& platform, std::uint64_t started) {
  const auto ran = static_cast<unsigned>(platform.threads.Milliseconds() - started);
  char text[32];
  std::snprintf(text, sizeof text, "%u.%03u", ran / 1000, ran % 1000);
  return text;
}

// Waits, without a time limit, until no process of the job is left. The count
// is looked at again now and then, since the port's message is not promised.
// False when the count cannot be read, which ends the wait.
bool WaitForEmptyJob(const Platform& platform, ProcessPort::Job job) {
  for (;;) {
    std::uint32_t active = 0;
    if (!platform.processes.ActiveJobProcesses(job, &active)) return false;
    if (active == 0) return true;
    const JobMessage message = platform.processes.WaitForJobMessage(job, kJobPollMilliseconds);
    if (message == JobMessage::ActiveProcessZero) return true;
    if (message == JobMessage::Failed) platform.threads.Sleep(kJobPollMilliseconds);
  }
}

// Waits for the started process and then, when it ran in a job, for whatever
// it started in turn; one log line for each end.
void WaitForPrograms(const Platform& platform, ProcessPort::Process process, ProcessPort::Job job,
                     std::uint32_t id, std::string_view who) {
  const std::uint64_t started = platform.threads.Milliseconds();
  platform.processes.WaitForProcess(process);
  std::uint32_t code = 0;
  if (platform.processes.ExitCode(process, &code))
    LogActivity(platform, "%s: プログラムが終了しました（プロセス ID %u、終了コード %u、%s 秒）",
                who, id, code, SecondsSince(platform, started));
  if (job == 0) return;
  if (WaitForEmptyJob(platform, job))
    LogActivity(platform, "%s: プログラムが始めたプロセスもすべて終了しました（%s 秒）", who,
                SecondsSince(platform, started));
  else
    LogActivity(platform, "%s: ジョブの状態を読めないので、始めたプロセスをこれ以上待ちません",
                who);
}

// A program that asks for administrator rights, through the shell, which asks
// the user's consent first. A job cannot hold it: only the process is waited for.
LaunchResult StartElevated(const Platform& platform, const std::string& command, bool wait,
                           std::string_view who) {
  LogActivity(platform, "%s: 管理者の権限を求めるプログラムなので、確認を経て起動します", who);
  const ShellCommand shell = SplitStartedCommand(command);
  ScopedProcess process(platform.processes);
  std::uint32_t error = 0;
  if (!platform.processes.ShellExecuteProcess(shell.file, shell.parameters, process.receive(),
                                              &error)) {
    return StartFailed(platform, error, command);
  }
  const std::uint32_t id = process ? platform.processes.ProcessId(process.get()) : 0;
  LogActivity(platform, "%s: 起動しました（プロセス ID %u）: %s", who, id, command);
  if (wait && process) WaitForPrograms(platform, process.get(), 0, id, who);
  return {true, 0};
}

LaunchResult StartAndWait(const Platform& platform, const std::string& command, bool wait,
                          std::string_view who) {
  ProcessPort& processes = platform.processes;
  ScopedJob job(processes);
  std::uint32_t error = 0;
  if (wait && !processes.CreateWaitableJob(job.receive(), &error))
    LogActivity(platform, "%s: ジョブを作れないので、起動するプロセスだけを待ちます（コード %u）",
                who, error);
  // In a job the program starts suspended, so that it is in the job before it
  // can start anything.
  ScopedProcess process(processes);
  ScopedThread thread(processes);
  if (!processes.StartProcess(command, ProcessWindow::NewConsole, process.receive(), &error,
                              job ? thread.receive() : nullptr)) {
    if (error == kErrorElevationRequired) return StartElevated(platform, command, wait, who);
    return StartFailed(platform, error, command);
  }
  if (job && !processes.AssignToJob(job.get(), process.get(), &error)) {
    LogActivity(platform,
                "%s: プロセスをジョブに入れられないので、そのプロセスだけを待ちます（コード %u）",
                who, error);
    job.Reset();
  }
  if (thread && !processes.ResumeThread(thread.get(), &error)) {
    return StartFailed(platform, error, command);
  }
  const std::uint32_t id = processes.ProcessId(process.get());
  LogActivity(platform, "%s: 起動しました（プロセス ID %u）: %s", who, id, command);
  if (wait) WaitForPrograms(platform, process.get(), job.get(), id, who);
  return {true, 0};
}

}  // namespace

bool StartCommand(const Platform& platform, const std::string& command, ProcessWindow window,
                  ScopedProcess& process) {
  std::uint32_t last_error = 0;
  if (platform.processes.StartProcess(command, window, process.receive(), &last_error)) return true;
  return StartFailed(platform, last_error, command).started;
}

bool ShellOpen(const Platform& platform, const std::string& file,
               const std::optional<std::string>& parameters, std::uint32_t* error) {
  const std::intptr_t result =
      platform.processes.ShellExecuteOpen(file, parameters ? &*parameters : nullptr);
  if (result > 32) return true;
  if (error) *error = static_cast<std::uint32_t>(result);
  // The shell's failure is told under the error heading, the same text below it.
  ShowSystemErrorNotice(platform, static_cast<std::uint32_t>(result),
                        std::string(kErrorNoticeHeading) + kStartFailed, file);
  return false;
}

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

LaunchResult LaunchProgram(const Platform& platform, const std::string& command_line, bool wait,
                           std::string_view who) {
  std::string expanded;
  const bool fits = Expand(platform.processes, command_line, expanded);
  if (!fits || expanded.empty()) {
    // Neither a line too long for the buffer nor an empty one can be started.
    return StartFailed(platform, fits ? kErrorFileNotFound : kErrorFilenameTooLong, command_line);
  }
  // Every test works on the upper-cased copy; what is started keeps the
  // user's letters. Upper-casing keeps byte positions, so splits carry over.
  CasedText line{Upper(platform.desktop, expanded), expanded};
  if (line.upper.size() != line.original.size()) line.original = line.upper;

  if (line.upper.rfind("MAILTO:", 0) == 0) {
    std::uint32_t error = 0;
    if (!ShellOpen(platform, line.original, std::nullopt, &error)) return {false, error};
    LogActivity(platform, "%s: シェルで開きました: %s", who, line.original);
    return {true, 0};
  }

  SplitCommandLine split = SplitParameters(line);

  if (line.upper.find("://") != std::string::npos) {
    std::string browser;
    if (!FindAssociatedProgram(platform, "dummy.html", browser)) {
      ShowNotice(platform, "%s", kBrowserNotFound);
      return {};
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
      return {};
    }
    if (!associated_is_program) {
      std::string program;
      if (!FindAssociatedProgram(platform, line.original, program)) {
        ShowNotice(platform, "%s", kAssociationUnreadable);
        return {};
      }
      split.program = {program, program};
      split.parameters = line;
      split.joint = " ";
    }
  }

  return StartAndWait(platform, StartedCommand(split), wait, who);
}

}  // namespace mw
