#include "engine/pending_runs.h"

namespace mw {

DeviceDiffMutex::DeviceDiffMutex(ThreadPort& threads) : threads_(threads), handle_(threads) {
  bool existed = false;
  handle_.Reset(threads.CreateNamedMutex(kDeviceDiffMutexName, false, &existed));
}

void DeviceDiffMutex::Lock() {
  if (handle_) threads_.WaitMutex(handle_.get());
}

void DeviceDiffMutex::Unlock() {
  if (handle_) threads_.ReleaseMutex(handle_.get());
}

std::optional<Run> PendingRuns::Take() {
  DeviceDiffLock lock(mutex_);
  if (runs_.empty()) return std::nullopt;
  Run run = std::move(runs_.back());
  runs_.pop_back();
  return run;
}

}  // namespace mw
