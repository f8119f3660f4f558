#include <gtest/gtest.h>

#include "app/carry_over.h"
#include "app/startup_options.h"
#include "app/tray_clicks.h"
#include "fakes/fake_world.h"

namespace mw {
namespace {

constexpr char kRegTool[] = "C:\\WINDOWS\\System32\\reg.exe ";

TEST(StartupOptions, SlashSOrSetAnywhereOpensTheSettings) {
  fake::FakeWorld world;
  for (const char* line : {"/s", "/Settings", "setup", "RESET", "x/sy"})
    EXPECT_TRUE(OpenSettingsAtStart(world, line)) << line;
  for (const char* line : {"", "-s", "se t", "/ s"})
    EXPECT_FALSE(OpenSettingsAtStart(world, line)) << line;
}

TEST(TrayClicks, ASecondClickWithinTheTimerOrADoubleClickOpensTheSettings) {
  using R = TrayClicks::Response;
  TrayClicks clicks;
  EXPECT_EQ(clicks.OnLeftButtonDown(), R::StartClickTimer);
  EXPECT_EQ(clicks.OnLeftButtonDown(), R::OpenSettings);
  EXPECT_EQ(clicks.OnLeftButtonDown(), R::StartClickTimer);
  clicks.OnClickTimer();  // the next click is a first click again
  EXPECT_EQ(clicks.OnLeftButtonDown(), R::StartClickTimer);
  EXPECT_EQ(clicks.OnDoubleClick(), R::OpenSettings);
  EXPECT_EQ(clicks.OnLeftButtonDown(), R::StartClickTimer);
  clicks.OnRightButtonDown();
  EXPECT_FALSE(clicks.FirstClickPending());
}

TEST(CarryOver, ExportStartsTheWindowlessRegistryToolAndNeverWaits) {
  for (const bool thread_starts : {true, false}) {  // else the caller starts it
    fake::FakeWorld world;
    world.current_directory = "E:\\";
    world.run_threads_inline = true;
    if (!thread_starts) world.FailAlways("StartDetachedThread", 8);
    ExportCarryOver(world.platform(), BuildCarryOverPath(world.platform()));
    EXPECT_EQ(
        world.StartedCommands(),
        std::vector<std::string>{
            kRegTool +
            std::string(
                "export HKCU\\software\\Quillory\\Mountwick \"E:\\\\Mountwick_Verup.inf\" /y")});
    EXPECT_EQ(world.started.at(0).window, ProcessWindow::None);
    EXPECT_FALSE(world.started[0].waited || !world.timed_waits.empty() ||
                 world.open_processes != 0);
    EXPECT_EQ(world.threads_started, thread_starts ? 1u : 0u);
  }
}

TEST(CarryOver, ImportAsksWhenTheFileExistsAndRunsTheToolOnYes) {
  // The file exists, the answer, the tool starts and writes the settings; then
  // the starts, the notices, and whether the settings are still absent.
  for (const auto& [exists, answer, imports, starts, notices, absent] :
       std::vector<std::tuple<bool, int, bool, std::size_t, std::size_t, bool>>{
           {false, mb::kIdYes, true, 0, 0, true},
           {true, mb::kIdNo, true, 0, 1, true},
           {true, mb::kIdYes, true, 1, 1, false},
           {true, mb::kIdYes, false, 0, 3, true}}) {
    fake::FakeWorld world;
    world.current_directory = "D:\\My Tools";
    if (exists) world.existing_paths.insert("Mountwick_Verup.inf");
    world.answers = {answer};
    if (!imports) world.FailAlways("StartProcess", 2);
    world.on_start = [&] { world.PutKey("HKCU\\software\\Quillory\\Mountwick\\1.0\\Actions"); };
    const std::string path = BuildCarryOverPath(world.platform());
    EXPECT_EQ(ImportCarryOver(world.platform(), path), absent);
    EXPECT_EQ(world.StartedCommands(),
              std::vector<std::string>(starts, kRegTool + ("import " + path)));
    EXPECT_EQ(world.timed_waits, std::vector<std::uint32_t>(starts, 30000));
    EXPECT_EQ(world.shown.size(), notices);
    EXPECT_TRUE(world.shown.empty() || world.shown[0].owner == fake::FakeWorld::kDesktop);
    EXPECT_EQ(world.open_processes, 0);
  }
}

}  // namespace
}  // namespace mw
