#include "notices/activity_log.h"

#include <gtest/gtest.h>

#include <map>

#include "engine/dispatcher.h"
#include "engine/runner.h"
#include "fakes/fake_world.h"
#include "store/action_store.h"

namespace mw {
namespace {

// Files in memory; the ANSI text is taken as it is, or refused when told.
class MemoryLogFile : public LogFilePort {
 public:
  std::map<std::string, std::string> files;
  int appends = 0;
  bool conversion_fails = false;
  bool append_fails = false;

  std::string LocalAppDataDirectory() override { return "C:\\Users\\u\\AppData\\Local"; }
  bool CreateFolder(const std::string&) override { return true; }
  std::int64_t FileSize(const std::string& path) override {
    return files.contains(path) ? static_cast<std::int64_t>(files[path].size()) : -1;
  }
  bool AppendToFile(const std::string& path, const std::string& bytes) override {
    ++appends;
    if (append_fails) return false;
    files[path] += bytes;
    return true;
  }
  bool ReplaceFile(const std::string& from, const std::string& to) override {
    files[to] = files[from];
    files.erase(from);
    return true;
  }
  LocalTime Now() override { return {2026, 12, 7, 9, 5, 3, 7}; }
  std::string AnsiToUtf8(const std::string& text) override {
    return conversion_fails ? std::string() : text;
  }
};

constexpr char kLog[] = "C:\\Users\\u\\AppData\\Local\\Mountwick\\activity.log";

TEST(ActivityLog, StampsEveryLineAndBeginsEachFileWithTheByteOrderMark) {
  MemoryLogFile file;
  ActivityLog log(file);
  log.Write("before it is opened");
  EXPECT_EQ(file.appends, 0);
  log.Open(ActivityLogPath(file));
  log.Write("one");
  log.Write("two\nthree");
  EXPECT_EQ(file.appends, 2);  // one append per event, however many lines
  EXPECT_EQ(file.files[kLog],
            "\xEF\xBB\xBF"
            "2026-12-07 09:05:03.007 one\r\n2026-12-07 09:05:03.007 two\r\n"
            "2026-12-07 09:05:03.007 three\r\n");
}

TEST(ActivityLog, KeepsOneOlderFileAndStaysWithinTwoMebibytes) {
  MemoryLogFile file;
  ActivityLog log(file);
  log.Open(kLog);
  const std::string line(90, 'x');
  for (int event = 0; event < 100000; ++event) log.Write(line);
  ASSERT_EQ(file.files.size(), 2u);
  EXPECT_LE(file.files[kLog].size(), static_cast<std::size_t>(ActivityLog::kRotateBytes));
  EXPECT_LE(file.files[std::string(kLog) + ".1"].size(),
            static_cast<std::size_t>(ActivityLog::kRotateBytes));
  for (const auto& [path, text] : file.files) EXPECT_EQ(text.rfind("\xEF\xBB\xBF", 0), 0u) << path;
}

TEST(ActivityLog, AFailingLogIsSkippedSilently) {
  MemoryLogFile file;
  ActivityLog log(file);
  log.Open(kLog);
  file.conversion_fails = true;
  log.Write("lost");
  EXPECT_EQ(file.appends, 0);
  file.conversion_fails = false;
  file.append_fails = true;
  log.Write("lost too");
  EXPECT_TRUE(file.files.empty());
}

bool Said(const fake::FakeWorld& world, const std::string& part) {
  for (const std::string& line : world.activity.Lines())
    if (line.find(part) != std::string::npos) return true;
  return false;
}

TEST(ActivityLog, SaysWhyARunStartedNothing) {
  struct Case {
    const char* what;
    std::string volume_check, volume, path_check, path;
    bool drive_answers;
    std::string said;
  };
  const Case cases[] = {
      {"label", "1", "PHOTOS", "0", "", true, "ラベル \"CAMERA\" ≠ \"PHOTOS\""},
      {"path", "0", "", "1", "DCIM", true, "パス \"E:\\DCIM\" がない"},
      {"volume", "1", "", "0", "", false, "E:\\ が 27 回の問い合わせに答えなかった"},
  };
  for (const Case& c : cases) {
    fake::FakeWorld world;
    if (c.drive_answers) world.files.volumes["E:\\"] = "Camera";
    Action run;
    run.Name = "Photos";
    run.ExeFile = "C:\\APP.EXE";
    run.DriveLetter = 'E';
    run.Ex_RunVolumeChk = c.volume_check;
    run.Ex_RunVolume = c.volume;
    run.Ex_RunPathChk = c.path_check;
    run.Ex_RunPath = c.path;
    ExecuteRun(world.platform(), run);
    EXPECT_TRUE(world.processes.started.empty()) << c.what;
    EXPECT_TRUE(Said(world, "アクション「Photos」: " + c.said)) << c.what;
  }
}

TEST(ActivityLog, SaysTheStartTheEndAndEveryRemovalRequest) {
  struct Case {
    std::string retry_count;
    std::vector<std::string> said;
  };
  const Case cases[] = {
      {"2", {"取り外し要求 1 / 3: 拒否", "取り外し要求 3 / 3: 拒否", "拒否されたまま"}},
      {"0",
       {"取り外し要求 1 / 無制限: 拒否", "取り外し要求 2 / 無制限: 受け付け",
        "取り外しを終えました"}},
  };
  for (const Case& c : cases) {
    fake::FakeWorld world;
    world.devices.Add(fake::FakeDevice{}.Multi(setup::kSpdrpHardwareId, {"USB\\VID_1"}));
    world.devices.default_eject_answer = setup::kCrRemoveVetoed;
    if (c.retry_count == "0") world.devices.eject_answers[1] = {setup::kCrRemoveVetoed, 0};
    world.processes.exit_code = 3;
    Action run;
    run.Name = "Stick";
    run.HardwareID = "USB\\VID_1";
    run.ExeFile = "C:\\BACKUP.EXE /all";
    run.Eject = "1";
    run.Ex_RmvRetryChk = "1";
    run.Ex_RmvRetryCount = c.retry_count;
    ExecuteRun(world.platform(), run);
    EXPECT_TRUE(Said(world, "アクション「Stick」: 起動しました（プロセス ID ")) << c.retry_count;
    EXPECT_TRUE(Said(world, "）: C:\\BACKUP.EXE /all")) << c.retry_count;
    EXPECT_TRUE(Said(world, "終了コード 3")) << c.retry_count;
    for (const std::string& part : c.said) EXPECT_TRUE(Said(world, part)) << part;
  }
}

TEST(ActivityLog, SaysWhichActionsAnArrivalPassedOver) {
  fake::FakeWorld world;
  DeviceDiffMutex mutex(world.threads);
  PendingRuns pending(mutex);
  Action off, other;
  off.Name = "Off";
  off.State = "1";
  off.HardwareID = kGenericVolumeId;
  other.Name = "Other";
  other.HardwareID = kGenericMediaId;
  SaveActions(world.platform(), {off, other});
  Dispatcher dispatcher(world.platform(), pending);
  dispatcher.DispatchVolumeArrival('F');
  EXPECT_TRUE(Said(world, "ボリュームの到着: F:"));
  EXPECT_TRUE(Said(world, "アクション「Off」: 無効"));
  EXPECT_TRUE(Said(world, "ほかのデバイスまたはエントリのアクション 1 件: Other"));
  const std::uint16_t net = 2;
  const std::uint32_t broadcast[] = {20, 2, 0, 1u << 3, net};
  dispatcher.OnDeviceChange(0x8000, broadcast);
  EXPECT_TRUE(Said(world, "ボリュームの到着を無視しました: ネットワークドライブ"));
}

}  // namespace
}  // namespace mw
