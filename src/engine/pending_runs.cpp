#include "engine/pending_runs.h"

namespace mw {

DeviceDiffMutex::DeviceDiffMutex(ThreadPort& threads)
    : threads_(threads), handle_([&] {
        bool existed = false;
        return threads.CreateNamedMutex(kDeviceDiffMutexName, false, &existed);
      }()) {}

DeviceDiffMutex::~DeviceDiffMutex() {
  if (handle_ != 0) threads_.CloseMutex(handle_);
}

void DeviceDiffMutex::Lock() {
  if (handle_ != 0) threads_.WaitMutex(handle_);
}

void DeviceDiffMutex::Unlock() {
  if (handle_ != 0) threads_.ReleaseMutex(handle_);
}

std::optional<Run> PendingRuns::Take() {
  DeviceDiffLock lock(mutex_);
  if (runs_.empty()) return std::nullopt;
  Run run = std::move(runs_.back());
  runs_.pop_back();
  return run;
}

}  // namespace mw
