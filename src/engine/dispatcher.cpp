#include "engine/dispatcher.h"

#include <algorithm>
#include <atomic>

#include "notices/activity_log.h"
#include "notices/notices.h"
#include "devices/device_enumeration.h"
#include "devices/drive_owner.h"
#include "devices/generic_entries.h"

namespace mw {
namespace {
constexpr char kThreadStartFailed[] =
    "Mountwickからのエラー通知：\nアクションを実行するスレッドを開始できませんでした。\n\n"
    "アクション = %s\n";
std::vector<std::string> Keys(const AttachedDevices& attached) {
  std::vector<std::string> keys;
  for (const AttachedDevice& device : attached) keys.push_back(DeviceTracker::Key(device.instance));
  return keys;
}

Origin DeviceOrigin(const AttachedDevice& device) {
  return {device.record->HardwareID, '\0', device.instance, device.record->DisplayName};
}

bool AsksForRemoval(const ActionList& actions, const std::string& id) {
  return std::any_of(actions.begin(), actions.end(), [&](const Action& action) {
    return BindsDevice(action, id) && IsDispatched(action) && IsFlagOn(action.Eject);
  });
}
}  // namespace

// One reading of the device list. Only the devices the last list lacks are
// read in full: a device that replaced another is new even when the count stayed.
struct Dispatcher::Enumeration {
  Enumeration(const Platform& on, const DeviceTracker& devices, Wake then)
      : platform(on),
        known(devices.known()),
        read_new(devices.has_baseline()),
        wake(std::move(then)) {}

  void Run() {
    listed = EnumerateAttachedDevices(platform, fresh, [this](const std::string& instance) {
      return read_new && !known.contains(DeviceTracker::Key(instance));
    });
    done.store(true, std::memory_order_release);
  }

  static std::uint32_t RunOnPool(void* parameter) {
    const std::unique_ptr<std::shared_ptr<Enumeration>> owner(
        static_cast<std::shared_ptr<Enumeration>*>(parameter));
    Enumeration& enumeration = **owner;
    if (enumeration.quiet_ms != 0) enumeration.platform.threads.Sleep(enumeration.quiet_ms);
    enumeration.Run();
    enumeration.wake();
    return 0;
  }

  const Platform platform;
  const std::set<std::string> known;
  const bool read_new;
  const Wake wake;
  std::uint32_t quiet_ms = 0;  // waited on the pool before the reading
  std::atomic<bool> done = false;
  bool listed = false;  // false when the device set could not be opened
  AttachedDevices fresh;
};

Dispatcher::Dispatcher(const Platform& platform, PendingRuns& pending, Wake wake)
    : platform_(platform),
      pending_(pending),
      drive_bell_(platform.threads),
      runner_context_{platform, pending, &drive_bell_},
      actions_(platform),
      wake_(std::move(wake)) {
  DeviceDiffLock lock(pending_.mutex());
  AttachedDevices attached;
  if (EnumerateAttachedDevices(platform_, attached, [](const std::string&) { return false; }))
    devices_.Remember(Keys(attached));
}

Dispatcher::~Dispatcher() = default;

// Starts the enabled Actions bound to id. The log tells each of them, each
// disabled one, and the Actions of other devices together on one line.
void Dispatcher::StartBound(ActivityBatch& said, const ActionList& actions, const Origin& origin,
                            std::vector<FailedStart>& failures) {
  const std::string& id = origin.bound_id;
  // The runs with removal share one: it waits for the last of their programs.
  unsigned removing = 0;
  for (const Action& action : actions)
    removing += BindsDevice(action, id) && IsDispatched(action) && IsFlagOn(action.Eject);
  const auto group = removing != 0 ? std::make_shared<RemovalGroup>(removing) : nullptr;

  std::string others;
  unsigned other_count = 0;
  for (const Action& action : actions) {
    if (!BindsDevice(action, id)) {
      // The line is cut at its buffer anyway; a thousand names need not be joined.
      if (others.size() < kActivityLineBufferSize)
        others += (other_count ? "、" : "") + action.Name;
      ++other_count;
    } else if (!IsDispatched(action)) {
      said.Add("アクション「%s」: 無効なので実行しません", action.Name);
    } else {
      said.Add("アクション「%s」: 実行を始めます", action.Name);
      Run run{action, origin.instance, IsFlagOn(action.Eject) ? group : nullptr};
      run.action.DriveLetter = origin.letter;
      run.device_name = origin.device_name;
      StartRun(std::move(run), failures);
    }
  }
  if (other_count != 0)
    said.Add("ほかのデバイスまたはエントリのアクション %u 件: %s", other_count, others);
}

void Dispatcher::Dispatch(const RoutedDeviceChange& change) {
  if (settings_absent_) return;
  if (change.ignored) LogActivity(platform_, "ボリュームの到着を無視しました: %s", change.ignored);
  if (change.event == DeviceEvent::None) return;
  // Runs of a device that wait for its drive look again at once, even while
  // this arrival waits its turn.
  if (change.event == DeviceEvent::VolumeArrived || change.event == DeviceEvent::MediaArrived)
    drive_bell_.Ring();
  if (change.event != DeviceEvent::DeviceListChanged)
    return Enqueue([this, change] { DispatchNow(change); });
  if (!enumeration_) return StartEnumeration();
  list_change_gathered_ = true;
}

void Dispatcher::FinishEnumeration() {
  Enqueue([this] {
    if (!enumeration_ || !enumeration_->done.load(std::memory_order_acquire)) return;
    CompareList(*std::exchange(enumeration_, {}));
    if (std::exchange(list_change_gathered_, false)) StartEnumeration();
  });
}

void Dispatcher::Enqueue(std::function<void()> work) {
  deferred_.push_back(std::move(work));
  if (dispatching_) return;
  dispatching_ = true;
  while (!deferred_.empty()) {
    const std::function<void()> next = std::move(deferred_.front());
    deferred_.pop_front();
    next();
  }
  dispatching_ = false;
}

void Dispatcher::StartEnumeration() {
  enumeration_ = std::make_shared<Enumeration>(platform_, devices_, wake_);
  devices_.BeginReading();
  std::uint32_t error = 0;
  if (wake_) {
    // Programs just started get the system first: the list's change that
    // follows their device's own arrival is read a little later.
    const std::uint64_t since = last_start_ms_ ? platform_.threads.Milliseconds() - *last_start_ms_
                                               : kStartQuietMilliseconds;
    if (since < kStartQuietMilliseconds)
      enumeration_->quiet_ms = static_cast<std::uint32_t>(kStartQuietMilliseconds - since);
    auto* parameter = new std::shared_ptr<Enumeration>(enumeration_);
    if (platform_.threads.RunDetached(&Enumeration::RunOnPool, parameter, &error)) return;
    delete parameter;
    enumeration_->quiet_ms = 0;
  }
  // Without the pool the list is read here, in its turn.
  Enqueue([this] {
    enumeration_->Run();
    FinishEnumeration();
  });
}

void Dispatcher::ReloadActions() {
  const ActionList& actions = actions_.Current();
  LogActivity(platform_, "設定の変更を読み込みました: アクション %u 件",
              static_cast<unsigned>(actions.size()));
}

void Dispatcher::DispatchNow(const RoutedDeviceChange& change) {
  switch (change.event) {
    case DeviceEvent::VolumeArrived:
      DispatchGeneric(kGenericVolumeId, "ボリュームの到着: %c:", change.letter);
      break;
    case DeviceEvent::MediaArrived:
      DispatchGeneric(kGenericMediaId, "メディアの到着: %c:", change.letter);
      break;
    case DeviceEvent::UsbDeviceArrived:
      DispatchArrivedDevice(change.instance);
      break;
    case DeviceEvent::DeviceListChanged:
    case DeviceEvent::None:
      break;
  }
}

void Dispatcher::DispatchGeneric(const char* generic_id, const char* event, char letter) {
  std::vector<FailedStart> failures;
  {
    DeviceDiffLock lock(pending_.mutex());
    // Said before the lock is released, so that the runners' lines come after.
    ActivityBatch said(platform_);
    said.Add(event, letter);
    const ActionList& actions = actions_.Current();
    // Found now, while the letter is there: the removal comes after the programs.
    std::string owner;
    if (AsksForRemoval(actions, generic_id)) {
      const DriveOwner found = FindDriveOwner(platform_, letter);
      if (found.instance.empty())
        said.Add("%c: を持つ USB デバイスはありません（%s）", letter, found.why_none);
      else
        said.Add("%c: を持つ USB デバイス: %s", letter, found.instance);
      owner = found.instance;
    }
    StartBound(said, actions, {generic_id, letter, owner, {}}, failures);
  }
  ReportFailedStarts(failures);
}

void Dispatcher::CompareList(const Enumeration& enumeration) {
  std::vector<FailedStart> failures;
  {
    DeviceDiffLock lock(pending_.mutex());
    ActivityBatch said(platform_);
    if (!enumeration.listed) {
      // A failed enumeration never replaces the last list.
      said.Add("デバイス一覧の変化: 一覧を取得できませんでした");
      return;
    }
    const AttachedDevices& fresh = enumeration.fresh;
    const auto new_count = static_cast<unsigned>(fresh.size() + kGenericEntryCount);
    if (!devices_.has_baseline()) {
      // Devices present before the first list that could be read are not new.
      said.Add("デバイス一覧の変化: 初めて読めた一覧 %u 件（新しいデバイスとはしません）",
               new_count);
      devices_.Remember(Keys(fresh));
      return;
    }
    const auto old_count = static_cast<unsigned>(devices_.size() + kGenericEntryCount);
    said.Add("デバイス一覧の変化: %u 件から %u 件", old_count, new_count);
    // Read in full because the list lacked it when the reading began, and
    // not noticed by its own arrival since.
    const auto is_new = [&](const AttachedDevice& device) {
      return device.record && !devices_.Knows(DeviceTracker::Key(device.instance));
    };
    // Every changed list brings the Actions up to date, even one that only
    // shrank, though nothing starts for a device that left.
    if (std::any_of(fresh.begin(), fresh.end(), is_new) || new_count != old_count) {
      const ActionList& actions = actions_.Current();
      for (const AttachedDevice& device : fresh) {
        if (!is_new(device)) continue;
        said.Add("新しいデバイス: %s", device.record->DisplayName);
        StartBound(said, actions, DeviceOrigin(device), failures);
      }
    }
    devices_.Remember(Keys(fresh));
  }
  ReportFailedStarts(failures);
}

void Dispatcher::DispatchArrivedDevice(const std::string& instance) {
  std::vector<FailedStart> failures;
  {
    DeviceDiffLock lock(pending_.mutex());
    ActivityBatch said(platform_);
    said.Add("USB デバイスの到着: %s", instance);
    AttachedDevice device;
    if (!ReadArrivedDevice(platform_, instance, device)) {
      said.Add("デバイスの情報を読めませんでした");
      return;
    }
    if (!devices_.Arrived(DeviceTracker::Key(device.instance))) {
      said.Add("一覧にあるデバイスです: %s", device.record->DisplayName);
      return;
    }
    said.Add("新しいデバイス: %s", device.record->DisplayName);
    StartBound(said, actions_.Current(), DeviceOrigin(device), failures);
  }
  ReportFailedStarts(failures);
}

void Dispatcher::StartRun(Run run, std::vector<FailedStart>& failures) {
  const std::string name = run.action.Name;
  const std::shared_ptr<RemovalGroup> group = run.removal;
  pending_.AppendLocked(std::move(run));
  std::uint32_t error = 0;
  if (!platform_.threads.RunDetached(&RunnerThread, &runner_context_, &error)) {
    // No thread will take this run; it must not stay for another runner, nor
    // hold back the removal of its group. No other member can have finished:
    // runners take their runs only once this dispatch lets go of the mutex.
    pending_.DropLastLocked();
    if (group) (void)group->Leave(nullptr);
    failures.push_back({name, error});
    return;
  }
  last_start_ms_ = platform_.threads.Milliseconds();
}

void Dispatcher::ReportFailedStarts(const std::vector<FailedStart>& failures) {
  for (const FailedStart& failure : failures) {
    LogActivity(platform_, "アクション「%s」: 実行するスレッドを開始できませんでした（コード %u）",
                failure.name, failure.error);
    ShowSystemErrorNotice(platform_, failure.error, kThreadStartFailed, failure.name);
  }
}

}  // namespace mw
