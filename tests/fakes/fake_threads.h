#pragma once
// Named mutexes that really exclude (runner tests run real threads), threads
// that can be joined at the end of a test, and sleeps that are recorded
// instead of slept.
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "fakes/call_faults.h"
#include "platform/thread_port.h"

namespace mw::fake {

class FakeThreads : public ThreadPort {
 public:
  ~FakeThreads() override;

  bool fail_thread_start = false;
  std::uint32_t thread_start_error = 8;  // ERROR_NOT_ENOUGH_MEMORY
  bool run_threads_inline = false;       // run the routine before StartDetachedThread returns
  CallFaults faults;                     // a failed thread start: thread_start_error

  Mutex CreateNamedMutex(const std::string& name, bool initially_owned,
                         bool* already_existed) override;
  void WaitMutex(Mutex mutex) override;
  void ReleaseMutex(Mutex mutex) override;
  void CloseMutex(Mutex mutex) override;
  bool StartDetachedThread(ThreadRoutine routine, void* parameter,
                           std::uint32_t* last_error) override;
  std::uint32_t LastError() override;
  void Sleep(std::uint32_t milliseconds) override;
  // The clock moves only by the sleeps.
  std::uint64_t Milliseconds() override;

  // Waits for every thread started so far (and those they start).
  void JoinAll();
  std::vector<std::uint32_t> Sleeps() const;
  std::size_t ThreadsStarted() const;
  std::vector<std::uint32_t> ExitCodes() const;
  bool IsHeld(const std::string& name);
  static void SetLastError(std::uint32_t code);

 private:
  struct Named {
    std::recursive_mutex mutex;
    int handles = 0;
  };
  mutable std::mutex guard_;
  std::map<std::string, std::shared_ptr<Named>> named_;
  std::map<Mutex, std::shared_ptr<Named>> handles_;
  Mutex next_handle_ = 0x10;
  std::vector<std::thread> threads_;
  std::vector<std::uint32_t> sleeps_;
  std::vector<std::uint32_t> exit_codes_;
  std::size_t started_ = 0;
};

}  // namespace mw::fake
