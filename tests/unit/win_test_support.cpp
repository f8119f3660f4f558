#include "unit/win_test_support.h"

#include <gtest/gtest.h>

namespace mw::wintest {
namespace {

// For the whole program, HKEY_CURRENT_USER is a fresh key of this run.
struct PrivateCurrentUserEnvironment : ::testing::Environment {
  void SetUp() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());  // left by an earlier run with this pid
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, key), ERROR_SUCCESS);  // else no test runs
  }
  void TearDown() override {
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegCloseKey(key);
    RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\MountwickTests");  // fails while others run
  }
  const std::string path = "Software\\MountwickTests\\" + std::to_string(GetCurrentProcessId());
  HKEY key = nullptr;
};

auto* const environment = static_cast<PrivateCurrentUserEnvironment*>(
    ::testing::AddGlobalTestEnvironment(new PrivateCurrentUserEnvironment));

}  // namespace

HKEY PrivateCurrentUser() {
  return environment->key;
}

}  // namespace mw::wintest
