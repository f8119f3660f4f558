#pragma once
// One rule the user registers, and the ordered list of them. Every field but
// DriveLetter is text so that the record maps one to one onto registry values.
#include <array>
#include <string>
#include <vector>

namespace mw {

inline constexpr char kNewActionName[] = "新しいアクション";
inline constexpr char kGenericVolumeId[] = "MESSAGE://DBT_DEVICEARRIVAL/VOLUME";
inline constexpr char kGenericMediaId[] = "MESSAGE://DBT_DEVICEARRIVAL/MEDIA";
inline constexpr char kFlagOn[] = "1";
inline constexpr char kFlagOff[] = "0";

// Every text field starts at its default from kActionFields.
struct Action {
  Action();

  std::string Name;
  std::string State;
  std::string HardwareID;
  std::string ExeFile;
  std::string Eject;
  std::string Ex_RunVolumeChk;
  std::string Ex_RunVolume;
  std::string Ex_RunPathChk;
  std::string Ex_RunPath;
  std::string Ex_RunWaitChk;
  std::string Ex_RunWait;
  std::string Ex_RmvWaitChk;
  std::string Ex_RmvWait;
  std::string Ex_RmvRetryChk;
  std::string Ex_RmvRetryWait;
  std::string Ex_RmvRetryCount;
  char DriveLetter = '\0';  // only runs carry a letter
};

using ActionList = std::vector<Action>;

// One stored text of an Action: its member, the name of its registry value
// (after "<index>_"), its default, and whether the extended settings edit it.
struct ActionField {
  std::string Action::*member;
  const char* stored_name;
  const char* default_text;
  bool extended;
};

// Every text field once, in the order the values of one Action are stored.
inline constexpr std::array<ActionField, 16> kActionFields = {{
    {&Action::Name, "Name", kNewActionName, false},
    {&Action::State, "State", kFlagOff, false},
    {&Action::HardwareID, "HardwareID", "", false},
    {&Action::ExeFile, "ExeFile", "", false},
    {&Action::Eject, "Eject", kFlagOff, false},
    {&Action::Ex_RunWaitChk, "Ex_RunWaitChk", kFlagOff, true},
    {&Action::Ex_RunWait, "Ex_RunWait", "2000", true},
    {&Action::Ex_RunVolumeChk, "Ex_RunVolumeChk", kFlagOff, true},
    {&Action::Ex_RunVolume, "Ex_RunVolume", "", true},
    {&Action::Ex_RunPathChk, "Ex_RunPathChk", kFlagOff, true},
    {&Action::Ex_RunPath, "Ex_RunPath", "", true},
    {&Action::Ex_RmvWaitChk, "Ex_RmvWaitChk", kFlagOff, true},
    {&Action::Ex_RmvWait, "Ex_RmvWait", "1000", true},
    {&Action::Ex_RmvRetryChk, "Ex_RmvRetryChk", kFlagOff, true},
    {&Action::Ex_RmvRetryWait, "Ex_RmvRetryWait", "3000", true},
    {&Action::Ex_RmvRetryCount, "Ex_RmvRetryCount", "1", true},
}};

// Gives the text fields their defaults; DriveLetter stays.
void ResetToDefaults(Action& action);

// Copies the extended fields, the part the extended settings edit.
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
