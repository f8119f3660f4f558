// The burst section: the new USB stick plugged amid 30 device-list broadcasts
// with 200 other devices attached, and the window's longest answer meanwhile
// beside its longest over a quiet half second.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <thread>

#include "arrival_bench.h"

namespace mw::bench {

namespace {

// Asks the window for an answer to WM_NULL over and over, as any program may,
// until finished; keeps the longest wait for an answer.
class Pinger {
 public:
  explicit Pinger(HWND window)
      : thread_([this, window] {
          while (!stop_) {
            const unsigned long long sent = Now();
            driver::Send(window, WM_NULL, 0, 0, 60000);
            longest_ms_ = std::max(longest_ms_, (Now() - sent) / 10000.0);
            Sleep(5);
          }
        }) {}
  double Finish() {
    stop_ = true;
    thread_.join();
    return longest_ms_;
  }

 private:
  std::atomic<bool> stop_{false};
  double longest_ms_ = 0;
  std::thread thread_;  // last: it starts once the fields above are set
};

struct Bursts {
  Latencies arrival;                   // the new device's, in steady, beside its floor
  std::vector<double> longest_answer;  // the window's longest answer during each burst
  std::vector<double> quiet_answer;    // the same over a quiet half second before it
};

constexpr int kBurstLength = 30;

// Bursts of device-list broadcasts sent back to back, the new device plugged
// before the middle one, with the devices attached that are attached now.
// The window is asked for answers from the first broadcast until a second
// after both the last one and the start of the new device's program.
Bursts BurstLatencies(const Bench& bench) {
  const std::string floor_record = bench.record + ".floor";
  driver::Running running = StartForNewStick(bench);
  Bursts bursts;
  for (std::size_t lines = 0; running.window && static_cast<int>(lines) < bench.arrivals; ++lines) {
    bursts.arrival.floor.push_back(TimeDirectStart(bench.child, floor_record));
    Sleep(kQuietMilliseconds);
    Pinger quiet(running.window);
    Sleep(500);
    bursts.quiet_answer.push_back(quiet.Finish());
    std::unique_ptr<Pinger> pinger;
    const double ms = TimeArrival(
        [&] {
          pinger = std::make_unique<Pinger>(running.window);
          unsigned long long sent = 0;
          for (int i = 0; i < kBurstLength; ++i) {
            if (i == kBurstLength / 2)
              sent = PlugNewStick() ? AnnounceNewStick(running.window) : 0;
            else
              driver::SendNodesChanged(running.window, kPatienceMs);
          }
          return sent;
        },
        bench.record, lines);
    Sleep(1000);
    bursts.longest_answer.push_back(pinger ? pinger->Finish() : -1);
    UnplugNewStick(running.window);
    if (ms < 0) break;
    bursts.arrival.steady.push_back(ms);
  }
  Quit(running);
  return bursts;
}

// The longest answers, one a burst, beside those of the quiet before each.
void PrintAnswers(const std::string& what, const Bursts& b) {
  const Summary s = Summarize(b.longest_answer);
  const double most = b.longest_answer.empty()
                          ? 0
                          : *std::max_element(b.longest_answer.begin(), b.longest_answer.end());
  std::printf(
      "window_longest_answer_ms %s median %.2f p95 %.2f max %.2f (n=%zu) quiet_beside %.2f\n",
      what.c_str(), s.median_ms, s.p95_ms, most, b.longest_answer.size(),
      Summarize(b.quiet_answer).median_ms);
}

}  // namespace

void BurstSection(const Bench& bench, Others& others) {
  if (!others.AttachUpTo(kMostOthers)) return;
  const Bursts b = BurstLatencies(bench);
  const std::string what =
      "usb_new burst=" + std::to_string(kBurstLength) + " others=" + std::to_string(kMostOthers);
  PrintLatency(what, b.arrival.steady, b.arrival.floor);
  PrintAnswers(what, b);
}

}  // namespace mw::bench
