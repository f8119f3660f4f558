#include "engine/runner.h"

#include <cstring>

#include "devices/device_eject.h"
#include "engine/decimal.h"
#include "engine/launcher.h"

namespace mw {
namespace {

constexpr std::size_t kLabelBufferSize = 1024;

// Waits for the new volume to answer and reads its label; false when it
// never answered.
bool QueryVolume(const Platform& platform, const std::string& root, std::string& label) {
  char buffer[kLabelBufferSize] = {};
  for (int attempt = 0; attempt < kVolumeQueryAttempts; ++attempt) {
    if (platform.files.GetVolumeLabel(root, buffer, kLabelBufferSize - 1)) {
      buffer[kLabelBufferSize - 1] = '\0';
      label = buffer;
      return true;
    }
    platform.threads.Sleep(kVolumeQueryPause);
  }
  return false;
}

// The checks a run with a drive letter asks for; false ends the run silently.
bool NewDrivePasses(const Platform& platform, const Action& run) {
  const bool check_label = IsFlagOn(run.Ex_RunVolumeChk);
  const bool check_path = IsFlagOn(run.Ex_RunPathChk);
  if (!check_label && !check_path) return true;

  const std::string root = std::string(1, run.DriveLetter) + ":\\";
  std::string label;
  if (!QueryVolume(platform, root, label)) return false;
  if (check_label) {
    platform.desktop.ToUpper(label);
    if (run.Ex_RunVolume != label) return false;
  }
  if (check_path && platform.files.FileAttributes(root + run.Ex_RunPath) == kInvalidFileAttributes)
    return false;
  return true;
}

void RemoveDevice(const Platform& platform, const Action& run) {
  if (IsFlagOn(run.Ex_RmvWaitChk)) platform.threads.Sleep(DecimalToWait(run.Ex_RmvWait));
  std::int32_t retries_left = DecimalToInt(run.Ex_RmvRetryCount);
  if (retries_left == 0) retries_left = kUnlimitedRetries;
  for (;;) {
    const int result = EjectDevice(platform, run.HardwareID);
    if (!IsFlagOn(run.Ex_RmvRetryChk) || result != static_cast<int>(setup::kCrRemoveVetoed)) return;
    if (retries_left > 0) {
      --retries_left;
    } else if (retries_left != kUnlimitedRetries) {
      return;
    }
    platform.threads.Sleep(DecimalToWait(run.Ex_RmvRetryWait));
  }
}

}  // namespace

std::string SubstituteDriveLetter(std::string command_line, char letter) {
  const std::size_t token_length = std::strlen(kDriveToken);
  for (std::size_t at = command_line.find(kDriveToken); at != std::string::npos;
       at = command_line.find(kDriveToken)) {
    command_line.replace(at, token_length, 1, letter);
  }
  return command_line;
}

std::uint32_t ExecuteRun(const Platform& platform, const Action& run) {
  const bool has_letter = run.DriveLetter != '\0';
  const std::string command_line =
      has_letter ? SubstituteDriveLetter(run.ExeFile, run.DriveLetter) : run.ExeFile;

  if (IsFlagOn(run.Ex_RunWaitChk)) platform.threads.Sleep(DecimalToWait(run.Ex_RunWait));
  if (has_letter && !NewDrivePasses(platform, run)) return 0;

  if (!LaunchProgram(platform, command_line, IsFlagOn(run.Eject)))
    return platform.threads.LastError();
  if (IsFlagOn(run.Eject)) RemoveDevice(platform, run);
  return 0;
}

std::uint32_t RunnerThread(void* parameter) {
  // Nothing may leave a thread routine as an exception.
  try {
    auto& context = *static_cast<RunnerContext*>(parameter);
    std::optional<Action> run = context.pending.Take();
    if (!run) return 0;
    return ExecuteRun(context.platform, *run);
  } catch (...) {
    return 1;
  }
}

}  // namespace mw
