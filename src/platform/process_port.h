#pragma once
// Processes and the shell, one call per method, Win32 semantics.
#include <cstdint>
#include <string>

#include "platform/scoped_handle.h"

namespace mw {

// How a started process shows itself: a console of its own, or no window at all.
enum class ProcessWindow { NewConsole, None };

// What a job's completion port reported within a wait.
enum class JobMessage { ActiveProcessZero, Other, TimedOut, Failed };

class ProcessPort {
 public:
  using Process = std::uintptr_t;  // opaque process handle; 0 is none
  using Thread = std::uintptr_t;   // opaque thread handle; 0 is none
  using Job = std::uintptr_t;      // opaque job object with its completion port; 0 is none

  virtual ~ProcessPort() = default;
  // ExpandEnvironmentStringsA into a buffer of buffer_size bytes. Returns the
  // size the whole expansion needs including its NUL, 0 on failure.
  [[nodiscard]] virtual std::uint32_t ExpandEnvironment(const std::string& source, char* buffer,
                                                        std::uint32_t buffer_size) = 0;
  // CreateProcessA with no application name, the given command line, creation
  // flags CREATE_NEW_CONSOLE | CREATE_NEW_PROCESS_GROUP (ProcessWindow::None:
  // CREATE_NO_WINDOW), the caller's environment and directory, and a zeroed
  // STARTUPINFOA; with thread given, also CREATE_SUSPENDED. On success *process
  // receives the process handle and *thread the primary thread's (closed at
  // once when thread is null); on failure returns false and *last_error
  // receives GetLastError().
  [[nodiscard]] virtual bool StartProcess(const std::string& command_line, ProcessWindow window,
                                          Process* process, std::uint32_t* last_error,
                                          Thread* thread = nullptr) = 0;
  // ResumeThread; false with *last_error when it fails.
  [[nodiscard]] virtual bool ResumeThread(Thread thread, std::uint32_t* last_error) = 0;
  // CloseHandle.
  virtual void CloseThread(Thread thread) = 0;
  // ShellExecuteExA with the verb "open", SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC
  // and SW_SHOWNORMAL: the way to a program that asks for administrator rights.
  // *process receives hProcess (0 when the shell started none); on failure
  // returns false and *last_error receives GetLastError().
  [[nodiscard]] virtual bool ShellExecuteProcess(const std::string& file,
                                                 const std::string& parameters, Process* process,
                                                 std::uint32_t* last_error) = 0;
  // CreateJobObjectA(NULL, NULL) with its own I/O completion port and the limit
  // JOB_OBJECT_LIMIT_BREAKAWAY_OK only: closing the job ends nothing in it.
  [[nodiscard]] virtual bool CreateWaitableJob(Job* job, std::uint32_t* last_error) = 0;
  // AssignProcessToJobObject.
  [[nodiscard]] virtual bool AssignToJob(Job job, Process process, std::uint32_t* last_error) = 0;
  // QueryInformationJobObject(JobObjectBasicAccountingInformation).ActiveProcesses.
  [[nodiscard]] virtual bool ActiveJobProcesses(Job job, std::uint32_t* count) = 0;
  // GetQueuedCompletionStatus on the job's port for at most milliseconds.
  [[nodiscard]] virtual JobMessage WaitForJobMessage(Job job, std::uint32_t milliseconds) = 0;
  // Closes the job and its port; the processes in it go on.
  virtual void CloseJob(Job job) = 0;
  // WaitForSingleObject(process, INFINITE).
  virtual void WaitForProcess(Process process) = 0;
  // WaitForSingleObject(process, milliseconds); true when the process ended.
  [[nodiscard]] virtual bool WaitForProcessEnd(Process process, std::uint32_t milliseconds) = 0;
  // CloseHandle.
  virtual void CloseProcess(Process process) = 0;
  // ShellExecuteA(NULL, "open", file, parameters or NULL, NULL, SW_SHOWNORMAL).
  [[nodiscard]] virtual std::intptr_t ShellExecuteOpen(const std::string& file,
                                                       const std::string* parameters) = 0;
  // FindExecutableA(file, NULL, buffer) with a buffer of buffer_size (>= MAX_PATH) bytes.
  [[nodiscard]] virtual std::intptr_t FindExecutableFor(const std::string& file, char* buffer,
                                                        std::uint32_t buffer_size) = 0;
  // GetProcessId; 0 on failure.
  virtual std::uint32_t ProcessId(Process process) = 0;
  // GetExitCodeProcess.
  [[nodiscard]] virtual bool ExitCode(Process process, std::uint32_t* code) = 0;
};

// Closes its process handle through the port when it goes out of scope.
using ScopedProcess =
    ScopedPortHandle<ProcessPort, ProcessPort::Process, &ProcessPort::CloseProcess>;
using ScopedThread = ScopedPortHandle<ProcessPort, ProcessPort::Thread, &ProcessPort::CloseThread>;
using ScopedJob = ScopedPortHandle<ProcessPort, ProcessPort::Job, &ProcessPort::CloseJob>;

}  // namespace mw
