// The installer a Windows user runs: a silent per-user install, the program
// started through each of its shortcuts, and a silent uninstall that keeps
// the settings.
#include "e2e/e2e_harness.h"
// After windows.h, which the harness brings.
#include <shellapi.h>
#include <shlobj.h>

#include "resource.h"

namespace e2e {
namespace {

std::string Folder(int csidl) {
  char path[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, csidl, nullptr, 0, path);
  return path;
}

TEST_F(Case, TheInstallerInstallsPerUserItsShortcutsStartItAndUninstallKeepsSettings) {
  const std::string setup = Bin() + "\\..\\dist\\Mountwick-1.0-Build102-Setup.exe";
  ASSERT_TRUE(Exists(setup)) << setup;
  const std::string install = Folder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Mountwick";
  const std::string menu = Folder(CSIDL_PROGRAMS) + "\\Mountwick";
  ASSERT_EQ(RunAndWait("\"" + setup + "\" /S /STARTUP", 120000), 0);
  for (const char* file : {"Mountwick.exe", "readme.txt", "uninstall.exe"})
    EXPECT_TRUE(Exists(install + "\\" + file)) << file;

  // Each shortcut starts the installed program in its own folder, which the
  // update checker's values name; the settings one opens the settings.
  StoreActions({});
  const struct {
    std::string shortcut;
    bool opens_settings;
  } shortcuts[] = {{menu + "\\Mountwick.lnk", false},
                   {menu + "\\Mountwick の設定.lnk", true},
                   {Folder(CSIDL_STARTUP) + "\\Mountwick.lnk", false}};
  for (const auto& s : shortcuts) {
    WriteString(kCheckerKey, "FilePath", "");
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.lpFile = s.shortcut.c_str();
    info.nShow = SW_SHOWNORMAL;
    ASSERT_TRUE(ShellExecuteExA(&info)) << s.shortcut;
    HWND window = nullptr;
    EXPECT_TRUE(WaitUntil([&] { return (window = FindWindowA("MOUNTWICK", nullptr)); }, 20000));
    GetWindowThreadProcessId(window, &pid_);
    EXPECT_EQ(WaitFor(kSettingsCaption, s.opens_settings ? 10000 : 1500) != nullptr,
              s.opens_settings)
        << s.shortcut;
    EXPECT_EQ(ReadString(kCheckerKey, "FilePath"), install + "\\Mountwick.exe") << s.shortcut;
    HANDLE process = OpenProcess(
        SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid_);
    char image[MAX_PATH] = {};
    DWORD size = sizeof image;
    QueryFullProcessImageNameA(process, 0, image, &size);
    EXPECT_EQ(lstrcmpiA(image, (install + "\\Mountwick.exe").c_str()), 0) << image;
    Kill(process);  // not a quit: an open dialog would hold it back
  }

  ASSERT_EQ(RunAndWait("\"" + install + "\\uninstall.exe\" /S _?=" + install, 120000), 0);
  EXPECT_FALSE(Exists(install + "\\Mountwick.exe"));
  EXPECT_FALSE(Exists(menu + "\\Mountwick.lnk"));
  EXPECT_FALSE(Exists(Folder(CSIDL_STARTUP) + "\\Mountwick.lnk"));
  EXPECT_TRUE(KeyExists(kProductKey));  // the settings stay
  DeleteFileA((install + "\\uninstall.exe").c_str());
  RemoveDirectoryA(install.c_str());
}

}  // namespace
}  // namespace e2e
