#pragma once
// File helpers shared by the Windows test programs.
#include <windows.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace mw::testfiles {

// The folder of the running test program (the build's bin folder).
inline std::string ProgramFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  return std::string(path, std::strrchr(path, '\\'));
}

// A new empty folder under the temporary folder. Process ids come round again
// in later runs, so only a folder made just now is sure to be empty.
inline std::string MakeFreshFolder(const std::string& prefix) {
  char temp[MAX_PATH] = {};
  GetTempPathA(sizeof temp, temp);
  for (static int counter = 0;;) {
    const std::string folder = temp + prefix + "_" + std::to_string(GetCurrentProcessId()) + "_" +
                               std::to_string(++counter);
    if (CreateDirectoryA(folder.c_str(), nullptr) || GetLastError() != ERROR_ALREADY_EXISTS)
      return folder;
  }
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

}  // namespace mw::testfiles
