#pragma once
// A fresh world of fakes per test case, and the Platform that runs on it.
#include "fakes/fake_devices.h"
#include "fakes/fake_files.h"
#include "fakes/fake_notices.h"
#include "fakes/fake_processes.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_threads.h"
#include "platform/platform.h"

namespace mw::fake {

struct FakeWorld {
  FakeRegistry registry;
  FakeProcesses processes;
  FakeDesktop desktop;
  FakeNotices notices;
  FakeThreads threads;
  FakeFiles files;
  FakeDevices devices;
  FakeActivity activity;

  Platform platform() {
    return Platform{registry, processes, desktop, notices, threads, files, devices, activity};
  }
};

}  // namespace mw::fake
