#pragma once
// Executes one run in a thread of its own: the wait before running, the
// checks of the new drive, the launch and, with automatic removal, the
// removal request with its retries.
#include <cstdint>

#include "model/action.h"
#include "engine/drive_bell.h"
#include "engine/pending_runs.h"
#include "platform/platform.h"

namespace mw {

inline constexpr char kDriveToken[] = "%_newdrv_%";
inline constexpr int kVolumeQueryAttempts = 27;
inline constexpr std::uint32_t kVolumeQueryPause = 300;
inline constexpr std::int32_t kUnlimitedRetries = -99;

// What a runner thread needs; lives as long as the process.
struct RunnerContext {
  Platform platform;
  PendingRuns& pending;
  DriveBell* drive_bell = nullptr;  // rung at every volume arrival
};

// The thread routine: parameter is the RunnerContext. Takes the last pending
// run and executes it. Returns 0 when the run ended (also at a failed check),
// the launcher's code when the launch failed.
std::uint32_t RunnerThread(void* parameter);

// One run, from the wait for a device's drive to the last removal request:
// the run's own, or its group's when it is the last of its group to finish.
std::uint32_t ExecuteRun(const Platform& platform, const Run& run, DriveBell* bell = nullptr);

// "アクション「name」", as the log and the notices name a run.
std::string RunName(const Action& run);

// Every "%_newdrv_%" replaced by the letter.
std::string SubstituteDriveLetter(std::string command_line, char letter);

}  // namespace mw
