// The launcher with the real process, shell and registry adapters under Wine.
// What a started program received is read back from the program itself: the
// arguments its C runtime parsed and the module that really ran.
#include <gtest/gtest.h>

#include "engine/launcher.h"
#include "engine/runner.h"
#include "unit/win_test_support.h"

namespace mw {
namespace {

using wintest::World;

constexpr char kBin[] = "C:\\mwlaunch\\bin";
constexpr char kSpaced[] = "C:\\Program Files\\Mw Launch";
constexpr char kPlanted[] = "C:\\Program.exe";

void PutDefault(HKEY root, const std::string& path, const std::string& value) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
  RegCloseKey(key);
}

void WriteText(const std::string& path, const std::string& text) {
  if (FILE* file = std::fopen(path.c_str(), "wb")) {
    std::fputs(text.c_str(), file);
    std::fclose(file);
  }
}

// Copies of the recording child in a folder without blanks and one with, a
// planted C:\Program.exe that must never run, two batch files that hand
// their arguments on, and associations for a test document and for web
// addresses, all pointing at the child.
class LauncherOnWindows : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const std::string child = wintest::ProgramFolder() + "\\record_args.exe";
    CreateDirectoryA("C:\\mwlaunch", nullptr);
    CreateDirectoryA(kBin, nullptr);
    CreateDirectoryA("C:\\mwlaunch\\My Docs", nullptr);
    CreateDirectoryA(kSpaced, nullptr);
    CopyFileA(child.c_str(), (std::string(kBin) + "\\rec.exe").c_str(), FALSE);
    CopyFileA(child.c_str(), (std::string(kSpaced) + "\\rec.exe").c_str(), FALSE);
    CopyFileA(child.c_str(), kPlanted, FALSE);
    WriteText("C:\\mwlaunch\\run.bat", "@C:\\mwlaunch\\bin\\rec.exe %*\r\n");
    WriteText(std::string(kSpaced) + "\\run me.bat",
              "@\"C:\\Program Files\\Mw Launch\\rec.exe\" %*\r\n");
    WriteText("C:\\mwlaunch\\doc.mwtestdoc", "");
    WriteText("C:\\mwlaunch\\My Docs\\a b.mwtestdoc", "");
    PutDefault(HKEY_CLASSES_ROOT, ".mwtestdoc", "MountwickTest.Document");
    PutDefault(HKEY_CLASSES_ROOT, "MountwickTest.Document\\shell\\open\\command",
               "\"C:\\Program Files\\Mw Launch\\rec.exe\" \"%1\"");
    PutDefault(HKEY_CLASSES_ROOT, "MountwickTest.Browser\\shell\\open\\command",
               "\"C:\\Program Files\\Mw Launch\\rec.exe\" -url \"%1\"");
    html_class_ = ReadDefault(".html");
    PutDefault(HKEY_CLASSES_ROOT, ".html", "MountwickTest.Browser");
  }
  static void TearDownTestSuite() {
    PutDefault(HKEY_CLASSES_ROOT, ".html", html_class_);
    DeleteFileA(kPlanted);
  }
  static std::string ReadDefault(const std::string& path) {
    char value[256] = {};
    LONG size = sizeof value;
    RegQueryValueA(HKEY_CLASSES_ROOT, path.c_str(), value, &size);
    return value;
  }

  void SetUp() override {
    folder_ = wintest::MakeTempFolder("launch");
    argv_file_ = folder_ + "\\argv.txt";
    record_ = folder_ + "\\record.txt";
    wintest::SetEnv("MW_ARGV_FILE", argv_file_);
    wintest::SetEnv("MW_RECORD_FILE", record_);
    wintest::SetEnv("MW_RECORD_SLEEP_MS", "");
  }
  void TearDown() override {
    for (const char* name : {"MW_ARGV_FILE", "MW_RECORD_FILE", "MW_RECORD_SLEEP_MS"})
      wintest::SetEnv(name, "");
  }

  // The module that ran and the arguments it parsed, or nothing when no
  // recording child ran.
  std::vector<std::string> Received() {
    std::vector<std::string> lines;
    const std::string text = wintest::ReadFile(argv_file_);
    for (std::size_t at = 0; at < text.size();) {
      const std::size_t end = text.find('\n', at);
      lines.push_back(text.substr(at, end - at));
      at = end + 1;
    }
    if (!lines.empty()) lines[0] = Folded(lines[0]);
    return lines;
  }
  static std::string Folded(std::string path) {
    CharUpperA(path.data());
    return path;
  }

  static inline std::string html_class_;
  std::string folder_;
  std::string argv_file_;
  std::string record_;
  World world_;
};

TEST_F(LauncherOnWindows, StartsEveryCommonFormAsTyped) {
  wintest::SetEnv("MW_BIN", kBin);
  wintest::SetEnv("MW_SPACED", kSpaced);
  wintest::SetEnv("MW_WORD", "Wort");
  const std::string bin = Folded(std::string(kBin) + "\\rec.exe");
  const std::string spaced = Folded(std::string(kSpaced) + "\\rec.exe");
  struct Case {
    std::string command_line;
    std::vector<std::string> received;  // the module that ran, then its arguments
  };
  const std::vector<Case> cases = {
      {"C:\\mwlaunch\\bin\\rec.exe", {bin}},
      {"C:\\mwlaunch\\bin\\rec.exe /A /B", {bin, "/A", "/B"}},
      {"c:\\MWLAUNCH\\bin\\Rec.EXE /Mixed Case", {bin, "/Mixed", "Case"}},
      {"C:\\mwlaunch\\bin\\rec.exe   /spaced", {bin, "/spaced"}},
      {"C:\\mwlaunch\\bin\\rec.exe /X \"E:\\a b.txt\"", {bin, "/X", "E:\\a b.txt"}},
      {"C:\\mwlaunch\\bin\\rec.exe \"one two\" three", {bin, "one two", "three"}},
      {"\"C:\\Program Files\\Mw Launch\\rec.exe\"", {spaced}},
      {"\"C:\\Program Files\\Mw Launch\\rec.exe\" /X \"E:\\a b.txt\"",
       {spaced, "/X", "E:\\a b.txt"}},
      {"C:\\Program Files\\Mw Launch\\rec.exe", {spaced}},
      {"C:\\Program Files\\Mw Launch\\rec.exe /x", {spaced, "/x"}},
      {"C:\\Program Files\\Mw Launch\\rec.exe /x \"E:\\a b.txt\"", {spaced, "/x", "E:\\a b.txt"}},
      {"C:\\Program Files\\Mw Launch\\rec.exe \"E:\\a b.txt\" /y", {spaced, "E:\\a b.txt", "/y"}},
      // Batch files, given to the command processor and run directly.
      {"C:\\WINDOWS\\SYSTEM32\\CMD.EXE /C C:\\mwlaunch\\run.bat X", {bin, "X"}},
      {"C:\\mwlaunch\\run.bat alpha \"b c\"", {bin, "alpha", "b c"}},
      {"\"C:\\Program Files\\Mw Launch\\run me.bat\" one", {spaced, "one"}},
      // Environment variables, also one that expands to a path with blanks.
      {"%MW_BIN%\\rec.exe %MW_WORD% %MW_UNDEFINED%", {bin, "Wort", "%MW_UNDEFINED%"}},
      {"%MW_SPACED%\\rec.exe /e", {spaced, "/e"}},
      // Documents through their association, with and without blanks.
      {"C:\\mwlaunch\\doc.mwtestdoc", {spaced, "C:\\mwlaunch\\doc.mwtestdoc"}},
      {"C:\\mwlaunch\\My Docs\\a b.mwtestdoc", {spaced, "C:\\mwlaunch\\My Docs\\a b.mwtestdoc"}},
      // Web addresses through the default browser, as written.
      {"http://example.com/a?b=1", {spaced, "http://example.com/a?b=1"}},
      {"https://Example.com/Path", {spaced, "https://Example.com/Path"}},
  };
  for (const Case& c : cases) {
    DeleteFileA(argv_file_.c_str());
    EXPECT_TRUE(LaunchProgram(world_.platform(), c.command_line, "1")) << c.command_line;
    EXPECT_EQ(Received(), c.received) << c.command_line;
  }
  EXPECT_TRUE(world_.notices.texts.empty()) << world_.notices.texts.front();
  for (const char* name : {"MW_BIN", "MW_SPACED", "MW_WORD"}) wintest::SetEnv(name, "");
}

TEST_F(LauncherOnWindows, TheDriveTokenInsideParametersBecomesTheNewDrive) {
  Action run;
  run.ExeFile = "C:\\mwlaunch\\bin\\rec.exe /root=%_newdrv_%:\\DCIM \"%_newdrv_%:\\a b\"";
  run.Eject = "1";  // waits for the child; the generic entry matches no device to remove
  run.HardwareID = "MESSAGE://DBT_DEVICEARRIVAL/VOLUME";
  run.DriveLetter = 'E';
  ASSERT_EQ(ExecuteRun(world_.platform(), run), 0u);
  EXPECT_EQ(Received(), (std::vector<std::string>{Folded(std::string(kBin) + "\\rec.exe"),
                                                   "/root=E:\\DCIM", "E:\\a b"}));
}

TEST_F(LauncherOnWindows, WaitFlagOneWaitsForTheChildAndZeroDoesNot) {
  const std::string child = wintest::ProgramFolder() + "\\record_args.exe";
  wintest::SetEnv("MW_RECORD_SLEEP_MS", "1500");
  DWORD start = GetTickCount();
  ASSERT_TRUE(LaunchProgram(world_.platform(), child, true));
  EXPECT_GE(GetTickCount() - start, 1400u);
  EXPECT_NE(wintest::ReadFile(record_).find("ended"), std::string::npos);

  DeleteFileA(record_.c_str());
  start = GetTickCount();
  ASSERT_TRUE(LaunchProgram(world_.platform(), child, false));
  EXPECT_LT(GetTickCount() - start, 1000u);
  EXPECT_EQ(wintest::ReadFile(record_).find("ended"), std::string::npos);
  EXPECT_TRUE(wintest::WaitForText(record_, "ended", 10000));  // let it finish
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
