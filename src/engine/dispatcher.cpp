#include "engine/dispatcher.h"

#include <algorithm>

#include "notices/activity_log.h"
#include "notices/notices.h"
#include "devices/device_enumeration.h"
#include "devices/drive_owner.h"
#include "devices/generic_entries.h"

namespace mw {
namespace {
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

Dispatcher::Dispatcher(const Platform& platform, PendingRuns& pending, Wake wake)
    : platform_(platform),
      pending_(pending),
      drive_bell_(platform.threads),
      starter_(platform, pending, drive_bell_),
      actions_(platform),
      wake_(std::move(wake)) {
  DeviceDiffLock lock(pending_.mutex());
  AttachedDevices attached;
  bool complete = false;
  if (EnumerateAttachedDevices(
          platform_, attached, [](const std::string&) { return false; }, &complete) &&
      complete)
    devices_.Remember(Keys(attached));
}

Dispatcher::~Dispatcher() = default;

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
  enumeration_ = std::make_shared<ListReading>(platform_, devices_, wake_);
  devices_.BeginReading();
  std::uint32_t error = 0;
  if (wake_) {
    // Programs just started get the system first: the list's change that
    // follows their device's own arrival is read a little later.
    const std::optional<std::uint64_t> last_start = starter_.last_start_ms();
    const std::uint64_t since =
        last_start ? platform_.threads.Milliseconds() - *last_start : kStartQuietMilliseconds;
    if (since < kStartQuietMilliseconds)
      enumeration_->quiet_ms = static_cast<std::uint32_t>(kStartQuietMilliseconds - since);
    auto* parameter = new std::shared_ptr<ListReading>(enumeration_);
    if (platform_.threads.RunDetached(&ListReading::RunOnPool, parameter, &error)) return;
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
    case DeviceEvent::UsbDeviceLeft:
      LogActivity(platform_, "USB デバイスの取り外し: %s", change.instance);
      devices_.Left(DeviceTracker::Key(change.instance));
      break;
    case DeviceEvent::DeviceListChanged:
    case DeviceEvent::None:
      break;
  }
}

void Dispatcher::DispatchGeneric(const char* generic_id, const char* event, char letter) {
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
    starter_.StartBound(said, actions, {generic_id, letter, owner, {}});
  }
  starter_.ReportFailedStarts();
}

void Dispatcher::CompareList(const ListReading& enumeration) {
  {
    DeviceDiffLock lock(pending_.mutex());
    ActivityBatch said(platform_);
    // A list that left out a device it could not identify is no baseline.
    if (!enumeration.listed || (!enumeration.complete && !devices_.has_baseline())) {
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
    // not noticed by its own arrival or removal since.
    const auto is_new = [&](const AttachedDevice& device) {
      const std::string key = DeviceTracker::Key(device.instance);
      return device.record && !devices_.Knows(key) && !devices_.LeftMeanwhile(key);
    };
    // Every changed list brings the Actions up to date, even one that only
    // shrank, though nothing starts for a device that left.
    if (std::any_of(fresh.begin(), fresh.end(), is_new) || new_count != old_count) {
      const ActionList& actions = actions_.Current();
      for (const AttachedDevice& device : fresh) {
        if (!is_new(device)) continue;
        said.Add("新しいデバイス: %s", device.record->DisplayName);
        starter_.StartBound(said, actions, DeviceOrigin(device));
      }
    }
    devices_.Remember(Keys(fresh), enumeration.complete);
  }
  starter_.ReportFailedStarts();
}

void Dispatcher::DispatchArrivedDevice(const std::string& instance) {
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
    starter_.StartBound(said, actions_.Current(), DeviceOrigin(device));
  }
  starter_.ReportFailedStarts();
}

}  // namespace mw
