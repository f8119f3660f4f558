#include <gtest/gtest.h>

#include "app/carry_over.h"
#include "app/startup_options.h"
#include "app/tray_clicks.h"
#include "fakes/fake_world.h"

namespace mw {
namespace {

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
  fake::FakeWorld world;
  ExportCarryOver(world.platform(), BuildCarryOverPath(world.platform()));
  world.JoinAll();
  EXPECT_EQ(world.StartedCommands(),
            std::vector<std::string>{"C:\\WINDOWS\\System32\\reg.exe export "
                                     "HKCU\\software\\Quillory\\Mountwick "
                                     "\"C:\\work\\Mountwick_Verup.inf\" /y"});
  EXPECT_EQ(world.started.at(0).window, ProcessWindow::None);
  EXPECT_FALSE(world.started[0].waited || world.open_processes != 0);
}

}  // namespace
}  // namespace mw
