#include "storm/storm.h"

#include <algorithm>
#include <sstream>

namespace mw::storm_world {
namespace {

// Six sticks, two pairs of twins among them, on E: to J:; a card reader
// inside the machine on R:, which no USB device holds.
constexpr const char* kModels[] = {"USB\\VID_1111&PID_0001", "USB\\VID_1111&PID_0001",
                                   "USB\\VID_2222&PID_0002", "USB\\VID_2222&PID_0002",
                                   "USB\\VID_3333&PID_0003", "USB\\VID_4444&PID_0004"};
constexpr char kInternalDrive = 'R';
constexpr const char* kKindNames[] = {
    "plug",        "unplug",        "replug", "burst",   "late drive", "save",        "fail list",
    "fail thread", "fail instance", "stray",  "deliver", "step",       "end program", "settle"};
// How often each kind is drawn, in the order above.
constexpr unsigned kWeights[] = {10, 6, 4, 4, 4, 2, 1, 3, 1, 1, 30, 16, 14, 3};

std::string Product(const storm::StormAction& action) {
  const std::string id = action.bound == "drive" ? kGenericVolumeId : action.bound;
  return "Name=" + action.name + ";HardwareID=" + id + ";ExeFile=C:\\" + action.name +
         ".EXE %_newdrv_%;State=" + (action.enabled ? "0" : "1") +
         (action.eject ? ";Eject=1;Ex_RmvRetryChk=1;Ex_RmvRetryCount=3;Ex_RmvRetryWait=1" : "");
}

std::vector<storm::StormAction> DrawActions(unsigned generation, unsigned seed) {
  std::mt19937 draw(seed);
  std::vector<storm::StormAction> actions(1 + draw() % 4);
  for (std::size_t k = 0; k < actions.size(); ++k) {
    const unsigned bound = draw() % 5;
    actions[k] = {"G" + std::to_string(generation) + "A" + std::to_string(k),
                  bound == 4 ? "drive" : kModels[bound == 3 ? 4 : bound * 2 % 6], draw() % 5 != 0,
                  draw() % 2 == 0};
  }
  return actions;
}

}  // namespace

std::string Describe(const StormEvent& event) {
  return std::string(kKindNames[event.kind]) + " " + std::to_string(event.a) + " " +
         std::to_string(event.b);
}

std::vector<StormEvent> ParseEvents(const std::string& text) {
  std::vector<StormEvent> events;
  std::istringstream list(text);
  for (std::string one; std::getline(list, one, ',');) {
    std::istringstream words(one);
    std::string name, word;
    StormEvent event{};
    while (words >> word && !std::isdigit(static_cast<unsigned char>(word[0])))
      name += (name.empty() ? "" : " ") + word;
    event.a = static_cast<unsigned>(std::stoul(word));
    words >> event.b;
    const auto* kind = std::find(std::begin(kKindNames), std::end(kKindNames), name);
    event.kind = static_cast<StormEvent::Kind>(kind - std::begin(kKindNames));
    events.push_back(event);
  }
  return events;
}

std::vector<StormEvent> DrawEvents(std::uint32_t seed, std::size_t count) {
  std::mt19937 draw(seed);
  std::discrete_distribution<int> kind(std::begin(kWeights), std::end(kWeights));
  std::vector<StormEvent> events;
  for (std::size_t i = 0; i < count; ++i)
    events.push_back({static_cast<StormEvent::Kind>(kind(draw)), static_cast<unsigned>(draw()),
                      static_cast<unsigned>(draw())});
  return events;
}

Storm::Storm() : programs_(7) {
  for (std::size_t i = 0; i < std::size(kModels); ++i) {
    const std::uint32_t usb = fake::UsbNode(world_, kModels[i], "USBSTOR");
    const char letter = static_cast<char>('E' + i);
    fake::Volume(world_, letter, {fake::DiskNode(world_, "USBSTOR\\DISK&PROD_STICK\\", usb)});
    const std::string instance = fake::InstanceOf(world_, usb);
    world_.devices.back().Text(setup::kSpdrpFriendlyName, instance);
    slots_.push_back({instance, kModels[i], letter, world_.devices.size() - 1});
    if (i % 2) Unplug(slots_.back(), 0);  // the others are attached before the start
  }
  fake::InternalCardReader(world_, kInternalDrive);
  messages_.clear();
  world_.journal.clear();
  world_.hands_on = [this] { return programs_() % 4 == 0; };
  world_.ReadLogFirst([this] { ReadLog(); });
  initial_ = DrawActions(0, 1);
  std::vector<Action> actions;
  for (const storm::StormAction& action : initial_)
    actions.push_back(fake::MakeAction(Product(action)));
  SaveActions(world_.platform(), actions);
  dispatcher_ = std::make_unique<Dispatcher>(world_.platform(), pending_, [this] {
    messages_.push_back([this] {
      world_.Note({storm::Happening::kDelivered});
      dispatcher_->FinishEnumeration();
    });
  });
  world_.journal.clear();  // the list at start is no one's arrival
  for (const Slot& slot : slots_)
    if (world_.devices[slot.device].present)
      world_.Note({storm::Happening::kDriveCame, slot.instance});
}

void Storm::Send(std::uintptr_t wparam, std::vector<unsigned char> record) {
  messages_.push_back([this, wparam, record] {
    storm::Happening delivered{storm::Happening::kDelivered};
    if (record.size() == 20)  // a volume's, of one drive
      for (int bit = 0; bit < 26; ++bit)
        if (record[12 + bit / 8] >> (bit % 8) & 1) delivered.letter = static_cast<char>('A' + bit);
    world_.Note(std::move(delivered));
    dispatcher_->Dispatch(RouteDeviceChange(wparam, record.empty() ? nullptr : record.data()));
  });
}

// The system's broadcasts for a plugging: the interface's arrival, the list's
// change (unless announce bit 1), the drive's arrival (unless bit 2).
void Storm::Plug(Slot& slot, bool late_drive, unsigned refusals, unsigned announce) {
  fake::FakeDevice& device = world_.devices[slot.device];
  device.present = true;
  device.eject_answers.assign(refusals % 5, setup::kCrRemoveVetoed);
  device.eject_answers.push_back(setup::kCrSuccess);
  world_.Note({storm::Happening::kPlugged, slot.instance, {}, late_drive ? '\0' : slot.letter});
  world_.Note({storm::Happening::kAnnounced, slot.instance});
  Send(dbt::kDeviceArrival, fake::InterfaceRecord(fake::UsbInterfacePath(slot.instance)));
  if (!(announce & 2)) Send(dbt::kDevNodesChanged, {});
  if (late_drive) return;
  world_.storage.drives[slot.letter] = slot.drive;
  slot.drive_in = true;
  if (!(announce & 4)) Send(dbt::kDeviceArrival, fake::VolumeRecord(1u << (slot.letter - 'A')));
}

void Storm::Unplug(Slot& slot, unsigned announce) {
  world_.devices[slot.device].present = false;
  if (slot.drive_in) slot.drive = world_.storage.drives.at(slot.letter);
  world_.storage.drives.erase(slot.letter);
  slot.drive_in = false;
  world_.Note({storm::Happening::kUnplugged, slot.instance});
  Send(dbt::kDeviceRemoveComplete, fake::InterfaceRecord(fake::UsbInterfacePath(slot.instance)));
  if (!(announce & 2)) Send(dbt::kDevNodesChanged, {});
}

void Storm::Save(unsigned seed) {
  storm::Happening saved{storm::Happening::kSaved};
  saved.actions = DrawActions(++generation_, seed);
  std::vector<Action> actions;
  for (const storm::StormAction& action : saved.actions)
    actions.push_back(fake::MakeAction(Product(action)));
  SaveActions(world_.platform(), actions);
  world_.Note(std::move(saved));
}

void Storm::Play(const StormEvent& event) {
  Slot& slot = slots_[event.a % slots_.size()];
  const bool present = world_.devices[slot.device].present;
  switch (event.kind) {
    case StormEvent::kPlug:
      if (!present) Plug(slot, event.b % 4 == 0, event.b / 4, event.b / 32);
      break;
    case StormEvent::kUnplug:
      if (present) Unplug(slot, event.b);
      break;
    case StormEvent::kReplug:
      if (present) Unplug(slot, event.b), Plug(slot, false, event.b / 4, event.b / 32);
      break;
    case StormEvent::kBurst:
      for (unsigned i = 0; i < 2 + event.b % 5; ++i) Send(dbt::kDevNodesChanged, {});
      break;
    case StormEvent::kLateDrive:
      if (event.b % 3 == 0)
        Send(dbt::kDeviceArrival, fake::VolumeRecord(1u << (kInternalDrive - 'A')));
      if (!present || slot.drive_in) break;
      world_.storage.drives[slot.letter] = slot.drive;
      slot.drive_in = true;
      world_.Note({storm::Happening::kDriveCame, slot.instance});
      Send(dbt::kDeviceArrival, fake::VolumeRecord(1u << (slot.letter - 'A')));
      break;
    case StormEvent::kSave:
      Save(event.b);
      break;
    case StormEvent::kFailList:
      world_.fail_list_ = true;
      break;
    case StormEvent::kFailThread:  // the next thread, or the next run's
      (event.b % 2 ? world_.fail_thread_ : world_.fail_runner_) = true;
      break;
    case StormEvent::kFailInstance:
      world_.fail_instance_ = true;
      break;
    case StormEvent::kStray:
      messages_.push_back([this] { dispatcher_->FinishEnumeration(); });
      break;
    case StormEvent::kDeliver:
      if (!messages_.empty()) {
        const std::function<void()> next = std::move(messages_.front());
        messages_.pop_front();
        next();
      }
      break;
    case StormEvent::kStep:
    case StormEvent::kEndProgram:
      if (auto fibers = world_.Runnable(event.kind == StormEvent::kEndProgram); !fibers.empty())
        world_.Resume(fibers[event.b % fibers.size()]);
      break;
    case StormEvent::kSettle:
      Settle(false);
      break;
    case StormEvent::kKinds:
      break;
  }
  world_.ReadLog();
}

// Everything the window was told is handled, and every thread has gone as far
// as it can without a program's end (or to its own end).
void Storm::Settle(bool programs_end) {
  for (bool moved = true; moved;) {
    moved = !messages_.empty();
    if (moved) Play({StormEvent::kDeliver, 0, 0});
    for (StormWorld::Fiber* fiber : world_.Runnable(programs_end))
      world_.Resume(fiber), world_.ReadLog(), moved = true;
  }
  world_.Note({storm::Happening::kSettled});
}

// The choices the dispatcher logs: for which device or drive, which Action.
void Storm::ReadLog() {
  for (; log_read_ < world_.activity.size(); ++log_read_) {
    const std::string& line = world_.activity[log_read_];
    if (line.starts_with("新しいデバイス: ")) origin_ = line.substr(line.find(' ') + 1);
    if (line.starts_with("ボリュームの到着: ")) origin_ = line.substr(line.find(' ') + 1, 1);
    const std::string opening = "アクション「", closing = "」: ";
    const std::size_t close = line.find(closing);
    if (!line.starts_with(opening) || close == std::string::npos) continue;
    storm::Happening said{storm::Happening::kDecided};
    said.action = line.substr(opening.size(), close - opening.size());
    const std::size_t drive = line.find(" のドライブが "), rest = close + closing.size();
    if (line.find("」: 実行を始めます") == close) {
      said.letter = origin_.size() == 1 ? origin_[0] : '\0';
      said.instance = origin_.size() == 1 ? "" : origin_;
    } else if (drive != std::string::npos) {
      said.kind = storm::Happening::kNotRun;
      said.instance = line.substr(rest, drive - rest);
    } else {
      continue;
    }
    world_.Note(std::move(said));
  }
}

std::vector<std::string> Storm::Finish() {
  for (std::size_t left = 1; left != 0;) {
    Settle(true);
    left = world_.Runnable(true).size();
  }
  std::vector<storm::StormDevice> devices;
  for (const Slot& slot : slots_) devices.push_back({slot.instance, slot.model, slot.letter});
  std::vector<std::string> broken =
      storm::PromiseModel(devices, initial_, kRetries).Check(world_.journal);
  if (pending_.Take()) broken.push_back("a run was left pending");
  if (world_.open_keys() || world_.open_sets() || world_.MutexHeld())
    broken.push_back("a key, a device set or the mutex was left open");
  return broken;
}

}  // namespace mw::storm_world
