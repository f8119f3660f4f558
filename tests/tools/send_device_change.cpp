// Sends Mountwick's hidden window the broadcast the system sends when a drive
// appears, for demonstrations: send_device_change volume E. Exit code 0 when
// the window took the message.
#include <windows.h>

#include <dbt.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  const int drive =
      argc == 3 && std::strcmp(argv[1], "volume") == 0 ? (argv[2][0] | 0x20) - 'a' : -1;
  HWND window = nullptr;
  for (int i = 0;
       i < 100 && drive >= 0 && drive < 26 && !(window = FindWindowA("MOUNTWICK", nullptr)); ++i)
    Sleep(100);
  DEV_BROADCAST_VOLUME volume = {sizeof volume, DBT_DEVTYP_VOLUME, 0, window ? 1u << drive : 0, 0};
  DWORD_PTR result = 0;
  if (window && SendMessageTimeoutA(window, WM_DEVICECHANGE, DBT_DEVICEARRIVAL,
                                    reinterpret_cast<LPARAM>(&volume), SMTO_NORMAL, 30000, &result))
    return 0;
  std::fprintf(stderr, "usage: send_device_change volume LETTER, with Mountwick running\n");
  return 1;
}
