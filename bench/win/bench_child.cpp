// The program the benchmark's Actions start: appends the precise time it
// began (100 ns units since 1601) to the file named by its first argument.
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
  return 0;
}
