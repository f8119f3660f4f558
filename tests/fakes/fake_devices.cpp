#include "fakes/fake_devices.h"

#include <cstring>
#include <stdexcept>

namespace mw::fake {

FakeDevice& FakeDevice::Text(std::uint32_t property, const std::string& text) {
  FakeProperty value;
  value.data.assign(text.begin(), text.end());
  value.data.push_back(0);
  properties[property] = value;
  return *this;
}

FakeDevice& FakeDevice::Multi(std::uint32_t property, const std::vector<std::string>& strings) {
  FakeProperty value;
  for (const std::string& text : strings) {
    value.data.insert(value.data.end(), text.begin(), text.end());
    value.data.push_back(0);
  }
  value.data.push_back(0);
  properties[property] = value;
  return *this;
}

FakeDevice& FakeDevice::Failing(std::uint32_t property, std::uint32_t error) {
  properties[property] = FakeProperty{};
  properties[property].error = error;
  return *this;
}

FakeDevice& FakeDevice::Raw(std::uint32_t property, const std::string& bytes) {
  properties[property] = FakeProperty{};
  properties[property].data.assign(bytes.begin(), bytes.end());
  return *this;
}

FakeDevice& FakeDevices::Add(FakeDevice device) {
  std::lock_guard lock(guard_);
  if (device.dev_inst == 0) device.dev_inst = static_cast<std::uint32_t>(devices.size() + 1);
  devices.push_back(std::move(device));
  return devices.back();
}

bool FakeDevices::OpenUsbDeviceSet(std::uint32_t flags, DeviceSet* set, std::uint32_t* last_error) {
  std::lock_guard lock(guard_);
  open_flags_.push_back(flags);
  if (faults.Fails("OpenUsbDeviceSet") || open_fails) {
    *last_error = open_error;
    return false;
  }
  std::vector<std::size_t> members;
  for (std::size_t i = 0; i < devices.size(); ++i)
    if (devices[i].present || (flags & setup::kDigcfPresent) == 0) members.push_back(i);
  *set = next_set_++;
  sets_[*set] = members;
  return true;
}

bool FakeDevices::EnumDevice(DeviceSet set, std::uint32_t index, DeviceElement* element) {
  std::lock_guard lock(guard_);
  const auto& members = sets_.at(set);
  if (faults.Fails("EnumDevice")) return false;
  if (index >= members.size()) return false;
  const std::size_t position = members[index];
  *element = DeviceElement{};
  std::memcpy(element->data, &position, sizeof position);
  element->dev_inst = devices[position].dev_inst;
  return true;
}

bool FakeDevices::GetProperty(DeviceSet set, const DeviceElement& element, std::uint32_t property,
                              unsigned char* buffer, std::uint32_t size, std::uint32_t* required,
                              std::uint32_t* last_error) {
  std::lock_guard lock(guard_);
  if (sets_.count(set) == 0) throw std::logic_error("property of a destroyed set");
  ++property_queries_;
  if (faults.Fails("GetProperty")) {
    *last_error = 31;  // ERROR_GEN_FAILURE
    return false;
  }
  std::size_t position = 0;
  std::memcpy(&position, element.data, sizeof position);
  FakeDevice& device = devices.at(position);
  // Without a device object there is no physical device object name.
  if (property == setup::kSpdrpPhysicalDeviceObjectName && !device.present) {
    *last_error = setup::kErrorInvalidData;
    return false;
  }
  auto it = device.properties.find(property);
  if (it == device.properties.end()) {
    *last_error = setup::kErrorInvalidData;
    return false;
  }
  FakeProperty& value = it->second;
  if (value.error != 0) {
    *last_error = value.error;
    return false;
  }
  if (buffer != nullptr && !value.fail_first.empty()) {
    *last_error = value.fail_first.front();
    value.fail_first.pop_front();
    return false;
  }
  value.data.insert(value.data.begin(), value.grows, 'g');
  const auto length = static_cast<std::uint32_t>(value.data.size());
  if (required) *required = length;
  if (buffer == nullptr || size < length) {
    *last_error = setup::kErrorInsufficientBuffer;
    return false;
  }
  std::memcpy(buffer, value.data.data(), length);
  return true;
}

void FakeDevices::DestroyDeviceSet(DeviceSet set) {
  std::lock_guard lock(guard_);
  if (sets_.erase(set) == 0) throw std::logic_error("destroying a device set twice");
}

std::uint32_t FakeDevices::RequestDeviceEject(std::uint32_t dev_inst) {
  std::lock_guard lock(guard_);
  eject_requests_.push_back(dev_inst);
  if (faults.Fails("RequestDeviceEject")) return 0x13;  // CR_FAILURE
  auto it = eject_answers.find(dev_inst);
  if (it == eject_answers.end() || it->second.empty()) return default_eject_answer;
  const std::uint32_t answer = it->second.front();
  if (it->second.size() > 1) it->second.pop_front();
  return answer;
}

std::vector<std::uint32_t> FakeDevices::EjectRequests() const {
  std::lock_guard lock(guard_);
  return eject_requests_;
}

std::size_t FakeDevices::PropertyQueries() const {
  std::lock_guard lock(guard_);
  return property_queries_;
}

std::size_t FakeDevices::OpenSets() const {
  std::lock_guard lock(guard_);
  return sets_.size();
}

std::vector<std::uint32_t> FakeDevices::OpenFlags() const {
  std::lock_guard lock(guard_);
  return open_flags_;
}

}  // namespace mw::fake
