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
// as the input says, and a value may change between the size query and the read.
class AnsweringRegistry : public mw::fake::FakeRegistry {
 public:
  explicit AnsweringRegistry(FuzzedDataProvider& input) : input_(input) {}

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
    const long result = FakeRegistry::OpenKey(root, path, access, key);
    if (result == reg::kSuccess) paths_[*key] = full;
    return result;
  }

  long QueryValue(Key key, const std::string& name, std::uint32_t* type, unsigned char* data,
                  std::uint32_t* size) override {
    auto path = paths_.find(key);
    if (path != paths_.end()) {
      const bool present = HasValue(path->second, name);
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
    return FakeRegistry::QueryValue(key, name, type, data, size);
  }

  void CloseKey(Key key) override {
    paths_.erase(key);
    FakeRegistry::CloseKey(key);
  }

 private:
  Value NewValue() {
    Value value;
    value.type = input_.ConsumeIntegralInRange<std::uint32_t>(0, 11);
    const std::string bytes = input_.ConsumeRandomLengthString(600);
    value.data.assign(bytes.begin(), bytes.end());
    return value;
  }

  FuzzedDataProvider& input_;
  std::map<Key, std::string> paths_;
};

// FindExecutable and the expansion answer from the input whatever they are asked.
class AnsweringProcesses : public mw::fake::FakeProcesses {
 public:
  explicit AnsweringProcesses(FuzzedDataProvider& input) : input_(input) {}

  std::uint32_t ExpandEnvironment(const std::string& source, char* buffer,
                                  std::uint32_t buffer_size) override {
    if (input_.ConsumeIntegralInRange(0, 15) == 0) return 0;
    return FakeProcesses::ExpandEnvironment(source, buffer, buffer_size);
  }

  std::intptr_t FindExecutableFor(const std::string& file, char* buffer,
                                  std::uint32_t buffer_size) override {
    find_executable_calls.push_back(file);
    // The system fills at most MAX_PATH bytes and terminates them, whatever it found.
    const std::string answer = input_.ConsumeRandomLengthString(buffer_size - 1);
    std::memcpy(buffer, answer.c_str(), answer.size() + 1);
    return input_.ConsumeIntegralInRange<std::intptr_t>(0, 64);
  }

 private:
  FuzzedDataProvider& input_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string command_line = input.ConsumeRandomLengthString(1000);
  const bool wait = input.ConsumeBool();

  mw::fake::FakeWorld world;
  AnsweringRegistry registry(input);
  AnsweringProcesses processes(input);
  for (int count = input.ConsumeIntegralInRange(0, 3); count > 0; --count) {
    std::string name = input.ConsumeRandomLengthString(12);
    for (char& c : name)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    processes.environment[name] = input.ConsumeRandomLengthString(600);
  }
  processes.create_fails = input.ConsumeIntegralInRange(0, 7) == 0;
  processes.shell_result = input.ConsumeIntegralInRange<std::intptr_t>(0, 64);

  const mw::Platform platform{registry,      processes,   world.desktop,   world.notices,
                              world.threads, world.files, world.devices};
  const bool started = mw::LaunchProgram(platform, command_line, wait);

  // Whatever was opened is closed again.
  FUZZ_CHECK(registry.OpenKeyCount() == 0);
  FUZZ_CHECK(processes.open_processes == 0);
  // A false start always reaches the user; a true one really started something.
  if (started) {
    FUZZ_CHECK(!processes.started.empty() || !processes.shell_calls.empty());
  } else {
    FUZZ_CHECK(!world.notices.shown.empty());
  }
  for (const auto& notice : world.notices.shown) FUZZ_CHECK(notice.text.size() < 1024);
  return 0;
}
