#include <gtest/gtest.h>

#include <cstring>

#include "app/carry_over.h"
#include "app/startup_options.h"
#include "app/tray_clicks.h"
#include "app/update_checker.h"
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
  // Started from a worker thread, or from the caller when no thread can start.
  for (const bool thread_starts : {true, false}) {
    fake::FakeWorld world;
    world.current_directory = "E:\\";
    world.run_threads_inline = true;
    if (!thread_starts) world.FailAlways("StartDetachedThread", 8);
    ExportCarryOver(world.platform(), BuildCarryOverPath(world.platform()));
    ASSERT_EQ(world.started.size(), 1u);
    EXPECT_EQ(world.started[0].command_line,
              kRegTool + std::string("export HKCU\\software\\Quillory\\Mountwick "
                                     "\"E:\\\\Mountwick_Verup.inf\" /y"));
    EXPECT_EQ(world.started[0].window, ProcessWindow::None);
    EXPECT_FALSE(world.started[0].waited);
    EXPECT_TRUE(world.timed_waits.empty());
    EXPECT_EQ(world.open_processes, 0);
    EXPECT_EQ(world.threads_started, thread_starts ? 1u : 0u);
  }
}

TEST(CarryOver, ImportAsksWhenTheFileExistsAndRunsTheToolOnYes) {
  struct Case {
    bool exists;
    int answer;
    bool imports;  // the tool writes the settings; else it fails to start
    std::size_t starts, notices;
    bool settings_absent;
  };
  for (const Case& c : std::vector<Case>{{false, mb::kIdYes, true, 0, 0, true},
                                         {true, mb::kIdNo, true, 0, 1, true},
                                         {true, mb::kIdYes, true, 1, 1, false},
                                         {true, mb::kIdYes, false, 0, 3, true}}) {
    fake::FakeWorld world;
    world.current_directory = "D:\\My Tools";
    if (c.exists) world.existing_paths.insert("Mountwick_Verup.inf");
    world.answers = {c.answer};
    if (!c.imports) world.FailAlways("StartProcess", 2);
    world.on_start = [&] { world.PutKey("HKCU\\software\\Quillory\\Mountwick\\1.0\\Actions"); };
    const std::string path = BuildCarryOverPath(world.platform());
    EXPECT_EQ(ImportCarryOver(world.platform(), path), c.settings_absent) << c.notices;
    EXPECT_EQ(world.StartedCommands(),
              std::vector<std::string>(c.starts, kRegTool + ("import " + path)))
        << c.notices;
    EXPECT_EQ(world.shown.size(), c.notices) << c.notices;
    if (c.exists) {
      EXPECT_EQ(world.shown[0].owner, fake::FakeWorld::kDesktop);
    }
    EXPECT_EQ(world.timed_waits, std::vector<std::uint32_t>(c.starts, 30000));
    EXPECT_EQ(world.open_processes, 0);
  }
}

TEST(UpdateChecker, RegistersUnderTheCheckersRootOnly) {
  fake::FakeWorld world;
  RegisterWithUpdateChecker(world.platform());
  EXPECT_FALSE(world.HasKey("HKCU\\Software\\Tivolane"));
  world.current_directory = "D:\\Apps";
  world.PutKey("HKCU\\Software\\Tivolane");
  const std::string entry = "HKCU\\Software\\Tivolane\\support@quillory.example\\Mountwick";
  world.PutString(entry, "Build", "old");
  RegisterWithUpdateChecker(world.platform());
  const fake::FakeValue* build = world.Find(entry, "Build");
  EXPECT_EQ(build->type, reg::kDword);
  EXPECT_EQ(build->data, (std::vector<unsigned char>{102, 0, 0, 0}));
  EXPECT_EQ(world.Find(entry, "FilePath")->data.size(), std::strlen("D:\\Apps\\Mountwick.exe") + 1);
  EXPECT_EQ(world.GetString(entry, "FilePath"), "D:\\Apps\\Mountwick.exe");
  EXPECT_EQ(world.ValueNames(entry).size(), 4u);
  EXPECT_EQ(world.open_keys(), 0u);
}

}  // namespace
}  // namespace mw
