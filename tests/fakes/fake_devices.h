#pragma once
// A device table behind the setup interface: devices present or only known,
// properties that are missing, empty, multi-string, larger than the first
// buffer or failing with other errors, a set that cannot be opened, and a
// configuration manager that answers removal requests from a script.
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "fakes/call_faults.h"
#include "platform/device_setup_port.h"

namespace mw::fake {

struct FakeProperty {
  std::vector<unsigned char> data;       // exactly what the system returns
  std::uint32_t error = 0;               // non-zero: every query fails with this last error
  std::deque<std::uint32_t> fail_first;  // the next queries with a buffer fail with these
  std::size_t grows = 0;  // bytes the value gains before each query: never fits a buffer
};

struct FakeDevice {
  bool present = true;
  std::uint32_t dev_inst = 0;  // assigned when 0
  std::map<std::uint32_t, FakeProperty> properties;

  // A REG_SZ property: the text and its NUL.
  FakeDevice& Text(std::uint32_t property, const std::string& text);
  // A REG_MULTI_SZ property: each string with its NUL, then the final NUL.
  FakeDevice& Multi(std::uint32_t property, const std::vector<std::string>& strings);
  FakeDevice& Failing(std::uint32_t property, std::uint32_t error);
  // Exactly these bytes, e.g. a string without its NUL.
  FakeDevice& Raw(std::uint32_t property, const std::string& bytes);
};

class FakeDevices : public DeviceSetupPort {
 public:
  std::vector<FakeDevice> devices;
  bool open_fails = false;
  std::uint32_t open_error = 5;
  std::map<std::uint32_t, std::deque<std::uint32_t>> eject_answers;  // dev_inst -> answers
  std::uint32_t default_eject_answer = 0;
  CallFaults faults;  // a failed call: open_error, no element, error 31, CR_FAILURE

  FakeDevice& Add(FakeDevice device);

  bool OpenUsbDeviceSet(std::uint32_t flags, DeviceSet* set, std::uint32_t* last_error) override;
  bool EnumDevice(DeviceSet set, std::uint32_t index, DeviceElement* element) override;
  bool GetProperty(DeviceSet set, const DeviceElement& element, std::uint32_t property,
                   unsigned char* buffer, std::uint32_t size, std::uint32_t* required,
                   std::uint32_t* last_error) override;
  void DestroyDeviceSet(DeviceSet set) override;
  std::uint32_t RequestDeviceEject(std::uint32_t dev_inst) override;

  std::vector<std::uint32_t> EjectRequests() const;
  std::size_t PropertyQueries() const;
  std::size_t OpenSets() const;
  std::vector<std::uint32_t> OpenFlags() const;

 private:
  mutable std::mutex guard_;
  std::map<DeviceSet, std::vector<std::size_t>> sets_;  // set -> device positions
  DeviceSet next_set_ = 0x1000;
  std::vector<std::uint32_t> eject_requests_;
  std::vector<std::uint32_t> open_flags_;
  std::size_t property_queries_ = 0;
};

}  // namespace mw::fake
