// The launcher with the real adapters under Wine. What a started program received is read back
// from the program itself: the module that really ran and the arguments its C runtime parsed.
#include <gmock/gmock.h>

#include <fstream>
#include <sstream>

#include "engine/launcher.h"
#include "unit/expansion_cases.h"
#include "unit/win_test_support.h"

namespace mw {
namespace {

using wintest::Lines;

constexpr char kBin[] = R"(C:\mwlaunch\bin)", kSpaced[] = R"(C:\Program Files\Mw Launch)";
constexpr char kPlanted[] = R"(C:\Program.exe)";
// The copies of the child as the module path they report reads, upper-cased.
constexpr char B[] = R"(C:\MWLAUNCH\BIN\REC.EXE)", S[] = R"(C:\PROGRAM FILES\MW LAUNCH\REC.EXE)";

// Copies of the recording child in a folder without blanks and one with, a planted
// C:\Program.exe that must never run, batch files that hand their arguments on, and
// associations for a test document and for web pages, all pointing at the child.
class LauncherOnWindows : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const std::string child = driver::ProgramFolder() + "\\record_args.exe";
    const std::string spaced = std::string(kSpaced) + "\\rec.exe";
    for (const char* folder : {R"(C:\mwlaunch)", kBin, R"(C:\mwlaunch\My Docs)", kSpaced})
      CreateDirectoryA(folder, nullptr);
    for (const std::string& copy : {std::string(kBin) + "\\rec.exe", spaced, std::string(kPlanted)})
      CopyFileA(child.c_str(), copy.c_str(), FALSE);
    const std::pair<std::string, std::string> files[] = {
        {R"(C:\mwlaunch\run.bat)", "@C:\\mwlaunch\\bin\\rec.exe %*\r\n"},
        {std::string(kSpaced) + "\\run me.bat", "@\"" + spaced + "\" %*\r\n"},
        {R"(C:\mwlaunch\doc.mwtestdoc)", ""},
        {R"(C:\mwlaunch\My Docs\a b.mwtestdoc)", ""}};
    for (const auto& [path, text] : files) std::ofstream(path, std::ios::binary) << text;
    LONG size = sizeof html_class_;
    RegQueryValueA(HKEY_CLASSES_ROOT, ".html", html_class_, &size);
    for (const auto& [path, value] : std::initializer_list<std::pair<std::string, std::string>>{
             {".mwtestdoc", "MountwickTest.Document"},
             {R"(MountwickTest.Document\shell\open\command)", "\"" + spaced + "\" \"%1\""},
             {R"(MountwickTest.Browser\shell\open\command)", "\"" + spaced + "\" -url \"%1\""},
             {".html", "MountwickTest.Browser"}})
      RegSetValueA(HKEY_CLASSES_ROOT, path.c_str(), REG_SZ, value.c_str(), 0);  // sized by itself
    argv_file_ = driver::MakeFreshFolder("mw_launch") + "\\argv.txt";
    SetEnvironmentVariableA("MW_ARGV_FILE", argv_file_.c_str());
    SetEnvironmentVariableA("MW_BIN", kBin);
    SetEnvironmentVariableA("MW_SPACED", kSpaced);
    SetEnvironmentVariableA("MW_WORD", "Wort");
  }
  static void TearDownTestSuite() {
    RegSetValueA(HKEY_CLASSES_ROOT, ".html", REG_SZ, html_class_, 0);
    DeleteFileA(kPlanted);
    for (const char* name : {"MW_ARGV_FILE", "MW_BIN", "MW_SPACED", "MW_WORD"})
      SetEnvironmentVariableA(name, nullptr);
  }

  // The module that ran, upper-cased, and the arguments it parsed; nothing
  // when no recording child ran since the last call.
  static Lines Received() {
    std::istringstream text(driver::ReadFile(argv_file_));
    Lines lines;
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    if (!lines.empty()) CharUpperA(lines[0].data());
    DeleteFileA(argv_file_.c_str());
    return lines;
  }

  static inline char html_class_[256] = {};
  static inline std::string argv_file_;
  wintest::World world_;
};

// Plain programs are proved end to end; here the forms with a lookup or a second program.
TEST_F(LauncherOnWindows, StartsEveryCommonFormAsTyped) {
  const std::pair<std::string, Lines> cases[] = {
      {R"(C:\Program Files\Mw Launch\rec.exe /x "E:\a b.txt")", {S, "/x", R"(E:\a b.txt)"}},
      // Batch files, given to the command processor and run directly.
      {R"(C:\WINDOWS\SYSTEM32\CMD.EXE /C C:\mwlaunch\run.bat X)", {B, "X"}},
      {R"(C:\mwlaunch\run.bat alpha "b c")", {B, "alpha", "b c"}},
      {R"("C:\Program Files\Mw Launch\run me.bat" one)", {S, "one"}},
      // Environment variables, also one that expands to a path with blanks.
      {R"(%MW_BIN%\rec.exe %MW_WORD% %MW_UNDEFINED%)", {B, "Wort", "%MW_UNDEFINED%"}},
      {R"(%MW_SPACED%\rec.exe /e)", {S, "/e"}},
      // Documents through their association, with and without blanks.
      {R"(C:\mwlaunch\doc.mwtestdoc)", {S, R"(C:\mwlaunch\doc.mwtestdoc)"}},
      {R"(C:\mwlaunch\My Docs\a b.mwtestdoc)", {S, R"(C:\mwlaunch\My Docs\a b.mwtestdoc)"}},
      // Web addresses through the default browser, as written.
      {"https://Example.com/Path?b=1", {S, "https://Example.com/Path?b=1"}},
  };
  for (const auto& [command_line, received] : cases) {
    EXPECT_TRUE(LaunchProgram(world_.platform(), command_line, true)) << command_line;
    EXPECT_EQ(Received(), received) << command_line;
  }
  EXPECT_EQ(world_.texts, Lines{});
}

// A program that goes into a job first is started suspended: it runs nothing until resumed.
TEST_F(LauncherOnWindows, AProgramStartedWithItsThreadRunsOnlyOnceResumed) {
  ProcessPort& processes = world_.real.processes;
  ScopedProcess process(processes);
  ScopedThread thread(processes);
  std::uint32_t error = 0;
  ASSERT_TRUE(processes.StartProcess(std::string(kBin) + "\\rec.exe held", ProcessWindow::None,
                                     process.receive(), &error, thread.receive()));
  EXPECT_FALSE(processes.WaitForProcessEnd(process.get(), 1000) || !Received().empty());
  ASSERT_TRUE(processes.ResumeThread(thread.get(), &error));
  EXPECT_TRUE(processes.WaitForProcessEnd(process.get(), 10000));
  EXPECT_EQ(Received(), (Lines{B, "held"}));
}

// A failed start and a failed shell open both show the system's own text.
TEST_F(LauncherOnWindows, FailuresShowTheNoticeWithTheSystemText) {
  char system_text[256] = {};
  ASSERT_GT(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, 2,
                           0, system_text, sizeof system_text - 1, nullptr),
            4u);  // the system really has a text
  EXPECT_FALSE(ShellOpen(world_.platform(), R"(C:\mwlaunch\missing.mwtestdoc)"));
  EXPECT_FALSE(LaunchProgram(world_.platform(), R"(C:\mwlaunch\missing.exe)", true));
  const auto system_says = ::testing::HasSubstr("\nSysErr(2) " + std::string(system_text));
  EXPECT_THAT(world_.texts, ::testing::ElementsAre(system_says, system_says));
}

TEST(ExpansionOnWindows, TheSystemExpandsOnceLeftToRight) {
  for (const auto& [name, value] : expansion::kVariables) SetEnvironmentVariableA(name, value);
  win32::Win32Processes processes;
  expansion::ExpectExpandedAsRows(processes);
  for (const auto& [name, value] : expansion::kVariables) SetEnvironmentVariableA(name, nullptr);
}

}  // namespace
}  // namespace mw
