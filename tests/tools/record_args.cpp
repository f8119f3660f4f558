// A child for tests. With MW_RECORD_FILE it appends "<its path>|<its command
// line>" and a tab before each argument its C runtime parsed, as one line; with
// MW_RECORD_SLEEP_MS it then stays that long and appends "ended". With
// MW_ARGV_FILE it writes there its own path and then its arguments, one a line.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

static void Write(const char* variable, const char* mode, const std::string& text) {
  char path[MAX_PATH] = {};
  FILE* file = GetEnvironmentVariableA(variable, path, MAX_PATH) ? std::fopen(path, mode) : nullptr;
  if (file) std::fputs(text.c_str(), file), std::fclose(file);  // one write: runs do not mix
}

int main(int argc, char** argv) {
  char module[MAX_PATH] = {}, sleep_ms[32] = {};
  GetModuleFileNameA(nullptr, module, MAX_PATH);
  std::string lines = std::string(module) + "\n",
              record = module + ("|" + std::string(GetCommandLineA()));
  for (int i = 1; i < argc; ++i)
    lines += argv[i] + std::string("\n"), record += "\t" + std::string(argv[i]);
  Write("MW_ARGV_FILE", "wb", lines);
  Write("MW_RECORD_FILE", "ab", record + "\n");
  GetEnvironmentVariableA("MW_RECORD_SLEEP_MS", sleep_ms, sizeof sleep_ms);
  if (std::atoi(sleep_ms) > 0) Sleep(std::atoi(sleep_ms)), Write("MW_RECORD_FILE", "ab", "ended\n");
  return 0;
}
