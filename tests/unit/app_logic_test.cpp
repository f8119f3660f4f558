#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

#include "app/quit_question.h"
#include "app/startup_options.h"
#include "app/tray_clicks.h"
#include "app/tray_tip.h"
#include "app/update_checker.h"
#include "engine/runner.h"
#include "fakes/fake_world.h"
#include "model/product.h"
#include "notices/bounded_format.h"
#include "notices/notices.h"

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
  std::string build_bytes;  // the product's build as a REG_DWORD: four bytes, the lowest first
  for (int bit = 0; bit < 32; bit += 8) build_bytes += static_cast<char>(kBuildNumber >> bit);
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
                         "\\Mountwick\\Build4 " + build_bytes,
                         "\\Mountwick\\DisplayName1 "
                         "デバイス監視ランチャー(Mountwick)\0"s,
                         "\\Mountwick\\DistinctName1 Mountwick\0"s,
                         "\\Mountwick\\FilePath1 C:\\work\\Mountwick.exe\0"s}));
}

// A run with automatic removal counts while its runner has it, and only then.
TEST(WaitingRuns, ARunWithRemovalWaitsFromItsTakingToItsEnd) {
  fake::FakeWorld world;
  DeviceDiffMutex mutex(world);
  PendingRuns pending(mutex);
  RunnerContext context{world.platform(), pending};
  int changes = 0;
  pending.waiting().OnChange([&] { ++changes; });
  for (const std::string eject : {"1", "0"}) {
    mutex.Lock();
    pending.AppendLocked(mw::Run{fake::MakeAction("Name=A;ExeFile=C:\\A.EXE;Eject=" + eject)});
    mutex.Unlock();
    std::size_t during = 0;
    world.while_running = [&] { during = pending.waiting().Read().count; };
    EXPECT_EQ(RunnerThread(&context), 0u);
    EXPECT_EQ(during, eject == "1" ? 1u : 0u) << eject;
    EXPECT_EQ(pending.waiting().Read().count, 0u);
  }
  EXPECT_EQ(changes, 2);  // in and out, for the run with removal alone
}

// The tip names the run that has waited longest, cut at the tip's size between two characters;
// with runs waiting, quitting asks first, No by default, and Yes is logged.
TEST(WaitingRuns, TheTipAndTheQuitQuestionTellTheWaitingRuns) {
  fake::FakeWorld world;
  WaitingRuns waiting;
  world.answers = {mb::kIdNo, mb::kIdYes};
  EXPECT_EQ(TrayTipText(waiting.Read()), kTrayTip);
  EXPECT_TRUE(ConfirmQuit(world.platform(), waiting.Read()));
  EXPECT_TRUE(world.shown.empty() && world.activity.empty());  // nothing waits: no question

  const std::string prefix = std::string(kTrayTip) + " - 待機中 ";
  auto first = std::make_unique<WaitingRuns::Entry>(waiting, fake::MakeAction("Name=写真;Eject=1"));
  std::string pairs;  // 31 bytes of tip before the name, one more, then pairs past byte 127
  for (int i = 0; i < 60; ++i) pairs += "ソ";
  const WaitingRuns::Entry second(waiting, fake::MakeAction("Name=a" + pairs + ";Eject=1"));
  EXPECT_EQ(TrayTipText(waiting.Read()), prefix + "2 件: 写真");
  EXPECT_FALSE(ConfirmQuit(world.platform(), waiting.Read()));
  EXPECT_TRUE(ConfirmQuit(world.platform(), waiting.Read()));
  ASSERT_EQ(world.shown.size(), 2u);
  EXPECT_EQ(world.shown[0].style, mb::kYesNo | mb::kIconQuestion | mb::kDefaultButton2);
  EXPECT_THAT(world.shown[0].text, testing::StartsWith("アクション「写真」など 2 件"));
  EXPECT_EQ(
      world.activity,
      (std::vector<std::string>{"終了します: アクション「写真」など 2 件の取り外しは行いません"}));

  first.reset();
  const std::string tip = TrayTipText(waiting.Read());
  EXPECT_EQ(tip, prefix + "1 件: a" + pairs.substr(0, 94));
  EXPECT_EQ(tip.size(), kTrayTipBufferSize - 2);
}

}  // namespace
}  // namespace mw
