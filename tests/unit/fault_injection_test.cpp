// A registration, a dispatch and a run replayed on fakes that fail one call
// at a time, every call in turn: first a clean replay counts the calls one
// fake receives, then each replay fails the next of them. Whatever fails,
// nothing crashes, nothing stays open, a failure the user is told of is told
// once with its own code, and the stored Action list survives.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "engine/dispatcher.h"
#include "engine/runner.h"
#include "fakes/fake_world.h"
#include "store/action_store.h"

namespace mw {
namespace {

using fake::FakeRegistry;

constexpr char kReader[] = "USB\\VID_0BDA&PID_0158";
constexpr char kStick[] = "USB\\VID_0951&PID_1666";
constexpr long kRegistryFault = 5;  // ERROR_ACCESS_DENIED

// The fakes whose calls are failed, one kind per pass.
enum class Port { Registry, Devices, Processes, Files, Threads };
constexpr Port kPorts[] = {Port::Registry, Port::Devices, Port::Processes, Port::Files,
                           Port::Threads};
const char* PortName(Port port) {
  static const char* const kNames[] = {"registry", "devices", "processes", "files", "threads"};
  return kNames[static_cast<int>(port)];
}

// A world with what a dispatch needs besides the fakes.
struct Stage {
  fake::FakeWorld world;
  DeviceDiffMutex mutex{world.threads};
  PendingRuns pending{mutex};
  std::unique_ptr<Dispatcher> dispatcher;
  Platform platform() { return world.platform(); }
};

struct Scenario {
  std::function<void(Stage&)> prepare;  // runs clean
  std::function<void(Stage&)> act;      // runs with one failing call
};

// Counts calls of one kind of fake and fails the k-th of them from now on.
class Injector {
 public:
  Injector(Stage& stage, Port port) : stage_(stage), port_(port) {}

  std::size_t Calls() const {
    fake::FakeWorld& world = stage_.world;
    switch (port_) {
      case Port::Registry:
        return world.registry.calls();
      case Port::Devices:
        return world.devices.faults.calls();
      case Port::Processes:
        return world.processes.faults.calls();
      case Port::Files:
        return world.files.faults.calls();
      case Port::Threads:
        return world.threads.faults.calls();
    }
    return 0;
  }

  void FailFromNow(std::size_t k) {
    fake::FakeWorld& world = stage_.world;
    const std::size_t target = Calls() + k;
    if (port_ == Port::Registry) {
      world.registry.SetFault([this, &world, target](FakeRegistry::Op op, const std::string&,
                                                     const std::string&) -> long {
        if (world.registry.calls() - 1 != target) return 0;
        failed_registry_op_ = op;
        return kRegistryFault;
      });
      return;
    }
    Faults()->fail_at = target;
  }

  // "registry" for the registry ("registry watch" for the change notification
  // a dispatch arms), else the name of the fake's call that failed.
  std::string FailedCall() const {
    if (port_ == Port::Registry) {
      if (!failed_registry_op_) return "";
      const FakeRegistry::Op op = *failed_registry_op_;
      const bool watch = op == FakeRegistry::Op::Open || op == FakeRegistry::Op::Notify ||
                         op == FakeRegistry::Op::Event;
      return watch ? "registry watch" : "registry";
    }
    const char* call = Faults()->failed_call;
    return call ? call : "";
  }
  std::optional<FakeRegistry::Op> FailedRegistryOp() const { return failed_registry_op_; }

  void Disarm() { stage_.world.registry.SetFault(nullptr); }

 private:
  fake::CallFaults* Faults() const {
    fake::FakeWorld& world = stage_.world;
    switch (port_) {
      case Port::Devices:
        return &world.devices.faults;
      case Port::Processes:
        return &world.processes.faults;
      case Port::Files:
        return &world.files.faults;
      case Port::Threads:
        return &world.threads.faults;
      case Port::Registry:
        break;
    }
    return nullptr;
  }

  Stage& stage_;
  Port port_;
  std::optional<FakeRegistry::Op> failed_registry_op_;
};

using Check = std::function<void(Stage&, const Injector&)>;

// Replays the scenario failing each call of each kind of fake in turn, and
// returns how many calls of each kind were failed.
std::map<Port, std::size_t> ReplayFailingEachCall(const Scenario& scenario, const Check& check) {
  std::map<Port, std::size_t> failed;
  for (Port port : kPorts) {
    std::size_t count = 0;
    {
      Stage clean;
      scenario.prepare(clean);
      Injector counter(clean, port);
      const std::size_t before = counter.Calls();
      scenario.act(clean);
      count = counter.Calls() - before;
    }
    for (std::size_t k = 0; k < count; ++k) {
      Stage stage;
      scenario.prepare(stage);
      Injector injector(stage, port);
      injector.FailFromNow(k);
      scenario.act(stage);
      stage.world.threads.JoinAll();
      injector.Disarm();
      SCOPED_TRACE(std::string(PortName(port)) + " call " + std::to_string(k) + " (" +
                   injector.FailedCall() + ")");
      if (injector.FailedCall().empty()) {
        ADD_FAILURE() << "the replay took another path than the clean one";
        continue;
      }
      check(stage, injector);
    }
    failed[port] = count;
  }
  return failed;
}

void Record(const char* scenario, const std::map<Port, std::size_t>& failed) {
  for (const auto& [port, count] : failed)
    ::testing::Test::RecordProperty(std::string(scenario) + "_" + PortName(port) + "_calls_failed",
                                    static_cast<int>(count));
}

// Nothing the failed operation opened stays open.
void ExpectNothingLeftOpen(Stage& stage) {
  stage.dispatcher.reset();  // it keeps the key it watches while it lives
  EXPECT_EQ(stage.world.registry.OpenKeyCount(), 0u);
  EXPECT_EQ(stage.world.registry.OpenEventCount(), 0u);
  EXPECT_EQ(stage.world.devices.OpenSets(), 0u);
  EXPECT_EQ(stage.world.processes.open_processes, 0);
}

bool Shows(const std::string& text, std::uint32_t code) {
  return text.find("SysErr(" + std::to_string(code) + ")") != std::string::npos;
}

// One notice carrying the failed call's code, or none at all.
void ExpectNotices(Stage& stage, int count, std::uint32_t code) {
  const std::vector<std::string> texts = stage.world.notices.Texts();
  ASSERT_EQ(static_cast<int>(texts.size()), count);
  if (count == 1) {
    EXPECT_TRUE(Shows(texts[0], code)) << texts[0];
  }
}

// --- the stored list ------------------------------------------------------

using Field = std::string Action::*;
constexpr Field kFields[] = {&Action::Name,
                             &Action::State,
                             &Action::HardwareID,
                             &Action::ExeFile,
                             &Action::Eject,
                             &Action::Ex_RunVolumeChk,
                             &Action::Ex_RunVolume,
                             &Action::Ex_RunPathChk,
                             &Action::Ex_RunPath,
                             &Action::Ex_RunWaitChk,
                             &Action::Ex_RunWait,
                             &Action::Ex_RmvWaitChk,
                             &Action::Ex_RmvWait,
                             &Action::Ex_RmvRetryChk,
                             &Action::Ex_RmvRetryWait,
                             &Action::Ex_RmvRetryCount};

// Every field differs from the defaults and from the same field of another tag.
Action Tagged(const std::string& tag) {
  Action action;
  for (Field field : kFields) action.*field = tag + "." + std::to_string(&field - kFields);
  return action;
}

// What loading gives for a field whose value is not stored.
Action Unstored() {
  Action action;
  action.State = "";
  action.Eject = "";
  return action;
}

ActionList TaggedList(const std::string& tag, int count) {
  ActionList list;
  for (int i = 0; i < count; ++i) list.push_back(Tagged(tag + std::to_string(i)));
  return list;
}

ActionList Stored(Stage& stage) {
  ActionList loaded;
  (void)LoadActions(stage.platform(), loaded);
  return loaded;
}

// What a save that failed one call leaves. The Actions within the new list
// are the new ones, except for the one value whose write failed: that one
// keeps its old text, or is missing where there was none. Beyond the new
// list only whole old Actions remain, never one stripped of some values. The
// list is at least as long as the shorter of the two, and after a failed
// write nothing at all was removed.
void ExpectOldOrNewPerField(const ActionList& loaded, const ActionList& old_list,
                            const ActionList& new_list) {
  EXPECT_GE(loaded.size(), std::min(old_list.size(), new_list.size()));
  EXPECT_LE(loaded.size(), std::max(old_list.size(), new_list.size()));
  const Action unstored = Unstored();
  int new_values_missing = 0;
  for (std::size_t i = 0; i < loaded.size() && i < new_list.size(); ++i) {
    for (Field field : kFields) {
      const std::string& text = loaded[i].*field;
      if (text == new_list[i].*field) continue;
      ++new_values_missing;
      const std::string& kept = i < old_list.size() ? old_list[i].*field : unstored.*field;
      EXPECT_EQ(text, kept) << "Action " << i;
    }
  }
  EXPECT_LE(new_values_missing, 1);
  for (std::size_t i = new_list.size(); i < loaded.size(); ++i)
    for (Field field : kFields) EXPECT_EQ(loaded[i].*field, old_list[i].*field) << "Action " << i;

  const bool write_failed = new_values_missing > 0 || loaded.size() < new_list.size();
  if (write_failed) {
    EXPECT_GE(loaded.size(), old_list.size());
  }
}

// --- registration ---------------------------------------------------------

TEST(FaultInjection, ARegistrationThatFailsOneCallKeepsTheStoredList) {
  struct Case {
    const char* name;
    int old_count;
    int new_count;
  };
  for (const Case& c : {Case{"grow", 2, 3}, Case{"shrink", 3, 2}, Case{"delete_all", 2, 0}}) {
    SCOPED_TRACE(c.name);
    const ActionList old_list = TaggedList("old", c.old_count);
    const ActionList new_list = TaggedList("new", c.new_count);
    const Scenario save{[&](Stage& stage) { SaveActions(stage.platform(), old_list); },
                        [&](Stage& stage) { SaveActions(stage.platform(), new_list); }};
    {
      Stage clean;
      save.prepare(clean);
      save.act(clean);
      ASSERT_EQ(Stored(clean).size(), new_list.size());
    }
    const auto failed = ReplayFailingEachCall(save, [&](Stage& stage, const Injector& injector) {
      ExpectNothingLeftOpen(stage);
      // Only the probe whether there is a list to delete is silent.
      const bool probe = injector.FailedRegistryOp() == FakeRegistry::Op::Open;
      ExpectNotices(stage, probe ? 0 : 1, kRegistryFault);
      // The key is opened once for the whole save: failing that changes nothing.
      const bool unopened = injector.FailedRegistryOp() == FakeRegistry::Op::Create;
      ExpectOldOrNewPerField(Stored(stage), old_list, unopened ? old_list : new_list);
    });
    EXPECT_GT(failed.at(Port::Registry), 0u);
    Record((std::string("save_") + c.name).c_str(), failed);
  }
}

TEST(FaultInjection, WhenTheEndMarkerCannotBeRemovedTheActionBehindItStaysWhole) {
  Stage stage;
  const ActionList old_list = TaggedList("old", 3);
  SaveActions(stage.platform(), old_list);
  stage.world.registry.SetFault(
      [](FakeRegistry::Op op, const std::string&, const std::string& name) -> long {
        return op == FakeRegistry::Op::DeleteValue && name == "2_Name" ? kRegistryFault : 0;
      });
  SaveActions(stage.platform(), TaggedList("new", 2));
  stage.world.registry.SetFault(nullptr);

  const ActionList loaded = Stored(stage);
  ASSERT_EQ(loaded.size(), 3u);
  for (Field field : kFields) EXPECT_EQ(loaded[2].*field, old_list[2].*field);
  EXPECT_EQ(stage.world.notices.shown.size(), 1u);
}

// --- dispatch and run -----------------------------------------------------

// Which failures the user hears of, with the code the notice shows.
struct Told {
  int notices;
  std::uint32_t code;
};
const std::map<std::string, Told> kTold = {
    {"registry", {1, kRegistryFault}},
    {"registry watch", {0, 0}},  // the list is then read at every event
    {"OpenUsbDeviceSet", {1, 5}},
    {"StartProcess", {1, 2}},
    {"ExpandEnvironment", {1, 206}},  // the line counts as too long
    {"StartDetachedThread", {1, 8}},
    // Read again or taken as "not there": a failed check ends a run quietly,
    // a device whose identifier cannot be read is not the one to remove.
    {"EnumDevice", {0, 0}},
    {"GetProperty", {0, 0}},
    {"RequestDeviceEject", {0, 0}},
    {"GetVolumeLabel", {0, 0}},
    {"FileAttributes", {0, 0}},
};

// The failed call's own notice exactly once. The one other notice a fault may
// bring: a run whose command line could not be read goes on with an empty one,
// and that start fails with its own notice.
void ExpectToldOnce(Stage& stage, const Injector& injector) {
  const auto told = kTold.find(injector.FailedCall());
  ASSERT_NE(told, kTold.end()) << "no expectation for " << injector.FailedCall();
  int own = 0;
  std::vector<std::string> others;
  for (const std::string& text : stage.world.notices.Texts()) {
    if (told->second.notices > 0 && Shows(text, told->second.code))
      ++own;
    else
      others.push_back(text);
  }
  EXPECT_EQ(own, told->second.notices);
  ASSERT_LE(others.size(), 1u);
  if (!others.empty()) {
    EXPECT_EQ(injector.FailedCall(), "registry");
    EXPECT_TRUE(Shows(others[0], 2)) << others[0];
    EXPECT_NE(others[0].find("起動アプリ = \n"), std::string::npos) << others[0];
  }
}

// A volume Action that checks the new drive, runs a program and removes the
// device with a retry; one without checks; one disabled; one for a stick.
ActionList DispatchedActions() {
  Action checked;
  checked.Name = "写真の取り込み";
  checked.HardwareID = kGenericVolumeId;
  checked.ExeFile = "C:\\TOOLS\\IMPORT.EXE %_newdrv_%:\\DCIM";
  checked.Eject = "1";
  checked.Ex_RunVolumeChk = "1";
  checked.Ex_RunVolume = "PHOTOS";
  checked.Ex_RunPathChk = "1";
  checked.Ex_RunPath = "DCIM";
  checked.Ex_RmvRetryChk = "1";
  checked.Ex_RmvRetryCount = "2";
  Action plain;
  plain.Name = "Plain";
  plain.HardwareID = kGenericVolumeId;
  plain.ExeFile = "%WINDIR%\\EXPLORER.EXE %_newdrv_%:\\";
  Action disabled = plain;
  disabled.Name = "Off";
  disabled.State = "1";
  Action stick;
  stick.Name = "Stick";
  stick.HardwareID = kStick;
  stick.ExeFile = "C:\\TOOLS\\BACKUP.EXE";
  stick.Eject = "1";
  stick.Ex_RmvRetryChk = "1";
  return {checked, plain, disabled, stick};
}

void PrepareDispatch(Stage& stage) {
  fake::FakeWorld& world = stage.world;
  world.threads.run_threads_inline = true;
  world.processes.environment = {{"WINDIR", "C:\\WINDOWS"}};
  world.files.volumes["E:\\"] = "Photos";
  world.files.existing_paths = {"E:\\DCIM"};
  world.devices.Add(fake::FakeDevice{}.Multi(setup::kSpdrpHardwareId, {kReader}));
  world.devices.eject_answers[2] = {setup::kCrRemoveVetoed, setup::kCrSuccess};
  SaveActions(stage.platform(), DispatchedActions());
  stage.dispatcher = std::make_unique<Dispatcher>(stage.platform(), stage.pending);
}

void ExpectDispatchOutcome(Stage& stage, const Injector& injector) {
  ExpectNothingLeftOpen(stage);
  ExpectToldOnce(stage, injector);
  // A dispatch only reads the list.
  EXPECT_EQ(Stored(stage).size(), DispatchedActions().size());
}

TEST(FaultInjection, AVolumeArrivalThatFailsOneCallIsSafe) {
  const Scenario arrival{PrepareDispatch,
                         [](Stage& stage) { stage.dispatcher->DispatchVolumeArrival('E'); }};
  {
    Stage clean;
    arrival.prepare(clean);
    arrival.act(clean);
    ASSERT_EQ(clean.world.processes.StartedCommands(),
              (std::vector<std::string>{"C:\\TOOLS\\IMPORT.EXE E:\\DCIM",
                                        "C:\\WINDOWS\\EXPLORER.EXE E:\\"}));
    ASSERT_TRUE(clean.world.notices.shown.empty());
  }
  const auto failed = ReplayFailingEachCall(arrival, ExpectDispatchOutcome);
  for (Port port : kPorts) EXPECT_GT(failed.at(port), 0u) << PortName(port);
  Record("volume_arrival", failed);
}

TEST(FaultInjection, ADeviceListChangeThatFailsOneCallIsSafe) {
  const Scenario plugging{
      [](Stage& stage) {
        PrepareDispatch(stage);
        stage.world.devices.Add(fake::FakeDevice{}.Multi(setup::kSpdrpHardwareId, {kStick}));
      },
      [](Stage& stage) { stage.dispatcher->DispatchDeviceListChange(); }};
  {
    Stage clean;
    plugging.prepare(clean);
    plugging.act(clean);
    ASSERT_EQ(clean.world.processes.StartedCommands(),
              std::vector<std::string>{"C:\\TOOLS\\BACKUP.EXE "});
    ASSERT_EQ(clean.world.devices.EjectRequests(), (std::vector<std::uint32_t>{2, 2}));
  }
  const auto failed = ReplayFailingEachCall(plugging, ExpectDispatchOutcome);
  for (Port port : {Port::Registry, Port::Devices, Port::Processes, Port::Threads})
    EXPECT_GT(failed.at(port), 0u) << PortName(port);
  Record("device_list_change", failed);
}

TEST(FaultInjection, ARunThatFailsOneCallIsSafe) {
  Action run = DispatchedActions().front();
  run.DriveLetter = 'E';
  run.HardwareID = kStick;
  run.Ex_RmvWaitChk = "1";
  const Scenario execute{
      [](Stage& stage) {
        PrepareDispatch(stage);
        stage.world.devices.Add(fake::FakeDevice{}.Multi(setup::kSpdrpHardwareId, {kStick}));
      },
      [&run](Stage& stage) { ExecuteRun(stage.platform(), run); }};
  {
    Stage clean;
    execute.prepare(clean);
    execute.act(clean);
    ASSERT_EQ(clean.world.processes.started.size(), 1u);
    ASSERT_EQ(clean.world.devices.EjectRequests().size(), 2u);
  }
  const auto failed = ReplayFailingEachCall(execute, [](Stage& stage, const Injector& injector) {
    ExpectNothingLeftOpen(stage);
    ExpectToldOnce(stage, injector);
  });
  for (Port port : {Port::Devices, Port::Processes, Port::Files})
    EXPECT_GT(failed.at(port), 0u) << PortName(port);
  Record("run", failed);
}

}  // namespace
}  // namespace mw
