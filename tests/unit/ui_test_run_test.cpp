#include "ui/test_run.h"

#include <gtest/gtest.h>

#include "fakes/fake_world.h"

namespace mw {
namespace {

constexpr UserNoticePort::Window kDialog = 0x4242;

class TestRun : public ::testing::Test {
 protected:
  fake::FakeWorld world_;
};

TEST_F(TestRun, AnEmptyCommandLineDoesNothing) {
  RunTestCommand(world_.platform(), kDialog, "", true);
  EXPECT_TRUE(world_.processes.started.empty());
  EXPECT_TRUE(world_.notices.shown.empty());
}

TEST_F(TestRun, WithoutWaitingTheProgramStartsAndNoMessageFollows) {
  RunTestCommand(world_.platform(), kDialog, "C:\\TOOLS\\APP.EXE %_newdrv_%:\\", false);
  ASSERT_EQ(world_.processes.started.size(), 1u);
  EXPECT_EQ(world_.processes.started[0].command_line, "C:\\TOOLS\\APP.EXE %_newdrv_%:\\");
  EXPECT_FALSE(world_.processes.started[0].waited);
  EXPECT_TRUE(world_.notices.shown.empty());
}

TEST_F(TestRun, AWaitedRunEndsWithTheTopmostInformationOwnedByTheDialog) {
  RunTestCommand(world_.platform(), kDialog, "C:\\TOOLS\\APP.EXE", true);
  ASSERT_EQ(world_.processes.started.size(), 1u);
  EXPECT_TRUE(world_.processes.started[0].waited);
  ASSERT_EQ(world_.notices.shown.size(), 1u);
  const auto& info = world_.notices.shown[0];
  EXPECT_EQ(info.owner, kDialog);
  EXPECT_EQ(info.text, "プロセスの終了を検知しました。\nこのタイミングで取り外しが試みられます。");
  EXPECT_EQ(info.caption, "Mountwickからの通知");
  EXPECT_EQ(info.style, 0x40040u);
}

TEST_F(TestRun, AFailedStartShowsOnlyTheLaunchersNotice) {
  world_.processes.create_fails = true;
  RunTestCommand(world_.platform(), kDialog, "C:\\TOOLS\\APP.EXE", true);
  ASSERT_EQ(world_.notices.shown.size(), 1u);
  EXPECT_NE(world_.notices.shown[0].text.find("C:\\TOOLS\\APP.EXE"), std::string::npos);
  EXPECT_NE(world_.notices.shown[0].style & mb::kIconError, 0u);
}

TEST_F(TestRun, ALongCommandLineIsTriedCutTo510Bytes) {
  const std::string line = "C:\\TOOLS\\APP.EXE " + std::string(600, 'x');
  RunTestCommand(world_.platform(), kDialog, line, false);
  ASSERT_EQ(world_.processes.started.size(), 1u);
  EXPECT_EQ(world_.processes.started[0].command_line, line.substr(0, 510));
}

}  // namespace
}  // namespace mw
