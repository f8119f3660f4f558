#include "engine/drive_bell.h"

#include <algorithm>

namespace mw {

DriveBell::Waiter::Waiter(ThreadPort& threads, DriveBell* bell)
    : threads_(threads), bell_(bell), signal_(threads) {
  if (!bell_) return;
  signal_.Reset(threads_.CreateSignal());
  if (!signal_) return;
  std::lock_guard<std::mutex> lock(bell_->guard_);
  bell_->waiting_.push_back(signal_.get());
}

DriveBell::Waiter::~Waiter() {
  if (!bell_ || !signal_) return;
  std::lock_guard<std::mutex> lock(bell_->guard_);
  std::erase(bell_->waiting_, signal_.get());
}

void DriveBell::Waiter::Wait(std::uint32_t milliseconds) {
  if (signal_)
    (void)threads_.WaitSignal(signal_.get(), milliseconds);
  else
    threads_.Sleep(milliseconds);
}

void DriveBell::Ring() {
  std::lock_guard<std::mutex> lock(guard_);
  for (const ThreadPort::Signal signal : waiting_) threads_.RaiseSignal(signal);
}

}  // namespace mw
