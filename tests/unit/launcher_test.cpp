#include "engine/launcher.h"

#include <gtest/gtest.h>

#include "fakes/fake_world.h"

namespace mw {
namespace {

constexpr char kBrowser[] = "\"C:\\PROGRAM FILES\\BROWSER\\BROWSER.EXE\"";

// A world with a default browser, a text-file association in the registry,
// and a few answers of the system's association search.
class Launcher : public ::testing::Test {
 protected:
  void SetUp() override {
    world_.processes.environment = {{"WINDIR", "C:\\WINDOWS"}, {"SYSTEMROOT", "C:\\WINDOWS"}};
    world_.registry.PutString("HKCR\\.html", "", "htmlfile");
    world_.registry.PutString("HKCR\\htmlfile\\shell\\open\\command", "",
                              "\"C:\\Program Files\\Browser\\browser.exe\" -url \"%1\"");
    world_.registry.PutString("HKCR\\.txt", "", "txtfile");
    world_.registry.PutString("HKCR\\txtfile\\shell\\open\\command", "",
                              "%SystemRoot%\\system32\\notepad.exe %1");
    world_.processes.find_executable = {
        {"C:\\My Files\\Notes.txt", "C:\\WINDOWS\\notepad.exe"},
        {"E:\\Photo.jpg", "C:\\Viewer\\view.exe"},
        {"E:\\memo.txt", "\"%1\""},
        {"E:\\script.txt", "C:\\tools\\open.cmd"},
        {"C:\\X\\TOOL", "C:\\X\\TOOL"},
    };
    world_.notices.system_texts[2] = "ファイルが見つかりません。\r\n";
  }

  std::vector<std::string> StartedCommands() const {
    std::vector<std::string> commands;
    for (const auto& started : world_.processes.started) commands.push_back(started.command_line);
    return commands;
  }

  fake::FakeWorld world_;
};

TEST_F(Launcher, StartsWhatTheCommandLineNames) {
  struct Case {
    std::string command_line;
    std::string started;
  };
  const std::vector<Case> cases = {
      {"C:\\TOOLS\\APP.EXE /A /B", "C:\\TOOLS\\APP.EXE /A /B"},
      // Tests run on the upper-cased copy; the started command keeps the user's letters.
      {"c:\\tools\\App.exe /a /Mixed", "c:\\tools\\App.exe /a /Mixed"},
      {"\"C:\\My Tools\\app.exe\"", "\"C:\\My Tools\\app.exe\" "},
      {"\"C:\\My Tools\\app.exe\" /X", "\"C:\\My Tools\\app.exe\"  /X"},
      {"C:\\Run.bat arg", "C:\\Run.bat arg"},
      {"C:\\TOOL.COM", "C:\\TOOL.COM "},
      // ".BAT " wins over an earlier ".EXE ", whatever the positions.
      {"C:\\A.EXE X.BAT Y", "C:\\A.EXE X.BAT Y"},
      {"C:\\WINDOWS\\SYSTEM32\\CMD.EXE /C E:\\RUN.BAT X",
       "C:\\WINDOWS\\SYSTEM32\\CMD.EXE /C E:\\RUN.BAT X"},
      // A trailing quoted argument: the blank before it stays with the program.
      {"C:\\APP.EXE \"arg one\"", "C:\\APP.EXE  \"arg one\""},
      {"C:\\TOOLS\\VIEW.EXE /X \"E:\\a b.txt\"", "C:\\TOOLS\\VIEW.EXE /X  \"E:\\a b.txt\""},
      // A quoted argument in the middle: no split, yet a program.
      {"C:\\APP.EXE \"a b\" c", "C:\\APP.EXE \"a b\" c "},
      // The program path alone is quoted, so no shorter path is tried first.
      {"C:\\PROGRAM FILES\\A\\B.EXE /X", "\"C:\\PROGRAM FILES\\A\\B.EXE\" /X"},
      {"C:\\Program Files\\App.exe /x \"E:\\a b.txt\"",
       "\"C:\\Program Files\\App.exe\" /x  \"E:\\a b.txt\""},
      {"%WINDIR%\\notepad.exe %UNDEFINED%", "C:\\WINDOWS\\notepad.exe %UNDEFINED%"},
      // Documents through the association the system reports.
      {"C:\\My Files\\Notes.txt", "C:\\WINDOWS\\notepad.exe \"C:\\My Files\\Notes.txt\""},
      {"E:\\Photo.jpg", "C:\\Viewer\\view.exe E:\\Photo.jpg"},
      // A placeholder answer, or one that is no program: the registry's own command.
      {"E:\\memo.txt", "C:\\WINDOWS\\SYSTEM32\\NOTEPAD.EXE E:\\memo.txt"},
      {"E:\\script.txt", "C:\\WINDOWS\\SYSTEM32\\NOTEPAD.EXE E:\\script.txt"},
      // Web addresses go to the default browser, with the address as written.
      {"http://Example.com/Path", std::string(kBrowser) + " http://Example.com/Path"},
      {"C:\\APP.EXE http://x.example/", std::string(kBrowser) + " C:\\APP.EXE"},
  };
  for (const Case& c : cases) {
    world_.processes.started.clear();
    EXPECT_TRUE(LaunchProgram(world_.platform(), c.command_line, "0")) << c.command_line;
    EXPECT_EQ(StartedCommands(), std::vector<std::string>{c.started}) << c.command_line;
  }
  EXPECT_TRUE(world_.notices.shown.empty()) << world_.notices.Texts().front();
  EXPECT_EQ(world_.processes.open_processes, 0);
  EXPECT_EQ(world_.registry.OpenKeyCount(), 0u);
}

TEST_F(Launcher, MailAddressesGoToTheShellAndAreNeverWaitedFor) {
  for (const std::string line : {"mailto:Someone@Example.com", "MailTo:x@y", "MAILTO:A@B"}) {
    world_.processes.shell_calls.clear();
    EXPECT_TRUE(LaunchProgram(world_.platform(), line, "1"));
    ASSERT_EQ(world_.processes.shell_calls.size(), 1u);
    EXPECT_EQ(world_.processes.shell_calls[0].file, line);
    EXPECT_FALSE(world_.processes.shell_calls[0].has_parameters);
  }
  EXPECT_TRUE(world_.processes.started.empty());
}

TEST_F(Launcher, WaitsOnlyWhenAskedTo) {
  for (const bool wait : {true, false}) {
    world_.processes.started.clear();
    ASSERT_TRUE(LaunchProgram(world_.platform(), "C:\\APP.EXE", wait));
    EXPECT_EQ(world_.processes.started.at(0).waited, wait) << "wait " << wait;
  }
}

TEST_F(Launcher, FailuresShowTheirNoticeAndStartNothing) {
  struct Case {
    std::string command_line;
    std::vector<std::string> notices;
  };
  const std::string long_line(600, 'A');
  world_.processes.environment["LONG"] = std::string(520, 'x');
  const std::vector<Case> cases = {
      {"E:\\doc.unknown",
       {"アプリケーションの関連付けがありません。\n\nドキュメント = E:\\doc.unknown\n"}},
      {"C:\\X\\TOOL", {"拡張子関連付けレジストリの読み出しに失敗しました。"}},
      {"",
       {"アプリケーションの起動に失敗しました。\n\n起動アプリ = \n\nSysErr(2) "
        "ファイルが見つかりません。\r\n"}},
      {long_line,
       {"アプリケーションの起動に失敗しました。\n\n起動アプリ = " + long_line +
        "\n\nSysErr(206) "}},
      {"%LONG%.EXE",
       {"アプリケーションの起動に失敗しました。\n\n起動アプリ = %LONG%.EXE\n\nSysErr(206) "}},
  };
  for (const Case& c : cases) {
    world_.notices.shown.clear();
    EXPECT_FALSE(LaunchProgram(world_.platform(), c.command_line, "1")) << c.command_line;
    EXPECT_EQ(world_.notices.Texts(), c.notices) << c.command_line;
  }
  EXPECT_TRUE(world_.processes.started.empty());
}

TEST_F(Launcher, AFailedRegistryReadGivesTwoNoticesInARow) {
  world_.registry.SetFault([](auto op, const std::string& path, const std::string&) {
    return op == fake::FakeRegistry::Op::Open && path == "HKCR\\.html" ? 5L : 0L;
  });
  world_.notices.system_texts[5] = "アクセスが拒否されました。\r\n";
  EXPECT_FALSE(LaunchProgram(world_.platform(), "https://example.com", "0"));
  EXPECT_EQ(world_.notices.Texts(),
            (std::vector<std::string>{
                "RegOpenKeyExに失敗しました。\nSysErr(5) アクセスが拒否されました。\r\n",
                "標準ブラウザのPath読み出しに失敗しました。"}));

  world_.notices.shown.clear();
  world_.processes.find_executable["E:\\note.md"] = "\"%1\"";
  EXPECT_FALSE(LaunchProgram(world_.platform(), "E:\\note.md", "0"));
  EXPECT_EQ(world_.notices.Texts(),
            (std::vector<std::string>{
                "RegOpenKeyExに失敗しました。\nSysErr(2) ファイルが見つかりません。\r\n",
                "拡張子関連付けレジストリの読み出しに失敗しました。"}));
  EXPECT_TRUE(world_.processes.started.empty());
}

TEST_F(Launcher, AnUnterminatedQuoteStartsABlankAndTheLine) {
  world_.processes.create_fails = true;
  world_.processes.create_error = 2;
  EXPECT_FALSE(LaunchProgram(world_.platform(), "\"C:\\A B\\X.EXE /Q", "0"));
  EXPECT_EQ(world_.notices.Texts(),
            std::vector<std::string>{
                "アプリケーションの起動に失敗しました。\n\n起動アプリ =  \"C:\\A B\\X.EXE /Q\n"
                "\nSysErr(2) ファイルが見つかりません。\r\n"});
}

TEST_F(Launcher, ShellOpenReportsTheShellResultAsASystemError) {
  world_.processes.shell_result = 2;
  EXPECT_FALSE(ShellOpen(world_.platform(), "Mountwick.chm"));
  EXPECT_EQ(world_.notices.Texts(),
            std::vector<std::string>{
                "Mountwickからのエラー通知：\nアプリケーションの起動に失敗しました。"
                "\n\n起動アプリ = Mountwick.chm\n\nSysErr(2) ファイルが見つかりません。\r\n"});
  world_.processes.shell_result = 33;
  EXPECT_TRUE(ShellOpen(world_.platform(), "regedit.exe", "/e \"x\""));
  EXPECT_EQ(world_.processes.shell_calls.back().parameters, "/e \"x\"");
}

TEST_F(Launcher, FindAssociatedProgramCutsTheRegisteredCommandToItsProgram) {
  struct Case {
    std::string registered;
    std::string program;
  };
  const std::vector<Case> cases = {
      {"\"C:\\Prog\\Viewer.exe\" \"%1\"", "\"C:\\PROG\\VIEWER.EXE\""},
      {"C:\\Prog\\viewer.exe /open %1", "C:\\PROG\\VIEWER.EXE"},
      {"\"C:\\Prog\\viewer.exe", ""},
      {"rundll32 shell32,OpenAs %1", "RUNDLL32 SHELL32,OPENAS %1"},
  };
  for (const Case& c : cases) {
    world_.registry.PutString("HKCR\\.pic", "", "picfile");
    world_.registry.PutString("HKCR\\picfile\\shell\\open\\command", "", c.registered);
    std::string program = "stale";
    EXPECT_TRUE(FindAssociatedProgram(world_.platform(), "\"E:\\a.b\\x.pic\" more", program));
    EXPECT_EQ(program, c.program) << c.registered;
  }
  // No default value: the extension itself names the class.
  world_.registry.PutKey("HKCR\\.raw");
  world_.registry.PutString("HKCR\\.raw\\shell\\open\\command", "", "C:\\raw.exe %1");
  std::string program;
  EXPECT_TRUE(FindAssociatedProgram(world_.platform(), "E:\\x.raw", program));
  EXPECT_EQ(program, "C:\\RAW.EXE");
  // No extension: false without a notice.
  EXPECT_FALSE(FindAssociatedProgram(world_.platform(), "E:\\folder.d\\noext", program));
  EXPECT_FALSE(FindAssociatedProgram(world_.platform(), "E:\\README", program));
  EXPECT_EQ(world_.notices.shown.size(), 1u);  // only the missing ".d\noext" key was noticed
}

}  // namespace
}  // namespace mw
