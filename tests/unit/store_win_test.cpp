// The settings store with the real registry adapter under Wine, in the private user key.
#include <tuple>

#include "store/action_store.h"
#include "unit/win_test_support.h"

namespace mw {
namespace {

constexpr char kActions[] = "software\\Quillory\\Mountwick\\1.0\\Actions";

TEST(StoreOnWindows, ActionsRoundTripThroughTheRealRegistry) {
  wintest::World world;
  const Platform platform = world.platform();
  ActionList saved(3);
  saved[0].Name = "カード表示";  // 表 ends in the byte 0x5C
  saved[0].ExeFile = "\"C:\\Program Files\\Viewer\\viewer.exe\" %_newdrv_%:\\";
  saved[1].Name = "ソフト";
  saved[1].State = "1";
  SaveActions(platform, saved);
  saved.pop_back();  // two after three
  SaveActions(platform, saved);
  ActionList loaded;
  ASSERT_TRUE(LoadActions(platform, loaded));
  ASSERT_EQ(loaded.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i)
    EXPECT_EQ(std::tie(loaded[i].Name, loaded[i].ExeFile, loaded[i].State),
              std::tie(saved[i].Name, saved[i].ExeFile, saved[i].State));

  // Two Actions' worth of values are left. (Wine ends a REG_SZ with a NUL
  // itself, so only the host tests see one stored without.)
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyA(wintest::PrivateCurrentUser::key, kActions, &key), ERROR_SUCCESS);
  DWORD values = 0;
  RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                   nullptr, nullptr, nullptr);
  EXPECT_EQ(values, 32u);
  RegCloseKey(key);

  EXPECT_EQ(world.texts, wintest::Lines{});
}

}  // namespace
}  // namespace mw
