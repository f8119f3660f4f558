#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <new>
#include <vector>

#include "platform/win32/kernel_handle.h"
#include "platform/win32/win32_ports.h"

namespace mw::win32 {
namespace {

// A job and the completion port it reports to, behind one opaque handle.
struct WaitableJob {
  ScopedKernelHandle job;
  ScopedKernelHandle port;
};

WaitableJob& AsJob(ProcessPort::Job job) {
  return *reinterpret_cast<WaitableJob*>(job);
}

}  // namespace

std::uint32_t Win32Processes::ExpandEnvironment(const std::string& source, char* buffer,
                                                std::uint32_t buffer_size) {
  return ::ExpandEnvironmentStringsA(source.c_str(), buffer, buffer_size);
}

bool Win32Processes::StartProcess(const std::string& command_line, ProcessWindow window,
                                  Process* process, std::uint32_t* last_error, Thread* thread) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  // CreateProcessA may write into its command line, so it gets a copy.
  std::vector<char> command(command_line.begin(), command_line.end());
  command.push_back('\0');
  const DWORD flags =
      (window == ProcessWindow::None ? CREATE_NO_WINDOW
                                     : CREATE_NEW_CONSOLE | CREATE_NEW_PROCESS_GROUP) |
      (thread ? CREATE_SUSPENDED : 0);
  if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, flags, nullptr, nullptr,
                        &startup, &info)) {
    *last_error = GetLastError();
    return false;
  }
  if (thread)
    *thread = reinterpret_cast<Thread>(info.hThread);
  else
    CloseHandle(info.hThread);
  *process = reinterpret_cast<Process>(info.hProcess);
  return true;
}

bool Win32Processes::ResumeThread(Thread thread, std::uint32_t* last_error) {
  if (::ResumeThread(reinterpret_cast<HANDLE>(thread)) != static_cast<DWORD>(-1)) return true;
  *last_error = GetLastError();
  return false;
}

void Win32Processes::CloseThread(Thread thread) {
  CloseHandle(reinterpret_cast<HANDLE>(thread));
}

bool Win32Processes::ShellExecuteProcess(const std::string& file, const std::string& parameters,
                                         Process* process, std::uint32_t* last_error) {
  SHELLEXECUTEINFOA info = {};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC;
  info.lpVerb = "open";
  info.lpFile = file.c_str();
  info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteExA(&info)) {
    *last_error = GetLastError();
    return false;
  }
  *process = reinterpret_cast<Process>(info.hProcess);
  return true;
}

bool Win32Processes::CreateWaitableJob(Job* job, std::uint32_t* last_error) {
  std::unique_ptr<WaitableJob> made(new (std::nothrow) WaitableJob);
  if (!made) {
    *last_error = ERROR_NOT_ENOUGH_MEMORY;
    return false;
  }
  made->job.Reset(CreateJobObjectA(nullptr, nullptr));
  if (made->job) made->port.Reset(CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1));
  JOBOBJECT_ASSOCIATE_COMPLETION_PORT port = {made->job.get(), made->port.get()};
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_BREAKAWAY_OK;
  if (!made->port ||
      !SetInformationJobObject(made->job.get(), JobObjectAssociateCompletionPortInformation, &port,
                               sizeof port) ||
      !SetInformationJobObject(made->job.get(), JobObjectExtendedLimitInformation, &limits,
                               sizeof limits)) {
    *last_error = GetLastError();
    return false;
  }
  *job = reinterpret_cast<Job>(made.release());
  return true;
}

bool Win32Processes::AssignToJob(Job job, Process process, std::uint32_t* last_error) {
  if (AssignProcessToJobObject(AsJob(job).job.get(), reinterpret_cast<HANDLE>(process)))
    return true;
  *last_error = GetLastError();
  return false;
}

bool Win32Processes::ActiveJobProcesses(Job job, std::uint32_t* count) {
  JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info = {};
  if (!QueryInformationJobObject(AsJob(job).job.get(), JobObjectBasicAccountingInformation, &info,
                                 sizeof info, nullptr))
    return false;
  *count = info.ActiveProcesses;
  return true;
}

JobMessage Win32Processes::WaitForJobMessage(Job job, std::uint32_t milliseconds) {
  DWORD message = 0;
  ULONG_PTR key = 0;
  LPOVERLAPPED detail = nullptr;
  if (GetQueuedCompletionStatus(AsJob(job).port.get(), &message, &key, &detail, milliseconds))
    return message == JOB_OBJECT_MSG_ACTIVE_PROCESS_ZERO ? JobMessage::ActiveProcessZero
                                                         : JobMessage::Other;
  return GetLastError() == WAIT_TIMEOUT ? JobMessage::TimedOut : JobMessage::Failed;
}

void Win32Processes::CloseJob(Job job) {
  delete &AsJob(job);
}

void Win32Processes::WaitForProcess(Process process) {
  WaitForSingleObject(reinterpret_cast<HANDLE>(process), INFINITE);
}

bool Win32Processes::WaitForProcessEnd(Process process, std::uint32_t milliseconds) {
  return WaitForSingleObject(reinterpret_cast<HANDLE>(process), milliseconds) == WAIT_OBJECT_0;
}

void Win32Processes::CloseProcess(Process process) {
  CloseHandle(reinterpret_cast<HANDLE>(process));
}

std::intptr_t Win32Processes::ShellExecuteOpen(const std::string& file,
                                               const std::string* parameters) {
  return reinterpret_cast<std::intptr_t>(ShellExecuteA(nullptr, "open", file.c_str(),
                                                       parameters ? parameters->c_str() : nullptr,
                                                       nullptr, SW_SHOWNORMAL));
}

std::intptr_t Win32Processes::FindExecutableFor(const std::string& file, char* buffer,
                                                std::uint32_t buffer_size) {
  if (buffer_size < MAX_PATH) return 0;  // the call assumes MAX_PATH bytes
  return reinterpret_cast<std::intptr_t>(::FindExecutableA(file.c_str(), nullptr, buffer));
}

std::uint32_t Win32Processes::ProcessId(Process process) {
  return ::GetProcessId(reinterpret_cast<HANDLE>(process));
}

bool Win32Processes::ExitCode(Process process, std::uint32_t* code) {
  DWORD exit_code = 0;
  if (!::GetExitCodeProcess(reinterpret_cast<HANDLE>(process), &exit_code)) return false;
  *code = exit_code;
  return true;
}

}  // namespace mw::win32
