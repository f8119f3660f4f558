#include "engine/device_removal.h"

#include <cstdint>

#include "devices/device_eject.h"
#include "engine/decimal.h"
#include "engine/runner.h"
#include "notices/activity_log.h"

namespace mw {
namespace {

const char* AnswerText(RemovalAnswer answer) {
  switch (answer) {
    case RemovalAnswer::Granted:
      return "受け付けられました";
    case RemovalAnswer::Refused:
      return "拒否されました";
    default:
      return "失敗しました";
  }
}

void LogRemovalEnd(const Platform& platform, const Action& run, const RemovalResult& result) {
  LogActivity(platform,
              result.answer == RemovalAnswer::Refused ? "%s: 取り外しは拒否されたままです"
              : result.answer == RemovalAnswer::Granted ? "%s: 取り外しを終えました"
              : result.asked()                          ? "%s: 取り外しに失敗しました"
                               : "%s: 取り外しを求めませんでした",
              RunName(run));
}

bool IsGenericEntry(const std::string& hardware_id) {
  return hardware_id == kGenericVolumeId || hardware_id == kGenericMediaId;
}

}  // namespace

void RemoveDevice(const Platform& platform, const Action& run, const std::string& instance) {
  if (instance.empty() && IsGenericEntry(run.HardwareID)) {
    LogActivity(platform, "%s: ドライブを持つ USB デバイスがないので、取り外しを求めません",
                RunName(run));
    return;
  }
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
    const RemovalResult result = EjectDevice(platform, run.HardwareID, instance);
    if (!result.asked()) return LogRemovalEnd(platform, run, result);
    const bool refused = result.answer == RemovalAnswer::Refused;
    LogActivity(platform, "%s: 取り外し要求 %u / %s: %s（CONFIGRET %u%s%s）", RunName(run), request,
                of, AnswerText(result.answer), result.code, refused ? "、拒否の種類: " : "",
                refused ? VetoTypeText(result.veto_type) : "");
    if (!retrying || !refused) return LogRemovalEnd(platform, run, result);
    if (retries_left > 0) {
      --retries_left;
    } else if (retries_left != kUnlimitedRetries) {
      return LogRemovalEnd(platform, run, result);
    }
    platform.threads.Sleep(DecimalToWait(run.Ex_RmvRetryWait));
  }
}

}  // namespace mw
