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
  const std::string setup = BinFolder() + "\\..\\dist\\Mountwick-1.0-Build102-Setup.exe";
  ASSERT_TRUE(FileExists(setup)) << setup;
  const std::string install = Folder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Mountwick";
  const std::string menu = Folder(CSIDL_PROGRAMS) + "\\Mountwick";
  ASSERT_EQ(RunAndWait("\"" + setup + "\" /S /STARTUP", 120000), 0);
  for (const char* file : {"Mountwick.exe", "readme.txt", "uninstall.exe"})
    EXPECT_TRUE(FileExists(install + "\\" + file)) << file;

  // Each shortcut starts the installed program in its own folder, which the
  // update checker's values name; the settings one opens the settings.
  StoreActions({});
  WriteString(kCheckerRoot, "", "");
  const struct {
    std::string shortcut;
    bool opens_settings;
  } shortcuts[] = {{menu + "\\Mountwick.lnk", false},
                   {menu + "\\Mountwick の設定.lnk", true},
                   {Folder(CSIDL_STARTUP) + "\\Mountwick.lnk", false}};
  for (const auto& s : shortcuts) {
    WriteString(std::string(kCheckerRoot) + "\\support@quillory.example\\Mountwick", "FilePath",
                "");
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpFile = s.shortcut.c_str();
    info.nShow = SW_SHOWNORMAL;
    ASSERT_TRUE(ShellExecuteExA(&info)) << s.shortcut;
    HWND window = nullptr;
    EXPECT_TRUE(
        WaitUntil([&] { return (window = FindWindowA("MOUNTWICK", nullptr)) != nullptr; }, 20000));
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    EXPECT_EQ(WaitForWindow(id, kSettingsCaption, s.opens_settings ? 10000 : 1500) != nullptr,
              s.opens_settings)
        << s.shortcut;
    EXPECT_EQ(
        ReadString(std::string(kCheckerRoot) + "\\support@quillory.example\\Mountwick", "FilePath"),
        install + "\\Mountwick.exe")
        << s.shortcut;
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id);
    TerminateProcess(process, 0);  // an open settings dialog would hold a quit back
    EXPECT_EQ(WaitForSingleObject(process, 10000), WAIT_OBJECT_0);
    CloseHandle(process);
    if (info.hProcess) CloseHandle(info.hProcess);
  }

  ASSERT_EQ(RunAndWait("\"" + install + "\\uninstall.exe\" /S _?=" + install, 120000), 0);
  EXPECT_FALSE(FileExists(install + "\\Mountwick.exe"));
  EXPECT_FALSE(FileExists(menu + "\\Mountwick.lnk"));
  EXPECT_FALSE(FileExists(Folder(CSIDL_STARTUP) + "\\Mountwick.lnk"));
  EXPECT_TRUE(KeyExists(kProductKey));  // the settings stay
  DeleteFileA((install + "\\uninstall.exe").c_str());
  RemoveDirectoryA(install.c_str());
}

}  // namespace
}  // namespace e2e
