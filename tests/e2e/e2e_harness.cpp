// The suite deletes and rewrites keys of the current user's registry, adds
// devices and runs the installer: on a real system it must be asked for.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  bool allowed = ntdll && GetProcAddress(ntdll, "wine_get_version");
  for (int i = 1; i < argc; ++i) allowed |= std::strcmp(argv[i], "--allow-real-windows") == 0;
  if (const char* allow = std::getenv("MOUNTWICK_E2E_ALLOW_REAL_WINDOWS")) allowed |= *allow == '1';
  if (allowed) return RUN_ALL_TESTS();
  std::fprintf(stderr,
               "mountwick_e2e_tests: not under Wine, nothing run. The suite deletes and rewrites "
               "HKCU\\software\\Quillory and HKCU\\Software\\Tivolane, adds fake USB devices and "
               "runs the installer. Run it under Wine (ctest --preset win64 does), or on a "
               "throw-away Windows system pass --allow-real-windows or set "
               "MOUNTWICK_E2E_ALLOW_REAL_WINDOWS=1.\n");
  return 2;
}
