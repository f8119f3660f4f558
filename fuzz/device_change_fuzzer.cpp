// RouteDeviceChange with any wParam and any broadcast record. The contract
// with the window procedure: the system hands over at least the 12-byte
// header and as many bytes as the record's dbch_size claims. The harness
// passes a heap copy of exactly that many bytes (the header, or dbch_size when
// larger), so ASan reports any read of a field the record does not cover.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/device_change.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  static constexpr std::uintptr_t kMessages[] = {mw::dbt::kDevNodesChanged, mw::dbt::kDeviceArrival,
                                                 mw::dbt::kDeviceRemoveComplete, 0x0018};
  const std::uintptr_t wparam = input.ConsumeBool() ? input.PickValueInArray(kMessages)
                                                    : input.ConsumeIntegral<std::uintptr_t>();
  const std::vector<unsigned char> bytes = input.ConsumeRemainingBytes<unsigned char>();
  if (bytes.size() < mw::dbt::kHeaderSize) {
    // No record at all is the only thing shorter than a header.
    const mw::RoutedDeviceChange none = mw::RouteDeviceChange(wparam, nullptr);
    FUZZ_CHECK(none.event == mw::DeviceEvent::None ||
               none.event == mw::DeviceEvent::DeviceListChanged);
    return 0;
  }
  std::uint32_t claimed = 0;
  std::memcpy(&claimed, bytes.data(), sizeof claimed);
  if (claimed > bytes.size()) return 0;  // the system never hands over less than it claims
  const std::size_t length = std::max<std::size_t>(claimed, mw::dbt::kHeaderSize);
  const auto record = std::make_unique<unsigned char[]>(length);
  std::memcpy(record.get(), bytes.data(), length);

  const mw::RoutedDeviceChange change = mw::RouteDeviceChange(wparam, record.get());
  if (change.event == mw::DeviceEvent::VolumeArrived ||
      change.event == mw::DeviceEvent::MediaArrived) {
    FUZZ_CHECK(wparam == mw::dbt::kDeviceArrival);
    FUZZ_CHECK(length >= mw::dbt::kVolumeFieldsEnd);
    FUZZ_CHECK(change.letter >= 'A' && change.letter <= 'Z');
  } else {
    FUZZ_CHECK(change.letter == '\0');
  }
  if (change.event == mw::DeviceEvent::DeviceListChanged)
    FUZZ_CHECK(wparam == mw::dbt::kDevNodesChanged);
  const bool usb = change.event == mw::DeviceEvent::UsbDeviceArrived ||
                   change.event == mw::DeviceEvent::UsbDeviceLeft;
  if (usb) {
    FUZZ_CHECK(wparam == (change.event == mw::DeviceEvent::UsbDeviceArrived
                              ? mw::dbt::kDeviceArrival
                              : mw::dbt::kDeviceRemoveComplete));
    FUZZ_CHECK(length > mw::dbt::kInterfaceNameOffset);
    FUZZ_CHECK(!change.instance.empty() && change.instance.find('#') == std::string::npos);
  } else {
    FUZZ_CHECK(change.instance.empty());
  }
  return 0;
}
