#include "engine/runner.h"

#include <algorithm>
#include <cstring>

#include "devices/device_eject.h"
#include "engine/decimal.h"
#include "engine/launcher.h"
#include "notices/activity_log.h"

namespace mw {
namespace {

constexpr std::size_t kLabelBufferSize = 1024;

std::string Who(const Action& run) {
  return "アクション「" + run.Name + "」";
}

// The system's own text for code, on one line.
std::string SystemText(const Platform& platform, std::uint32_t code) {
  char buffer[256] = {};
  const std::uint32_t length = platform.notices.FormatSystemMessage(code, buffer, sizeof buffer);
  std::string text(buffer, std::min<std::size_t>(length, sizeof buffer - 1));
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
    text.pop_back();
  return text;
}

const char* RemovalResultText(int result) {
  if (result == 0) return "受け付けられました";
  if (result == static_cast<int>(setup::kCrRemoveVetoed)) return "拒否されました";
  return "失敗しました";
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
    LogActivity(platform, "%s: %s が %d 回の問い合わせに答えなかったので実行しません", Who(run),
                root, kVolumeQueryAttempts);
    return false;
  }
  if (check_label) {
    platform.desktop.ToUpper(label);
    if (run.Ex_RunVolume != label) {
      LogActivity(platform, "%s: ラベル \"%s\" ≠ \"%s\" なので実行しません", Who(run), label,
                  run.Ex_RunVolume);
      return false;
    }
  }
  const std::string path = root + run.Ex_RunPath;
  if (check_path && platform.files.FileAttributes(path) == kInvalidFileAttributes) {
    LogActivity(platform, "%s: パス \"%s\" がないので実行しません", Who(run), path);
    return false;
  }
  return true;
}

void LogRemovalEnd(const Platform& platform, const Action& run, int result) {
  LogActivity(platform,
              result == static_cast<int>(setup::kCrRemoveVetoed)
                  ? "%s: 取り外しは拒否されたままです"
              : result == 0 ? "%s: 取り外しを終えました"
                            : "%s: 取り外しに失敗しました",
              Who(run));
}

// The removal request and its repetitions, with run's waits and retry
// settings, for the device that arrived when instance names it.
void RemoveDevice(const Platform& platform, const Action& run, const std::string& instance) {
  if (IsFlagOn(run.Ex_RmvWaitChk)) platform.threads.Sleep(DecimalToWait(run.Ex_RmvWait));
  std::int32_t retries_left = DecimalToInt(run.Ex_RmvRetryCount);
  if (retries_left == 0) retries_left = kUnlimitedRetries;
  const bool retrying = IsFlagOn(run.Ex_RmvRetryChk);
  // How many requests there may be in all, for the log: "n / m" or "n / 無制限".
  const std::string of = !retrying                           ? "1"
                         : retries_left == kUnlimitedRetries ? "無制限"
                         : retries_left > 0                  ? std::to_string(retries_left + 1)
                                                             : "1";
  for (unsigned request = 1;; ++request) {
    std::uint32_t veto_type = 0;
    const int result = EjectDevice(platform, run.HardwareID, instance, &veto_type);
    const bool vetoed = result == static_cast<int>(setup::kCrRemoveVetoed);
    LogActivity(platform, "%s: 取り外し要求 %u / %s: %s（CONFIGRET %d%s%s）", Who(run), request, of,
                RemovalResultText(result), result, vetoed ? "、拒否の種類: " : "",
                vetoed ? VetoTypeText(veto_type) : "");
    if (!retrying || !vetoed) {
      LogRemovalEnd(platform, run, result);
      return;
    }
    if (retries_left > 0) {
      --retries_left;
    } else if (retries_left != kUnlimitedRetries) {
      LogRemovalEnd(platform, run, result);
      return;
    }
    platform.threads.Sleep(DecimalToWait(run.Ex_RmvRetryWait));
  }
}

// Up to the end of the started programs: 0 when they ran (or a check ended the
// run), the launcher's code when the start failed.
struct Work {
  bool ran = false;
  std::uint32_t error = 0;
};

Work RunUntilProgramsEnd(const Platform& platform, const Action& run) {
  const bool has_letter = run.DriveLetter != '\0';
  const std::string command_line =
      has_letter ? SubstituteDriveLetter(run.ExeFile, run.DriveLetter) : run.ExeFile;

  if (IsFlagOn(run.Ex_RunWaitChk)) platform.threads.Sleep(DecimalToWait(run.Ex_RunWait));
  if (has_letter && !NewDrivePasses(platform, run)) return {};

  const LaunchResult launched =
      LaunchProgram(platform, command_line, IsFlagOn(run.Eject), Who(run));
  if (!launched) {
    if (launched.error != 0)
      LogActivity(platform, "%s: 起動できませんでした（コード %u: %s）", Who(run), launched.error,
                  SystemText(platform, launched.error));
    else
      LogActivity(platform, "%s: 起動できませんでした", Who(run));
    return {false, launched.error};
  }
  return {true, 0};
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

std::uint32_t ExecuteRun(const Platform& platform, const Run& run) {
  const Action& action = run.action;
  const Work work = RunUntilProgramsEnd(platform, action);
  if (!IsFlagOn(action.Eject)) return work.error;
  if (!run.removal) {
    if (work.ran) RemoveDevice(platform, action, run.device_instance);
    return work.error;
  }
  const RemovalGroup::Departure left = run.removal->Leave(work.ran ? &action : nullptr);
  if (left.still_working != 0 && work.ran)
    LogActivity(platform, "%s: 同じデバイスのほかのアクション %u 件が終わってから取り外します",
                Who(action), left.still_working);
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
    return ExecuteRun(context.platform, *run);
  } catch (...) {
    return 1;
  }
}

}  // namespace mw
