#pragma once
// Helpers for the tests that run the real adapters under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/win32_ports.h"
#include "tools/mountwick_driver_win.h"

namespace mw::wintest {

using Lines = std::vector<std::string>;

// The real adapters, except that message boxes are recorded instead of shown,
// activity goes nowhere and the device adapter may be another.
struct World : win32::Win32UserNotices, ActivityPort {
  win32::Win32World real;
  Lines texts;
  void Write(const std::string&) override {}
  int ShowMessageBox(Window, const std::string& text, const std::string&, std::uint32_t) override {
    return texts.push_back(text), 1;
  }
  Platform platform(DeviceSetupPort* d = nullptr) {
    auto& r = real;
    return {r.registry, r.processes,        r.desktop, *this,    r.threads,
            r.files,    d ? *d : r.devices, *this,     r.storage};
  }
};

// For the whole program HKEY_CURRENT_USER is a fresh key of this run's own,
// so that no test reads or changes the real user's settings.
struct PrivateCurrentUser : ::testing::Environment {
  void SetUp() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());  // left by an earlier run with this pid
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, path.c_str(), &key), ERROR_SUCCESS);
    ASSERT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, key), ERROR_SUCCESS);  // else no test runs
    // Wine's desktop process runs before Mountwick starts anything (it has its window); started
    // later by a program's first console, it would join that program's job and never leave.
    GetDesktopWindow();
  }
  void TearDown() override {
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegCloseKey(key);
    RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\MountwickTests");  // fails while others run
  }
  const std::string path = "Software\\MountwickTests\\" + std::to_string(GetCurrentProcessId());
  static inline HKEY key = nullptr;
};
inline const auto* const private_current_user =
    ::testing::AddGlobalTestEnvironment(new PrivateCurrentUser);

}  // namespace mw::wintest
