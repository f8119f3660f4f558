#include "engine/dispatcher.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "fakes/fake_device_trees.h"
#include "fakes/fake_world.h"
#include "store/action_store.h"

namespace mw {
namespace {

constexpr char kReader[] = "USB\\READER";
constexpr char kStick[] = "USB\\STICK";
constexpr std::uintptr_t kArrival = 0x8000, kNodesChanged = 0x0007;

// A drive's Action is given the new drive; a device's is not (it would wait for one).
Action Bound(const std::string& name, const std::string& id, const std::string& state = "0",
             const std::string& more = "") {
  const bool drive = id.rfind("MESSAGE://", 0) == 0;
  return fake::MakeAction("Name=" + name + ";HardwareID=" + id + ";State=" + state + more +
                          ";ExeFile=C:\\" + name + ".EXE" + (drive ? " %_newdrv_%" : ""));
}

// A world with a dispatcher on it; a runner thread runs before its start returns.
struct Stage {
  Stage() { world.run_threads_inline = true; }
  void Start(const ActionList& actions, const std::vector<std::string>& devices) {
    for (const std::string& id : devices) Plug(id);
    SaveActions(world.platform(), actions);
    dispatcher = std::make_unique<Dispatcher>(world.platform(), pending, wake);
  }
  void Plug(const std::string& id) {
    world.Add(fake::FakeDevice{}.Multi(setup::kSpdrpHardwareId, {id}));
  }
  void Broadcast(std::uintptr_t wparam, const std::vector<unsigned char>& record = {}) {
    dispatcher->Dispatch(RouteDeviceChange(wparam, record.empty() ? nullptr : record.data()));
  }
  std::vector<std::string> Started() { return world.StartedCommands(); }

  fake::FakeWorld world;
  DeviceDiffMutex mutex{world};
  PendingRuns pending{mutex};
  Dispatcher::Wake wake;  // none: lists are read in place
  std::unique_ptr<Dispatcher> dispatcher;
};

struct Dispatching : ::testing::Test, Stage {};

TEST_F(Dispatching, ArrivalsStartTheEnabledActionsOfTheirGenericEntryInStoredOrder) {
  Start({Bound("V1", kGenericVolumeId), Bound("M1", kGenericMediaId),
         Bound("V2", kGenericVolumeId, ""), Bound("Off", kGenericVolumeId, "1"),
         Bound("V3", kGenericVolumeId, "2", ";Eject=1"),
         Bound("Case", "message://dbt_devicearrival/volume")},
        {});
  Broadcast(kArrival, fake::VolumeRecord(0x30));        // the lowest drive: E
  Broadcast(kArrival, fake::VolumeRecord(1u << 6, 1));  // a medium
  // Network drives and media, other devices, short records, no drive, a removal.
  for (const auto& ignored :
       {fake::VolumeRecord(8, 2), fake::VolumeRecord(8, 3), fake::VolumeRecord(8, 0, 20, 5),
        fake::VolumeRecord(8, 0, 12), fake::VolumeRecord(1u << 26)})
    Broadcast(kArrival, ignored);
  Broadcast(0x8004, fake::VolumeRecord(8));
  // Another writer, as the registry editor would be: the next dispatch reads its change.
  world.PutString("HKCU\\software\\Quillory\\Mountwick\\1.0\\Actions", "0_ExeFile", "C:\\NEW.EXE");
  Broadcast(kArrival, fake::VolumeRecord(1));
  EXPECT_EQ(Started(), (std::vector<std::string>{"C:\\V1.EXE E", "C:\\V2.EXE E", "C:\\V3.EXE E",
                                                 "C:\\M1.EXE G", "C:\\NEW.EXE", "C:\\V2.EXE A",
                                                 "C:\\V3.EXE A"}));
  EXPECT_TRUE(world.shown.empty());
  // The log tells the disabled Action, the others' on one line, why a broadcast was ignored,
  // and that a drive no USB device holds is asked of no one.
  for (const char* said : {"ボリュームの到着: E:", "アクション「Off」: 無効",
                           "「V3」: ドライブを持つ USB デバイスがないので、取り外しを求めません",
                           "ほかのデバイスまたはエントリのアクション 2 件: M1、Case",
                           "ボリュームの到着を無視しました: ネットワークドライブ"})
    EXPECT_THAT(world.activity, testing::Contains(testing::HasSubstr(said)));
}

// Lists are read on the pool: changes that come meanwhile are one more
// reading; only devices the last list lacks are read in full. A device named
// by its own interface arrival is read alone and started at once, once, even
// while a list that lacks it is read.
TEST_F(Dispatching, ListChangesWhileOneIsReadBecomeOneMoreAndAnArrivalIsReadAlone) {
  int wakes = 0;
  wake = [&] { ++wakes; };
  Start({Bound("Stick", kStick), Bound("Reader", kReader), Bound("Cam", "USB\\CAM"),
         Bound("Cam2", "USB\\CAM2")},
        {"USB\\HUB", "USB\\KEYBOARD"});
  std::map<fake::Call, int> reads;  // per call
  world.fault = [&](fake::Call call, const std::string&) { return ++reads[call], 0L; };
  Broadcast(kNodesChanged);
  Plug(kStick);
  Plug(kReader);
  for (int i = 0; i < 3; ++i) Broadcast(kNodesChanged);
  EXPECT_EQ(reads[fake::Call::kOpenUsbDeviceSet], 1);
  dispatcher->FinishEnumeration();  // nothing new in the first; the gathered ones are read
  EXPECT_TRUE(Started().empty());
  for (int i = 0; i < 2; ++i) dispatcher->FinishEnumeration();  // none waits: none read
  EXPECT_EQ(reads[fake::Call::kOpenUsbDeviceSet], 2);
  EXPECT_EQ(wakes, 2);
  EXPECT_EQ(Started(), (std::vector<std::string>{"C:\\Stick.EXE", "C:\\Reader.EXE"}));

  // Two cameras arrive by their interface while a list is read: one plugged
  // before the reading began (read in full there), one after (missing there).
  const auto camera = [&](const std::string& serial) {
    fake::FakeDevice device;
    device.instance_id = "USB\\VID_1&PID_2\\" + serial;
    world.Add(device.Multi(setup::kSpdrpHardwareId, {"USB\\" + serial}));
    return "\\\\?\\usb#vid_1&pid_2#" + serial + "#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
  };
  const std::string before = camera("CAM");
  // Read a little later, since programs just started; the readings before did not wait.
  EXPECT_TRUE(world.sleeps.empty());
  Broadcast(kNodesChanged);
  EXPECT_EQ(world.sleeps, std::vector<std::uint32_t>{Dispatcher::kStartQuietMilliseconds});
  const std::string after = camera("CAM2");
  std::vector<unsigned char> unnamed = fake::InterfaceRecord(before);
  unnamed[0] = 28;  // its size leaves no room for the name
  for (const auto& ignored :
       {fake::InterfaceRecord(before, false), fake::InterfaceRecord("usb#vid_1&pid_2#cam#{x}"),
        fake::InterfaceRecord("\\\\?\\#{x}"), unnamed})
    Broadcast(kArrival, ignored);
  EXPECT_EQ(Started().size(), 2u);
  Broadcast(kArrival, fake::InterfaceRecord(before + "\\ref"));
  Broadcast(kArrival, fake::InterfaceRecord(after));
  EXPECT_EQ(Started().size(), 4u);
  EXPECT_EQ(Started().back(), "C:\\Cam2.EXE");
  for (int i = 0; i < 2; ++i) {  // the list of the reading, then one that has both
    dispatcher->FinishEnumeration();
    Broadcast(kNodesChanged);
  }
  for (const std::string& each : {before, after}) Broadcast(kArrival, fake::InterfaceRecord(each));
  EXPECT_EQ(Started().size(), 4u);
  EXPECT_EQ(world.sleeps.size(), 2u);  // the last reading came a quiet after the starts
  EXPECT_THAT(world.activity, testing::Contains(testing::HasSubstr("一覧にあるデバイスです")));
  dispatcher->FinishEnumeration();
  Plug(kStick);  // a twin; the pool refuses its list's reading, which is done in place
  world.fault = [once = true](fake::Call call, const std::string&) mutable {
    return call == fake::Call::kRunDetached && std::exchange(once, false) ? 8L : 0L;
  };
  Broadcast(kNodesChanged);
  EXPECT_EQ(Started().back(), "C:\\Stick.EXE");
}

// A failed enumeration is told once and never becomes the last list; after
// one at start-up the first list read is the baseline. A broadcast that comes
// during the notice is handled once it is answered, not inside it.
TEST(FailedEnumeration, NeverBecomesTheLastListAndABroadcastDuringItsNoticeWaits) {
  for (const bool at_start : {false, true}) {
    SCOPED_TRACE(at_start ? "at start-up" : "later");
    Stage s;
    if (at_start) s.world.FailAlways(fake::Call::kOpenUsbDeviceSet, 5);
    s.Start({Bound("Reader", kReader), Bound("Volume", kGenericVolumeId)}, {kReader});
    s.world.FailAlways(fake::Call::kOpenUsbDeviceSet, 5);
    std::vector<std::string> started_inside = {"no notice"};
    s.world.while_shown = [&] {
      s.Broadcast(kArrival, fake::VolumeRecord(1u << 4));
      started_inside = s.Started();
    };
    s.Broadcast(kNodesChanged);
    EXPECT_TRUE(started_inside.empty());
    s.world.fault = nullptr;
    s.Broadcast(kNodesChanged);  // the reader was there all along
    EXPECT_EQ(s.Started(), std::vector<std::string>{"C:\\Volume.EXE E"});
    EXPECT_EQ(s.world.shown.size(), at_start ? 2u : 1u);  // one per failed enumeration
  }
}

// A stick that took another's place between two lists is new, though the
// count stays; a message that the list is ready, come while it is still
// read, compares nothing.
TEST_F(Dispatching, AStickInAnothersPlaceIsNewAndAListIsComparedOnlyOnceRead) {
  wake = [] {};
  Start({Bound("Stick", kStick)}, {kReader});
  world.devices.front().present = false;
  Plug(kStick);
  world.fault = [&](fake::Call call, const std::string&) {
    if (call == fake::Call::kOpenUsbDeviceSet) dispatcher->FinishEnumeration();
    return 0L;
  };
  Broadcast(kNodesChanged);
  world.fault = nullptr;
  EXPECT_TRUE(Started().empty());
  dispatcher->FinishEnumeration();
  EXPECT_EQ(Started(), std::vector<std::string>{"C:\\Stick.EXE"});
}

// A stick's run that waits for its drive looks again as soon as a volume
// arrives, without waiting for its next look.
TEST_F(Dispatching, AVolumeArrivalWakesTheRunsThatWaitForTheirDevicesDrive) {
  Start({fake::MakeAction("Name=B;ExeFile=C:\\B.EXE %_newdrv_%:\\;HardwareID=" +
                          std::string(fake::kStickHardwareId))},
        {});
  (void)fake::UsbStick(world, 'H');
  const auto drive = world.storage.drives.extract('H');
  world.while_waiting = [&, then = drive.mapped()] {
    world.storage.drives['H'] = then;
    Broadcast(kArrival, fake::VolumeRecord(1u << 7));
  };
  Broadcast(kNodesChanged);
  EXPECT_EQ(Started(), std::vector<std::string>{"C:\\B.EXE H:\\"});
  EXPECT_TRUE(world.sleeps.empty());
}

constexpr long kCode = 5;  // ERROR_ACCESS_DENIED, whatever the call

// A volume Action that checks the new drive, runs a program and removes the
// device that holds it with a retry; one without checks; one disabled; and
// the first again for the stick, on its drive.
ActionList DispatchedActions() {
  const std::string checks =
      "Eject=1;Ex_RunVolumeChk=1;Ex_RunVolume=PHOTOS;Ex_RunPathChk=1;Ex_RunPath=DCIM;"
      "Ex_RmvRetryChk=1;Ex_RmvWaitChk=1;Ex_RmvRetryCount=2;";
  const std::string plain = std::string("HardwareID=") + kGenericVolumeId +
                            ";ExeFile=%WINDIR%\\EXPLORER.EXE %_newdrv_%:\\";
  return {fake::MakeAction(checks + "HardwareID=" + kGenericVolumeId +
                           ";ExeFile=C:\\TOOLS\\IMPORT.EXE %_newdrv_%:\\DCIM"),
          fake::MakeAction(plain), fake::MakeAction(plain + ";State=1"),
          fake::MakeAction(checks + "HardwareID=" + fake::kStickHardwareId +
                           ";ExeFile=C:\\TOOLS\\BACKUP.EXE %_newdrv_%:")};
}

// A volume arrival and a new stick dispatched, replayed failing one call at a
// time, every fallible call in turn: a clean replay counts the calls, then each
// replay fails the next of them. Whatever fails, nothing stays open or pending,
// a failure the user is told of is told once with its own code, and the stored
// list survives.
struct Replay : Stage {
  Replay() {
    world.environment = {{"WINDIR", "C:\\WINDOWS"}};
    world.volumes["E:\\"] = "Photos";
    world.existing_paths = {"E:\\DCIM"};
    Start(DispatchedActions(), {kReader});
    (void)fake::UsbStick(world, 'E');  // plugged now, its volume on E:
    world.devices.back().eject_answers = {setup::kCrRemoveVetoed, setup::kCrSuccess};
    world.volumes["E:\\"] = "Photos";
  }
  // Both dispatches with their `fail`-th fallible call failing; the calls they made.
  std::size_t Dispatch(std::size_t fail, std::optional<fake::Call>& failed) {
    const std::size_t first = world.calls;
    world.fault = [&, target = first + fail](fake::Call call, const std::string&) {
      return world.calls - 1 == target ? (failed = call, kCode) : 0L;
    };
    dispatcher->Dispatch({DeviceEvent::VolumeArrived, 'E'});
    dispatcher->Dispatch({DeviceEvent::DeviceListChanged});
    world.fault = nullptr;
    dispatcher.reset();  // it keeps the key it watches while it lives
    return world.calls - first;
  }
};

TEST(FaultInjection, ADispatchAndItsRunsThatFailOneCallAreSafe) {
  // The failed call's own notice exactly once, or none for what is read again
  // or taken as "not there".
  // A job that cannot be had only narrows the wait, which the log says.
  using C = fake::Call;
  static const std::set<C> kSilent = {
      C::kOpenKey,        C::kEnumDevice,        C::kGetProperty,       C::kRequestDeviceEject,
      C::kGetVolumeLabel, C::kFileAttributes,    C::kCreateWaitableJob, C::kAssignToJob,
      C::kGetInstanceId,  C::kActiveJobProcesses};
  static const std::set<C> kTold = {C::kCreateKey,    C::kQueryValue,  C::kOpenUsbDeviceSet,
                                    C::kStartProcess, C::kRunDetached, C::kExpandEnvironment,
                                    C::kResumeThread};
  Replay clean;
  std::optional<fake::Call> none;
  const std::size_t count = clean.Dispatch(std::string::npos, none);
  ASSERT_EQ(
      clean.world.StartedCommands(),
      (std::vector<std::string>{"C:\\TOOLS\\IMPORT.EXE E:\\DCIM", "C:\\WINDOWS\\EXPLORER.EXE E:\\",
                                "C:\\TOOLS\\BACKUP.EXE E:"}));
  ASSERT_EQ(clean.world.eject_requests.size(), 3u);  // refused once, then granted; then again
  ASSERT_TRUE(clean.world.shown.empty() && !none);
  for (std::size_t k = 0; k < count; ++k) {
    Replay stage;
    std::optional<fake::Call> failed;
    stage.Dispatch(k, failed);
    ASSERT_TRUE(failed) << "the replay took another path than the clean one";
    const fake::Call call = *failed;
    SCOPED_TRACE("call " + std::to_string(k) + " (" + fake::CallName(call) + ")");
    ASSERT_TRUE(kTold.count(call) || kSilent.count(call)) << "no expectation";
    EXPECT_EQ(
        std::make_tuple(stage.world.open_keys(), stage.world.open_sets(),
                        stage.world.open_processes, stage.world.open_jobs, stage.world.MutexHeld()),
        std::make_tuple(0u, 0u, 0, 0, false));      // keys, sets, processes, jobs, the mutex
    EXPECT_EQ(stage.pending.Take(), std::nullopt);  // a run whose thread failed is dropped
    const std::string code =                        // a failed expansion counts as a line too long
        "SysErr(" + std::to_string(call == fake::Call::kExpandEnvironment ? 206 : kCode) + ")";
    std::vector<std::string> others;
    for (const std::string& text : stage.world.Texts())
      if (!kTold.count(call) || text.find(code) == std::string::npos) others.push_back(text);
    // No USB set where a drive's device is looked for only means none is found (the
    // log says so, and a wait for a device's drive looks again): told only by a list
    // or a removal.
    const auto logged = [&](const char* text) {
      return std::ranges::any_of(stage.world.activity, [&](const std::string& line) {
        return line.find(text) != std::string::npos;
      });
    };
    const bool told = kTold.count(call) && (call != fake::Call::kOpenUsbDeviceSet ||
                                            logged("一覧を取得できませんでした") ||
                                            logged("取り外し: デバイス情報を取得できません"));
    EXPECT_EQ(stage.world.shown.size() - others.size(), told ? 1u : 0u);
    // The one other notice a fault may bring: a run whose command line could
    // not be read goes on with an empty one, and that start fails on its own.
    ASSERT_LE(others.size(), 1u);
    if (!others.empty()) {
      EXPECT_EQ(call, fake::Call::kQueryValue);
      EXPECT_NE(others[0].find("起動アプリ = \n\nSysErr(2)"), std::string::npos) << others[0];
    }
    ActionList stored;  // a dispatch only reads the list
    (void)LoadActions(stage.world.platform(), stored);
    EXPECT_EQ(stored.size(), 4u);
  }
}

}  // namespace
}  // namespace mw
