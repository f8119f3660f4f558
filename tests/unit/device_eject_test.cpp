#include "devices/device_eject.h"

#include <gtest/gtest.h>

#include "model/action.h"
#include "fakes/fake_world.h"

namespace mw {
namespace {

using fake::FakeDevice;
using fake::FakeWorld;

FakeDevice Usb(std::vector<std::string> hardware_ids, std::uint32_t dev_inst) {
  FakeDevice device;
  device.dev_inst = dev_inst;
  device.Multi(setup::kSpdrpHardwareId, hardware_ids);
  return device;
}

TEST(EjectDevice, RequestsOnlyTheFirstAttachedDeviceWithTheExactId) {
  struct Case {
    std::string hardware_id;
    std::vector<std::uint32_t> requests;
  };
  for (const Case& c : std::vector<Case>{
           {"USB\\VID_1&PID_2USB\\VID_1", {20}},  // the joined identifiers
           {"SAME", {30}},                        // two of one model: the first only
           {"USB\\VID_1&PID_2", {}},              // one string of a list is not the device
           {"same", {}},
           {"GONE", {}},  // known, not attached
           {kGenericVolumeId, {}},
           {kGenericMediaId, {}},
       }) {
    FakeWorld world;
    world.devices.Add(Usb({"OTHER"}, 10));
    world.devices.Add(Usb({"USB\\VID_1&PID_2", "USB\\VID_1"}, 20));
    FakeDevice gone = Usb({"GONE"}, 25);
    gone.present = false;
    world.devices.Add(gone);
    world.devices.Add(Usb({"SAME"}, 30));
    world.devices.Add(Usb({"SAME"}, 40));
    world.devices.default_eject_answer = 23;
    const int result = EjectDevice(world.platform(), c.hardware_id);
    EXPECT_EQ(world.devices.EjectRequests(), c.requests) << c.hardware_id;
    EXPECT_EQ(result, c.requests.empty() ? 0 : 23) << c.hardware_id;
    EXPECT_EQ(world.devices.OpenFlags(), std::vector<std::uint32_t>{0x12});
    EXPECT_TRUE(world.notices.shown.empty());
    EXPECT_EQ(world.devices.OpenSets(), 0u);
  }
}

TEST(EjectDevice, PassesTheConfigurationManagerCodeThrough) {
  for (std::uint32_t code : {0u, 23u, 1u, 51u}) {
    FakeWorld world;
    world.devices.Add(Usb({"X"}, 7));
    world.devices.eject_answers[7] = {code};
    EXPECT_EQ(EjectDevice(world.platform(), "X"), static_cast<int>(code));
  }
}

TEST(EjectDevice, UnopenableSetGivesANoticeAndNoRequest) {
  FakeWorld world;
  world.devices.Add(Usb({"X"}, 7));
  world.devices.open_fails = true;
  world.devices.open_error = 8;
  EXPECT_EQ(EjectDevice(world.platform(), "X"), 0);
  EXPECT_TRUE(world.devices.EjectRequests().empty());
  EXPECT_EQ(
      world.notices.Texts(),
      std::vector<std::string>{"Mountwickからのエラー通知：\nデバイス情報の取得に失敗しました。"
                               "\n\n\nSysErr(8) "});
  EXPECT_EQ(world.devices.OpenSets(), 0u);
}

}  // namespace
}  // namespace mw
