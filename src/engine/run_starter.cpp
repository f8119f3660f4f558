#include "engine/run_starter.h"

#include <utility>

#include "notices/notices.h"

namespace mw {
namespace {
constexpr char kThreadStartFailed[] =
    "Mountwickからのエラー通知：\nアクションを実行するスレッドを開始できませんでした。\n\n"
    "アクション = %s\n";
}  // namespace

void RunStarter::StartBound(ActivityBatch& said, const ActionList& actions, const Origin& origin) {
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
      StartRun(std::move(run));
    }
  }
  if (other_count != 0)
    said.Add("ほかのデバイスまたはエントリのアクション %u 件: %s", other_count, others);
}

void RunStarter::StartRun(Run run) {
  const std::string name = run.action.Name;
  const std::shared_ptr<RemovalGroup> group = run.removal;
  pending_.AppendLocked(std::move(run));
  std::uint32_t error = 0;
  if (!platform_.threads.RunDetached(&RunnerThread, &context_, &error)) {
    // No thread will take this run; it must not stay for another runner, nor
    // hold back the removal of its group. No other member can have finished:
    // runners take their runs only once this dispatch lets go of the mutex.
    pending_.DropLastLocked();
    if (group) (void)group->Leave(nullptr);
    failures_.push_back({name, error});
    return;
  }
  last_start_ms_ = platform_.threads.Milliseconds();
}

void RunStarter::ReportFailedStarts() {
  // Taken first: a notice's message loop may start another dispatch.
  for (const FailedStart& failure : std::exchange(failures_, {})) {
    LogActivity(platform_, "アクション「%s」: 実行するスレッドを開始できませんでした（コード %u）",
                failure.name, failure.error);
    ShowSystemErrorNotice(platform_, failure.error, kThreadStartFailed, failure.name);
  }
}

}  // namespace mw
