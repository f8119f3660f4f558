#include "engine/launcher.h"

#include <cstdio>
#include <optional>

#include "engine/command_line_split.h"
#include "engine/launch_target.h"
#include "model/action.h"
#include "notices/activity_log.h"
#include "notices/notices.h"

namespace mw {
namespace {

// The start-failure notice for command, and the code it shows.
LaunchResult StartFailed(const Platform& platform, std::uint32_t error,
                         const std::string& command) {
  ShowSystemErrorNotice(platform, error, kStartFailedText, command);
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
                        std::string(kErrorNoticeHeading) + kStartFailedText, file);
  return false;
}

LaunchResult LaunchProgram(const Platform& platform, const std::string& command_line, bool wait,
                           std::string_view who) {
  const LaunchTarget target = ResolveLaunchTarget(platform, command_line);
  switch (target.way) {
    case LaunchTarget::Way::Create:
      return StartAndWait(platform, target.what, wait, who);
    case LaunchTarget::Way::Shell: {
      std::uint32_t error = 0;
      if (!ShellOpen(platform, target.what, std::nullopt, &error)) return {false, error};
      LogActivity(platform, "%s: シェルで開きました: %s", who, target.what);
      return {true, 0};
    }
    case LaunchTarget::Way::Refused:
      break;
  }
  return {false, target.error};
}

}  // namespace mw
