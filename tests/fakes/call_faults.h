#pragma once
// Makes one chosen call of a fake fail. Every call that can fail is counted;
// the one whose zero-based number is fail_at fails the way the system can
// fail it, and its name is kept for messages.
#include <atomic>
#include <cstddef>
#include <limits>

namespace mw::fake {

class CallFaults {
 public:
  static constexpr std::size_t kNever = std::numeric_limits<std::size_t>::max();

  std::size_t fail_at = kNever;
  const char* failed_call = nullptr;

  // Counts one call; true when it is the one to fail.
  bool Fails(const char* call) {
    if (calls_++ != fail_at) return false;
    failed_call = call;
    return true;
  }
  std::size_t calls() const { return calls_; }

 private:
  std::atomic<std::size_t> calls_{0};  // runner threads call concurrently
};

}  // namespace mw::fake
