// Sends Mountwick's hidden window the broadcast the system sends when a drive
// appears, for demonstrations: send_device_change volume E. Exit code 0 when
// the window took the message.
#include <windows.h>

#include <dbt.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  if (argc != 3 || std::strcmp(argv[1], "volume") != 0 || (argv[2][0] | 0x20) < 'a' ||
      (argv[2][0] | 0x20) > 'z') {
    std::fprintf(stderr, "usage: send_device_change volume LETTER\n");
    return 2;
  }
  HWND window = nullptr;
  for (int i = 0; i < 100 && !(window = FindWindowA("MOUNTWICK", nullptr)); ++i) Sleep(100);
  DEV_BROADCAST_VOLUME volume = {};
  volume.dbcv_size = sizeof volume;
  volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
  volume.dbcv_unitmask = 1u << ((argv[2][0] | 0x20) - 'a');
  DWORD_PTR result = 0;
  if (window && SendMessageTimeoutA(window, WM_DEVICECHANGE, DBT_DEVICEARRIVAL,
                                    reinterpret_cast<LPARAM>(&volume), SMTO_NORMAL, 30000, &result))
    return 0;
  std::fprintf(stderr, "send_device_change: Mountwick is not running or did not answer\n");
  return 1;
}
