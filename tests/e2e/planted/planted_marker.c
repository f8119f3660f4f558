/* Leaves a marker file in the loading process's working folder, so a test
 * can tell that a DLL planted there was loaded. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)instance, (void)reserved;
  if (reason == DLL_PROCESS_ATTACH)
    CloseHandle(CreateFileA("planted-dll-was-loaded.txt", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, NULL));
  return TRUE;
}
