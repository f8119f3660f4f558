// LaunchProgram from expansion to the started command, for each kind of
// command line a user registers and for a mix of them. The process start
// itself is a fake, so the figures are the launcher's own decisions plus its
// registry and shell lookups.
#include <benchmark/benchmark.h>

#include <vector>

#include "engine/launcher.h"
#include "fakes/fake_world.h"

namespace mw {
namespace {

struct Line {
  const char* kind;
  const char* command_line;
};

const std::vector<Line> kLines = {
    {"program", "C:\\TOOLS\\SYNC.EXE /from E:\\DCIM /to D:\\PHOTOS"},
    {"quoted_program", "\"C:\\Program Files\\Photo Tool\\import.exe\" E:\\"},
    {"blanks_unquoted", "C:\\Program Files\\Photo Tool\\import.exe"},
    {"batch", "C:\\SCRIPTS\\BACKUP.BAT E: full"},
    {"environment", "%WINDIR%\\system32\\notepad.exe E:\\readme.txt"},
    {"document", "E:\\Photo.jpg"},
    {"registered_document", "E:\\notes.txt"},
    {"web_address", "http://example.com/backup-done"},
    {"mail_address", "mailto:admin@example.com"},
};

// A world that can start every line above without a notice.
void Prepare(fake::FakeWorld& world) {
  world.environment = {{"WINDIR", "C:\\WINDOWS"}, {"SYSTEMROOT", "C:\\WINDOWS"}};
  world.PutString("HKCR\\.html", "", "htmlfile");
  world.PutString("HKCR\\htmlfile\\shell\\open\\command", "",
                  "\"C:\\Program Files\\Browser\\browser.exe\" -url \"%1\"");
  world.PutString("HKCR\\.txt", "", "txtfile");
  world.PutString("HKCR\\txtfile\\shell\\open\\command", "",
                  "%SystemRoot%\\system32\\notepad.exe %1");
  world.find_executable = {{"E:\\Photo.jpg", "C:\\Viewer\\view.exe"}, {"E:\\notes.txt", "\"%1\""}};
}

// Keeps the fakes' records from growing without bound over millions of runs.
void Forget(fake::FakeWorld& world) {
  world.started.clear();
  world.shell_calls.clear();
}

void RunLaunches(benchmark::State& state, const std::vector<Line>& lines) {
  fake::FakeWorld world;
  Prepare(world);
  const Platform platform = world.platform();
  std::size_t launches = 0;
  bool all_started = true;
  for (auto _ : state) {
    for (const Line& line : lines)
      all_started &= LaunchProgram(platform, line.command_line, false).started;
    launches += lines.size();
    if ((launches & 0xFFF) < lines.size()) Forget(world);
  }
  if (!all_started || !world.shown.empty()) state.SkipWithError("a command line did not start");
  state.SetItemsProcessed(static_cast<std::int64_t>(launches));
}

const bool kRegistered = [] {
  for (const Line& line : kLines) {
    benchmark::RegisterBenchmark((std::string("BM_LaunchProgram/") + line.kind).c_str(),
                                 [line](benchmark::State& state) { RunLaunches(state, {line}); });
  }
  benchmark::RegisterBenchmark("BM_LaunchProgram/mixed",
                               [](benchmark::State& state) { RunLaunches(state, kLines); });
  return true;
}();

}  // namespace
}  // namespace mw
