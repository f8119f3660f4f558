// A child for tests. With MW_RECORD_FILE it appends "<its path>|<its command
// line>" and a tab before each argument its C runtime parsed, as one line; with
// an argument "--sleep-ms=N" it then stays that long and appends "ended
// HH:MM:SS.mmm", its local time as the activity log writes it. With
// MW_ARGV_FILE it writes there its own path and then its arguments, one a line.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

static void Write(const char* variable, const char* mode, const std::string& text) {
  char path[MAX_PATH] = {};
  FILE* file = GetEnvironmentVariableA(variable, path, MAX_PATH) ? std::fopen(path, mode) : nullptr;
  if (file) std::fputs(text.c_str(), file), std::fclose(file);  // one write: runs do not mix
}

int main(int argc, char** argv) {
  char module[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, module, MAX_PATH);
  std::string lines = std::string(module) + "\n",
              record = module + ("|" + std::string(GetCommandLineA()));
  int sleep = 0;
  for (int i = 1; i < argc; ++i) {
    lines += argv[i] + std::string("\n"), record += "\t" + std::string(argv[i]);
    if (std::strncmp(argv[i], "--sleep-ms=", 11) == 0) sleep = std::atoi(argv[i] + 11);
  }
  Write("MW_ARGV_FILE", "wb", lines);
  Write("MW_RECORD_FILE", "ab", record + "\n");
  if (sleep <= 0) return 0;
  Sleep(sleep);
  SYSTEMTIME t;
  GetLocalTime(&t);
  char ended[32];
  std::snprintf(ended, sizeof ended, "ended %02u:%02u:%02u.%03u\n", t.wHour, t.wMinute, t.wSecond,
                t.wMilliseconds);
  return Write("MW_RECORD_FILE", "ab", ended), 0;
}
