#include "unit/win_test_support.h"

#include "tools/test_files_win.h"

namespace mw::wintest {

std::string ProgramFolder() {
  return testfiles::ProgramFolder();
}

std::string MakeTempFolder(const std::string& name) {
  return testfiles::MakeFreshFolder("mw_" + name);
}

std::string ReadFile(const std::string& path) {
  return testfiles::ReadFile(path);
}

bool WaitForText(const std::string& path, const std::string& needle, DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  do {
    if (ReadFile(path).find(needle) != std::string::npos) return true;
    Sleep(50);
  } while (GetTickCount() - start < timeout_ms);
  return false;
}

void SetEnv(const std::string& name, const std::string& value) {
  SetEnvironmentVariableA(name.c_str(), value.empty() ? nullptr : value.c_str());
}

std::string SystemText(DWORD code) {
  char buffer[256] = {};
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                 buffer, 255, nullptr);
  return buffer;
}

}  // namespace mw::wintest
