// A child for tests: appends "<its own path>|<the command line it was started
// with>" as one line to the file named by MW_RECORD_FILE, then
// stays alive for MW_RECORD_SLEEP_MS milliseconds when that is set, and
// appends "ended" after the sleep so a test can see the order of events.
// With MW_ARGV_FILE set it also writes there its own path and then the
// arguments its C runtime parsed, one per line: what the system really gave it.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {
FILE* OpenNamed(const char* variable, const char* mode) {
  char path[MAX_PATH] = {};
  if (GetEnvironmentVariableA(variable, path, sizeof path) == 0) return nullptr;
  return std::fopen(path, mode);
}
}  // namespace

int main(int argc, char** argv) {
  char module[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, module, sizeof module);
  if (FILE* file = OpenNamed("MW_ARGV_FILE", "wb")) {
    std::fprintf(file, "%s\n", module);
    for (int i = 1; i < argc; ++i) std::fprintf(file, "%s\n", argv[i]);
    std::fclose(file);
  }
  if (FILE* file = OpenNamed("MW_RECORD_FILE", "ab")) {
    std::fprintf(file, "%s|%s\n", module, GetCommandLineA());
    std::fclose(file);
  }
  char sleep_text[32] = {};
  if (GetEnvironmentVariableA("MW_RECORD_SLEEP_MS", sleep_text, sizeof sleep_text) == 0) return 0;
  if (const DWORD sleep_ms = std::strtoul(sleep_text, nullptr, 10); sleep_ms != 0) {
    Sleep(sleep_ms);
    if (FILE* file = OpenNamed("MW_RECORD_FILE", "ab")) {
      std::fprintf(file, "ended\n");
      std::fclose(file);
    }
  }
  return 0;
}
