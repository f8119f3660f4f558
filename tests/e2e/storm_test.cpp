// Mountwick.exe in a storm of random events: sticks (twins among them) plugged, pulled and plugged
// again, bursts of list changes, drive arrivals, saves. What its log says it chose and what the
// children received are held against the promise's model. MOUNTWICK_STORM_SEED replays a storm.
#include <iostream>
#include <random>

#include "e2e_support.h"
#include "storm/promise_model.h"

namespace e2e {
namespace {

using storm::Happening;
// Two pairs of twins and one single stick; the second of each pair is attached before the start.
constexpr const char* kModels[] = {"USB\\VID_5701&PID_0001", "USB\\VID_5701&PID_0001",
                                   "USB\\VID_5702&PID_0002", "USB\\VID_5702&PID_0002",
                                   "USB\\VID_5703&PID_0003"};
constexpr std::size_t kSlots = std::size(kModels);
enum Kind { kPlug, kUnplug, kReplug, kBurst, kVolume, kSave, kPause, kSettle };
constexpr unsigned kWeights[] = {8, 6, 5, 4, 6, 1, 3, 1};

class Storm : public Case {
 public:
  static std::string Instance(std::size_t slot) { return "ROOT\\MWSTORM\\" + std::to_string(slot); }
  void Note(Happening happening) { journal_.push_back(std::move(happening)); }

  // Stored as a save stores them, bound to the sticks' models or the drive entry; a child run
  // names its Action, and the drive entry's its drive too.
  std::vector<storm::StormAction> Save(unsigned generation) {
    std::vector<storm::StormAction> actions(2 + draw_() % 4);
    std::vector<Fields> stored;
    for (std::size_t k = 0; k < actions.size(); ++k) {
      const unsigned bound = draw_() % 4;
      const std::string name = "G" + std::to_string(generation) + "A" + std::to_string(k);
      actions[k] = {name, bound == 3 ? "drive" : kModels[bound * 2], draw_() % 5 != 0};
      stored.push_back(Action(name, bound == 3 ? kVolumeId : actions[k].bound,
                              bound == 3 ? name + " %_newdrv_%" : name,
                              {{"State", actions[k].enabled ? "0" : "1"}}));
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, kActionsKey);
    StoreActions(stored);
    return actions;
  }
  // Plugs or pulls the slot's stick, named by its instance as a choice's line names it, and tells
  // it as the system does: its interface's arrival or removal, usually then the list's change.
  void Turn(std::size_t slot, unsigned how) {
    const std::string id = Instance(slot);
    const auto done =
        in_[slot] ? mw::fakeusb::RemoveFakeUsbDevice(id)
                  : mw::fakeusb::PlugFakeUsbDevice(
                        {.instance_id = id, .hardware_ids = {kModels[slot]}, .friendly_name = id});
    ASSERT_TRUE(done.ok()) << done.step << " " << done.error;
    in_[slot] = !in_[slot];
    if (!window_) return;  // attached before the start
    Note({in_[slot] ? Happening::kPlugged : Happening::kUnplugged, id});
    if (in_[slot]) Note({Happening::kAnnounced, id});
    ASSERT_TRUE(SendUsbInterfaceArrival(window_, id, 15000,
                                        in_[slot] ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE));
    if (how % 4 != 0) ListChanged();
  }
  // Mountwick reads the list after the change: what is attached when it is told.
  void ListChanged() {
    Happening listed{.kind = Happening::kListed};
    for (std::size_t slot = 0; slot < kSlots; ++slot)
      if (in_[slot]) listed.listed.push_back(Instance(slot));
    Note(std::move(listed));
    ASSERT_TRUE(SendNodesChanged(window_));
  }
  // The children's records first: the choice of each run found is in the log read after them.
  void Look() {
    const std::vector<std::string> runs = Runs();
    const std::string log = ReadFile(kActivityLog), opening = Utf8(u8"アクション「");
    for (std::size_t end; (end = log.find("\r\n", log_read_)) != std::string::npos;
         log_read_ = end + 2) {
      const std::string line = log.substr(log_read_ + 24, end - log_read_ - 24);  // no time
      if (line.starts_with(Utf8(u8"新しいデバイス: "))) origin_ = line.substr(line.find(' ') + 1);
      if (line.starts_with(Utf8(u8"ボリュームの到着: ")))
        origin_ = line.substr(line.find(' ') + 1, 1);
      const std::size_t close = line.find(Utf8(u8"」: 実行を始めます"));
      if (!line.starts_with(opening) || close == std::string::npos) continue;
      const bool drive = origin_.size() == 1;
      Note({.kind = Happening::kDecided,
            .instance = drive ? "" : origin_,
            .action = line.substr(opening.size(), close - opening.size()),
            .letter = drive ? origin_[0] : '\0'});
      ++decided_;
    }
    for (; started_ < runs.size(); ++started_) {
      const std::size_t bar = runs[started_].find('|');
      Note({.kind = Happening::kStarted,
            .action = runs[started_].substr(0, bar),
            .letter = bar == std::string::npos ? '\0' : runs[started_][bar + 1],
            .program = static_cast<int>(started_) + 1});
    }
  }
  // All that was sent is handled: the window answers, and neither the log nor the records grow
  // for longer than a list's reading waits after a start.
  void Settle() {
    for (std::size_t size = ~std::size_t{0}, was = 0; size != was; Sleep(700)) {
      ASSERT_TRUE(Send(window_, WM_NULL));
      was = std::exchange(size, ReadFile(kActivityLog).size() + ReadFile(record_).size());
    }
    Look();
    Note({Happening::kSettled});
  }

  void Play(int kind) {
    const std::size_t slot = draw_() % kSlots;
    const auto how = static_cast<unsigned>(draw_());
    if ((kind == kUnplug || kind == kReplug) && in_[slot]) Turn(slot, how);
    if ((kind == kPlug || kind == kReplug) && !in_[slot]) Turn(slot, how / 4);
    for (unsigned i = 0; kind == kBurst && i < 2 + how % 6; ++i) ListChanged();
    if (kind == kVolume) {
      Note({.kind = Happening::kDelivered, .letter = static_cast<char>('E' + how % 3)});
      ASSERT_TRUE(SendVolumeArrival(window_, E << how % 3));
    }
    if (kind == kSave || kind == kSettle) Settle();  // a save meets no choice half-way
    if (kind == kSave) Note({.kind = Happening::kSaved, .actions = Save(++generation_)});
    if (kind == kPause) Sleep(how % 200);
    Look();
  }

  std::mt19937 draw_;
  unsigned generation_ = 0;
  HWND window_ = nullptr;
  bool in_[kSlots] = {};
  std::vector<Happening> journal_;
  std::size_t log_read_ = 3, started_ = 0, decided_ = 0;  // past the byte order mark
  std::string origin_;  // of the choices being logged: an instance, or a drive
};

// Each enabled Action runs once for each plugging of its stick that was announced, never for
// one attached before the start, and once for each drive's arrival; nothing runs unchosen.
TEST_F(Storm, EveryAnnouncedStickAndEveryDriveRunsItsEnabledActionsOnce) {
  const char* replay = std::getenv("MOUNTWICK_STORM_SEED");
  const auto seed = static_cast<std::uint32_t>(replay && *replay ? std::strtoul(replay, nullptr, 10)
                                                                 : std::random_device{}());
  std::cout << "storm seed " << seed << "\n";
  SCOPED_TRACE("MOUNTWICK_STORM_SEED=" + std::to_string(seed));
  draw_.seed(seed);
  std::vector<storm::StormDevice> devices;  // without drives: Wine links none to a fake device
  for (std::size_t slot = 0; slot < kSlots; ++slot) {
    devices.push_back({Instance(slot), kModels[slot]});
    devices_.push_back(Instance(slot));
    mw::fakeusb::RemoveFakeUsbDevice(Instance(slot));
    if (slot % 2) Turn(slot, 0);
  }
  const std::vector<storm::StormAction> initial = Save(0);
  DeleteFileA(kActivityLog.c_str());
  ASSERT_TRUE(window_ = Start());
  std::discrete_distribution<int> kinds(std::begin(kWeights), std::end(kWeights));
  for (unsigned event = 0; event < 200 && !HasFatalFailure(); ++event) Play(kinds(draw_));
  ASSERT_NO_FATAL_FAILURE(Settle());
  const std::vector<std::string> broken = storm::PromiseModel(devices, initial, 0).Check(journal_);
  const std::string log = ReadFile(kActivityLog);
  const std::string tail =
      log.substr(log.size() > 6000 ? log.find('\n', log.size() - 6000) + 1 : 0);
  EXPECT_THAT(broken, ::testing::IsEmpty()) << "the log's end:\n" << tail;
  EXPECT_EQ(started_, decided_) << "runs chosen that started no program, or more than once";
  std::cout << "storm: 200 events, " << decided_ << " runs chosen\n";
}

}  // namespace
}  // namespace e2e
