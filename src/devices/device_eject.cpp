#include "devices/device_eject.h"

#include <iterator>

#include "devices/device_property.h"
#include "devices/usb_device_set.h"
#include "notices/activity_log.h"

namespace mw {

const char* VetoTypeText(std::uint32_t veto_type) {
  static const char* const kTexts[] = {
      "不明",       "従来型のデバイス",   "閉じる途中のハンドル",   "アプリケーション",
      "サービス",   "開いているハンドル", "ほかのデバイス",         "ドライバー",
      "不正な要求", "電力不足",           "無効にできないデバイス", "従来型のドライバー",
      "権限の不足", "取り外し済み"};
  return veto_type < std::size(kTexts) ? kTexts[veto_type] : kTexts[0];
}

int EjectDevice(const Platform& platform, const std::string& hardware_id,
                const std::string& instance_id, std::uint32_t* veto_type) {
  // Only attached devices, whichever picker mode the Action was made in.
  ScopedDeviceSet set(platform.devices);
  if (!OpenUsbDevices(platform, setup::kDigcfPresent | setup::kDigcfDeviceInterface, set)) {
    LogActivity(platform, "取り外し: デバイス情報を取得できませんでした");
    return 0;
  }
  DeviceElement element;
  for (std::uint32_t index = 0; platform.devices.EnumDevice(set.get(), index, &element); ++index) {
    if (!instance_id.empty()) {
      // Another device of the same model may have come since; only this one goes.
      std::string id;
      std::uint32_t error = 0;
      if (!platform.devices.GetInstanceId(set.get(), element, &id, &error) || id != instance_id)
        continue;
    } else {
      DeviceRecord scratch;
      ReadDeviceProperty(platform.devices, set.get(), element, setup::kSpdrpHardwareId,
                         scratch.HardwareID, "HARDWAREID", scratch);
      if (scratch.HardwareID != hardware_id) continue;
    }
    // One request per call, even when several devices share the identifier.
    std::uint32_t type = 0;
    const std::uint32_t result = platform.devices.RequestDeviceEject(element.dev_inst, &type);
    if (veto_type) *veto_type = type;
    return static_cast<int>(result);
  }
  if (instance_id.empty())
    LogActivity(platform, "取り外し: %s のデバイスはつながっていません", hardware_id);
  else
    LogActivity(platform,
                "取り外し: 到着したデバイス %s はもうつながっていないので、何も求めません",
                instance_id);
  return 0;
}

}  // namespace mw
