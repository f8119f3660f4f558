// The launcher with the real process, shell and registry adapters under Wine.
#include <gtest/gtest.h>

#include "engine/launcher.h"
#include "unit/win_test_support.h"

namespace mw {
namespace {

using wintest::World;

class LauncherOnWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = wintest::MakeTempFolder("launch");
    record_ = folder_ + "\\record.txt";
    wintest::SetEnv("MW_RECORD_FILE", record_);
    wintest::SetEnv("MW_RECORD_SLEEP_MS", "");
    child_ = wintest::ProgramFolder() + "\\record_args.exe";
  }
  void TearDown() override {
    wintest::SetEnv("MW_RECORD_FILE", "");
    wintest::SetEnv("MW_RECORD_SLEEP_MS", "");
  }

  std::string folder_;
  std::string record_;
  std::string child_;
  World world_;
};

TEST_F(LauncherOnWindows, StartsTheProgramWithTheCommandLineAsWritten) {
  const std::string command = child_ + " /Alpha beta";
  ASSERT_TRUE(LaunchProgram(world_.platform(), command, "1"));
  EXPECT_EQ(wintest::ReadFile(record_), child_ + "|" + command + "\n");
  EXPECT_TRUE(world_.notices.texts.empty());
}

TEST_F(LauncherOnWindows, WaitFlagOneWaitsForTheChildAndZeroDoesNot) {
  wintest::SetEnv("MW_RECORD_SLEEP_MS", "1500");
  DWORD start = GetTickCount();
  ASSERT_TRUE(LaunchProgram(world_.platform(), child_, "1"));
  EXPECT_GE(GetTickCount() - start, 1400u);
  EXPECT_NE(wintest::ReadFile(record_).find("ended"), std::string::npos);

  DeleteFileA(record_.c_str());
  start = GetTickCount();
  ASSERT_TRUE(LaunchProgram(world_.platform(), child_, "0"));
  EXPECT_LT(GetTickCount() - start, 1000u);
  EXPECT_EQ(wintest::ReadFile(record_).find("ended"), std::string::npos);
  EXPECT_TRUE(wintest::WaitForText(record_, "ended", 10000));  // let it finish
}

TEST_F(LauncherOnWindows, ExpandsEnvironmentVariables) {
  wintest::SetEnv("MW_CHILD", child_);
  ASSERT_TRUE(LaunchProgram(world_.platform(), "%MW_CHILD% %MW_UNDEFINED_NAME%", "1"));
  EXPECT_EQ(wintest::ReadFile(record_), child_ + "|" + child_ + " %MW_UNDEFINED_NAME%\n");
  wintest::SetEnv("MW_CHILD", "");
}

TEST_F(LauncherOnWindows, OpensADocumentThroughItsRegisteredAssociation) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, ".mwtestdoc", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  const char class_name[] = "MountwickTest.Document";
  RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(class_name),
                 sizeof class_name);
  RegCloseKey(key);
  ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, "MountwickTest.Document\\shell\\open\\command", 0,
                            nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const std::string open_command = "\"" + child_ + "\" \"%1\"";
  RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(open_command.c_str()),
                 static_cast<DWORD>(open_command.size() + 1));
  RegCloseKey(key);

  const std::string document = folder_ + "\\Notes.mwtestdoc";
  std::fclose(std::fopen(document.c_str(), "w"));

  ASSERT_TRUE(LaunchProgram(world_.platform(), document, "1"));
  const std::string recorded = wintest::ReadFile(record_);
  EXPECT_NE(recorded.find("record_args.exe"), std::string::npos) << recorded;
  EXPECT_NE(recorded.find("Notes.mwtestdoc"), std::string::npos) << recorded;
  EXPECT_TRUE(world_.notices.texts.empty());
}

TEST_F(LauncherOnWindows, NeverStartsAShorterPathOfAProgramWithBlanks) {
  // A planted C:\PROGRAM.EXE must not answer for C:\PROGRAM FILES\...\B.EXE.
  const std::string target_folder = "C:\\Program Files\\Mountwick Launch Test";
  CreateDirectoryA(target_folder.c_str(), nullptr);
  const std::string target = target_folder + "\\B.EXE";
  ASSERT_TRUE(CopyFileA(child_.c_str(), target.c_str(), FALSE));
  ASSERT_TRUE(CopyFileA(child_.c_str(), "C:\\PROGRAM.EXE", FALSE));

  const bool started = LaunchProgram(world_.platform(), target + " /x", "1");
  DeleteFileA("C:\\PROGRAM.EXE");
  DeleteFileA(target.c_str());
  RemoveDirectoryA(target_folder.c_str());

  ASSERT_TRUE(started);
  const std::string recorded = wintest::ReadFile(record_);
  EXPECT_NE(recorded.find("B.EXE|\"" + target + "\" /x"), std::string::npos) << recorded;
  EXPECT_EQ(recorded.find("PROGRAM.EXE|"), std::string::npos) << recorded;
}

TEST_F(LauncherOnWindows, ShellOpenOfAMissingFileReportsTheShellCodeWithTheSystemText) {
  EXPECT_FALSE(ShellOpen(world_.platform(), folder_ + "\\missing.mwtestdoc"));
  ASSERT_EQ(world_.notices.texts.size(), 1u);
  const std::string& text = world_.notices.texts[0];
  EXPECT_EQ(text.rfind("Mountwickからのエラー通知：\nアプリケーションの起動に失敗しました。", 0),
            0u);
  const std::string line = "\nSysErr(2) " + wintest::SystemText(2);
  EXPECT_NE(text.find(line), std::string::npos) << text;
  EXPECT_GT(wintest::SystemText(2).size(), 4u);  // the system really has a text
}

TEST_F(LauncherOnWindows, AFailedStartShowsTheSystemErrorNotice) {
  EXPECT_FALSE(LaunchProgram(world_.platform(), folder_ + "\\nothing-here.exe", "1"));
  ASSERT_EQ(world_.notices.texts.size(), 1u);
  EXPECT_EQ(
      world_.notices.texts[0].rfind("アプリケーションの起動に失敗しました。\n\n起動アプリ = ", 0),
      0u);
  EXPECT_NE(world_.notices.texts[0].find("\nSysErr(2) "), std::string::npos);
}

}  // namespace
}  // namespace mw
