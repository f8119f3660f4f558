#pragma once
// One rule the user registers, and the ordered list of them. Every field but
// DriveLetter is text so that the record maps one to one onto registry values.
#include <string>
#include <vector>

namespace mw {

inline constexpr char kNewActionName[] = "新しいアクション";
inline constexpr char kGenericVolumeId[] = "MESSAGE://DBT_DEVICEARRIVAL/VOLUME";
inline constexpr char kGenericMediaId[] = "MESSAGE://DBT_DEVICEARRIVAL/MEDIA";
inline constexpr char kFlagOn[] = "1";
inline constexpr char kFlagOff[] = "0";

struct Action {
  std::string Name = kNewActionName;
  std::string State = "0";
  std::string HardwareID;
  std::string ExeFile;
  std::string Eject = "0";
  std::string Ex_RunVolumeChk = "0";
  std::string Ex_RunVolume;
  std::string Ex_RunPathChk = "0";
  std::string Ex_RunPath;
  std::string Ex_RunWaitChk = "0";
  std::string Ex_RunWait = "2000";
  std::string Ex_RmvWaitChk = "0";
  std::string Ex_RmvWait = "1000";
  std::string Ex_RmvRetryChk = "0";
  std::string Ex_RmvRetryWait = "3000";
  std::string Ex_RmvRetryCount = "1";
  char DriveLetter = '\0';  // only runs carry a letter
};

using ActionList = std::vector<Action>;

// Gives the sixteen text fields their defaults; DriveLetter stays.
void ResetToDefaults(Action& action);

// Copies the eleven Ex_ fields, the part the extended settings edit.
void CopyExtendedFields(const Action& from, Action& to);

// The field tests; all comparisons are whole texts, byte for byte.
inline bool IsDispatched(const Action& action) {
  return action.State != kFlagOn;
}
inline bool IsShownEnabled(const Action& action) {
  return action.State == kFlagOff;
}
inline bool IsFlagOn(const std::string& flag) {
  return flag == kFlagOn;
}
inline bool IsShownChecked(const std::string& flag) {
  return flag != kFlagOff;
}
inline bool BindsDevice(const Action& action, const std::string& hardware_id) {
  return action.HardwareID == hardware_id;
}

}  // namespace mw
