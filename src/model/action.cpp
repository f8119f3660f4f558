#include "model/action.h"

namespace mw {

void ResetToDefaults(Action& action) {
  const char letter = action.DriveLetter;
  action = Action{};
  action.DriveLetter = letter;
}

void CopyExtendedFields(const Action& from, Action& to) {
  to.Ex_RunVolumeChk = from.Ex_RunVolumeChk;
  to.Ex_RunVolume = from.Ex_RunVolume;
  to.Ex_RunPathChk = from.Ex_RunPathChk;
  to.Ex_RunPath = from.Ex_RunPath;
  to.Ex_RunWaitChk = from.Ex_RunWaitChk;
  to.Ex_RunWait = from.Ex_RunWait;
  to.Ex_RmvWaitChk = from.Ex_RmvWaitChk;
  to.Ex_RmvWait = from.Ex_RmvWait;
  to.Ex_RmvRetryChk = from.Ex_RmvRetryChk;
  to.Ex_RmvRetryWait = from.Ex_RmvRetryWait;
  to.Ex_RmvRetryCount = from.Ex_RmvRetryCount;
}

}  // namespace mw
