#include "fakes/fake_threads.h"

#include <stdexcept>

namespace mw::fake {
namespace {
thread_local std::uint32_t last_error = 0;
}

FakeThreads::~FakeThreads() {
  JoinAll();
}

void FakeThreads::SetLastError(std::uint32_t code) {
  last_error = code;
}
std::uint32_t FakeThreads::LastError() {
  return last_error;
}

ThreadPort::Mutex FakeThreads::CreateNamedMutex(const std::string& name, bool initially_owned,
                                                bool* already_existed) {
  std::shared_ptr<Named> named;
  {
    std::lock_guard lock(guard_);
    auto& slot = named_[name];
    *already_existed = slot != nullptr;
    if (!slot) slot = std::make_shared<Named>();
    named = slot;
    ++named->handles;
  }
  if (initially_owned && !*already_existed) named->mutex.lock();
  std::lock_guard lock(guard_);
  handles_[next_handle_] = named;
  return next_handle_++;
}

void FakeThreads::WaitMutex(Mutex mutex) {
  std::shared_ptr<Named> named;
  {
    std::lock_guard lock(guard_);
    named = handles_.at(mutex);
  }
  named->mutex.lock();
}

void FakeThreads::ReleaseMutex(Mutex mutex) {
  std::shared_ptr<Named> named;
  {
    std::lock_guard lock(guard_);
    named = handles_.at(mutex);
  }
  named->mutex.unlock();
}

void FakeThreads::CloseMutex(Mutex mutex) {
  std::lock_guard lock(guard_);
  auto it = handles_.find(mutex);
  if (it == handles_.end()) throw std::logic_error("closing a mutex twice");
  if (--it->second->handles == 0) {
    for (auto named = named_.begin(); named != named_.end(); ++named)
      if (named->second == it->second) {
        named_.erase(named);
        break;
      }
  }
  handles_.erase(it);
}

bool FakeThreads::IsHeld(const std::string& name) {
  std::shared_ptr<Named> named;
  {
    std::lock_guard lock(guard_);
    auto it = named_.find(name);
    if (it == named_.end()) return false;
    named = it->second;
  }
  // Probing from another thread: a recursive mutex held by this thread would
  // say free.
  bool held = false;
  std::thread probe([&] {
    held = !named->mutex.try_lock();
    if (!held) named->mutex.unlock();
  });
  probe.join();
  return held;
}

bool FakeThreads::StartDetachedThread(ThreadRoutine routine, void* parameter,
                                      std::uint32_t* error) {
  if (faults.Fails("StartDetachedThread") || fail_thread_start) {
    *error = thread_start_error;
    return false;
  }
  auto body = [this, routine, parameter] {
    const std::uint32_t code = routine(parameter);
    std::lock_guard lock(guard_);
    exit_codes_.push_back(code);
  };
  {
    std::lock_guard lock(guard_);
    ++started_;
  }
  if (run_threads_inline) {
    body();
    return true;
  }
  std::lock_guard lock(guard_);
  threads_.emplace_back(body);
  return true;
}

void FakeThreads::JoinAll() {
  for (;;) {
    std::vector<std::thread> threads;
    {
      std::lock_guard lock(guard_);
      threads.swap(threads_);
    }
    if (threads.empty()) return;
    for (std::thread& thread : threads) thread.join();
  }
}

void FakeThreads::Sleep(std::uint32_t milliseconds) {
  std::lock_guard lock(guard_);
  sleeps_.push_back(milliseconds);
}

std::uint64_t FakeThreads::Milliseconds() {
  std::lock_guard lock(guard_);
  std::uint64_t now = 0;
  for (const std::uint32_t slept : sleeps_) now += slept;
  return now;
}

std::vector<std::uint32_t> FakeThreads::Sleeps() const {
  std::lock_guard lock(guard_);
  return sleeps_;
}

std::size_t FakeThreads::ThreadsStarted() const {
  std::lock_guard lock(guard_);
  return started_;
}

std::vector<std::uint32_t> FakeThreads::ExitCodes() const {
  std::lock_guard lock(guard_);
  return exit_codes_;
}

}  // namespace mw::fake
