#include "engine/dispatcher.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "fakes/fake_world.h"
#include "store/action_store.h"

namespace mw {
namespace {

constexpr char kReader[] = "USB\\VID_0BDA&PID_0158";
constexpr char kStick[] = "USB\\VID_0951&PID_1666";

// DEV_BROADCAST_VOLUME as the system lays it out.
std::vector<unsigned char> VolumeBroadcast(std::uint32_t mask, std::uint16_t flags,
                                           std::uint32_t size = 20, std::uint32_t type = 2) {
  std::vector<unsigned char> bytes(20, 0);
  std::memcpy(&bytes[0], &size, 4);
  std::memcpy(&bytes[4], &type, 4);
  std::memcpy(&bytes[12], &mask, 4);
  std::memcpy(&bytes[16], &flags, 2);
  return bytes;
}

Action Bound(const std::string& name, const std::string& hardware_id,
             const std::string& state = "0") {
  Action action;
  action.Name = name;
  action.HardwareID = hardware_id;
  action.State = state;
  action.ExeFile = "C:\\" + name + ".EXE %_newdrv_%";
  return action;
}

fake::FakeDevice Device(const std::string& hardware_id) {
  return fake::FakeDevice{}.Multi(setup::kSpdrpHardwareId, {hardware_id});
}

class DispatcherTest : public ::testing::Test {
 protected:
  DispatcherTest() { world_.threads.run_threads_inline = true; }

  void Store(const ActionList& actions) { SaveActions(world_.platform(), actions); }
  Dispatcher& Make() {
    dispatcher_ = std::make_unique<Dispatcher>(world_.platform(), pending_);
    return *dispatcher_;
  }
  std::vector<std::string> Started() const { return world_.processes.StartedCommands(); }

  fake::FakeWorld world_;
  DeviceDiffMutex mutex_{world_.threads};
  PendingRuns pending_{mutex_};
  std::unique_ptr<Dispatcher> dispatcher_;
};

TEST(DeviceChangeRouting, DriveLetterIsTheLowestSetBit) {
  EXPECT_EQ(DriveLetterFromMask(1u << 0), 'A');
  EXPECT_EQ(DriveLetterFromMask(1u << 3), 'D');
  EXPECT_EQ(DriveLetterFromMask(1u << 25), 'Z');
  EXPECT_EQ(DriveLetterFromMask((1u << 4) | (1u << 5)), 'E');
  EXPECT_EQ(DriveLetterFromMask(1u << 26), '\0');
  EXPECT_EQ(DriveLetterFromMask(0), '\0');
}

TEST(DeviceChangeRouting, RoutesByMessageTypeAndFlags) {
  struct Case {
    std::string name;
    std::uintptr_t wparam;
    std::vector<unsigned char> broadcast;
    DeviceEvent event;
    char letter;
  };
  const std::vector<Case> cases = {
      {"device nodes changed", 0x0007, {}, DeviceEvent::DeviceListChanged, '\0'},
      {"volume", 0x8000, VolumeBroadcast(0x30, 0), DeviceEvent::VolumeArrived, 'E'},
      {"medium", 0x8000, VolumeBroadcast(1u << 3, 1), DeviceEvent::MediaArrived, 'D'},
      {"network", 0x8000, VolumeBroadcast(1u << 3, 2), DeviceEvent::None, '\0'},
      {"network medium", 0x8000, VolumeBroadcast(1u << 3, 3), DeviceEvent::None, '\0'},
      {"other device type", 0x8000, VolumeBroadcast(1u << 3, 0, 20, 5), DeviceEvent::None, '\0'},
      {"header only", 0x8000, VolumeBroadcast(1u << 3, 0, 12), DeviceEvent::None, '\0'},
      {"no drive bit", 0x8000, VolumeBroadcast(0, 0), DeviceEvent::None, '\0'},
      {"removal", 0x8004, VolumeBroadcast(1u << 3, 0), DeviceEvent::None, '\0'},
      {"query remove", 0x8001, VolumeBroadcast(1u << 3, 0), DeviceEvent::None, '\0'},
  };
  for (const Case& c : cases) {
    const RoutedDeviceChange routed =
        RouteDeviceChange(c.wparam, c.broadcast.empty() ? nullptr : c.broadcast.data());
    EXPECT_EQ(routed.event, c.event) << c.name;
    EXPECT_EQ(routed.letter, c.letter) << c.name;
  }
  EXPECT_EQ(RouteDeviceChange(0x8000, nullptr).event, DeviceEvent::None);
}

TEST_F(DispatcherTest, ArrivalsStartTheEnabledActionsOfTheirGenericEntryInStoredOrder) {
  Store({Bound("V1", kGenericVolumeId), Bound("M1", kGenericMediaId),
         Bound("V2", kGenericVolumeId, ""), Bound("Off", kGenericVolumeId, "1"),
         Bound("V3", kGenericVolumeId, "2"), Bound("Case", "message://dbt_devicearrival/volume")});
  Dispatcher& dispatcher = Make();
  auto volume = VolumeBroadcast(0x30, 0);
  dispatcher.OnDeviceChange(0x8000, volume.data());
  EXPECT_EQ(Started(), (std::vector<std::string>{"C:\\V1.EXE E", "C:\\V2.EXE E", "C:\\V3.EXE E"}));

  world_.processes.started.clear();
  auto medium = VolumeBroadcast(1u << 6, 1);
  dispatcher.OnDeviceChange(0x8000, medium.data());
  EXPECT_EQ(Started(), std::vector<std::string>{"C:\\M1.EXE G"});

  world_.processes.started.clear();
  auto network = VolumeBroadcast(1u << 6, 3);
  dispatcher.OnDeviceChange(0x8000, network.data());
  EXPECT_TRUE(Started().empty());
}

TEST_F(DispatcherTest, TheListIsReadAgainAfterAChangeAndEveryTimeWhenItCannotBeWatched) {
  for (const bool watchable : {true, false}) {
    SCOPED_TRACE(watchable ? "watched" : "unwatchable");
    world_.registry.SetFault(
        [watchable](fake::FakeRegistry::Op op, const std::string&, const std::string&) {
          return !watchable && op == fake::FakeRegistry::Op::Notify ? 5L : 0L;
        });
    Store({Bound("V", kGenericVolumeId)});
    Dispatcher& dispatcher = Make();
    world_.processes.started.clear();
    dispatcher.DispatchVolumeArrival('E');
    const std::size_t before = world_.registry.calls();
    dispatcher.DispatchVolumeArrival('E');
    const std::size_t calls = world_.registry.calls() - before;
    // Another writer, as the registry editor would be.
    world_.registry.PutString("HKCU\\software\\Quillory\\Mountwick\\1.0\\Actions", "0_ExeFile",
                              "C:\\NEW.EXE %_newdrv_%");
    dispatcher.DispatchVolumeArrival('F');
    EXPECT_EQ(Started(), (std::vector<std::string>{"C:\\V.EXE E", "C:\\V.EXE E", "C:\\NEW.EXE F"}));
    if (watchable)
      EXPECT_EQ(calls, 1u);  // only the test of the change event
    else
      EXPECT_GT(calls, 16u);  // every value again
    EXPECT_TRUE(world_.notices.shown.empty());
  }
}

TEST_F(DispatcherTest, ANewDeviceStartsItsActionsWithoutALetterOnce) {
  world_.devices.Add(Device(kReader));
  Store({Bound("Reader", kReader), Bound("Stick1", kStick), Bound("Stick2", kStick),
         Bound("StickOff", kStick, "1"), Bound("Volume", kGenericVolumeId)});
  Dispatcher& dispatcher = Make();
  ASSERT_EQ(dispatcher.LastDeviceList().size(), 3u);  // the reader and the generic entries

  world_.devices.Add(Device(kStick));
  dispatcher.OnDeviceChange(0x0007, nullptr);
  // Generic entries stand in every list: they never count as new.
  EXPECT_EQ(Started(),
            (std::vector<std::string>{"C:\\Stick1.EXE %_newdrv_%", "C:\\Stick2.EXE %_newdrv_%"}));
  dispatcher.OnDeviceChange(0x0007, nullptr);  // the same plugging broadcast again
  EXPECT_EQ(Started().size(), 2u);
}

TEST_F(DispatcherTest, ARemovedOrSwappedDeviceStartsNothing) {
  world_.devices.Add(Device(kReader));
  world_.devices.Add(Device(kStick));
  Store({Bound("Reader", kReader), Bound("Stick", kStick)});
  Dispatcher& dispatcher = Make();

  world_.devices.devices[1].present = false;
  dispatcher.OnDeviceChange(0x0007, nullptr);
  EXPECT_EQ(dispatcher.LastDeviceList().size(), 3u);
  // One left and another came between two broadcasts: the count is unchanged.
  world_.devices.devices[0].present = false;
  world_.devices.devices[1].present = true;
  dispatcher.OnDeviceChange(0x0007, nullptr);
  EXPECT_TRUE(Started().empty());
  EXPECT_EQ(dispatcher.LastDeviceList().front().HardwareID, kStick);
}

TEST_F(DispatcherTest, AFailedEnumerationNeverBecomesTheLastList) {
  world_.devices.Add(Device(kReader));
  Store({Bound("Reader", kReader), Bound("Volume", kGenericVolumeId)});
  Dispatcher& dispatcher = Make();
  world_.devices.open_fails = true;
  dispatcher.OnDeviceChange(0x0007, nullptr);
  EXPECT_EQ(world_.notices.shown.size(), 1u);
  EXPECT_EQ(dispatcher.LastDeviceList().size(), 3u);
  world_.devices.open_fails = false;
  dispatcher.OnDeviceChange(0x0007, nullptr);
  // Neither the reader nor the generic entries count as new afterwards.
  EXPECT_TRUE(Started().empty());
}

TEST_F(DispatcherTest, AfterAFailedStartupListTheFirstGoodListIsTheBaseline) {
  world_.devices.Add(Device(kReader));
  Store({Bound("Reader", kReader), Bound("Volume", kGenericVolumeId)});
  world_.devices.open_fails = true;
  Dispatcher& dispatcher = Make();
  EXPECT_TRUE(dispatcher.LastDeviceList().empty());
  world_.devices.open_fails = false;
  dispatcher.OnDeviceChange(0x0007, nullptr);
  EXPECT_TRUE(Started().empty());
  world_.devices.Add(Device(kStick));
  Store({Bound("Stick", kStick)});
  dispatcher.OnDeviceChange(0x0007, nullptr);
  EXPECT_EQ(Started(), std::vector<std::string>{"C:\\Stick.EXE %_newdrv_%"});
}

TEST_F(DispatcherTest, WhileSettingsAreAbsentNothingIsDispatched) {
  Store({Bound("Stick", kStick), Bound("Volume", kGenericVolumeId)});
  Dispatcher& dispatcher = Make();
  dispatcher.SetSettingsAbsent(true);
  world_.devices.Add(Device(kStick));
  dispatcher.OnDeviceChange(0x0007, nullptr);
  auto volume = VolumeBroadcast(1u << 4, 0);
  dispatcher.OnDeviceChange(0x8000, volume.data());
  EXPECT_TRUE(Started().empty());
  EXPECT_EQ(dispatcher.LastDeviceList().size(), 2u);  // still the start-up list
  // Cleared: the device attached meanwhile counts as new.
  dispatcher.SetSettingsAbsent(false);
  dispatcher.OnDeviceChange(0x0007, nullptr);
  EXPECT_EQ(Started(), std::vector<std::string>{"C:\\Stick.EXE %_newdrv_%"});
}

TEST_F(DispatcherTest, ABroadcastDuringANoticeIsHandledRightAfterNotNested) {
  Store({Bound("Volume", kGenericVolumeId)});
  Dispatcher& dispatcher = Make();
  world_.devices.open_fails = true;
  std::vector<std::string> started_inside;
  bool nested_once = false;
  world_.notices.while_shown = [&] {
    if (nested_once) return;
    nested_once = true;
    auto volume = VolumeBroadcast(1u << 4, 0);
    dispatcher.OnDeviceChange(0x8000, volume.data());
    started_inside = Started();
  };
  dispatcher.OnDeviceChange(0x0007, nullptr);
  EXPECT_TRUE(started_inside.empty());
  EXPECT_EQ(Started(), std::vector<std::string>{"C:\\Volume.EXE E"});
}

TEST_F(DispatcherTest, ARunWhoseThreadCannotStartIsDroppedAndReported) {
  Store({Bound("Volume", kGenericVolumeId)});
  Dispatcher& dispatcher = Make();
  world_.threads.fail_thread_start = true;
  world_.notices.system_texts[8] = "メモリ不足です。\r\n";
  dispatcher.DispatchVolumeArrival('E');
  EXPECT_EQ(pending_.Take(), std::nullopt);
  ASSERT_EQ(world_.notices.shown.size(), 1u);
  EXPECT_NE(world_.notices.shown[0].text.find("アクション = Volume\n\nSysErr(8) メモリ不足です。"),
            std::string::npos);
  EXPECT_FALSE(world_.threads.IsHeld("Mutex_Mountwick_DiffDevice"));
}

TEST_F(DispatcherTest, ManyRunsOfOneDispatchRunExactlyOnceOnRealThreads) {
  world_.threads.run_threads_inline = false;
  ActionList actions;
  for (int i = 0; i < 200; ++i) actions.push_back(Bound("A" + std::to_string(i), kGenericVolumeId));
  Store(actions);
  Dispatcher& dispatcher = Make();
  dispatcher.DispatchVolumeArrival('F');
  world_.threads.JoinAll();
  const std::vector<std::string> started = Started();
  const std::multiset<std::string> unique(started.begin(), started.end());
  ASSERT_EQ(started.size(), 200u);
  for (int i = 0; i < 200; ++i)
    EXPECT_EQ(unique.count("C:\\A" + std::to_string(i) + ".EXE F"), 1u) << i;
  EXPECT_EQ(pending_.Take(), std::nullopt);
}

}  // namespace
}  // namespace mw
