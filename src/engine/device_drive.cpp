#include "engine/device_drive.h"

#include <algorithm>

#include "devices/drive_owner.h"
#include "engine/runner.h"

namespace mw {

bool NeedsDeviceDrive(const Run& run) {
  const Action& action = run.action;
  return action.DriveLetter == '\0' && !run.device_instance.empty() &&
         (action.ExeFile.find(kDriveToken) != std::string::npos ||
          IsFlagOn(action.Ex_RunVolumeChk) || IsFlagOn(action.Ex_RunPathChk));
}

char AwaitDeviceDrive(const Platform& platform, DriveBell* bell, const std::string& instance) {
  DriveBell::Waiter waiter(platform.threads, bell);  // before the first look: no ring is missed
  const std::uint64_t start = platform.threads.Milliseconds();
  for (;;) {
    const std::string letters = DriveLettersOf(platform, instance);
    if (!letters.empty()) return letters.front();
    const std::uint64_t waited = platform.threads.Milliseconds() - start;
    if (waited >= kDeviceDriveWaitMilliseconds) return '\0';
    waiter.Wait(static_cast<std::uint32_t>(std::min<std::uint64_t>(
        kDeviceDriveLookMilliseconds, kDeviceDriveWaitMilliseconds - waited)));
  }
}

}  // namespace mw
