// ReadDeviceProperty's query loop and data walk against a setup interface
// that answers from the input: the property's bytes (any content, NULs
// anywhere or nowhere), and per query success or failure with any last error
// and any claimed required size, as a device or driver may report it. It
// writes no more than the buffer offered, as the system does. Buffers come
// exactly as big as asked, so ASan sees any read past them.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "devices/device_property.h"
#include "fuzz_check.h"

namespace {

namespace setup = mw::setup;

class AnsweringDevice : public mw::DeviceSetupPort {
 public:
  AnsweringDevice(FuzzedDataProvider& input, std::vector<unsigned char> data)
      : input_(input), data_(std::move(data)) {}

  bool OpenUsbDeviceSet(std::uint32_t, DeviceSet*, std::uint32_t*) override { return false; }
  bool CreateUsbDeviceSet(DeviceSet*, std::uint32_t*) override { return false; }
  bool OpenDevice(DeviceSet, const std::string&, mw::DeviceElement*) override { return false; }
  bool EnumDevice(DeviceSet, std::uint32_t, mw::DeviceElement*) override { return false; }
  bool GetInstanceId(DeviceSet, const mw::DeviceElement&, std::string*, std::uint32_t*) override {
    return false;
  }
  void DestroyDeviceSet(DeviceSet) override {}
  std::uint32_t RequestDeviceEject(std::uint32_t, std::uint32_t*) override { return 0; }
  bool OpenDiskInterfaceSet(DeviceSet*, std::uint32_t*) override { return false; }
  bool EnumDiskInterface(DeviceSet, std::uint32_t, std::string*, mw::DeviceElement*) override {
    return false;
  }
  std::uint32_t GetParent(std::uint32_t, std::uint32_t*) override { return 0x0D; }
  std::uint32_t GetDeviceId(std::uint32_t, std::string*) override { return 0x0D; }

  bool GetProperty(DeviceSet, const mw::DeviceElement&, std::uint32_t, unsigned char* buffer,
                   std::uint32_t size, std::uint32_t* required,
                   std::uint32_t* last_error) override {
    ++queries;
    const auto length = static_cast<std::uint32_t>(data_.size());
    const std::uint32_t claimed =
        input_.ConsumeBool() ? length : input_.ConsumeIntegralInRange<std::uint32_t>(0, 0x20000);
    switch (input_.ConsumeIntegralInRange(0, 3)) {
      case 0: {  // success, with whatever fits
        if (buffer != nullptr) std::memcpy(buffer, data_.data(), std::min(size, length));
        if (required) *required = claimed;
        return true;
      }
      case 1:
        *last_error = setup::kErrorInsufficientBuffer;
        if (required) *required = claimed;
        return false;
      case 2:
        *last_error = setup::kErrorInvalidData;
        return false;
      default:
        *last_error = input_.ConsumeIntegral<std::uint32_t>();
        return false;
    }
  }

  int queries = 0;

 private:
  FuzzedDataProvider& input_;
  std::vector<unsigned char> data_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::size_t data_length = input.ConsumeIntegralInRange<std::size_t>(0, 4096);
  AnsweringDevice port(input, input.ConsumeBytes<unsigned char>(data_length));

  // Allocation fails when the input says so, or for sizes no device has.
  auto allocate = [&input](std::uint32_t bytes) -> mw::PropertyBuffer {
    if (bytes > 0x10000 || input.ConsumeIntegralInRange(0, 7) == 0) return nullptr;
    return mw::PropertyBuffer(new unsigned char[bytes]());
  };

  mw::DeviceRecord record;
  record.Details = input.ConsumeBool() ? "" : "HARDWAREID = X";
  const std::string details_before = record.Details;
  std::string value = "stale";
  mw::ReadDeviceProperty(port, 0x1000, mw::DeviceElement{}, setup::kSpdrpFriendlyName, value,
                         "FRIENDLYNAME", record, allocate);

  FUZZ_CHECK(port.queries <= 1 + mw::kMaxSizedPropertyQueries);
  FUZZ_CHECK(value.find('\0') == std::string::npos);
  if (record.Details == details_before) {
    FUZZ_CHECK(value.empty());
  } else {
    const std::string line = "FRIENDLYNAME = " + value;
    FUZZ_CHECK(record.Details.size() >= line.size());
    FUZZ_CHECK(record.Details.compare(record.Details.size() - line.size(), line.size(), line) == 0);
  }
  return 0;
}
