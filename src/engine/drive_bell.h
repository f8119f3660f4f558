#pragma once
// Wakes the runs that wait for their device's drive whenever a volume
// arrives, so that none of them waits for its next look.
#include <mutex>
#include <vector>

#include "platform/thread_port.h"

namespace mw {

class DriveBell {
 public:
  explicit DriveBell(ThreadPort& threads) : threads_(threads) {}
  DriveBell(const DriveBell&) = delete;
  DriveBell& operator=(const DriveBell&) = delete;

  // One waiting run, heard from its creation on: a volume that arrives
  // between two looks still cuts the next wait short.
  class Waiter {
   public:
    Waiter(ThreadPort& threads, DriveBell* bell);
    Waiter(const Waiter&) = delete;
    Waiter& operator=(const Waiter&) = delete;
    ~Waiter();
    // Until the bell rings or milliseconds pass; without a bell (or a signal
    // to wait on) it just sleeps.
    void Wait(std::uint32_t milliseconds);

   private:
    ThreadPort& threads_;
    DriveBell* bell_;
    ScopedSignal signal_;
  };

  // Called by the window's thread for every volume arrival.
  void Ring();

 private:
  ThreadPort& threads_;
  std::mutex guard_;
  std::vector<ThreadPort::Signal> waiting_;
};

}  // namespace mw
