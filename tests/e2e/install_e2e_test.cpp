// The installer a Windows user runs: a silent per-user install, the program
// started from its shortcut's command, and a silent uninstall that keeps
// the settings.
#include <gtest/gtest.h>

#include "e2e/e2e_harness.h"
// After windows.h, which the harness brings.
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

namespace e2e {
namespace {

struct Shortcut {
  std::string target;
  std::string arguments;
  std::string working_directory;
};

bool ReadShortcut(const std::string& path, Shortcut& shortcut) {
  IShellLinkA* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link))))
    return false;
  IPersistFile* file = nullptr;
  bool read = false;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    wchar_t wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    if (SUCCEEDED(file->Load(wide, STGM_READ))) {
      char text[MAX_PATH] = {};
      link->GetPath(text, MAX_PATH, nullptr, 0);
      shortcut.target = text;
      link->GetArguments(text, MAX_PATH);
      shortcut.arguments = text;
      link->GetWorkingDirectory(text, MAX_PATH);
      shortcut.working_directory = text;
      read = true;
    }
    file->Release();
  }
  link->Release();
  return read;
}

std::string Folder(int csidl) {
  char path[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, csidl, nullptr, 0, path);
  return path;
}

long RunAndWait(const std::string& command_line, DWORD timeout_ms) {
  std::string command = command_line;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info))
    return -2;
  DWORD code = static_cast<DWORD>(-1);
  if (WaitForSingleObject(info.hProcess, timeout_ms) == WAIT_OBJECT_0)
    GetExitCodeProcess(info.hProcess, &code);
  CloseHandle(info.hProcess);
  CloseHandle(info.hThread);
  return static_cast<long>(code);
}

TEST(Installer, InstallsPerUserStartsFromItsShortcutAndUninstallsKeepingSettings) {
  KillStrayInstances();
  RemoveAllSettings();
  CoInitialize(nullptr);
  const std::string setup = BinFolder() + "\\..\\dist\\Mountwick-1.0-Build102-Setup.exe";
  ASSERT_TRUE(FileExists(setup)) << setup;
  const std::string install = Folder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Mountwick";

  ASSERT_EQ(RunAndWait("\"" + setup + "\" /S /STARTUP", 120000), 0);
  EXPECT_TRUE(FileExists(install + "\\Mountwick.exe"));
  EXPECT_TRUE(FileExists(install + "\\readme.txt"));
  EXPECT_TRUE(FileExists(install + "\\uninstall.exe"));

  Shortcut menu;
  ASSERT_TRUE(ReadShortcut(Folder(CSIDL_PROGRAMS) + "\\Mountwick\\Mountwick.lnk", menu));
  EXPECT_EQ(menu.target, install + "\\Mountwick.exe");
  EXPECT_EQ(menu.working_directory, install);
  Shortcut startup;
  ASSERT_TRUE(ReadShortcut(Folder(CSIDL_STARTUP) + "\\Mountwick.lnk", startup));
  EXPECT_EQ(startup.working_directory, install);

  // Started as the shortcut starts it, the program works in its own folder:
  // the update checker's values name the installed file.
  WriteString(HKEY_CURRENT_USER, "Software\\Tivolane", "", "");
  WriteString(HKEY_CURRENT_USER, "software\\Quillory\\Mountwick\\1.0", "", "");
  std::string command = "\"" + menu.target + "\" " + menu.arguments;
  STARTUPINFOA info = {};
  info.cb = sizeof info;
  PROCESS_INFORMATION process = {};
  ASSERT_TRUE(CreateProcessA(menu.target.c_str(), command.data(), nullptr, nullptr, FALSE, 0,
                             nullptr, menu.working_directory.c_str(), &info, &process));
  CloseHandle(process.hThread);
  HWND window = nullptr;
  EXPECT_TRUE(
      WaitUntil([&] { return (window = FindWindowA("MOUNTWICK", nullptr)) != nullptr; }, 20000));
  EXPECT_EQ(ReadString(HKEY_CURRENT_USER, "Software\\Tivolane\\support@quillory.example\\Mountwick",
                       "FilePath"),
            install + "\\Mountwick.exe");
  if (window) PostMessageA(window, WM_COMMAND, 105, 0);
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 10000), WAIT_OBJECT_0);
  CloseHandle(process.hProcess);

  ASSERT_EQ(RunAndWait("\"" + install + "\\uninstall.exe\" /S _?=" + install, 120000), 0);
  EXPECT_FALSE(FileExists(install + "\\Mountwick.exe"));
  EXPECT_FALSE(FileExists(Folder(CSIDL_PROGRAMS) + "\\Mountwick\\Mountwick.lnk"));
  EXPECT_FALSE(FileExists(Folder(CSIDL_STARTUP) + "\\Mountwick.lnk"));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kProductKey));  // the settings stay
  DeleteFileA((install + "\\uninstall.exe").c_str());
  RemoveDirectoryA(install.c_str());
  RemoveAllSettings();
  CoUninitialize();
}

}  // namespace
}  // namespace e2e
