#pragma once
// The set of platform ports one world of the program runs on: the Win32
// adapters in Mountwick.exe, the fakes in host tests.
#include "platform/activity_port.h"
#include "platform/desktop_port.h"
#include "platform/device_setup_port.h"
#include "platform/file_system_port.h"
#include "platform/process_port.h"
#include "platform/registry_port.h"
#include "platform/storage_port.h"
#include "platform/thread_port.h"
#include "platform/user_notice_port.h"

namespace mw {

struct Platform {
  RegistryPort& registry;
  ProcessPort& processes;
  DesktopPort& desktop;
  UserNoticePort& notices;
  ThreadPort& threads;
  FileSystemPort& files;
  DeviceSetupPort& devices;
  ActivityPort& activity;
  StoragePort& storage;
};

}  // namespace mw
