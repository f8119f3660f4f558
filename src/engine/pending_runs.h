#pragma once
// The hand-over from the dispatcher to the runner threads: runs wait here,
// guarded by the named mutex "Mutex_Mountwick_DiffDevice", until a runner
// takes one.
#include <optional>
#include <vector>

#include "engine/run.h"
#include "engine/waiting_runs.h"
#include "platform/thread_port.h"

namespace mw {

inline constexpr char kDeviceDiffMutexName[] = "Mutex_Mountwick_DiffDevice";

// Owns the named mutex handle; created not owned.
class DeviceDiffMutex {
 public:
  explicit DeviceDiffMutex(ThreadPort& threads);

  void Lock();
  void Unlock();

 private:
  ThreadPort& threads_;
  ScopedMutex handle_;
};

// Holds DeviceDiffMutex for one scope.
class DeviceDiffLock {
 public:
  explicit DeviceDiffLock(DeviceDiffMutex& mutex) : mutex_(mutex) { mutex_.Lock(); }
  DeviceDiffLock(const DeviceDiffLock&) = delete;
  DeviceDiffLock& operator=(const DeviceDiffLock&) = delete;
  ~DeviceDiffLock() { mutex_.Unlock(); }

 private:
  DeviceDiffMutex& mutex_;
};

class PendingRuns {
 public:
  explicit PendingRuns(DeviceDiffMutex& mutex) : mutex_(mutex) {}

  DeviceDiffMutex& mutex() { return mutex_; }
  // The runs taken that still wait for their programs or their removal.
  WaitingRuns& waiting() { return waiting_; }

  // The caller holds the mutex (the dispatcher, for its whole dispatch).
  void AppendLocked(Run run) { runs_.push_back(std::move(run)); }
  // Removes the run that was appended last, when the caller no longer wants it
  // (its thread could not start). The caller holds the mutex.
  void DropLastLocked() {
    if (!runs_.empty()) runs_.pop_back();
  }

  // Takes the last run under the mutex; empty when no run waits.
  std::optional<Run> Take();

 private:
  DeviceDiffMutex& mutex_;
  std::vector<Run> runs_;
  WaitingRuns waiting_;
};

}  // namespace mw
