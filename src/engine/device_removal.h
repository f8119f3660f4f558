#pragma once
// The removal a run asks for once its programs have ended: the wait before
// it, the request and its repetitions while the system refuses.
#include <string>

#include "model/action.h"
#include "platform/platform.h"

namespace mw {

// With run's waits and retry settings, for the device instance names (the one
// that arrived, or the one that holds the drive of a drive's run), else the
// one attached device of run's HardwareID. A drive's run whose drive no USB
// device holds asks for nothing.
void RemoveDevice(const Platform& platform, const Action& run, const std::string& instance);

}  // namespace mw
