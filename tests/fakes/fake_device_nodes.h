#pragma once
// The configuration manager's device tree: nodes by DEVINST with their
// instance, their parent and, for a disk, the path of its disk interface.
#include <string>
#include <vector>

#include "platform/device_setup_port.h"

namespace mw::fake {

struct FakeNode {
  std::uint32_t dev_inst = 0;  // assigned when 0
  std::string instance_id;
  std::uint32_t parent = 0;       // 0: a child of the root, which has no parent
  std::string disk_interface;     // the path of its GUID_DEVINTERFACE_DISK interface, if any
  bool parent_untouched = false;  // CR_SUCCESS without writing the parent, as under Wine
};

struct FakeDeviceNodes {
  std::vector<FakeNode> nodes;
  std::uint32_t disk_set_error = 0;  // OpenDiskInterfaceSet fails with it
  std::vector<std::uintptr_t> disk_sets;

  std::uint32_t Add(FakeNode node) {
    if (node.dev_inst == 0) node.dev_inst = 0x1000 + static_cast<std::uint32_t>(nodes.size());
    nodes.push_back(node);
    return node.dev_inst;
  }
  FakeNode* Find(std::uint32_t dev_inst) {
    for (FakeNode& node : nodes)
      if (node.dev_inst == dev_inst) return &node;
    return nullptr;
  }
  bool EnumDiskInterface(std::uint32_t index, std::string* path, DeviceElement* element) {
    for (const FakeNode& node : nodes)
      if (!node.disk_interface.empty() && index-- == 0) {
        *element = DeviceElement{};
        element->dev_inst = node.dev_inst;
        return *path = node.disk_interface, true;
      }
    return path->clear(), false;
  }
  std::uint32_t GetParent(std::uint32_t dev_inst, std::uint32_t* parent) {
    const FakeNode* node = Find(dev_inst);
    if (!node) return setup::kCrInvalidDevNode;
    if (node->parent_untouched) return setup::kCrSuccess;
    *parent = node->parent;
    return node->parent ? setup::kCrSuccess : setup::kCrNoSuchDevNode;
  }
  std::uint32_t GetDeviceId(std::uint32_t dev_inst, std::string* id) {
    const FakeNode* node = Find(dev_inst);
    *id = node ? node->instance_id : "";
    return node ? setup::kCrSuccess : setup::kCrInvalidDevNode;
  }
};

}  // namespace mw::fake
