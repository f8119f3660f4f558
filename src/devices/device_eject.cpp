#include "devices/device_eject.h"

#include <iterator>
#include <optional>

#include "devices/device_property.h"
#include "devices/instance_id.h"
#include "devices/usb_device_set.h"
#include "notices/activity_log.h"

namespace mw {
namespace {

// Whether element is the device asked for: by its instance, else by its model.
bool IsAsked(const Platform& platform, DeviceSetupPort::DeviceSet set, const DeviceElement& element,
             const std::string& hardware_id, const std::string& instance_id) {
  if (!instance_id.empty()) {
    std::string id;
    std::uint32_t error = 0;
    return platform.devices.GetInstanceId(set, element, &id, &error) &&
           InstanceKey(id) == InstanceKey(instance_id);
  }
  DeviceRecord scratch;
  ReadDeviceProperty(platform.devices, set, element, setup::kSpdrpHardwareId, scratch.HardwareID,
                     "HARDWAREID", scratch);
  return scratch.HardwareID == hardware_id;
}

}  // namespace

const char* VetoTypeText(std::uint32_t veto_type) {
  static const char* const kTexts[] = {
      "不明",       "従来型のデバイス",   "閉じる途中のハンドル",   "アプリケーション",
      "サービス",   "開いているハンドル", "ほかのデバイス",         "ドライバー",
      "不正な要求", "電力不足",           "無効にできないデバイス", "従来型のドライバー",
      "権限の不足", "取り外し済み"};
  return veto_type < std::size(kTexts) ? kTexts[veto_type] : kTexts[0];
}

RemovalResult ClassifyRemoval(std::uint32_t code, std::uint32_t veto_type) {
  constexpr std::uint32_t kVetoTypeUnknown = 0;
  const bool refused = code == setup::kCrRemoveVetoed ||
                       (code == setup::kCrSuccess && veto_type != kVetoTypeUnknown);
  return {refused                     ? RemovalAnswer::Refused
          : code == setup::kCrSuccess ? RemovalAnswer::Granted
                                      : RemovalAnswer::Failed,
          code, refused ? veto_type : 0};
}

RemovalResult EjectDevice(const Platform& platform, const std::string& hardware_id,
                          const std::string& instance_id) {
  // Only attached devices, whichever picker mode the Action was made in.
  ScopedDeviceSet set(platform.devices);
  if (!OpenUsbDevices(platform, setup::kDigcfPresent | setup::kDigcfDeviceInterface, set)) {
    LogActivity(platform, "取り外し: デバイス情報を取得できませんでした");
    return {RemovalAnswer::SetUnavailable};
  }
  std::optional<DeviceElement> found;
  DeviceElement element;
  for (std::uint32_t index = 0; platform.devices.EnumDevice(set.get(), index, &element); ++index) {
    if (!IsAsked(platform, set.get(), element, hardware_id, instance_id)) continue;
    if (found) {
      LogActivity(platform,
                  "取り外し: %s のデバイスが複数つながっていて、どれか分からないので何も求めません",
                  hardware_id);
      return {RemovalAnswer::NoSuchDevice};
    }
    found = element;
    if (!instance_id.empty()) break;
  }
  if (!found) {
    if (instance_id.empty())
      LogActivity(platform, "取り外し: %s のデバイスはつながっていません", hardware_id);
    else
      LogActivity(platform,
                  "取り外し: 到着したデバイス %s はもうつながっていないので、何も求めません",
                  instance_id);
    return {RemovalAnswer::NoSuchDevice};
  }
  std::uint32_t veto_type = 0;
  const std::uint32_t code = platform.devices.RequestDeviceEject(found->dev_inst, &veto_type);
  return ClassifyRemoval(code, veto_type);
}

}  // namespace mw
