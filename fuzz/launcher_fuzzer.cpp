// LaunchProgram on a platform whose every lookup answers from the input: the
// command line and wait flag, the environment, what FindExecutable says, the
// shell's and CreateProcess's results, and whichever association keys and
// default values the line makes the launcher read under HKEY_CLASSES_ROOT.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <map>

#include "engine/launcher.h"
#include "fakes/fake_world.h"
#include "fuzz_check.h"

namespace {

using mw::RegistryRoot;
namespace reg = mw::reg;

constexpr long kAccessDenied = 5;

// Keys and values the launcher asks for come into being, fail or stay absent
// as the input says, and a value may change between the size query and the
// read; FindExecutable and the expansion answer from the input too.
class AnsweringWorld : public mw::fake::FakeWorld {
 public:
  explicit AnsweringWorld(FuzzedDataProvider& input) : input_(input) {}

  long OpenKey(RegistryRoot root, const std::string& path, std::uint32_t access,
               Key* key) override {
    const std::string full = "HKCR\\" + path;
    if (root == RegistryRoot::ClassesRoot && !HasKey(full)) {
      switch (input_.ConsumeIntegralInRange(0, 3)) {
        case 0:
          return reg::kFileNotFound;
        case 1:
          return kAccessDenied;
        default:
          PutKey(full);
      }
    }
    const long result = FakeWorld::OpenKey(root, path, access, key);
    if (result == reg::kSuccess) paths_[*key] = full;
    return result;
  }

  long QueryValue(Key key, const std::string& name, std::uint32_t* type, unsigned char* data,
                  std::uint32_t* size) override {
    auto path = paths_.find(key);
    if (path != paths_.end()) {
      const bool present = Find(path->second, name) != nullptr;
      switch (input_.ConsumeIntegralInRange(0, 4)) {
        case 0:
          if (!present) return reg::kFileNotFound;
          break;
        case 1:
          return kAccessDenied;
        case 2:  // (re)written just now
          PutValue(path->second, name, NewValue());
          break;
        default:
          if (!present) PutValue(path->second, name, NewValue());
      }
    }
    return FakeWorld::QueryValue(key, name, type, data, size);
  }

  void CloseKey(Key key) override {
    paths_.erase(key);
    FakeWorld::CloseKey(key);
  }

  std::uint32_t ExpandEnvironment(const std::string& source, char* buffer,
                                  std::uint32_t buffer_size) override {
    if (input_.ConsumeIntegralInRange(0, 15) == 0) return 0;
    return FakeWorld::ExpandEnvironment(source, buffer, buffer_size);
  }

  std::intptr_t FindExecutableFor(const std::string&, char* buffer,
                                  std::uint32_t buffer_size) override {
    // The system fills at most MAX_PATH bytes and terminates them, whatever it found.
    const std::string answer = input_.ConsumeRandomLengthString(buffer_size - 1);
    std::memcpy(buffer, answer.c_str(), answer.size() + 1);
    return input_.ConsumeIntegralInRange<std::intptr_t>(0, 64);
  }

 private:
  mw::fake::FakeValue NewValue() {
    mw::fake::FakeValue value;
    value.type = input_.ConsumeIntegralInRange<std::uint32_t>(0, 11);
    const std::string bytes = input_.ConsumeRandomLengthString(600);
    value.data.assign(bytes.begin(), bytes.end());
    return value;
  }

  FuzzedDataProvider& input_;
  std::map<Key, std::string> paths_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string command_line = input.ConsumeRandomLengthString(1000);
  const bool wait = input.ConsumeBool();

  AnsweringWorld world(input);
  for (int count = input.ConsumeIntegralInRange(0, 3); count > 0; --count) {
    std::string name = input.ConsumeRandomLengthString(12);
    for (char& c : name)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    world.environment[name] = input.ConsumeRandomLengthString(600);
  }
  // A start that fails, or that asks for administrator rights and goes to the shell.
  long start_error = 0;
  if (input.ConsumeIntegralInRange(0, 7) == 0) start_error = input.ConsumeBool() ? 2 : 740;
  // The shell's answer: 32 and below is an error code.
  const long shell_answer = input.ConsumeIntegralInRange<long>(0, 64);
  world.fault = [=](mw::fake::Call call, const std::string&) {
    if (call == mw::fake::Call::kStartProcess) return start_error;
    return call == mw::fake::Call::kShellExecuteOpen && shell_answer <= 32 ? shell_answer : 0L;
  };

  const bool started = mw::LaunchProgram(world.platform(), command_line, wait).started;

  // Whatever was opened is closed again.
  FUZZ_CHECK(world.open_keys() == 0);
  FUZZ_CHECK(world.open_processes == 0);
  FUZZ_CHECK(world.open_jobs == 0);
  // A false start always reaches the user; a true one really started something.
  if (started) {
    FUZZ_CHECK(!world.started.empty() || !world.shell_calls.empty());
  } else {
    FUZZ_CHECK(!world.shown.empty());
  }
  for (const auto& notice : world.shown) FUZZ_CHECK(notice.text.size() < 1024);
  return 0;
}
