#pragma once
// Processes and the shell as a recording fake: environment variables to
// expand, associations FindExecutable answers, shell results, and a log of
// everything started.
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "fakes/call_faults.h"
#include "platform/process_port.h"

namespace mw::fake {

class FakeProcesses : public ProcessPort {
 public:
  struct Started {
    std::string command_line;
    bool waited = false;
    ProcessWindow window = ProcessWindow::NewConsole;
  };
  struct ShellCall {
    std::string file;
    bool has_parameters = false;
    std::string parameters;
  };

  std::map<std::string, std::string> environment;      // name (upper case) -> value
  std::map<std::string, std::string> find_executable;  // file as passed -> answer
  std::intptr_t find_executable_result = 42;
  std::intptr_t shell_result = 42;
  bool process_ends_in_time = true;                 // within a timed wait
  std::function<void(const Started&)> on_start;     // what the started program does
  std::vector<std::uint32_t> timed_waits;
  bool create_fails = false;
  std::uint32_t create_error = 2;
  CallFaults faults;  // a failed call: no expansion, create_error, no end, shell error 5

  std::vector<Started> started;
  std::vector<ShellCall> shell_calls;
  std::vector<std::string> find_executable_calls;
  int open_processes = 0;

  std::vector<std::string> StartedCommands() const;

  std::uint32_t ExpandEnvironment(const std::string& source, char* buffer,
                                  std::uint32_t buffer_size) override;
  bool StartProcess(const std::string& command_line, ProcessWindow window, Process* process,
                    std::uint32_t* last_error) override;
  void WaitForProcess(Process process) override;
  bool WaitForProcessEnd(Process process, std::uint32_t milliseconds) override;
  void CloseProcess(Process process) override;
  std::intptr_t ShellExecuteOpen(const std::string& file, const std::string* parameters) override;
  std::intptr_t FindExecutableFor(const std::string& file, char* buffer,
                                  std::uint32_t buffer_size) override;
  std::uint32_t ProcessId(Process process) override { return static_cast<std::uint32_t>(process); }
  bool ExitCode(Process, std::uint32_t* code) override {
    *code = exit_code;
    return true;
  }
  std::uint32_t exit_code = 0;

 private:
  mutable std::mutex guard_;  // runner threads start processes concurrently
};

}  // namespace mw::fake
