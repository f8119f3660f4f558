#include "unit/win_test_support.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace mw::wintest {

std::string ProgramFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string folder = path;
  return folder.substr(0, folder.find_last_of('\\'));
}

std::string MakeTempFolder(const std::string& name) {
  char temp[MAX_PATH] = {};
  GetTempPathA(sizeof temp, temp);
  std::string folder = std::string(temp) + "mw_" + name + "_" + std::to_string(GetTickCount());
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
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
