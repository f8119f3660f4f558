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

// A new empty folder under the temporary folder, named like a new temporary file.
inline std::string MakeFreshFolder(const std::string& prefix) {
  char temp[MAX_PATH] = {}, folder[MAX_PATH] = {};
  GetTempPathA(sizeof temp, temp);
  GetTempFileNameA(temp, prefix.c_str(), 0, folder);  // a name no file had until now
  DeleteFileA(folder);
  CreateDirectoryA(folder, nullptr);
  return folder;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

}  // namespace mw::testfiles
