#include <gtest/gtest.h>

#include <cstring>

#include "app/carry_over.h"
#include "app/startup_options.h"
#include "app/tray_clicks.h"
#include "app/update_checker.h"
#include "fakes/fake_world.h"

namespace mw {
namespace {

TEST(StartupOptions, SlashSOrSetAnywhereOpensTheSettings) {
  fake::FakeDesktop text;
  for (const char* line : {"/s", "/S", "/Settings", "setup", "RESET", "x/sy", "a b /s"})
    EXPECT_TRUE(OpenSettingsAtStart(text, line)) << line;
  for (const char* line : {"", "-s", "/e", "se t", "/ s"})
    EXPECT_FALSE(OpenSettingsAtStart(text, line)) << line;
}

TEST(TrayClicks, SecondClickWithinTheTimerOrADoubleClickOpensTheSettings) {
  using R = TrayClicks::Response;
  TrayClicks clicks;
  EXPECT_EQ(clicks.OnLeftButtonDown(), R::StartClickTimer);
  EXPECT_EQ(clicks.OnLeftButtonDown(), R::OpenSettings);
  EXPECT_FALSE(clicks.FirstClickPending());

  EXPECT_EQ(clicks.OnLeftButtonDown(), R::StartClickTimer);
  clicks.OnClickTimer();  // 800 ms passed: the next click is a first click again
  EXPECT_EQ(clicks.OnLeftButtonDown(), R::StartClickTimer);
  // Button-down, double-click message: opens once, and the next click starts anew.
  EXPECT_EQ(clicks.OnDoubleClick(), R::OpenSettings);
  EXPECT_EQ(clicks.OnLeftButtonDown(), R::StartClickTimer);
  clicks.OnRightButtonDown();
  EXPECT_FALSE(clicks.FirstClickPending());
}

class CarryOver : public ::testing::Test {
 protected:
  void SetUp() override { world_.files.current_directory = "D:\\My Tools"; }
  fake::FakeWorld world_;
};

TEST_F(CarryOver, ThePathIsTheQuotedFileInTheWorkingDirectory) {
  EXPECT_EQ(BuildCarryOverPath(world_.platform()), "\"D:\\My Tools\\Mountwick_Verup.inf\"");
  world_.files.current_directory = "E:\\";
  EXPECT_EQ(BuildCarryOverPath(world_.platform()), "\"E:\\\\Mountwick_Verup.inf\"");
}

TEST_F(CarryOver, ExportStartsTheWindowlessRegistryToolByItsFullPathAndNeverWaits) {
  // Started from a worker thread, or from the caller when no thread can start.
  for (const bool thread_starts : {true, false}) {
    fake::FakeWorld world;
    world.threads.run_threads_inline = true;
    world.threads.fail_thread_start = !thread_starts;
    ExportCarryOver(world.platform(), "\"D:\\x\\Mountwick_Verup.inf\"");
    ASSERT_EQ(world.processes.started.size(), 1u);
    const auto& started = world.processes.started[0];
    EXPECT_EQ(started.command_line,
              "C:\\WINDOWS\\System32\\reg.exe export HKCU\\software\\Quillory\\Mountwick "
              "\"D:\\x\\Mountwick_Verup.inf\" /y");
    EXPECT_EQ(started.window, ProcessWindow::None);
    EXPECT_FALSE(started.waited);
    EXPECT_TRUE(world.processes.timed_waits.empty());
    EXPECT_EQ(world.processes.open_processes, 0);
    EXPECT_EQ(world.threads.ThreadsStarted(), thread_starts ? 1u : 0u);
  }
}

TEST_F(CarryOver, ImportAsksOnlyWhenTheFileExistsAndKeepsSettingsAbsentOnNo) {
  const std::string path = BuildCarryOverPath(world_.platform());
  EXPECT_TRUE(ImportCarryOver(world_.platform(), path));
  EXPECT_TRUE(world_.notices.shown.empty());

  world_.files.existing_paths.insert("Mountwick_Verup.inf");
  world_.notices.answers = {mb::kIdNo};
  EXPECT_TRUE(ImportCarryOver(world_.platform(), path));
  ASSERT_EQ(world_.notices.shown.size(), 1u);
  EXPECT_EQ(world_.notices.shown[0].text, "アクションの引継ぎ情報を読み込みますか？");
  EXPECT_EQ(world_.notices.shown[0].style, 0x24u);
  EXPECT_EQ(world_.notices.shown[0].owner, fake::FakeDesktop::kDesktop);
  EXPECT_TRUE(world_.processes.started.empty());
}

TEST_F(CarryOver, ImportWaitsForTheToolThenTestsTheProductKey) {
  world_.files.existing_paths.insert("Mountwick_Verup.inf");
  world_.notices.answers = {mb::kIdYes};
  world_.processes.on_start = [&](const fake::FakeProcesses::Started&) {
    world_.registry.PutKey("HKCU\\software\\Quillory\\Mountwick\\1.0\\Actions");
  };
  EXPECT_FALSE(ImportCarryOver(world_.platform(), "\"D:\\My Tools\\Mountwick_Verup.inf\""));
  ASSERT_EQ(world_.processes.started.size(), 1u);
  EXPECT_EQ(world_.processes.started[0].command_line,
            "C:\\WINDOWS\\System32\\reg.exe import \"D:\\My Tools\\Mountwick_Verup.inf\"");
  EXPECT_EQ(world_.processes.started[0].window, ProcessWindow::None);
  EXPECT_EQ(world_.processes.timed_waits, std::vector<std::uint32_t>{30000});
  EXPECT_EQ(world_.notices.shown.size(), 1u);  // the question only
  EXPECT_EQ(world_.processes.open_processes, 0);
}

TEST_F(CarryOver, AFailedImportIsReported) {
  world_.files.existing_paths.insert("Mountwick_Verup.inf");
  world_.notices.answers = {mb::kIdYes};
  EXPECT_TRUE(ImportCarryOver(world_.platform(), "\"x\""));
  EXPECT_EQ(world_.notices.Texts().back(), "アクションの引継ぎ情報の読み込みに失敗しました。");

  world_.notices.shown.clear();
  world_.notices.answers = {mb::kIdYes};
  world_.processes.create_fails = true;
  EXPECT_TRUE(ImportCarryOver(world_.platform(), "\"x\""));
  ASSERT_EQ(world_.notices.shown.size(), 3u);  // question, start failure, import failure
  EXPECT_NE(world_.notices.shown[1].text.find("起動アプリ = C:\\WINDOWS\\System32\\reg.exe import"),
            std::string::npos);
}

TEST(UpdateChecker, WritesNothingWithoutTheCheckersRoot) {
  fake::FakeWorld world;
  RegisterWithUpdateChecker(world.platform());
  EXPECT_FALSE(world.registry.HasKey("HKCU\\Software\\Tivolane"));
  EXPECT_EQ(world.registry.OpenKeyCount(), 0u);
}

TEST(UpdateChecker, WritesAllSevenValuesUnderTheRoot) {
  fake::FakeWorld world;
  world.files.current_directory = "D:\\Apps";
  world.registry.PutKey("HKCU\\Software\\Tivolane");
  world.registry.PutString("HKCU\\Software\\Tivolane\\support@quillory.example\\Mountwick", "Build",
                           "old");
  RegisterWithUpdateChecker(world.platform());
  const std::string author = "HKCU\\Software\\Tivolane\\support@quillory.example";
  EXPECT_EQ(world.registry.GetString(author, "Author"), "Quillory");
  EXPECT_TRUE(world.registry.HasValue(author, "InfoURL"));
  EXPECT_TRUE(world.registry.HasValue(author, "DisplayHost"));
  const std::string entry = author + "\\Mountwick";
  const auto* build = world.registry.Find(entry, "Build");
  ASSERT_NE(build, nullptr);
  EXPECT_EQ(build->type, 4u);
  std::uint32_t value = 0;
  ASSERT_EQ(build->data.size(), 4u);
  std::memcpy(&value, build->data.data(), 4);
  EXPECT_EQ(value, 102u);
  EXPECT_EQ(world.registry.GetString(entry, "DistinctName"), "Mountwick");
  EXPECT_EQ(world.registry.GetString(entry, "DisplayName"), "デバイス監視ランチャー(Mountwick)");
  EXPECT_EQ(world.registry.GetString(entry, "FilePath"), "D:\\Apps\\Mountwick.exe");
  const auto* path = world.registry.Find(entry, "FilePath");
  EXPECT_EQ(path->data.size(), std::strlen("D:\\Apps\\Mountwick.exe") + 1);
  EXPECT_EQ(world.registry.OpenKeyCount(), 0u);
}

}  // namespace
}  // namespace mw
