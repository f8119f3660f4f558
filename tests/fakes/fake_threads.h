#pragma once
// Threads that run for real (or inline, before RunDetached returns), a named
// mutex that really excludes, signals, and a clock that moves only by sleeps.
#include <map>
#include <numeric>
#include <thread>

#include "fakes/fake_common.h"
#include "platform/thread_port.h"

namespace mw::fake {

class FakeThreads : public ThreadPort {
 public:
  explicit FakeThreads(FakeCommon& common) : common_(common) {}

  bool run_threads_inline = false;  // a thread runs before RunDetached returns
  std::vector<std::uint32_t> sleeps;
  // A wait for a signal that finds none raised runs it once, then lets its
  // time pass as a sleep.
  std::function<void()> while_waiting;
  bool MutexHeld() {
    return common_.Locked([&] { return held_ > 0; });
  }
  void JoinAll() {
    for (std::thread& thread : common_.Locked([&] { return std::exchange(threads_, {}); }))
      thread.join();
  }

  // Every name stands for one mutex: the program has one.
  Mutex CreateNamedMutex(const std::string&, bool owned, bool* already_existed) override {
    if (!(*already_existed = common_.Locked([&] { return mutex_handles_++ > 0; })) && owned)
      WaitMutex(1);
    return 1;
  }
  void WaitMutex(Mutex) override {
    named_.lock(), common_.Locked([&] { ++held_; });
  }  // not while locked
  void ReleaseMutex(Mutex) override {
    common_.Locked([&] { --held_, named_.unlock(); });
  }
  void CloseMutex(Mutex) override {
    common_.Locked([&] { --mutex_handles_; });
  }
  bool RunDetached(ThreadRoutine routine, void* parameter, std::uint32_t* error) override {
    if ((*error = common_.Code(Call::kRunDetached))) return false;
    if (run_threads_inline) return routine(parameter), true;
    return common_.Locked([&] { return threads_.emplace_back(routine, parameter), true; });
  }
  void Sleep(std::uint32_t milliseconds) override {
    common_.Locked([&] { sleeps.push_back(milliseconds); });
  }
  std::uint64_t Milliseconds() override {
    return common_.Locked(
        [&] { return std::accumulate(sleeps.begin(), sleeps.end(), std::uint64_t{0}); });
  }
  Signal CreateSignal() override {
    return common_.Locked([&] { return raised_[++next_signal_] = false, next_signal_; });
  }
  void RaiseSignal(Signal signal) override {
    common_.Locked([&] { raised_.at(signal) = true; });
  }
  bool WaitSignal(Signal signal, std::uint32_t milliseconds) override {
    const auto take = [&] {
      return common_.Locked([&] { return std::exchange(raised_.at(signal), false); });
    };
    if (take()) return true;
    if (auto then = common_.Locked([&] { return std::exchange(while_waiting, nullptr); })) then();
    if (take()) return true;
    return Sleep(milliseconds), false;
  }
  void CloseSignal(Signal signal) override {
    common_.Locked([&] { raised_.erase(signal); });
  }

 private:
  FakeCommon& common_;
  std::recursive_mutex named_;
  int mutex_handles_ = 0, held_ = 0;
  std::vector<std::thread> threads_;
  std::map<Signal, bool> raised_;
  Signal next_signal_ = 0;
};

}  // namespace mw::fake
