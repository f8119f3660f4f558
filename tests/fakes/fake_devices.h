#pragma once
// The USB device table the device sets list (present ones, or all the system
// knows), and the configuration manager's tree above the disks: nodes by
// DEVINST with their instance, their parent and, for a disk, the path of its
// disk interface.
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "fakes/fake_common.h"
#include "platform/device_setup_port.h"

namespace mw::fake {

struct FakeNode {
  std::string instance_id;
  std::uint32_t parent = 0;       // 0: a child of the root, which has no parent
  std::string disk_interface;     // the path of its GUID_DEVINTERFACE_DISK interface, if any
  bool parent_untouched = false;  // CR_SUCCESS without writing the parent, as under Wine
};

struct FakeDeviceNodes {
  static constexpr std::uint32_t kFirst = 0x1000;  // the DEVINST of nodes[0]
  std::vector<FakeNode> nodes;

  std::uint32_t Add(FakeNode node) {
    return nodes.push_back(node), kFirst + static_cast<std::uint32_t>(nodes.size() - 1);
  }
  FakeNode* Find(std::uint32_t dev_inst) {
    return dev_inst - kFirst < nodes.size() ? &nodes[dev_inst - kFirst] : nullptr;
  }
};

struct FakeDevice {
  bool present = true;
  std::uint32_t dev_inst = 0;                       // assigned when 0
  std::map<std::uint32_t, std::string> properties;  // exactly the bytes the system returns
  std::deque<std::uint32_t> eject_answers;          // the last one repeats; none: kCrSuccess
  std::string instance_id;                          // "USB\\FAKE\\<dev_inst>" when empty

  FakeDevice& Raw(std::uint32_t property, const std::string& bytes) {
    properties[property] = bytes;
    return *this;
  }
  FakeDevice& Text(std::uint32_t property, const std::string& text) {
    return Raw(property, text + '\0');
  }
  FakeDevice& Multi(std::uint32_t property, const std::vector<std::string>& strings) {
    std::string bytes;
    for (const std::string& text : strings) bytes += text + '\0';
    return Raw(property, bytes + '\0');
  }
};

class FakeDevices : public DeviceSetupPort {
 public:
  explicit FakeDevices(FakeCommon& common) : common_(common) {}

  std::vector<FakeDevice> devices;
  std::vector<std::uint32_t> open_flags, eject_requests;
  std::size_t property_queries = 0;
  void Add(FakeDevice device) {
    if (device.dev_inst == 0) device.dev_inst = static_cast<std::uint32_t>(devices.size() + 1);
    if (device.instance_id.empty())
      device.instance_id = "USB\\FAKE\\" + std::to_string(device.dev_inst);
    devices.push_back(std::move(device));
  }
  std::size_t open_sets() const { return sets_.size(); }
  // A DEVINST answers only while a disk interface set is open, as under Wine.
  FakeDeviceNodes nodes;

  bool OpenUsbDeviceSet(std::uint32_t flags, DeviceSet* set, std::uint32_t* error) override {
    open_flags.push_back(flags);
    if ((*error = common_.Code(Call::kOpenUsbDeviceSet))) return false;
    std::vector<std::size_t>& members = sets_[*set = next_set_++];
    for (std::size_t i = 0; i < devices.size(); ++i)
      if (devices[i].present || (flags & setup::kDigcfPresent) == 0) members.push_back(i);
    return true;
  }
  bool CreateUsbDeviceSet(DeviceSet* set, std::uint32_t* error) override {
    if ((*error = common_.Code(Call::kCreateUsbDeviceSet))) return false;
    return sets_[*set = next_set_++], true;
  }
  // Any device the system knows, attached or not, by its instance in any case.
  bool OpenDevice(DeviceSet set, const std::string& instance_id, DeviceElement* element) override {
    std::vector<std::size_t>& members = sets_.at(set);
    for (std::size_t i = 0; i < devices.size() && !common_.Fault(Call::kOpenDevice, instance_id);
         ++i)
      if (Upper(devices[i].instance_id) == Upper(instance_id))
        return members.push_back(i), Element(i, element), true;
    return false;
  }
  bool EnumDevice(DeviceSet set, std::uint32_t index, DeviceElement* element) override {
    const std::vector<std::size_t>& members = sets_.at(set);
    if (common_.Fault(Call::kEnumDevice) || index >= members.size()) return false;
    return Element(members[index], element), true;
  }
  bool GetProperty(DeviceSet set, const DeviceElement& element, std::uint32_t property,
                   unsigned char* buffer, std::uint32_t size, std::uint32_t* required,
                   std::uint32_t* error) override {
    ++property_queries;
    const FakeDevice& device = DeviceAt(set, element);
    auto it = device.properties.find(property);
    *error = common_.Code(Call::kGetProperty, std::to_string(property));
    // Without a device object there is no physical device object name.
    if (!*error && (it == device.properties.end() ||
                    (property == setup::kSpdrpPhysicalDeviceObjectName && !device.present)))
      *error = setup::kErrorInvalidData;
    if (*error) return false;
    if (required) *required = static_cast<std::uint32_t>(it->second.size());
    if (!buffer || size < it->second.size()) {
      *error = setup::kErrorInsufficientBuffer;
      return false;
    }
    std::memcpy(buffer, it->second.data(), it->second.size());
    return true;
  }
  bool GetInstanceId(DeviceSet set, const DeviceElement& element, std::string* instance_id,
                     std::uint32_t* error) override {
    const FakeDevice& device = DeviceAt(set, element);
    return !(*error = common_.Code(Call::kGetInstanceId)) &&
           (*instance_id = device.instance_id, true);
  }
  void DestroyDeviceSet(DeviceSet set) override { sets_.erase(set), disk_sets_.erase(set); }
  bool OpenDiskInterfaceSet(DeviceSet* set, std::uint32_t*) override {
    return sets_[*set = next_set_++], disk_sets_.insert(*set), true;
  }
  bool EnumDiskInterface(DeviceSet set, std::uint32_t index, std::string* path,
                         DeviceElement* element) override {
    sets_.at(set);
    for (std::uint32_t at = 0; at < nodes.nodes.size(); ++at)
      if (!nodes.nodes[at].disk_interface.empty() && index-- == 0)
        return *element = {}, element->dev_inst = FakeDeviceNodes::kFirst + at,
               *path = nodes.nodes[at].disk_interface, true;
    return path->clear(), false;
  }
  std::uint32_t GetParent(std::uint32_t dev_inst, std::uint32_t* parent) override {
    const FakeNode* node = disk_sets_.empty() ? nullptr : nodes.Find(dev_inst);
    if (!node || node->parent_untouched) return node ? setup::kCrSuccess : setup::kCrInvalidDevNode;
    return (*parent = node->parent) ? setup::kCrSuccess : setup::kCrNoSuchDevNode;
  }
  std::uint32_t GetDeviceId(std::uint32_t dev_inst, std::string* id) override {
    const FakeNode* node = nodes.Find(dev_inst);
    return *id = node ? node->instance_id : "", node ? setup::kCrSuccess : setup::kCrInvalidDevNode;
  }
  std::uint32_t RequestDeviceEject(std::uint32_t dev_inst, std::uint32_t* veto_type) override {
    eject_requests.push_back(dev_inst);
    const std::uint32_t failed = common_.Fault(Call::kRequestDeviceEject) ? 0x13 : 0;  // CR_FAILURE
    std::uint32_t answer = failed;
    for (FakeDevice& device : devices)
      if (device.dev_inst == dev_inst)
        common_.Event("eject " + device.instance_id),
            answer = failed ? failed : FakeCommon::Next(device.eject_answers, setup::kCrSuccess);
    *veto_type = answer == setup::kCrRemoveVetoed ? 3 : 0;  // PNP_VetoWindowsApp for a refusal
    return answer;
  }

 private:
  // The element of the device at position, as DeviceAt finds it again.
  void Element(std::size_t position, DeviceElement* element) {
    *element = DeviceElement{};
    std::memcpy(element->data, &position, sizeof position);
    element->dev_inst = devices[position].dev_inst;
  }
  // A destroyed set has no devices.
  FakeDevice& DeviceAt(DeviceSet set, const DeviceElement& element) {
    sets_.at(set);
    std::size_t position = 0;
    std::memcpy(&position, element.data, sizeof position);
    return devices.at(position);
  }

  FakeCommon& common_;
  std::map<DeviceSet, std::vector<std::size_t>> sets_;  // -> device positions
  std::set<DeviceSet> disk_sets_;                       // open ones
  DeviceSet next_set_ = 0x100;
};

}  // namespace mw::fake
