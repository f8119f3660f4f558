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
constexpr std::uintptr_t kArrival = 0x8000, kNodesChanged = 0x0007;

// DEV_BROADCAST_VOLUME as the system lays it out.
std::vector<unsigned char> Volume(std::uint32_t mask, std::uint16_t flags = 0,
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
  return fake::MakeAction("Name=" + name + ";HardwareID=" + hardware_id + ";State=" + state +
                          ";ExeFile=C:\\" + name + ".EXE %_newdrv_%");
}

fake::FakeDevice Device(const std::string& hardware_id) {
  return fake::FakeDevice{}.Multi(setup::kSpdrpHardwareId, {hardware_id});
}

TEST(DeviceChangeRouting, RoutesByMessageTypeFlagsAndTheLowestDrive) {
  const std::vector<std::tuple<std::uintptr_t, std::vector<unsigned char>, DeviceEvent, char>>
      cases = {
          {kNodesChanged, {}, DeviceEvent::DeviceListChanged, '\0'},
          {kArrival, Volume(0x30), DeviceEvent::VolumeArrived, 'E'},
          {kArrival, Volume(1), DeviceEvent::VolumeArrived, 'A'},
          {kArrival, Volume(8, 1), DeviceEvent::MediaArrived, 'D'},
          {kArrival, Volume(8, 2), DeviceEvent::None, '\0'},         // a network drive
          {kArrival, Volume(8, 3), DeviceEvent::None, '\0'},         // a network medium
          {kArrival, Volume(8, 0, 20, 5), DeviceEvent::None, '\0'},  // another device type
          {kArrival, Volume(8, 0, 12), DeviceEvent::None, '\0'},     // the header only
          {kArrival, Volume(1u << 26), DeviceEvent::None, '\0'},
          {0x8004, Volume(8), DeviceEvent::None, '\0'},  // a removal
      };
  for (const auto& [wparam, record, event, letter] : cases) {
    const RoutedDeviceChange routed =
        RouteDeviceChange(wparam, record.empty() ? nullptr : record.data());
    EXPECT_EQ(routed.event, event) << testing::PrintToString(record);
    EXPECT_EQ(routed.letter, letter) << testing::PrintToString(record);
  }
}

class DispatcherTest : public ::testing::Test {
 protected:
  DispatcherTest() { world_.run_threads_inline = true; }
  void Store(const ActionList& actions) { SaveActions(world_.platform(), actions); }
  Dispatcher& Make() {
    dispatcher_ = std::make_unique<Dispatcher>(world_.platform(), pending_);
    return *dispatcher_;
  }
  void Broadcast(std::uintptr_t wparam, const std::vector<unsigned char>& record = {}) {
    dispatcher_->OnDeviceChange(wparam, record.empty() ? nullptr : record.data());
  }
  std::vector<std::string> Started() { return world_.StartedCommands(); }

  fake::FakeWorld world_;
  DeviceDiffMutex mutex_{world_};
  PendingRuns pending_{mutex_};
  std::unique_ptr<Dispatcher> dispatcher_;
};

TEST_F(DispatcherTest, ArrivalsStartTheEnabledActionsOfTheirGenericEntryInStoredOrder) {
  Store({Bound("V1", kGenericVolumeId), Bound("M1", kGenericMediaId),
         Bound("V2", kGenericVolumeId, ""), Bound("Off", kGenericVolumeId, "1"),
         Bound("V3", kGenericVolumeId, "2"), Bound("Case", "message://dbt_devicearrival/volume")});
  Make();
  Broadcast(kArrival, Volume(0x30));
  Broadcast(kArrival, Volume(1u << 6, 1));
  Broadcast(kArrival, Volume(1u << 6, 3));
  // Another writer, as the registry editor would be: the next dispatch reads its change.
  world_.PutString("HKCU\\software\\Quillory\\Mountwick\\1.0\\Actions", "0_ExeFile", "C:\\NEW.EXE");
  Broadcast(kArrival, Volume(1u << 5));
  EXPECT_EQ(Started(), (std::vector<std::string>{"C:\\V1.EXE E", "C:\\V2.EXE E", "C:\\V3.EXE E",
                                                 "C:\\M1.EXE G", "C:\\NEW.EXE ", "C:\\V2.EXE F",
                                                 "C:\\V3.EXE F"}));
  EXPECT_TRUE(world_.shown.empty());
}

TEST_F(DispatcherTest, ANewDeviceStartsItsActionsWithoutALetterOnce) {
  world_.Add(Device(kReader));
  Store({Bound("Reader", kReader), Bound("Stick1", kStick), Bound("Stick2", kStick),
         Bound("StickOff", kStick, "1"), Bound("Volume", kGenericVolumeId)});
  Make();
  ASSERT_EQ(dispatcher_->LastDeviceList().size(), 3u);  // the reader and the generic entries
  world_.Add(Device(kStick));
  Broadcast(kNodesChanged);
  Broadcast(kNodesChanged);  // the same plugging broadcast again
  // Generic entries stand in every list: they never count as new.
  EXPECT_EQ(Started(),
            (std::vector<std::string>{"C:\\Stick1.EXE %_newdrv_%", "C:\\Stick2.EXE %_newdrv_%"}));
}

TEST_F(DispatcherTest, ARemovedOrSwappedDeviceStartsNothing) {
  world_.Add(Device(kReader));
  world_.Add(Device(kStick));
  Store({Bound("Reader", kReader), Bound("Stick", kStick)});
  Make();
  world_.devices[1].present = false;
  Broadcast(kNodesChanged);
  EXPECT_EQ(dispatcher_->LastDeviceList().size(), 3u);
  // One left and another came between two broadcasts: the count is unchanged.
  world_.devices[0].present = false;
  world_.devices[1].present = true;
  Broadcast(kNodesChanged);
  EXPECT_TRUE(Started().empty());
  EXPECT_EQ(dispatcher_->LastDeviceList().front().HardwareID, kStick);
}

TEST_F(DispatcherTest, AFailedEnumerationNeverBecomesTheLastList) {
  world_.Add(Device(kReader));
  Store({Bound("Reader", kReader), Bound("Volume", kGenericVolumeId)});
  for (const bool at_start : {false, true}) {
    SCOPED_TRACE(at_start ? "at start-up" : "later");
    world_.shown.clear();
    if (at_start) world_.FailAlways("OpenUsbDeviceSet", 5);
    Make();
    world_.FailAlways("OpenUsbDeviceSet", 5);
    Broadcast(kNodesChanged);
    EXPECT_EQ(world_.shown.size(), at_start ? 2u : 1u);
    EXPECT_EQ(dispatcher_->LastDeviceList().size(), at_start ? 0u : 3u);
    world_.fault = nullptr;
    Broadcast(kNodesChanged);  // the first good list after a failed start-up is the baseline
    EXPECT_TRUE(Started().empty());
  }
  world_.Add(Device(kStick));
  Store({Bound("Stick", kStick)});
  Broadcast(kNodesChanged);
  EXPECT_EQ(Started(), std::vector<std::string>{"C:\\Stick.EXE %_newdrv_%"});
}

TEST_F(DispatcherTest, WhileSettingsAreAbsentNothingIsDispatched) {
  Store({Bound("Stick", kStick), Bound("Volume", kGenericVolumeId)});
  Make();
  dispatcher_->SetSettingsAbsent(true);
  world_.Add(Device(kStick));
  Broadcast(kNodesChanged);
  Broadcast(kArrival, Volume(1u << 4));
  EXPECT_TRUE(Started().empty());
  EXPECT_EQ(dispatcher_->LastDeviceList().size(), 2u);  // still the start-up list
  // Cleared: the device attached meanwhile counts as new.
  dispatcher_->SetSettingsAbsent(false);
  Broadcast(kNodesChanged);
  EXPECT_EQ(Started(), std::vector<std::string>{"C:\\Stick.EXE %_newdrv_%"});
}

TEST_F(DispatcherTest, ABroadcastDuringANoticeIsHandledRightAfterNotNested) {
  Store({Bound("Volume", kGenericVolumeId)});
  Make();
  world_.FailAlways("OpenUsbDeviceSet", 5);
  std::vector<std::string> started_inside = {"not shown"};
  world_.while_shown = [&] {
    Broadcast(kArrival, Volume(1u << 4));
    started_inside = Started();
  };
  Broadcast(kNodesChanged);
  EXPECT_TRUE(started_inside.empty());
  EXPECT_EQ(Started(), std::vector<std::string>{"C:\\Volume.EXE E"});
}

TEST_F(DispatcherTest, ARunWhoseThreadCannotStartIsDroppedAndReported) {
  Store({Bound("Volume", kGenericVolumeId)});
  Make();
  world_.FailAlways("StartDetachedThread", 8);
  world_.system_texts[8] = "メモリ不足です。\r\n";
  dispatcher_->DispatchVolumeArrival('E');
  EXPECT_EQ(pending_.Take(), std::nullopt);
  ASSERT_EQ(world_.shown.size(), 1u);
  EXPECT_NE(world_.shown[0].text.find("アクション = Volume\n\nSysErr(8) メモリ不足です。"),
            std::string::npos);
  EXPECT_FALSE(world_.MutexHeld());
}

TEST_F(DispatcherTest, ManyRunsOfOneDispatchRunExactlyOnceOnRealThreads) {
  world_.run_threads_inline = false;
  ActionList actions;
  for (int i = 0; i < 200; ++i) actions.push_back(Bound("A" + std::to_string(i), kGenericVolumeId));
  Store(actions);
  Make().DispatchVolumeArrival('F');
  world_.JoinAll();
  const std::vector<std::string> started = Started();
  const std::set<std::string> unique(started.begin(), started.end());
  EXPECT_EQ(started.size(), 200u);
  EXPECT_EQ(unique.size(), 200u);
  EXPECT_EQ(pending_.Take(), std::nullopt);
}

}  // namespace
}  // namespace mw
