#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

#include "app/quit_question.h"
#include "app/tray_tip.h"
#include "engine/runner.h"
#include "fakes/fake_world.h"
#include "model/product.h"

namespace mw {
namespace {

using fake::MakeAction;

// A run with automatic removal counts while its runner has it, and only then.
TEST(WaitingRuns, ARunWithRemovalWaitsFromItsTakingToItsEnd) {
  fake::FakeWorld world;
  DeviceDiffMutex mutex(world);
  PendingRuns pending(mutex);
  RunnerContext context{world.platform(), pending};
  int changes = 0;
  pending.waiting().OnChange([&] { ++changes; });
  for (const char* eject : {"1", "0"}) {
    {
      DeviceDiffLock lock(mutex);
      pending.AppendLocked(
          mw::Run{MakeAction("Name=A;ExeFile=C:\\A.EXE;Eject=" + std::string(eject))});
    }
    WaitingRuns::Summary during;
    world.while_running = [&] { during = pending.waiting().Read(); };
    EXPECT_EQ(RunnerThread(&context), 0u);
    EXPECT_EQ(during.count, eject == std::string("1") ? 1u : 0u) << eject;
    EXPECT_EQ(pending.waiting().Read().count, 0u);
  }
  EXPECT_EQ(changes, 2);  // in and out, once
}

// The tip names the run that has waited longest, cut at the tip's size between two characters;
// with runs waiting, quitting asks first, No by default.
TEST(WaitingRuns, TheTipAndTheQuitQuestionTellTheWaitingRuns) {
  fake::FakeWorld world;
  WaitingRuns waiting;
  world.answers = {mb::kIdNo, mb::kIdYes};
  EXPECT_EQ(TrayTipText(waiting.Read()), kTrayTip);
  EXPECT_TRUE(ConfirmQuit(world.platform(), waiting.Read()));
  EXPECT_TRUE(world.shown.empty());  // nothing waits: no question

  const std::string prefix = std::string(kTrayTip) + " - 待機中 ";
  auto first = std::make_unique<WaitingRuns::Entry>(waiting, MakeAction("Name=写真;Eject=1"));
  std::string pairs;  // 31 bytes of tip before the name, one more, then pairs past byte 127
  for (int i = 0; i < 60; ++i) pairs += "ソ";
  const WaitingRuns::Entry second(waiting, MakeAction("Name=a" + pairs + ";Eject=1"));
  EXPECT_EQ(TrayTipText(waiting.Read()), prefix + "2 件: 写真");
  EXPECT_FALSE(ConfirmQuit(world.platform(), waiting.Read()));
  EXPECT_TRUE(ConfirmQuit(world.platform(), waiting.Read()));
  ASSERT_EQ(world.shown.size(), 2u);
  EXPECT_EQ(world.shown[0].style, mb::kYesNo | mb::kIconQuestion | mb::kDefaultButton2);
  EXPECT_THAT(world.shown[0].text, testing::StartsWith("アクション「写真」など 2 件"));

  first.reset();
  const std::string tip = TrayTipText(waiting.Read());
  EXPECT_EQ(tip, prefix + "1 件: a" + pairs.substr(0, 94));
  EXPECT_EQ(tip.size(), kTrayTipBufferSize - 2);
}

}  // namespace
}  // namespace mw
