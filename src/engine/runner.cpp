#include "engine/runner.h"

#include <algorithm>
#include <cstring>

#include "engine/decimal.h"
#include "engine/device_drive.h"
#include "engine/device_removal.h"
#include "engine/launcher.h"
#include "notices/activity_log.h"
#include "notices/notices.h"

namespace mw {
namespace {

constexpr std::size_t kLabelBufferSize = 1024;

// The system's own text for code, on one line.
std::string SystemText(const Platform& platform, std::uint32_t code) {
  char buffer[256] = {};
  const std::uint32_t length = platform.notices.FormatSystemMessage(code, buffer, sizeof buffer);
  std::string text(buffer, std::min<std::size_t>(length, sizeof buffer - 1));
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
    text.pop_back();
  return text;
}

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
  if (!QueryVolume(platform, root, label)) {
    LogActivity(platform, "%s: %s が %d 回の問い合わせに答えなかったので実行しません", RunName(run),
                root, kVolumeQueryAttempts);
    return false;
  }
  if (check_label) {
    platform.desktop.ToUpper(label);
    if (run.Ex_RunVolume != label) {
      LogActivity(platform, "%s: ラベル \"%s\" ≠ \"%s\" なので実行しません", RunName(run), label,
                  run.Ex_RunVolume);
      return false;
    }
  }
  const std::string path = root + run.Ex_RunPath;
  if (check_path && platform.files.FileAttributes(path) == kInvalidFileAttributes) {
    LogActivity(platform, "%s: パス \"%s\" がないので実行しません", RunName(run), path);
    return false;
  }
  return true;
}

// Up to the end of the started programs: 0 when they ran (or a check ended the
// run), the launcher's code when the start failed.
struct Work {
  bool ran = false;
  std::uint32_t error = 0;
};

constexpr char kDeviceDriveMissing[] =
    "Mountwickからの通知：\nデバイスのドライブが 20 秒待っても現れなかったので、アクションを"
    "実行しませんでした。\n\nアクション = %s\nデバイス = %s\n";

// A device's run that needs its drive gets the device's first one; false when
// none came, which the user is told of.
bool TakeDeviceDrive(const Platform& platform, DriveBell* bell, const Run& of, Action& run) {
  run.DriveLetter = AwaitDeviceDrive(platform, bell, of.device_instance);
  const std::string& device = of.device_name.empty() ? of.device_instance : of.device_name;
  if (run.DriveLetter == '\0') {
    LogActivity(platform, "%s: %s のドライブが %u 秒のうちに現れなかったので実行しません",
                RunName(run), device, kDeviceDriveWaitMilliseconds / 1000);
    ShowNotice(platform, kDeviceDriveMissing, run.Name, device);
    return false;
  }
  LogActivity(platform, "%s: %s のドライブ %c: で実行します", RunName(run), device,
              run.DriveLetter);
  return true;
}

Work RunUntilProgramsEnd(const Platform& platform, DriveBell* bell, const Run& of) {
  Action run = of.action;
  if (NeedsDeviceDrive(of) && !TakeDeviceDrive(platform, bell, of, run)) return {};
  const bool has_letter = run.DriveLetter != '\0';
  const std::string command_line =
      has_letter ? SubstituteDriveLetter(run.ExeFile, run.DriveLetter) : run.ExeFile;

  if (IsFlagOn(run.Ex_RunWaitChk)) platform.threads.Sleep(DecimalToWait(run.Ex_RunWait));
  if (has_letter && !NewDrivePasses(platform, run)) return {};

  const LaunchResult launched =
      LaunchProgram(platform, command_line, IsFlagOn(run.Eject), RunName(run));
  if (!launched) {
    if (launched.error != 0)
      LogActivity(platform, "%s: 起動できませんでした（コード %u: %s）", RunName(run),
                  launched.error, SystemText(platform, launched.error));
    else
      LogActivity(platform, "%s: 起動できませんでした", RunName(run));
    return {false, launched.error};
  }
  return {true, 0};
}

}  // namespace

std::string RunName(const Action& run) {
  return "アクション「" + run.Name + "」";
}

std::string SubstituteDriveLetter(std::string command_line, char letter) {
  const std::size_t token_length = std::strlen(kDriveToken);
  for (std::size_t at = command_line.find(kDriveToken); at != std::string::npos;
       at = command_line.find(kDriveToken)) {
    command_line.replace(at, token_length, 1, letter);
  }
  return command_line;
}

std::uint32_t ExecuteRun(const Platform& platform, const Run& run, DriveBell* bell) {
  const Action& action = run.action;
  const Work work = RunUntilProgramsEnd(platform, bell, run);
  if (!IsFlagOn(action.Eject)) return work.error;
  if (!run.removal) {
    if (work.ran) RemoveDevice(platform, action, run.device_instance);
    return work.error;
  }
  const RemovalGroup::Departure left = run.removal->Leave(work.ran ? &action : nullptr);
  if (left.still_working != 0 && work.ran)
    LogActivity(platform, "%s: 同じデバイスのほかのアクション %u 件が終わってから取り外します",
                RunName(action), left.still_working);
  if (left.remove_as) RemoveDevice(platform, *left.remove_as, run.device_instance);
  return work.error;
}

std::uint32_t RunnerThread(void* parameter) {
  // Nothing may leave a thread routine as an exception.
  try {
    auto& context = *static_cast<RunnerContext*>(parameter);
    std::optional<Run> run = context.pending.Take();
    if (!run) return 0;
    const WaitingRuns::Entry waiting(context.pending.waiting(), run->action);
    return ExecuteRun(context.platform, *run, context.drive_bell);
  } catch (...) {
    return 1;
  }
}

}  // namespace mw
