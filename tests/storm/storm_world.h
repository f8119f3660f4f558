#pragma once
// The fake world as a machine in a storm: every thread the program starts is
// a real thread, but only one of them runs at a time, and each gives the turn
// back where a real one would block (a program's end, a sleep, a wait for a
// signal), so that the storm decides what happens meanwhile and a seed
// replays it exactly. What the machine does and answers is journalled for
// the promise's model.
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "engine/list_reading.h"
#include "fakes/fake_device_trees.h"
#include "storm/promise_model.h"

namespace mw::storm_world {

using storm::Happening;

class StormWorld : public fake::FakeWorld {
 public:
  enum class Wait { Parking, Start, Program, Job, Sleep, Signal, Done };
  struct Fiber {
    int id = 0;
    bool reads_list = false;
    Wait wait = Wait::Parking;
    int program = 0;  // the program it waits for
    bool hands_on = false;
    std::thread thread;
  };

  StormWorld() {
    fault = [this](fake::Call call, const std::string&) -> long {
      if (call == fake::Call::kGetInstanceId && std::exchange(fail_instance_, false)) return 13;
      const bool lists = !self_ || self_->reads_list;
      return call == fake::Call::kOpenUsbDeviceSet && lists && std::exchange(fail_list_, false) ? 5
                                                                                                : 0;
    };
  }
  ~StormWorld() override {
    for (auto& fiber : fibers_) fiber->thread.join();
  }

  std::vector<Happening> journal;
  bool fail_thread_ = false, fail_runner_ = false, fail_list_ = false, fail_instance_ = false;
  std::function<int()> hands_on;  // whether the next program hands on to another

  // What the program logged comes first: it said it before this happened.
  void ReadLogFirst(std::function<void()> read) { read_log_ = std::move(read); }
  void ReadLog() {
    if (read_log_ && !reading_log_) reading_log_ = true, read_log_(), reading_log_ = false;
  }
  void Note(Happening happening) {
    ReadLog();
    if (happening.kind == Happening::kDelivered) in_place_ = false;
    journal.push_back(std::move(happening));
  }

  // The fibers the storm may give the turn to: all but those whose program
  // still runs, unless programs may end.
  std::vector<Fiber*> Runnable(bool programs_end) {
    std::lock_guard<std::mutex> lock(baton_);
    std::vector<Fiber*> runnable;
    for (auto& fiber : fibers_)
      if (fiber->wait != Wait::Done &&
          (programs_end || (fiber->wait != Wait::Program && fiber->wait != Wait::Job)))
        runnable.push_back(fiber.get());
    return runnable;
  }
  // Gives fiber the turn until it blocks or ends.
  void Resume(Fiber* fiber) {
    std::unique_lock<std::mutex> lock(baton_);
    turn_ = fiber->id;
    changed_.notify_all();
    changed_.wait(lock, [&] { return turn_ == 0; });
  }

  bool RunDetached(ThreadRoutine routine, void* parameter, std::uint32_t* error) override {
    // Nothing is excused by it: the other runs of an arrival still remove their device.
    const bool reads_list = routine == &ListReading::RunOnPool;
    const bool refused =
        std::exchange(fail_thread_, false) || (!reads_list && std::exchange(fail_runner_, false));
    if (!reads_list) Note({Happening::kRunThread, {}, {}, '\0', 0, 0, refused});
    if (refused) return in_place_ = reads_list, *error = 8, false;
    auto fiber = std::make_unique<Fiber>();
    fiber->id = static_cast<int>(fibers_.size() + 1);
    fiber->reads_list = reads_list;
    Fiber* self = fiber.get();
    fiber->thread = std::thread([this, self, routine, parameter] {
      self_ = self;
      Yield(Wait::Start);
      routine(parameter);
      Yield(Wait::Done);
    });
    fibers_.push_back(std::move(fiber));
    // Parked before anyone may give it the turn, so that every turn is a step.
    std::unique_lock<std::mutex> lock(baton_);
    changed_.wait(lock, [&] { return self->wait != Wait::Parking; });
    return true;
  }
  // The clock moves only by the sleeps.
  void Sleep(std::uint32_t milliseconds) override {
    clock_ += milliseconds;
    if (self_) Yield(Wait::Sleep);
  }
  std::uint64_t Milliseconds() override { return clock_; }
  Signal CreateSignal() override { return signals_[++next_signal_] = false, next_signal_; }
  void RaiseSignal(Signal signal) override { signals_.at(signal) = true; }
  bool WaitSignal(Signal signal, std::uint32_t milliseconds) override {
    if (std::exchange(signals_.at(signal), false)) return true;
    Yield(Wait::Signal);
    if (std::exchange(signals_.at(signal), false)) return true;
    return clock_ += milliseconds, false;
  }
  void CloseSignal(Signal signal) override { signals_.erase(signal); }

  bool StartProcess(const std::string& command_line, ProcessWindow window, Process* process,
                    std::uint32_t* error, Thread* thread) override {
    if (!FakeWorld::StartProcess(command_line, window, process, error, thread)) return false;
    // "C:\<Action>.EXE <letter>"
    const std::size_t dot = command_line.find(".EXE");
    Note({Happening::kStarted,
          {},
          command_line.substr(3, dot - 3),
          command_line.back(),
          static_cast<int>(*process)});
    return true;
  }
  void WaitForProcess(Process process) override {
    self_->program = static_cast<int>(process);
    self_->hands_on = hands_on && hands_on();
    Yield(Wait::Program);
    FakeWorld::WaitForProcess(process);
    if (!self_->hands_on) Note({Happening::kEnded, {}, {}, '\0', self_->program});
  }
  bool ActiveJobProcesses(Job, std::uint32_t* count) override {
    return *count = self_->hands_on ? 1 : 0, true;
  }
  JobMessage WaitForJobMessage(Job, std::uint32_t) override {
    Yield(Wait::Job);
    self_->hands_on = false;
    Note({Happening::kEnded, {}, {}, '\0', self_->program});
    return JobMessage::ActiveProcessZero;
  }

  bool OpenUsbDeviceSet(std::uint32_t flags, DeviceSet* set, std::uint32_t* error) override {
    const bool listed = FakeWorld::OpenUsbDeviceSet(flags, set, error);
    if (!listed && *error) Note({Happening::kFault});
    // Only a list's reading lists: not a removal, nor a drive's owner looked for.
    if (!listed || !(self_ ? self_->reads_list : in_place_)) return listed;
    Happening answer{Happening::kListed};
    for (const fake::FakeDevice& device : devices)
      if (device.present) answer.listed.push_back(device.instance_id);
    return Note(std::move(answer)), true;
  }
  bool GetInstanceId(DeviceSet set, const DeviceElement& element, std::string* instance_id,
                     std::uint32_t* error) override {
    if (FakeWorld::GetInstanceId(set, element, instance_id, error)) return true;
    return Note({Happening::kFault}), false;
  }
  std::uint32_t RequestDeviceEject(std::uint32_t dev_inst, std::uint32_t* veto_type) override {
    const std::uint32_t answer = FakeWorld::RequestDeviceEject(dev_inst, veto_type);
    for (const fake::FakeDevice& device : devices)
      if (device.dev_inst == dev_inst)
        Note({Happening::kRemovalAsked,
              device.instance_id,
              {},
              '\0',
              0,
              self_ ? self_->id : 0,
              answer == setup::kCrRemoveVetoed});
    return answer;
  }

 private:
  // Hands the turn back to the storm and waits for it again.
  void Yield(Wait wait) {
    std::unique_lock<std::mutex> lock(baton_);
    self_->wait = wait;
    turn_ = 0;
    changed_.notify_all();
    if (wait == Wait::Done) return;
    changed_.wait(lock, [&] { return turn_ == self_->id; });
  }

  static inline thread_local Fiber* self_ = nullptr;
  std::vector<std::unique_ptr<Fiber>> fibers_;
  std::mutex baton_;
  std::condition_variable changed_;
  int turn_ = 0;
  std::function<void()> read_log_;
  bool reading_log_ = false;
  bool in_place_ = false;  // the message being handled reads the list itself
  std::uint64_t clock_ = 0;
  std::map<Signal, bool> signals_;
  Signal next_signal_ = 0;
};

}  // namespace mw::storm_world
