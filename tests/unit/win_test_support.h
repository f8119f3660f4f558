#pragma once
// Helpers for the tests that run the real adapters under Wine.
#include <windows.h>

#include <string>
#include <vector>

#include "fakes/fake_notices.h"
#include "platform/win32/win32_ports.h"

namespace mw::wintest {

// The real notices, except that message boxes are recorded instead of shown.
class RecordingNotices : public win32::Win32UserNotices {
 public:
  std::vector<std::string> texts;
  int ShowMessageBox(Window, const std::string& text, const std::string&, std::uint32_t) override {
    texts.push_back(text);
    return 1;
  }
};

// The real adapters with recorded notices.
struct World {
  win32::Win32World real;
  RecordingNotices notices;
  fake::FakeActivity activity;
  Platform platform() {
    return Platform{real.registry, real.processes, real.desktop, notices,
                    real.threads,  real.files,     real.devices, activity};
  }
};

// The folder of the running test program (the build's bin folder).
std::string ProgramFolder();
// A fresh empty folder under the temporary folder.
std::string MakeTempFolder(const std::string& name);
std::string ReadFile(const std::string& path);
// Polls until path holds text containing needle, or the time is up.
bool WaitForText(const std::string& path, const std::string& needle, DWORD timeout_ms);
void SetEnv(const std::string& name, const std::string& value);
// The system's text for an error code, as notices show it.
std::string SystemText(DWORD code);

}  // namespace mw::wintest
