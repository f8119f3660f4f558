#include <gtest/gtest.h>

#include "app/carry_over.h"
#include "app/startup_options.h"
#include "app/tray_clicks.h"
#include "app/update_checker.h"
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

// The end-to-end suite reads the export back; here, that it opens no console and is not waited for.
TEST(CarryOver, ExportStartsTheWindowlessRegistryToolAndNeverWaits) {
  fake::FakeWorld world;
  ExportCarryOver(world.platform(), BuildCarryOverPath(world.platform()));
  world.JoinAll();
  ASSERT_EQ(world.started.size(), 1u);
  EXPECT_EQ(world.started[0].window, ProcessWindow::None);
  EXPECT_FALSE(world.started[0].waited || world.open_processes != 0);
}

// Nothing without the checker's root; with it, texts with their NUL and a 32-bit build.
TEST(UpdateChecker, WritesItsSevenValuesOnlyWhereTheCheckerIsInstalled) {
  using namespace std::string_literals;
  fake::FakeWorld world;
  const std::string author = "HKCU\\Software\\Tivolane\\support@quillory.example";
  for (const bool installed : {false, true}) {
    if (installed) world.PutKey("HKCU\\Software\\Tivolane");
    RegisterWithUpdateChecker(world.platform());
    EXPECT_EQ(world.HasKey(author), installed);
  }
  std::vector<std::string> written;  // key, name, type and bytes
  for (const std::string& key : {author, author + "\\Mountwick"})
    for (const std::string& name : world.ValueNames(key)) {
      const fake::FakeValue& value = *world.Find(key, name);
      written.push_back(key.substr(author.size()) + "\\" + name + std::to_string(value.type) + " " +
                        std::string(value.data.begin(), value.data.end()));
    }
  EXPECT_EQ(written, (std::vector<std::string>{
                         "\\Author1 Quillory\0"s, "\\DisplayHost1 https://quillory.example/\0"s,
                         "\\InfoURL1 https://quillory.example/mountwick/update.txt\0"s,
                         "\\Mountwick\\Build4 \x66\0\0\0"s,
                         "\\Mountwick\\DisplayName1 "
                         "デバイス監視ランチャー(Mountwick)\0"s,
                         "\\Mountwick\\DistinctName1 Mountwick\0"s,
                         "\\Mountwick\\FilePath1 C:\\work\\Mountwick.exe\0"s}));
}

}  // namespace
}  // namespace mw
