#pragma once
// Recorded process starts, shell calls and jobs. A process ends when waited
// for; its job's counts and port messages are taken in turn, the last one
// repeated (none: the job is empty, the port quiet).
#include <cstring>
#include <map>

#include "fakes/fake_common.h"
#include "platform/process_port.h"

namespace mw::fake {

class FakeProcesses : public ProcessPort {
 public:
  explicit FakeProcesses(FakeCommon& common) : common_(common) {}

  struct Started {
    std::string command_line;
    bool waited = false;
  };
  std::map<std::string, std::string> environment;      // name (upper case) -> value
  std::map<std::string, std::string> find_executable;  // file -> FindExecutable's answer
  std::vector<Started> started;
  std::vector<std::pair<std::string, std::string>> shell_calls;  // file, parameters
  int open_processes = 0, open_jobs = 0;
  std::deque<std::uint32_t> job_counts;
  std::deque<JobMessage> job_messages;
  std::function<void()> while_running;  // runs once, inside the next wait for a process
  std::uint32_t exit_code = 0;          // of every started program
  std::vector<std::string> StartedCommands() {
    return common_.Locked([&] {
      std::vector<std::string> lines;
      for (const Started& each : started) lines.push_back(each.command_line);
      return lines;
    });
  }

  std::uint32_t ExpandEnvironment(const std::string& source, char* buffer,
                                  std::uint32_t buffer_size) override {
    if (common_.Fault(Call::kExpandEnvironment)) return 0;
    // One pass, left to right, as the system does: names in any case; an
    // undefined one stays as written, and the scan goes on after it.
    std::string out;
    for (std::size_t at = 0, close; at < source.size(); at = close) {
      close = source[at] == '%' ? source.find('%', at + 1) : source.find('%', at);
      if (source[at] != '%' || close == std::string::npos) {
        out += source.substr(at, close - at);
        continue;
      }
      const auto it = environment.find(Upper(source.substr(at + 1, close - at - 1)));
      out += it == environment.end() ? source.substr(at, ++close - at) : (++close, it->second);
    }
    const auto needed = static_cast<std::uint32_t>(out.size() + 1);
    if (needed <= buffer_size) std::memcpy(buffer, out.c_str(), needed);
    return needed;
  }
  bool StartProcess(const std::string& command_line, ProcessWindow, Process* process,
                    std::uint32_t* error, Thread* thread) override {
    if ((*error = common_.Code(Call::kStartProcess, command_line))) return false;
    *process = Begin(command_line);
    if (thread) common_.Locked([&] { return *thread = *process, ++open_processes; });
    return true;
  }
  bool ResumeThread(Thread, std::uint32_t* error) override {
    return common_.Event("resume"), !(*error = common_.Code(Call::kResumeThread));
  }
  void CloseThread(Thread) override { CloseProcess(0); }
  bool ShellExecuteProcess(const std::string& file, const std::string& parameters, Process* process,
                           std::uint32_t* error) override {
    if ((*error = common_.Code(Call::kShellExecuteProcess, file))) return false;
    return *process = Begin("shell " + file + "|" + parameters), true;
  }
  bool CreateWaitableJob(Job* job, std::uint32_t* error) override {
    return !(*error = common_.Code(Call::kCreateWaitableJob)) &&
           common_.Locked([&] { return *job = ++open_jobs; });
  }
  bool AssignToJob(Job, Process, std::uint32_t* error) override {
    return !(*error = common_.Code(Call::kAssignToJob));
  }
  bool ActiveJobProcesses(Job, std::uint32_t* count) override {
    *count = common_.Locked([&] { return FakeCommon::Next(job_counts, 0u); });
    common_.Event("job " + std::to_string(*count));
    return !common_.Code(Call::kActiveJobProcesses);
  }
  JobMessage WaitForJobMessage(Job, std::uint32_t) override {
    const JobMessage message =
        common_.Locked([&] { return FakeCommon::Next(job_messages, JobMessage::TimedOut); });
    if (message == JobMessage::ActiveProcessZero) common_.Event("job zero");
    return message;
  }
  void CloseJob(Job) override {
    common_.Locked([&] { --open_jobs; });
  }
  void WaitForProcess(Process process) override {
    if (while_running) std::exchange(while_running, nullptr)();
    common_.Event("end " + common_.Locked([&] {
      return started.at(process - 1).waited = true, started.at(process - 1).command_line;
    }));
  }
  bool WaitForProcessEnd(Process, std::uint32_t) override {
    return !common_.Fault(Call::kWaitForProcessEnd);
  }
  void CloseProcess(Process) override {
    common_.Locked([&] { --open_processes; });
  }
  std::intptr_t ShellExecuteOpen(const std::string& file, const std::string* parameters) override {
    shell_calls.emplace_back(file, parameters ? *parameters : "<none>");
    if (long code = common_.Fault(Call::kShellExecuteOpen, file)) return code;
    return 42;  // any answer above 32 is a success
  }
  std::uint32_t ProcessId(Process process) override { return static_cast<std::uint32_t>(process); }
  bool ExitCode(Process, std::uint32_t* code) override {
    *code = exit_code;
    return true;
  }
  std::intptr_t FindExecutableFor(const std::string& file, char* buffer,
                                  std::uint32_t size) override {
    auto it = find_executable.find(file);
    if (common_.Fault(Call::kFindExecutableFor, file) || it == find_executable.end())
      return 31;  // SE_ERR_NOASSOC
    std::strncpy(buffer, it->second.c_str(), size - 1);
    return 42;
  }

 private:
  Process Begin(const std::string& command) {
    common_.Event("start " + command);
    return common_.Locked([&] {
      return started.push_back({command, false}), ++open_processes, started.size();
    });
  }

  FakeCommon& common_;
};

}  // namespace mw::fake
