#include "engine/dispatcher.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>

#include "fakes/fake_world.h"
#include "store/action_store.h"

namespace mw {
namespace {

constexpr char kReader[] = "USB\\READER";
constexpr char kStick[] = "USB\\STICK";
constexpr std::uintptr_t kArrival = 0x8000, kNodesChanged = 0x0007;

// DEV_BROADCAST_VOLUME as the system lays it out: size, type, reserved, unit
// mask, then the 16-bit flags and padding (little-endian).
std::vector<unsigned char> Volume(std::uint32_t mask, std::uint32_t flags = 0,
                                  std::uint32_t size = 20, std::uint32_t type = 2) {
  const std::uint32_t fields[] = {size, type, 0, mask, flags};
  std::vector<unsigned char> bytes(sizeof fields);
  return std::memcpy(bytes.data(), fields, sizeof fields), bytes;
}

Action Bound(const std::string& name, const std::string& id, const std::string& state = "0") {
  return fake::MakeAction("Name=" + name + ";HardwareID=" + id + ";State=" + state +
                          ";ExeFile=C:\\" + name + ".EXE %_newdrv_%");
}

class Dispatching : public ::testing::Test {
 protected:
  Dispatching() { world_.run_threads_inline = true; }
  void Start(const ActionList& actions, const std::vector<std::string>& devices) {
    for (const std::string& id : devices) Plug(id);
    SaveActions(world_.platform(), actions);
    dispatcher_ = std::make_unique<Dispatcher>(world_.platform(), pending_);
  }
  void Plug(const std::string& id) {
    world_.Add(fake::FakeDevice{}.Multi(setup::kSpdrpHardwareId, {id}));
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

TEST_F(Dispatching, ArrivalsStartTheEnabledActionsOfTheirGenericEntryInStoredOrder) {
  Start({Bound("V1", kGenericVolumeId), Bound("M1", kGenericMediaId),
         Bound("V2", kGenericVolumeId, ""), Bound("Off", kGenericVolumeId, "1"),
         Bound("V3", kGenericVolumeId, "2"), Bound("Case", "message://dbt_devicearrival/volume")},
        {});
  Broadcast(kArrival, Volume(0x30));        // the lowest drive: E
  Broadcast(kArrival, Volume(1u << 6, 1));  // a medium
  for (const auto& ignored :
       {Volume(8, 2), Volume(8, 3), Volume(8, 0, 20, 5), Volume(8, 0, 12), Volume(1u << 26)})
    Broadcast(kArrival,
              ignored);          // network drives and media, other devices, short records, no drive
  Broadcast(0x8004, Volume(8));  // a removal
  // Another writer, as the registry editor would be: the next dispatch reads its change.
  world_.PutString("HKCU\\software\\Quillory\\Mountwick\\1.0\\Actions", "0_ExeFile", "C:\\NEW.EXE");
  Broadcast(kArrival, Volume(1));
  EXPECT_EQ(Started(), (std::vector<std::string>{"C:\\V1.EXE E", "C:\\V2.EXE E", "C:\\V3.EXE E",
                                                 "C:\\M1.EXE G", "C:\\NEW.EXE ", "C:\\V2.EXE A",
                                                 "C:\\V3.EXE A"}));
  EXPECT_TRUE(world_.shown.empty());
  // The log tells the disabled Action, the others' on one line, and why a broadcast was ignored.
  for (const char* said : {"ボリュームの到着: E:", "アクション「Off」: 無効",
                           "ほかのデバイスまたはエントリのアクション 2 件: M1、Case",
                           "ボリュームの到着を無視しました: ネットワークドライブ"})
    EXPECT_THAT(world_.activity, testing::Contains(testing::HasSubstr(said)));
}

TEST_F(Dispatching, OnlyANewDeviceStartsItsActionsWithoutALetterOnce) {
  Start({Bound("Reader", kReader), Bound("ReaderOff", kReader, "1"), Bound("Stick1", kStick),
         Bound("Stick2", kStick), Bound("Volume", kGenericVolumeId)},
        {kReader, kStick});
  world_.devices[1].present = false;
  Broadcast(kNodesChanged);
  // One left and another came between two broadcasts: the count is unchanged.
  world_.devices[1].present = true;
  world_.devices[0].present = false;
  Broadcast(kNodesChanged);
  world_.devices[0].present = true;
  Broadcast(kNodesChanged);
  Broadcast(kNodesChanged);  // the same plugging broadcast again
  // Generic entries stand in every list: they never count as new.
  EXPECT_EQ(Started(), std::vector<std::string>{"C:\\Reader.EXE %_newdrv_%"});
}

TEST_F(Dispatching, AFailedEnumerationNeverBecomesTheLastList) {
  Plug(kReader);
  for (const bool at_start : {false, true}) {
    SCOPED_TRACE(at_start ? "at start-up" : "later");
    world_.shown.clear();
    if (at_start) world_.FailAlways("OpenUsbDeviceSet", 5);
    Start({Bound("Reader", kReader), Bound("Volume", kGenericVolumeId)}, {});
    world_.FailAlways("OpenUsbDeviceSet", 5);
    Broadcast(kNodesChanged);
    EXPECT_EQ(world_.shown.size(), at_start ? 2u : 1u);
    world_.fault = nullptr;
    Broadcast(kNodesChanged);  // the first good list after a failed start-up is the baseline
    EXPECT_TRUE(Started().empty());
  }
  Plug(kStick);
  SaveActions(world_.platform(), {Bound("Stick", kStick)});
  Broadcast(kNodesChanged);
  EXPECT_EQ(Started(), std::vector<std::string>{"C:\\Stick.EXE %_newdrv_%"});
}

TEST_F(Dispatching, ABroadcastDuringANoticeIsHandledRightAfterNotNested) {
  Start({Bound("Volume", kGenericVolumeId)}, {});
  world_.FailAlways("OpenUsbDeviceSet", 5);
  std::vector<std::string> started_inside = {"no notice"};
  world_.while_shown = [&] {
    Broadcast(kArrival, Volume(1u << 4));
    started_inside = Started();
  };
  Broadcast(kNodesChanged);
  EXPECT_TRUE(started_inside.empty());
  EXPECT_EQ(Started(), std::vector<std::string>{"C:\\Volume.EXE E"});
}

}  // namespace
}  // namespace mw
