#include "devices/generic_entries.h"

#include "model/action.h"

namespace mw {
namespace {

constexpr char kVolumeName[] = "【汎用：任意のドライブ追加時】";
constexpr char kMediaName[] = "【汎用：任意のメディア挿入時】";

// The picker shows these as the entries' tooltips.
constexpr char kVolumeDetails[] =
    "PC-CARD,SCSI,IEEE1394,USBなど全てのデバイスで、\r\n"
    "ドライブの追加認識が発生した場合に実行されます。\r\n"
    "実行ファイルの文字列中で\"%_newdrv_%\"を記述すると\r\n"
    "新しく増えたドライブレターに置換されます。\r\n"
    "\r\n"
    "(例) \"explorer.exe\" /e,%_newdrv_%:\\DCIM\\";

constexpr char kMediaDetails[] =
    "IDE CD, DVDなど全てのデバイスで、\r\n"
    "メディアの挿入が発生した場合に実行されます。\r\n"
    "実行ファイルの文字列中で\"%_newdrv_%\"を記述すると\r\n"
    "挿入されたドライブレターに置換されます。\r\n"
    "\r\n"
    "(例) \"explorer.exe\" /e,%_newdrv_%:\\";

DeviceRecord GenericEntry(const char* name, const char* hardware_id, const char* details) {
  DeviceRecord record;
  record.DisplayName = name;
  record.Present = true;  // offered in both picker modes
  record.HardwareID = hardware_id;
  record.Service = kGenericEntryService;
  record.Details = details;
  return record;
}

}  // namespace

void AddGenericVolumeEntry(DeviceList& list) {
  list.push_back(GenericEntry(kVolumeName, kGenericVolumeId, kVolumeDetails));
}

void AddGenericMediaEntry(DeviceList& list) {
  list.push_back(GenericEntry(kMediaName, kGenericMediaId, kMediaDetails));
}

}  // namespace mw
