// Sends Mountwick's hidden window the broadcast the system sends when a
// drive appears or the device list changes, for demonstrations and scripts:
//   send_device_change volume E [media|net]
//   send_device_change nodes
// Exit code 0 when the window took the message.
#include <windows.h>

#include <dbt.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  HWND window = nullptr;
  for (int i = 0; i < 100 && !window; ++i) {
    window = FindWindowA("MOUNTWICK", nullptr);
    if (!window) Sleep(100);
  }
  if (!window) {
    std::fprintf(stderr, "send_device_change: Mountwick is not running\n");
    return 1;
  }
  DWORD_PTR result = 0;
  if (argc >= 2 && std::strcmp(argv[1], "nodes") == 0) {
    return SendMessageTimeoutA(window, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0, SMTO_NORMAL, 30000,
                               &result)
               ? 0
               : 1;
  }
  if (argc >= 3 && std::strcmp(argv[1], "volume") == 0) {
    const char letter = static_cast<char>(argv[2][0] & ~0x20);
    if (letter < 'A' || letter > 'Z') return 2;
    DEV_BROADCAST_VOLUME volume = {};
    volume.dbcv_size = sizeof volume;
    volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
    volume.dbcv_unitmask = 1u << (letter - 'A');
    for (int i = 3; i < argc; ++i) {
      if (std::strcmp(argv[i], "media") == 0) volume.dbcv_flags |= DBTF_MEDIA;
      if (std::strcmp(argv[i], "net") == 0) volume.dbcv_flags |= DBTF_NET;
    }
    return SendMessageTimeoutA(window, WM_DEVICECHANGE, DBT_DEVICEARRIVAL,
                               reinterpret_cast<LPARAM>(&volume), SMTO_NORMAL, 30000, &result)
               ? 0
               : 1;
  }
  std::fprintf(stderr, "usage: send_device_change volume LETTER [media|net] | nodes\n");
  return 2;
}
