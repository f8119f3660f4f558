#pragma once
// Storage devices put into a fake world as the system builds them: the USB
// device (listed by the USB device set, so it can be removed), the nodes
// below it, each disk's interface and number, each volume on its letter.
// The named trees return the instance of the USB device that holds them.
// And the device-change records the system sends of them (little-endian).
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "fakes/fake_world.h"

namespace mw::fake {

inline constexpr char kStickHardwareId[] = "USB\\VID_0781&PID_5567&REV_0100";

// A node below parent (0: the root) whose instance ends in a serial of its own.
inline std::uint32_t Node(FakeWorld& world, const std::string& instance, std::uint32_t parent = 0,
                          const std::string& disk_interface = "") {
  const std::string serial = std::to_string(1000 + world.nodes.nodes.size());
  return world.nodes.Add({instance + serial, parent, disk_interface, false});
}
// A USB device of the model hardware_id (twins differ by their serial).
inline std::uint32_t UsbNode(FakeWorld& world, const std::string& hardware_id,
                             const std::string& service, std::uint32_t parent = 0) {
  const std::uint32_t dev_inst = Node(world, hardware_id.substr(0, 21) + "\\", parent);
  world.Add(FakeDevice{true, dev_inst, {}, {}, world.nodes.Find(dev_inst)->instance_id}
                .Multi(setup::kSpdrpHardwareId, {hardware_id})
                .Text(setup::kSpdrpService, service)
                .Text(setup::kSpdrpPhysicalDeviceObjectName,
                      "\\Device\\USBPDO-" + std::to_string(dev_inst)));
  return dev_inst;
}
inline std::string InstanceOf(FakeWorld& world, std::uint32_t dev_inst) {
  return world.nodes.Find(dev_inst)->instance_id;
}
// A disk below parent with its disk interface; returns its device number.
// Disks and CD-ROMs are numbered apart, from 1: 0 is the system's own disk.
inline std::uint32_t DiskNode(FakeWorld& world, const std::string& instance, std::uint32_t parent,
                              std::uint32_t type = storage::kFileDeviceDisk) {
  std::string path = instance + std::to_string(world.nodes.nodes.size());
  std::replace(path.begin(), path.end(), '\\', '#');
  path = "\\\\?\\" + path + "#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";
  std::uint32_t number = 1;
  for (const auto& [opened, device] : world.storage.devices)
    number += opened.starts_with("\\\\?\\") && device.number.device_type == type;
  Node(world, instance, parent, path);
  world.storage.devices[path].number = {type, number, 0};
  return number;
}
// The volume on letter over the disks' extents (two or more: a spanned one).
inline void Volume(FakeWorld& world, char letter, const std::vector<std::uint32_t>& disks,
                   std::uint32_t drive_type = storage::kDriveRemovable,
                   std::uint32_t partition = 1) {
  world.storage.drives[letter].type = drive_type;
  FakeStorageDevice& volume = world.storage.devices[std::string("\\\\.\\") + letter + ':'];
  volume.extents = disks;
  volume.number = {storage::kFileDeviceDisk, disks[0], partition};
  if (disks.size() > 1) volume.fails[StorageCall::kGetDeviceNumber] = 1;  // on no single disk
  world.volumes.try_emplace(std::string(1, letter) + ":\\", "");
}

// A USB stick of one model with its volume on letter; parent: a hub's node.
inline std::string UsbStick(FakeWorld& world, char letter, std::uint32_t parent = 0) {
  const std::uint32_t usb = UsbNode(world, kStickHardwareId, "USBSTOR", parent);
  Volume(world, letter, {DiskNode(world, "USBSTOR\\DISK&PROD_STICK\\", usb)});
  return InstanceOf(world, usb);
}
// A USB 3 disk through UASP, its disk a SCSI disk; two partitions, fixed.
inline std::string UaspDisk(FakeWorld& world, char first, char second) {
  const std::uint32_t usb = UsbNode(world, "USB\\VID_174C&PID_55AA&REV_0100", "UASPStor");
  const std::uint32_t disk = DiskNode(world, "SCSI\\DISK&PROD_SSD\\7&", usb);
  Volume(world, first, {disk}, storage::kDriveFixed, 1);
  Volume(world, second, {disk}, storage::kDriveFixed, 2);
  return InstanceOf(world, usb);
}
// A composite card reader: its interface MI_00, below it four slots; only the
// first holds a medium, on letter.
inline std::string CardReader(FakeWorld& world, char letter) {
  const std::uint32_t usb = UsbNode(world, "USB\\VID_05E3&PID_0749&REV_1532", "usbccgp");
  const std::uint32_t mi = Node(world, "USB\\VID_05E3&PID_0749&MI_00\\8&", usb);
  Volume(world, letter, {DiskNode(world, "USBSTOR\\DISK&PROD_SLOT\\", mi)});
  for (int slot = 1; slot < 4; ++slot) DiskNode(world, "USBSTOR\\DISK&PROD_SLOT\\", mi);
  return InstanceOf(world, usb);
}
// A USB DVD drive, listed with the disks so that only its device type tells
// it from the disk of the same number; its letter is a CD-ROM drive's.
inline std::string UsbDvdDrive(FakeWorld& world, char letter) {
  const std::uint32_t usb = UsbNode(world, "USB\\VID_0E8D&PID_1806", "USBSTOR");
  world.storage.drives[letter].type = storage::kDriveCdRom;
  world.storage.devices[std::string("\\\\.\\") + letter + ':'].number = {
      storage::kFileDeviceCdRom,
      DiskNode(world, "USBSTOR\\CDROM&PROD_DVD\\", usb, storage::kFileDeviceCdRom), 0};
  return InstanceOf(world, usb);
}
// An external hub, itself a USB device, below the root hub; returns its node.
inline std::uint32_t Hub(FakeWorld& world) {
  return UsbNode(world, "USB\\VID_2109&PID_2813", "USBHUB3", Node(world, "USB\\ROOT_HUB30\\4&"));
}
// A card reader on the PCI bus: its volume on letter has no USB device above it.
inline void InternalCardReader(FakeWorld& world, char letter) {
  const std::uint32_t pci = Node(world, "PCI\\VEN_10EC&DEV_5227\\4&");
  Volume(world, letter, {DiskNode(world, "SD\\DISK&GENERIC&SC32G\\5&", pci)});
}

// DEV_BROADCAST_VOLUME: size, type, reserved, unit mask, then the 16-bit
// flags and padding.
inline std::vector<unsigned char> VolumeRecord(std::uint32_t mask, std::uint32_t flags = 0,
                                               std::uint32_t size = 20, std::uint32_t type = 2) {
  const std::uint32_t fields[] = {size, type, 0, mask, flags};
  std::vector<unsigned char> bytes(sizeof fields);
  return std::memcpy(bytes.data(), fields, sizeof fields), bytes;
}

// DEV_BROADCAST_DEVICEINTERFACE_A of the USB device class (or another) for path.
inline std::vector<unsigned char> InterfaceRecord(const std::string& path, bool usb = true) {
  std::vector<unsigned char> bytes(28 + path.size() + 1);
  const std::uint32_t header[] = {static_cast<std::uint32_t>(bytes.size()), 5, 0};
  std::memcpy(bytes.data(), header, sizeof header);
  std::memcpy(bytes.data() + 12, setup::kUsbDeviceInterfaceClass, 16);
  bytes[12] ^= usb ? 0 : 1;
  return std::memcpy(bytes.data() + 28, path.c_str(), path.size()), bytes;
}

// The path of instance's USB device interface, spelt as the system spells it.
inline std::string UsbInterfacePath(std::string instance) {
  for (char& c : instance) c = c == '\\' ? '#' : (c >= 'A' && c <= 'Z') ? char(c + 32) : c;
  return "\\\\?\\" + instance + "#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
}

}  // namespace mw::fake
