// ReadSetting's value-to-text rule on a value of any type and any bytes, in a
// registry that fails any call with any code the input picks and may rewrite
// the value between the size query and the read, or between reads.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <map>

#include "fakes/fake_world.h"
#include "fuzz_check.h"
#include "store/registry_settings.h"

namespace {

using mw::RegistryRoot;
namespace reg = mw::reg;

class ChangingRegistry : public mw::fake::FakeWorld {
 public:
  explicit ChangingRegistry(FuzzedDataProvider& input) : input_(input) {}

  long CreateKey(RegistryRoot root, const std::string& path, std::uint32_t access,
                 Key* key) override {
    const long result = FakeWorld::CreateKey(root, path, access, key);
    if (result == reg::kSuccess) paths_[*key] = "HKCU\\" + path;
    return result;
  }

  long QueryValue(Key key, const std::string& name, std::uint32_t* type, unsigned char* data,
                  std::uint32_t* size) override {
    const long result = FakeWorld::QueryValue(key, name, type, data, size);
    const std::string& path = paths_.at(key);
    if (data != nullptr && result == reg::kSuccess) {
      const mw::fake::FakeValue* value = Find(path, name);
      last_read = value ? value->data : std::vector<unsigned char>{};
    }
    if (input_.ConsumeIntegralInRange(0, 3) == 0) {
      mw::fake::FakeValue changed;
      changed.type = input_.ConsumeIntegral<std::uint32_t>();
      changed.data = input_.ConsumeBytes<unsigned char>(input_.ConsumeIntegralInRange(0, 2048));
      PutValue(path, name, std::move(changed));
    }
    return result;
  }

  void CloseKey(Key key) override {
    paths_.erase(key);
    FakeWorld::CloseKey(key);
  }

  std::vector<unsigned char> last_read;  // the data the last successful read returned

 private:
  FuzzedDataProvider& input_;
  std::map<Key, std::string> paths_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  ChangingRegistry registry(input);

  // Mostly the Actions subkey; sometimes one long enough to overflow the path buffer.
  const std::string subkey =
      input.ConsumeBool() ? std::string("Actions") : input.ConsumeRandomLengthString(1100);
  const std::string name = input.ConsumeRandomLengthString(40);
  const bool stored = input.ConsumeIntegralInRange(0, 7) != 0;
  if (stored) {
    mw::fake::FakeValue value;
    value.type = input.ConsumeIntegral<std::uint32_t>();
    value.data = input.ConsumeBytes<unsigned char>(input.ConsumeIntegralInRange(0, 4096));
    registry.PutValue(std::string("HKCU\\") + mw::kVersionKeyPath + subkey, name, value);
  }
  // Each call fails or not as the input says, with a code it picks.
  registry.fault = [&input](mw::fake::Call, const std::string&) {
    if (input.ConsumeIntegralInRange(0, 5) != 0) return 0L;
    static constexpr long kCodes[] = {2, 5, 6, 87, 234, 1018, 1021};
    return input.PickValueInArray(kCodes);
  };

  const mw::Platform platform = registry.platform();
  std::string value = "stale";
  const bool read = mw::ReadSetting(platform, subkey, name, value);

  FUZZ_CHECK(registry.open_keys() == 0);
  FUZZ_CHECK(registry.shown.size() <= 1);
  if (read) {
    // The bytes up to the first NUL, never more than were stored.
    const auto end = std::find(registry.last_read.begin(), registry.last_read.end(), 0);
    FUZZ_CHECK(value == std::string(registry.last_read.begin(), end));
    FUZZ_CHECK(registry.shown.empty());
  } else {
    FUZZ_CHECK(value.empty());
  }
  return 0;
}
