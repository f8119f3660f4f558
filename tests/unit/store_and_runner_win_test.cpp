// The settings store and the runner with the real registry, volume and
// process adapters under Wine.
#include <gtest/gtest.h>

#include "engine/runner.h"
#include "store/action_store.h"
#include "store/registry_settings.h"
#include "unit/win_test_support.h"

namespace mw {
namespace {

class StoreOnWindows : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, "software\\Quillory"); }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, "software\\Quillory"); }
  wintest::World world_;
};

TEST_F(StoreOnWindows, ActionsRoundTripThroughTheUsersRegistry) {
  EXPECT_FALSE(MakerSubkeyExists(world_.platform(), "Mountwick"));
  ActionList saved(3);
  saved[0].Name = "カード表示";  // 表 ends in the byte 0x5C
  saved[0].HardwareID = "USB\\VID_0BDA&PID_0158";
  saved[0].ExeFile = "\"C:\\Program Files\\Viewer\\viewer.exe\" %_newdrv_%:\\";
  saved[1].Name = "ソフト";
  saved[1].State = "1";
  saved[2].Name = "";
  SaveActions(world_.platform(), saved);
  EXPECT_TRUE(MakerSubkeyExists(world_.platform(), "Mountwick"));

  ActionList loaded;
  EXPECT_TRUE(LoadActions(world_.platform(), loaded));
  ASSERT_EQ(loaded.size(), 3u);
  EXPECT_EQ(loaded[0].Name, saved[0].Name);
  EXPECT_EQ(loaded[0].ExeFile, saved[0].ExeFile);
  EXPECT_EQ(loaded[1].Name, saved[1].Name);
  EXPECT_EQ(loaded[1].State, "1");
  EXPECT_EQ(loaded[2].Ex_RmvRetryCount, "1");

  // Two after three: exactly 32 values remain.
  saved.pop_back();
  SaveActions(world_.platform(), saved);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "software\\Quillory\\Mountwick\\1.0\\Actions", 0,
                          KEY_READ, &key),
            ERROR_SUCCESS);
  DWORD values = 0;
  RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                   nullptr, nullptr, nullptr);
  char data[8] = {};
  DWORD size = sizeof data;
  DWORD type = 0;
  EXPECT_EQ(RegQueryValueExA(key, "1_State", nullptr, &type, reinterpret_cast<BYTE*>(data), &size),
            ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(values, 32u);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, 2u);  // "1" and its NUL
  EXPECT_TRUE(world_.notices.texts.empty());
}

TEST_F(StoreOnWindows, ADwordZeroReadsAsEmptyText) {
  HKEY key = nullptr;
  RegCreateKeyExA(HKEY_CURRENT_USER, "software\\Quillory\\Mountwick\\1.0\\Actions", 0, nullptr, 0,
                  KEY_ALL_ACCESS, nullptr, &key, nullptr);
  const DWORD zero = 0;
  RegSetValueExA(key, "0_Name", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&zero), sizeof zero);
  RegCloseKey(key);
  std::string text = "x";
  EXPECT_TRUE(ReadSetting(world_.platform(), "Actions", "0_Name", text));
  EXPECT_EQ(text, "");
}

// The test prefix maps drive E: to a folder labelled "Photos" that holds DCIM.
class RunnerOnWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    char label[64] = {};
    ASSERT_TRUE(
        GetVolumeInformationA("E:\\", label, sizeof label, nullptr, nullptr, nullptr, nullptr, 0))
        << "the test prefix has no drive E:";
    record_ = wintest::MakeTempFolder("record") + "\\record.txt";
    wintest::SetEnv("MW_RECORD_FILE", record_);
  }
  void TearDown() override { wintest::SetEnv("MW_RECORD_FILE", ""); }

  Action Run(const std::string& volume, const std::string& path) {
    Action run;
    run.DriveLetter = 'E';
    run.ExeFile = wintest::ProgramFolder() + "\\record_args.exe %_newdrv_%:\\DCIM";
    run.Eject = "1";  // wait for the child, so the record is complete
    run.Ex_RunVolumeChk = volume.empty() ? "0" : "1";
    run.Ex_RunVolume = volume;
    run.Ex_RunPathChk = path.empty() ? "0" : "1";
    run.Ex_RunPath = path;
    return run;
  }

  std::string record_;
  wintest::World world_;
};

TEST_F(RunnerOnWindows, ChecksOnAMappedDriveDecideAndTheTokenIsReplaced) {
  EXPECT_EQ(ExecuteRun(world_.platform(), Run("", "DCIM")), 0u);
  EXPECT_NE(wintest::ReadFile(record_).find("record_args.exe E:\\DCIM"), std::string::npos)
      << wintest::ReadFile(record_);

  DeleteFileA(record_.c_str());
  EXPECT_EQ(ExecuteRun(world_.platform(), Run("PHOTOS", "\\DCIM")), 0u);
  EXPECT_NE(wintest::ReadFile(record_).find("E:\\DCIM"), std::string::npos);

  DeleteFileA(record_.c_str());
  EXPECT_EQ(ExecuteRun(world_.platform(), Run("", "NO_SUCH_FOLDER")), 0u);
  EXPECT_EQ(ExecuteRun(world_.platform(), Run("Photos", "")), 0u);  // compared as typed
  EXPECT_EQ(wintest::ReadFile(record_), "");
  EXPECT_TRUE(world_.notices.texts.empty());
}

}  // namespace
}  // namespace mw
