// A child for tests. With MW_RECORD_FILE set it appends one line:
// "<its own path>|<its command line>", then a tab before each argument its C
// runtime parsed (what the system really gave it); with MW_RECORD_SLEEP_MS it
// then stays alive that long and appends "ended", so a test sees the order of
// events. With MW_ARGV_FILE set it writes there its own path and then its
// arguments, one per line.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
void Write(const char* variable, const char* mode, const std::string& text) {
  char path[MAX_PATH] = {};
  if (GetEnvironmentVariableA(variable, path, sizeof path) == 0) return;
  if (FILE* file = std::fopen(path, mode)) {
    std::fputs(text.c_str(), file);  // one write, so children that run together do not mix
    std::fclose(file);
  }
}
}  // namespace

int main(int argc, char** argv) {
  char module[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, module, sizeof module);
  std::string lines = std::string(module) + "\n";
  std::string record = std::string(module) + "|" + GetCommandLineA();
  for (int i = 1; i < argc; ++i) {
    lines += std::string(argv[i]) + "\n";
    record += std::string("\t") + argv[i];
  }
  Write("MW_ARGV_FILE", "wb", lines);
  Write("MW_RECORD_FILE", "ab", record + "\n");
  char sleep_text[32] = {};
  GetEnvironmentVariableA("MW_RECORD_SLEEP_MS", sleep_text, sizeof sleep_text);
  if (const DWORD sleep_ms = std::strtoul(sleep_text, nullptr, 10); sleep_ms != 0) {
    Sleep(sleep_ms);
    Write("MW_RECORD_FILE", "ab", "ended\n");
  }
  return 0;
}
