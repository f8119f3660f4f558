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

// Files in memory; the ANSI text is taken as it is.
struct MemoryLogFile : LogFilePort {
  std::map<std::string, std::string> files;
  std::string LocalAppDataDirectory() override { return "C:\\Local"; }
  bool CreateFolder(const std::string&) override { return true; }
  std::int64_t FileSize(const std::string& path) override {
    return files.contains(path) ? static_cast<std::int64_t>(files[path].size()) : -1;
  }
  bool AppendToFile(const std::string& path, const std::string& bytes) override {
    return files[path] += bytes, true;
  }
  bool ReplaceFile(const std::string& from, const std::string& to) override {
    return files[to] = std::exchange(files[from], {}), files.erase(from), true;
  }
  LocalTime Now() override { return {2026, 12, 7, 9, 5, 3, 7}; }
  std::string AnsiToUtf8(const std::string& text) override { return text; }
};

// Nothing before it is opened; then within two mebibytes in two files.
TEST(ActivityLog, StampsEveryLineAndKeepsOneOlderFileEachBeginningWithTheByteOrderMark) {
  MemoryLogFile file;
  ActivityLog log(file);
  log.Write("before it is opened");
  log.Open(ActivityLogPath(file));
  log.Write("one\ntwo");
  EXPECT_EQ(file.files["C:\\Local\\Mountwick\\activity.log"],
            "\xEF\xBB\xBF"
            "2026-12-07 09:05:03.007 one\r\n2026-12-07 09:05:03.007 two\r\n");
  for (int event = 0; event < 100000; ++event) log.Write(std::string(90, 'x'));
  ASSERT_EQ(file.files.size(), 2u);
  for (const auto& [path, text] : file.files) {
    EXPECT_LE(text.size(), static_cast<std::size_t>(ActivityLog::kRotateBytes)) << path;
    EXPECT_EQ(text.rfind("\xEF\xBB\xBF", 0), 0u) << path;
  }
}

TEST(ActivityLog, SaysWhyARunStartedNothingAndHowEachStartAndRemovalWent) {
  constexpr std::uint32_t V = setup::kCrRemoveVetoed;
  const std::string R = "Eject=1;Ex_RmvRetryChk=1;Ex_RmvRetryCount=";
  // The run's fields on drive E, the removal answers, how many requests, what the log says.
  const std::tuple<std::string, std::deque<std::uint32_t>, std::size_t, std::vector<std::string>>
      cases[] = {
          {"Ex_RunVolumeChk=1;Ex_RunVolume=PHOTOS", {}, 0, {"ラベル \"CAMERA\" ≠ \"PHOTOS\""}},
          {"Eject=1;ExeFile=", {}, 0, {"起動できませんでした（コード 2"}},
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
      };
  for (const auto& [fields, ejects, requests, said] : cases) {
    fake::FakeWorld world;
    world.volumes["E:\\"] = "Camera";
    world.exit_code = 3;
    fake::FakeDevice device;
    device.eject_answers = ejects;
    world.Add(device.Multi(setup::kSpdrpHardwareId, {"USB\\VID_1"}));
    Action run = fake::MakeAction(
        "Name=Photos;HardwareID=USB\\VID_1;ExeFile=C:\\APP.EXE /all;Ex_RmvRetryWait=3000;" +
        fields);
    run.DriveLetter = 'E';
    // A run that could not start ends with the launcher's code.
    EXPECT_EQ(ExecuteRun(world.platform(), mw::Run{run}), fields.ends_with("=") ? 2u : 0u);
    EXPECT_EQ(world.eject_requests.size(), requests) << fields;
    EXPECT_EQ(world.sleeps, std::vector<std::uint32_t>(requests ? requests - 1 : 0, 3000))
        << fields;
    for (const std::string& part : said)
      EXPECT_THAT(world.activity, testing::Contains(testing::HasSubstr(part))) << fields;
  }
}

}  // namespace
}  // namespace mw
