#include "engine/launcher.h"

#include <gtest/gtest.h>

#include "fakes/fake_world.h"

namespace mw {
namespace {

constexpr char kBrowser[] = "\"C:\\PROGRAM FILES\\BROWSER\\BROWSER.EXE\" ";
constexpr char kStartFailed[] = "アプリケーションの起動に失敗しました。\n\n起動アプリ = ";

// A default browser, a text-file association, and what the system's
// association search answers for a few documents.
class Launcher : public ::testing::Test {
 protected:
  void SetUp() override {
    world_.environment = {{"WINDIR", "C:\\WINDOWS"}, {"SYSTEMROOT", "C:\\WINDOWS"}};
    world_.PutString("HKCR\\.html", "", "htmlfile");
    world_.PutString("HKCR\\htmlfile\\shell\\open\\command", "",
                     "\"C:\\Program Files\\Browser\\browser.exe\" -url \"%1\"");
    world_.PutString("HKCR\\.txt", "", "txtfile");
    world_.PutString("HKCR\\txtfile\\shell\\open\\command", "",
                     "%SystemRoot%\\system32\\notepad.exe %1");
    world_.find_executable = {{"C:\\My Files\\Notes.txt", "C:\\WINDOWS\\notepad.exe"},
                              {"E:\\Photo.jpg", "C:\\Viewer\\view.exe"},
                              {"E:\\memo.txt", "\"%1\""},
                              {"E:\\script.txt", "C:\\tools\\open.cmd"},
                              {"E:\\note.md", "\"%1\""}};
    world_.system_texts[2] = "見つかりません。\r\n";
    world_.system_texts[5] = "拒否されました。\r\n";
  }
  fake::FakeWorld world_;
};

TEST_F(Launcher, StartsWhatTheCommandLineNames) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      // The tests run on an upper-cased copy; the start keeps the user's letters.
      {"c:\\tools\\App.exe /a /Mixed", "c:\\tools\\App.exe /a /Mixed"},
      {"\"C:\\My Tools\\app.exe\"", "\"C:\\My Tools\\app.exe\" "},
      {"\"C:\\My Tools\\app.exe\" /X", "\"C:\\My Tools\\app.exe\"  /X"},
      {"C:\\Run.bat arg", "C:\\Run.bat arg"},
      {"C:\\TOOL.COM", "C:\\TOOL.COM "},
      {"C:\\APP.EXE \"a b\" c", "C:\\APP.EXE \"a b\" c "},  // a quote in the middle: no split
      // The program path alone is quoted, so that no shorter path is tried first.
      {"C:\\PROGRAM FILES\\A\\B.EXE /X", "\"C:\\PROGRAM FILES\\A\\B.EXE\" /X"},
      {"C:\\Program Files\\App.exe /x \"E:\\a b.txt\"",
       "\"C:\\Program Files\\App.exe\" /x  \"E:\\a b.txt\""},
      {"%WINDIR%\\notepad.exe %UNDEFINED%", "C:\\WINDOWS\\notepad.exe %UNDEFINED%"},
      // Documents through the association the system reports; a placeholder
      // answer, or one that is no program, through the registry's own command.
      {"C:\\My Files\\Notes.txt", "C:\\WINDOWS\\notepad.exe \"C:\\My Files\\Notes.txt\""},
      {"E:\\Photo.jpg", "C:\\Viewer\\view.exe E:\\Photo.jpg"},
      {"E:\\memo.txt", "C:\\WINDOWS\\SYSTEM32\\NOTEPAD.EXE E:\\memo.txt"},
      {"E:\\script.txt", "C:\\WINDOWS\\SYSTEM32\\NOTEPAD.EXE E:\\script.txt"},
      // Web addresses go to the default browser, mail addresses to the shell.
      {"http://Example.com/Path", std::string(kBrowser) + "http://Example.com/Path"},
      {"C:\\APP.EXE http://x.example/", std::string(kBrowser) + "C:\\APP.EXE"},
      {"mailto:Someone@Example.com", "shell mailto:Someone@Example.com <none>"},
  };
  for (const auto& [line, expected] : cases) {
    world_.started.clear();
    world_.shell_calls.clear();
    EXPECT_TRUE(LaunchProgram(world_.platform(), line, "0")) << line;
    std::vector<std::string> launched = world_.StartedCommands();
    for (const auto& [file, parameters] : world_.shell_calls)
      launched.push_back("shell " + file + " " + parameters);
    EXPECT_EQ(launched, std::vector<std::string>{expected}) << line;
  }
  EXPECT_EQ(world_.Texts(), std::vector<std::string>{});
  EXPECT_EQ(world_.open_processes, 0);
  EXPECT_EQ(world_.open_keys(), 0u);
}

TEST_F(Launcher, FailuresShowTheirNoticesAndStartNothing) {
  world_.environment["LONG"] = std::string(520, 'x');
  // The line, the call whose first use fails with 5, the notices.
  const std::tuple<std::string, std::string, std::vector<std::string>> cases[] = {
      // A program's extension counts only at the end of its path.
      {"E:\\doc.EXE.unknown",
       "",
       {"アプリケーションの関連付けがありません。\n\nドキュメント = E:\\doc.EXE.unknown\n"}},
      {"%LONG%.EXE", "", {kStartFailed + std::string("%LONG%.EXE\n\nSysErr(206) ")}},
      {"\"C:\\A B\\X.EXE /Q",
       "StartProcess",
       {kStartFailed + std::string(" \"C:\\A B\\X.EXE /Q\n\nSysErr(5) 拒否されました。\r\n")}},
      {"https://example.com",
       "OpenKey",
       {"RegOpenKeyExに失敗しました。\nSysErr(5) 拒否されました。\r\n",
        "標準ブラウザのPath読み出しに失敗しました。"}},
      // A placeholder answer without a registered class.
      {"E:\\note.md",
       "",
       {"RegOpenKeyExに失敗しました。\nSysErr(2) 見つかりません。\r\n",
        "拡張子関連付けレジストリの読み出しに失敗しました。"}},
  };
  for (const auto& [line, failing, notices] : cases) {
    world_.shown.clear();
    world_.fault = [&, failed = false](const std::string& call, const std::string&) mutable {
      return call == failing && !std::exchange(failed, true) ? 5L : 0L;
    };
    EXPECT_FALSE(LaunchProgram(world_.platform(), line, "1")) << line;
    EXPECT_EQ(world_.Texts(), notices) << line;
  }
  EXPECT_TRUE(world_.started.empty());
}

TEST_F(Launcher, FindAssociatedProgramCutsTheRegisteredCommandToItsProgram) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"\"C:\\Prog\\Viewer.exe\" \"%1\"", "\"C:\\PROG\\VIEWER.EXE\""},
      {"C:\\Prog\\viewer.exe /open %1", "C:\\PROG\\VIEWER.EXE"},
      {"\"C:\\Prog\\viewer.exe", ""},
      {"rundll32 shell32,OpenAs %1", "RUNDLL32 SHELL32,OPENAS %1"},
  };
  std::string program;
  for (const auto& [registered, expected] : cases) {
    world_.PutString("HKCR\\.pic", "", "picfile");
    world_.PutString("HKCR\\picfile\\shell\\open\\command", "", registered);
    EXPECT_TRUE(FindAssociatedProgram(world_.platform(), "\"E:\\a.b\\x.pic\" more", program));
    EXPECT_EQ(program, expected) << registered;
  }
  // Without a default value the extension itself names the class.
  world_.PutString("HKCR\\.raw\\shell\\open\\command", "", "C:\\raw.exe %1");
  EXPECT_TRUE(FindAssociatedProgram(world_.platform(), "E:\\x.raw", program));
  EXPECT_EQ(program, "C:\\RAW.EXE");
  EXPECT_FALSE(FindAssociatedProgram(world_.platform(), "E:\\README", program));
  EXPECT_TRUE(world_.shown.empty());
}

}  // namespace
}  // namespace mw
