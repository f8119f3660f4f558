#include "notices/notices.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "engine/runner.h"
#include "fakes/fake_world.h"
#include "notices/activity_log.h"
#include "notices/bounded_format.h"

namespace mw {
namespace {

TEST(Notices, AreFormattedAsTheSystemWouldAndCutAt1023BytesNeverInsideACharacter) {
  EXPECT_EQ(FormatBounded("%u|%x %X %#x|[%3d][%-3d][%03d]|%.2s|%d%%|%c|%ld",
                          {-5, 255, 255, 255, 7, 7, 7, "abc", 100, 'E', 102L}, 1024),
            "4294967291|ff FF 0xff|[  7][7  ][007]|ab|100%|E|102");
  EXPECT_EQ(FormatBounded("%d|%s|%s", {"text", 3}, 1024),
            "||");  // mismatched or missing arguments print nothing
  EXPECT_EQ(FormatBounded("%s%s", {std::string(10, 'a'), std::string(10, 'b')}, 8), "aaaaaaa");
  fake::FakeWorld world;
  world.system_texts[5] = "拒否されました。\r\n";
  ShowNotice(world.platform(), "%s", std::string(1500, 'x'));
  ShowNotice(world.platform(), "%s%s", std::string(1022, 'x'), "ソ");  // the pair does not fit
  ShowNotice(world.platform(), "起動アプリ = %s", "C:\\%s%n%d.exe");  // user text is never a format
  ShowSystemErrorNotice(world.platform(), 5, "失敗 %s", "x");
  ShowSystemErrorNotice(world.platform(), static_cast<std::uint32_t>(-3), "%s",
                        std::string(1015, 'y'));
  EXPECT_EQ(world.Texts(),
            (std::vector<std::string>{
                std::string(1023, 'x'), std::string(1022, 'x'), "起動アプリ = C:\\%s%n%d.exe",
                "失敗 x\nSysErr(5) 拒否されました。\r\n", std::string(1015, 'y') + "\nSysErr("}));
}

TEST(ActivityLog, SaysWhyARunStartedNothingAndHowEachStartAndRemovalWent) {
  constexpr std::uint32_t V = setup::kCrRemoveVetoed;
  const std::string R = "Eject=1;Ex_RmvRetryChk=1;Ex_RmvRetryCount=";
  // The run's fields on drive E, the removal answers, how many requests, what the log says
  // ("!": what it never says). The label's デ keeps its second byte, 'f', when upper-cased.
  const std::tuple<std::string, std::deque<std::uint32_t>, std::size_t, std::vector<std::string>>
      cases[] = {
          {"Ex_RunVolumeChk=1;Ex_RunVolume=PHOTOS", {}, 0, {"ラベル \"デジCAMERA\" ≠ \"PHOTOS\""}},
          {"Eject=1;ExeFile=", {}, 0, {"起動できませんでした（コード 2"}},
          {"ExeFile=mailto:Me@Example.com", {}, 0, {"起動できませんでした（コード 2"}},
          {"Eject=1;Ex_RmvRetryChk=0", {V}, 1, {"取り外し要求 1 / 1: 拒否", "拒否されたまま"}},
          {R + "2",
           {V},
           3,
           {"起動しました（プロセス ID 1）: C:\\APP.EXE /all", "終了コード 3",
            "取り外し要求 1 / 3: 拒否されました（CONFIGRET 23、拒否の種類: アプリケーション）",
            "取り外し要求 3 / 3: 拒否", "取り外しは拒否されたまま"}},
          {R + "0", {V, V, V, 0}, 4, {"1 / 無制限: 拒否", "4 / 無制限: 受け付け", "を終えました"}},
          {R + "-3", {V}, 1, {"取り外し要求 1 / 1: 拒否"}},
          {R + "-99", {V, V, 0}, 3, {"3 / 無制限: 受け付け"}},
          {R + "5", {5, V}, 1, {"取り外しに失敗しました"}},
          // A device that left is asked nothing, which is neither a request nor a grant.
          {R + "0;HardwareID=USB\\GONE", {}, 0, {"取り外しを求めませんでした", "!取り外し要求"}},
      };
  for (const auto& [fields, ejects, requests, said] : cases) {
    fake::FakeWorld world;
    world.volumes["E:\\"] = "デジCamera";
    world.FailAlways(fake::Call::kShellExecuteOpen, 2);  // the mail program is missing
    world.exit_code = 3;
    fake::FakeDevice device;
    device.eject_answers = ejects;
    world.Add(device.Multi(setup::kSpdrpHardwareId, {"USB\\VID_1"}));
    Action run = fake::MakeAction(
        "Name=Photos;HardwareID=USB\\VID_1;ExeFile=C:\\APP.EXE /all;Ex_RmvRetryWait=3000;" +
        fields);
    run.DriveLetter = 'E';
    EXPECT_EQ(ExecuteRun(world.platform(), mw::Run{run}),  // the launcher's code, if it failed
              fields.find("ExeFile=") != std::string::npos ? 2u : 0u);
    EXPECT_EQ(world.eject_requests.size(), requests) << fields;
    EXPECT_EQ(world.sleeps, std::vector<std::uint32_t>(requests ? requests - 1 : 0, 3000))
        << fields;
    for (const std::string& part : said)
      EXPECT_EQ(testing::Matches(testing::Contains(
                    testing::HasSubstr(part.substr(part[0] == '!'))))(world.activity),
                part[0] != '!')
          << fields << " " << part;
  }
}

}  // namespace
}  // namespace mw
