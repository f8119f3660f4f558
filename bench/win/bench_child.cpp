// The program the benchmark's Actions start: appends the precise time it
// began (100 ns units since 1601) to the file named by its first argument,
// then signals the benchmark's event, so that the benchmark waits for it
// without polling the file while the start is being measured.
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
  FILETIME now;
  GetSystemTimePreciseAsFileTime(&now);
  if (argc < 2) return 2;
  const unsigned long long ticks =
      (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  if (FILE* file = std::fopen(argv[1], "ab")) {
    std::fprintf(file, "%llu\n", ticks);
    std::fclose(file);
  }
  if (HANDLE started = OpenEventA(EVENT_MODIFY_STATE, FALSE, "MountwickBenchChildStarted")) {
    SetEvent(started);
    CloseHandle(started);
  }
  return 0;
}
