#pragma once
// Helpers for the tests that run the real adapters under Wine.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/win32_ports.h"
#include "tools/test_files_win.h"

namespace mw::wintest {

using Lines = std::vector<std::string>;
using testfiles::ProgramFolder;
using testfiles::ReadFile;

// The real adapters, except that message boxes are recorded instead of shown
// and the device adapter may be another.
struct World : win32::Win32UserNotices {
  win32::Win32World real;
  Lines texts;
  int ShowMessageBox(Window, const std::string& text, const std::string&, std::uint32_t) override {
    texts.push_back(text);
    return 1;
  }
  Platform platform(DeviceSetupPort* devices = nullptr) {
    return Platform{real.registry,
                    real.processes,
                    real.desktop,
                    *this,
                    real.threads,
                    real.files,
                    devices ? *devices : real.devices};
  }
};

inline std::string Upper(std::string text) {
  CharUpperA(text.data());
  return text;
}

inline void SetEnv(const char* name, const std::string& value) {
  SetEnvironmentVariableA(name, value.empty() ? nullptr : value.c_str());
}

// The key that stands for HKEY_CURRENT_USER while the tests run, so that they
// never read or change the real user's settings.
HKEY PrivateCurrentUser();

}  // namespace mw::wintest
