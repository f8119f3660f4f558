#pragma once
// The configuration manager's device tree: nodes by DEVINST with their
// instance, their parent and, for a disk, the path of its disk interface.
#include <string>
#include <vector>

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
  std::uint32_t disk_set_error = 0;  // OpenDiskInterfaceSet fails with it

  std::uint32_t Add(FakeNode node) {
    return nodes.push_back(node), kFirst + static_cast<std::uint32_t>(nodes.size() - 1);
  }
  FakeNode* Find(std::uint32_t dev_inst) {
    return dev_inst - kFirst < nodes.size() ? &nodes[dev_inst - kFirst] : nullptr;
  }
  bool EnumDiskInterface(std::uint32_t index, std::string* path, DeviceElement* element) {
    for (std::uint32_t at = 0; at < nodes.size(); ++at)
      if (!nodes[at].disk_interface.empty() && index-- == 0)
        return *element = {}, element->dev_inst = kFirst + at, *path = nodes[at].disk_interface,
               true;
    return path->clear(), false;
  }
  std::uint32_t GetParent(std::uint32_t dev_inst, std::uint32_t* parent) {
    const FakeNode* node = Find(dev_inst);
    if (!node || node->parent_untouched) return node ? setup::kCrSuccess : setup::kCrInvalidDevNode;
    return (*parent = node->parent) ? setup::kCrSuccess : setup::kCrNoSuchDevNode;
  }
  std::uint32_t GetDeviceId(std::uint32_t dev_inst, std::string* id) {
    const FakeNode* node = Find(dev_inst);
    return *id = node ? node->instance_id : "", node ? setup::kCrSuccess : setup::kCrInvalidDevNode;
  }
};

}  // namespace mw::fake
