#include "fakes/fake_processes.h"

#include <cstring>
#include <stdexcept>

namespace mw::fake {

std::uint32_t FakeProcesses::ExpandEnvironment(const std::string& source, char* buffer,
                                               std::uint32_t buffer_size) {
  if (faults.Fails("ExpandEnvironment")) return 0;
  std::string out;
  std::size_t i = 0;
  while (i < source.size()) {
    const std::size_t close = source[i] == '%' ? source.find('%', i + 1) : std::string::npos;
    if (close != std::string::npos) {
      std::string name = source.substr(i + 1, close - i - 1);
      for (char& c : name)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
      auto it = environment.find(name);
      if (it != environment.end()) {
        out += it->second;
        i = close + 1;
        continue;
      }
      // An undefined name stays as written; its closing % may open the next one.
      out += source.substr(i, close - i);
      i = close;
      continue;
    }
    out += source[i++];
  }
  const auto needed = static_cast<std::uint32_t>(out.size() + 1);
  if (needed <= buffer_size) std::memcpy(buffer, out.c_str(), needed);
  return needed;
}

bool FakeProcesses::StartProcess(const std::string& command_line, ProcessWindow window,
                                 Process* process, std::uint32_t* last_error) {
  std::function<void(const Started&)> effect;
  Started call{command_line, false, window};
  {
    std::lock_guard lock(guard_);
    if (faults.Fails("StartProcess") || create_fails) {
      *last_error = create_error;
      return false;
    }
    started.push_back(call);
    ++open_processes;
    *process = started.size();
    effect = on_start;
  }
  if (effect) effect(call);
  return true;
}

void FakeProcesses::WaitForProcess(Process process) {
  std::lock_guard lock(guard_);
  if (process == 0 || process > started.size()) throw std::logic_error("waiting for no process");
  started[process - 1].waited = true;
}

bool FakeProcesses::WaitForProcessEnd(Process, std::uint32_t milliseconds) {
  std::lock_guard lock(guard_);
  timed_waits.push_back(milliseconds);
  return !faults.Fails("WaitForProcessEnd") && process_ends_in_time;
}

void FakeProcesses::CloseProcess(Process) {
  std::lock_guard lock(guard_);
  --open_processes;
}

std::vector<std::string> FakeProcesses::StartedCommands() const {
  std::lock_guard lock(guard_);
  std::vector<std::string> commands;
  for (const Started& process : started) commands.push_back(process.command_line);
  return commands;
}

std::intptr_t FakeProcesses::ShellExecuteOpen(const std::string& file,
                                              const std::string* parameters) {
  std::lock_guard lock(guard_);
  shell_calls.push_back({file, parameters != nullptr, parameters ? *parameters : std::string()});
  if (faults.Fails("ShellExecuteOpen")) return 5;
  return shell_result;
}

std::intptr_t FakeProcesses::FindExecutableFor(const std::string& file, char* buffer,
                                               std::uint32_t buffer_size) {
  std::lock_guard lock(guard_);
  find_executable_calls.push_back(file);
  if (faults.Fails("FindExecutableFor")) return 31;  // SE_ERR_NOASSOC
  auto it = find_executable.find(file);
  if (it == find_executable.end()) return 31;  // SE_ERR_NOASSOC
  std::strncpy(buffer, it->second.c_str(), buffer_size - 1);
  return find_executable_result;
}

}  // namespace mw::fake
