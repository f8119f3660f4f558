#pragma once
// Processes and the shell, one call per method, Win32 semantics.
#include <cstdint>
#include <string>

#include "platform/scoped_handle.h"

namespace mw {

// How a started process shows itself: a console of its own, or no window at all.
enum class ProcessWindow { NewConsole, None };

class ProcessPort {
 public:
  using Process = std::uintptr_t;  // opaque process handle; 0 is none

  virtual ~ProcessPort() = default;
  // ExpandEnvironmentStringsA into a buffer of buffer_size bytes. Returns the
  // size the whole expansion needs including its NUL, 0 on failure.
  [[nodiscard]] virtual std::uint32_t ExpandEnvironment(const std::string& source, char* buffer,
                                                        std::uint32_t buffer_size) = 0;
  // CreateProcessA with no application name, the given command line, creation
  // flags CREATE_NEW_CONSOLE | CREATE_NEW_PROCESS_GROUP (ProcessWindow::None:
  // CREATE_NO_WINDOW), the caller's environment and directory, and a zeroed
  // STARTUPINFOA. On success *process receives the process handle (the thread
  // handle is closed at once); on failure returns false and *last_error
  // receives GetLastError().
  [[nodiscard]] virtual bool StartProcess(const std::string& command_line, ProcessWindow window,
                                          Process* process, std::uint32_t* last_error) = 0;
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

}  // namespace mw
