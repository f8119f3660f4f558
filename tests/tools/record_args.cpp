// A child for tests: appends "<its own path>|<the command line it was started
// with>" as one line to the file named by MW_RECORD_FILE, then
// stays alive for MW_RECORD_SLEEP_MS milliseconds when that is set, and
// appends "ended" after the sleep so a test can see the order of events.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main() {
  char path[MAX_PATH] = {};
  if (GetEnvironmentVariableA("MW_RECORD_FILE", path, sizeof path) == 0) return 2;
  char sleep_text[32] = {};
  DWORD sleep_ms = 0;
  if (GetEnvironmentVariableA("MW_RECORD_SLEEP_MS", sleep_text, sizeof sleep_text) != 0)
    sleep_ms = static_cast<DWORD>(std::strtoul(sleep_text, nullptr, 10));

  char module[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, module, sizeof module);
  if (FILE* file = std::fopen(path, "ab")) {
    std::fprintf(file, "%s|%s\n", module, GetCommandLineA());
    std::fclose(file);
  }
  if (sleep_ms != 0) {
    Sleep(sleep_ms);
    if (FILE* file = std::fopen(path, "ab")) {
      std::fprintf(file, "ended\n");
      std::fclose(file);
    }
  }
  return 0;
}
