#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "platform/win32/win32_ports.h"

namespace mw::win32 {

std::uint32_t Win32Processes::ExpandEnvironment(const std::string& source, char* buffer,
                                                std::uint32_t buffer_size) {
  return ::ExpandEnvironmentStringsA(source.c_str(), buffer, buffer_size);
}

bool Win32Processes::StartProcess(const std::string& command_line, ProcessWindow window,
                                  Process* process, std::uint32_t* last_error) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  // CreateProcessA may write into its command line, so it gets a copy.
  std::vector<char> command(command_line.begin(), command_line.end());
  command.push_back('\0');
  const DWORD flags = window == ProcessWindow::None ? CREATE_NO_WINDOW
                                                    : CREATE_NEW_CONSOLE | CREATE_NEW_PROCESS_GROUP;
  if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, flags, nullptr, nullptr,
                        &startup, &info)) {
    *last_error = GetLastError();
    return false;
  }
  CloseHandle(info.hThread);
  *process = reinterpret_cast<Process>(info.hProcess);
  return true;
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
