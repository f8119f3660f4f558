#pragma once
// File helpers shared by the Windows test programs.
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

namespace mw::testfiles {

// The folder of the running test program (the build's bin folder).
inline std::string ProgramFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string folder = path;
  return folder.substr(0, folder.find_last_of('\\'));
}

// A new empty folder under the temporary folder. Process ids come round
// again in later runs, so a name may be taken by a folder with an old run's
// files: only a folder made just now is empty.
inline std::string MakeFreshFolder(const std::string& prefix) {
  char temp[MAX_PATH] = {};
  GetTempPathA(sizeof temp, temp);
  static int counter = 0;
  for (;;) {
    const std::string folder = std::string(temp) + prefix + "_" +
                               std::to_string(GetCurrentProcessId()) + "_" +
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
