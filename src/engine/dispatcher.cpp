#include "engine/dispatcher.h"

#include <algorithm>

#include "notices/activity_log.h"
#include "notices/notices.h"
#include "devices/device_enumeration.h"
#include "devices/generic_entries.h"

namespace mw {
namespace {
constexpr char kThreadStartFailed[] =
    "Mountwickからのエラー通知：\nアクションを実行するスレッドを開始できませんでした。\n\n"
    "アクション = %s\n";
}  // namespace

Dispatcher::Dispatcher(const Platform& platform, PendingRuns& pending, FoldTimer fold_timer)
    : platform_(platform),
      pending_(pending),
      runner_context_{platform, pending},
      actions_(platform),
      fold_timer_(std::move(fold_timer)) {
  DeviceDiffLock lock(pending_.mutex());
  AttachedDevices attached;
  has_baseline_ =
      EnumerateAttachedDevices(platform_, attached, [](const std::string&) { return false; });
  Remember(attached);
}

void Dispatcher::Remember(const AttachedDevices& attached) {
  known_ids_.clear();
  for (const AttachedDevice& device : attached) known_ids_.insert(device.hardware_id);
}

// Starts the enabled Actions bound to id. The log tells each of them, each
// disabled one, and the Actions of other devices together on one line.
void Dispatcher::StartBound(ActivityBatch& said, const ActionList& actions, const std::string& id,
                            char letter, const std::string& instance,
                            std::vector<FailedStart>& failures) {
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
      Run run{action, instance, IsFlagOn(action.Eject) ? group : nullptr};
      run.action.DriveLetter = letter;
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
  if (change.event == DeviceEvent::DeviceListChanged) {
    if (fold_window_open_) {
      list_change_gathered_ = true;
      return;
    }
    const auto waiting = std::find_if(deferred_.begin(), deferred_.end(), [](const auto& queued) {
      return queued.event == DeviceEvent::DeviceListChanged;
    });
    if (waiting != deferred_.end()) return;
  }
  deferred_.push_back(change);
  if (dispatching_) return;
  dispatching_ = true;
  while (!deferred_.empty()) {
    const RoutedDeviceChange next = deferred_.front();
    deferred_.pop_front();
    DispatchNow(next);
  }
  dispatching_ = false;
}

void Dispatcher::EndFoldWindow() {
  fold_window_open_ = false;
  if (!std::exchange(list_change_gathered_, false)) return;
  Dispatch({DeviceEvent::DeviceListChanged});
}

void Dispatcher::ReloadActions() {
  const ActionList& actions = actions_.Current();
  LogActivity(platform_, "設定の変更を読み込みました: アクション %u 件",
              static_cast<unsigned>(actions.size()));
}

void Dispatcher::DispatchNow(const RoutedDeviceChange& change) {
  switch (change.event) {
    case DeviceEvent::DeviceListChanged:
      DispatchDeviceListChange();
      if (fold_timer_) {
        fold_window_open_ = true;
        fold_timer_(kFoldMilliseconds);
      }
      break;
    case DeviceEvent::VolumeArrived:
      DispatchGeneric(kGenericVolumeId, "ボリュームの到着: %c:", change.letter);
      break;
    case DeviceEvent::MediaArrived:
      DispatchGeneric(kGenericMediaId, "メディアの到着: %c:", change.letter);
      break;
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
    StartBound(said, actions_.Current(), generic_id, letter, "", failures);
  }
  ReportFailedStarts(failures);
}

void Dispatcher::DispatchDeviceListChange() {
  std::vector<FailedStart> failures;
  {
    DeviceDiffLock lock(pending_.mutex());
    ActivityBatch said(platform_);
    // Only the devices the last list lacks are read in full: a device that
    // replaced another is new even when the count stayed.
    AttachedDevices fresh;
    if (!EnumerateAttachedDevices(platform_, fresh, [&](const std::string& id) {
          return has_baseline_ && !known_ids_.contains(id);
        })) {
      // A failed enumeration never replaces the last list.
      said.Add("デバイス一覧の変化: 一覧を取得できませんでした");
      return;
    }
    const auto new_count = static_cast<unsigned>(fresh.size() + kGenericEntryCount);
    if (!has_baseline_) {
      // Devices present before the first list that could be read are not new.
      said.Add("デバイス一覧の変化: 初めて読めた一覧 %u 件（新しいデバイスとはしません）",
               new_count);
      Remember(fresh);
      has_baseline_ = true;
      return;
    }
    const auto old_count = static_cast<unsigned>(known_ids_.size() + kGenericEntryCount);
    said.Add("デバイス一覧の変化: %u 件から %u 件", old_count, new_count);
    const bool any_new = std::any_of(fresh.begin(), fresh.end(),
                                     [](const AttachedDevice& device) { return device.record; });
    // Every changed list brings the Actions up to date, even one that only
    // shrank, though nothing starts for a device that left.
    if (any_new || new_count != old_count) {
      const ActionList& actions = actions_.Current();
      for (const AttachedDevice& device : fresh) {
        if (!device.record) continue;
        said.Add("新しいデバイス: %s", device.record->DisplayName);
        StartBound(said, actions, device.hardware_id, '\0', device.instance, failures);
      }
    }
    Remember(fresh);
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
  }
}

void Dispatcher::ReportFailedStarts(const std::vector<FailedStart>& failures) {
  for (const FailedStart& failure : failures) {
    LogActivity(platform_, "アクション「%s」: 実行するスレッドを開始できませんでした（コード %u）",
                failure.name, failure.error);
    ShowSystemErrorNotice(platform_, failure.error, kThreadStartFailed, failure.name);
  }
}

}  // namespace mw
