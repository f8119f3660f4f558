// Sends Mountwick's hidden window the broadcast the system sends when a drive
// appears or the device list changes, for demonstrations and scripts:
// send_device_change volume E [net] | nodes. Exit code 0 when the window took it.
#include <windows.h>

#include <dbt.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  const bool nodes = argc == 2 && std::strcmp(argv[1], "nodes") == 0;
  const bool volume = (argc == 3 || argc == 4) && std::strcmp(argv[1], "volume") == 0;
  const int drive = volume ? (argv[2][0] | 0x20) - 'a' : -1;
  const WORD flags = argc == 4 && std::strcmp(argv[3], "net") == 0 ? DBTF_NET : 0;
  const bool understood = nodes || (drive >= 0 && drive < 26);
  HWND window = nullptr;
  for (int i = 0; understood && i < 100 && !(window = FindWindowA("MOUNTWICK", nullptr)); ++i)
    Sleep(100);
  DEV_BROADCAST_VOLUME broadcast = {sizeof broadcast, DBT_DEVTYP_VOLUME, 0,
                                    window && !nodes ? 1u << drive : 0, flags};
  DWORD_PTR result = 0;
  if (window && SendMessageTimeoutA(
                    window, WM_DEVICECHANGE, nodes ? DBT_DEVNODES_CHANGED : DBT_DEVICEARRIVAL,
                    nodes ? 0 : reinterpret_cast<LPARAM>(&broadcast), SMTO_NORMAL, 30000, &result))
    return 0;
  std::fprintf(stderr,
               "usage: send_device_change volume LETTER [net] | nodes, with Mountwick running\n");
  return 1;
}
