#include "e2e/e2e_harness.h"

#include <commctrl.h>
#include <dbt.h>

#include <cstdio>

#include "tools/test_files_win.h"

namespace e2e {

std::string BinFolder() {
  return mw::testfiles::ProgramFolder();
}

std::string MakeWorkFolder(const std::string& name) {
  return mw::testfiles::MakeFreshFolder("mw_e2e_" + name);
}

std::string ReadFile(const std::string& path) {
  return mw::testfiles::ReadFile(path);
}

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void RemoveAllSettings() {
  RegDeleteTreeA(HKEY_CURRENT_USER, "software\\Quillory");
  RegDeleteKeyA(HKEY_CURRENT_USER, "software\\Quillory");
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Tivolane");
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Tivolane");
}

bool KeyExists(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

std::string ReadString(HKEY root, const std::string& path, const std::string& name) {
  char buffer[2048] = {};
  DWORD size = sizeof buffer - 1;
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return "<no key>";
  const LONG result =
      RegQueryValueExA(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(key);
  return result == ERROR_SUCCESS ? std::string(buffer) : "<no value>";
}

void WriteString(HKEY root, const std::string& path, const std::string& name,
                 const std::string& text) {
  HKEY key = nullptr;
  RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>(text.size() + 1));
  RegCloseKey(key);
}

void StoreActions(const std::vector<std::map<std::string, std::string>>& actions) {
  for (std::size_t i = 0; i < actions.size(); ++i)
    for (const auto& [field, text] : actions[i])
      WriteString(HKEY_CURRENT_USER, kActionsKey, std::to_string(i) + "_" + field, text);
}

std::vector<std::string> ValueNames(HKEY root, const std::string& path) {
  std::vector<std::string> names;
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
  for (DWORD index = 0;; ++index) {
    char name[512] = {};
    DWORD size = sizeof name;
    if (RegEnumValueA(key, index, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    names.push_back(name);
  }
  RegCloseKey(key);
  return names;
}

Mountwick::~Mountwick() {
  Kill();
  if (process_) CloseHandle(process_);
}

bool Mountwick::Start(const std::string& arguments, const std::string& folder) {
  const std::string exe = BinFolder() + "\\Mountwick.exe";
  std::string command = "\"" + exe + "\" " + arguments;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &startup, &info))
    return false;
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  return true;
}

HWND Mountwick::WaitForMainWindow(DWORD timeout_ms) {
  const DWORD id = GetProcessId(process_);
  WaitUntil(
      [&] {
        HWND found = FindWindowA("MOUNTWICK", nullptr);
        DWORD owner = 0;
        if (found) GetWindowThreadProcessId(found, &owner);
        window_ = owner == id ? found : nullptr;
        return window_ != nullptr;
      },
      timeout_ms);
  return window_;
}

long Mountwick::WaitForExit(DWORD timeout_ms) {
  if (!process_ || WaitForSingleObject(process_, timeout_ms) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  return static_cast<long>(code);
}

void Mountwick::Quit() {
  if (window_) PostMessageA(window_, WM_COMMAND, 105, 0);
}

void Mountwick::Kill() {
  if (process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_, 99);
    WaitForSingleObject(process_, 5000);
  }
}

void KillStrayInstances() {
  for (int i = 0; i < 10; ++i) {
    HWND stray = FindWindowA("MOUNTWICK", nullptr);
    if (!stray) return;
    DWORD id = 0;
    GetWindowThreadProcessId(stray, &id);
    if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id)) {
      TerminateProcess(process, 99);
      WaitForSingleObject(process, 5000);
      CloseHandle(process);
    }
    Sleep(100);
  }
}

bool SendVolumeArrival(HWND window, DWORD unit_mask, WORD flags) {
  DEV_BROADCAST_VOLUME volume = {};
  volume.dbcv_size = sizeof volume;
  volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
  volume.dbcv_unitmask = unit_mask;
  volume.dbcv_flags = flags;
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(window, WM_DEVICECHANGE, DBT_DEVICEARRIVAL,
                             reinterpret_cast<LPARAM>(&volume), SMTO_NORMAL, 20000, &result) != 0;
}

bool SendDeviceNodesChanged(HWND window) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(window, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0, SMTO_NORMAL, 20000,
                             &result) != 0;
}

bool SendTray(HWND window, UINT mouse_message) {
  return PostMessageA(window, kTrayCallback, 1, mouse_message) != 0;
}

std::vector<HWND> WindowsWithCaption(DWORD process_id, const std::string& caption) {
  struct Search {
    DWORD process_id;
    const std::string* caption;
    std::vector<HWND> found;
  } search{process_id, &caption, {}};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        char text[512] = {};
        GetWindowTextA(window, text, sizeof text);
        if (owner == s.process_id && *s.caption == text && IsWindowVisible(window))
          s.found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForWindow(DWORD process_id, const std::string& caption, DWORD timeout_ms) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        auto windows = WindowsWithCaption(process_id, caption);
        found = windows.empty() ? nullptr : windows.front();
        return found != nullptr;
      },
      timeout_ms);
  return found;
}

std::string MessageBoxText(HWND box) {
  char text[2048] = {};
  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
  return text;
}

void PressButton(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void TypeText(HWND control, const std::string& text) {
  for (unsigned char c : text) PostMessageA(control, WM_CHAR, c, 1);
}

HWND FocusedWindow(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

std::vector<std::string> ComboBoxEntries(HWND combo) {
  // Wine hands a cross-process CB_GETLBTEXTA back in UTF-16, so ask for that
  // and convert here.
  std::vector<std::string> entries;
  DWORD_PTR count = 0;
  if (!SendMessageTimeoutW(combo, CB_GETCOUNT, 0, 0, SMTO_NORMAL, 5000, &count)) return entries;
  for (DWORD_PTR i = 0; i < count && count != static_cast<DWORD_PTR>(CB_ERR); ++i) {
    wchar_t wide[1024] = {};
    DWORD_PTR length = 0;
    SendMessageTimeoutW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(wide), SMTO_NORMAL, 5000,
                        &length);
    char text[2048] = {};
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    entries.push_back(text);
  }
  return entries;
}

namespace {

// A block of memory in the process that owns a window, freed with the object.
class RemoteBlock {
 public:
  RemoteBlock(HWND window, std::size_t size) {
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, id);
    if (process_)
      address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  }
  RemoteBlock(const RemoteBlock&) = delete;
  RemoteBlock& operator=(const RemoteBlock&) = delete;
  ~RemoteBlock() {
    if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_) CloseHandle(process_);
  }
  bool valid() const { return address_ != nullptr; }
  char* at(std::size_t offset) const { return static_cast<char*>(address_) + offset; }
  bool Write(std::size_t offset, const void* data, std::size_t size) const {
    return WriteProcessMemory(process_, at(offset), data, size, nullptr) != FALSE;
  }
  bool Read(std::size_t offset, void* data, std::size_t size) const {
    return ReadProcessMemory(process_, at(offset), data, size, nullptr) != FALSE;
  }

 private:
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
};

}  // namespace

std::string ListViewText(HWND list, int row, int column) {
  constexpr std::size_t kTextSize = 1024;
  RemoteBlock block(list, sizeof(LVITEMA) + kTextSize);
  if (!block.valid()) return "<no memory>";
  LVITEMA item = {};
  item.iSubItem = column;
  item.pszText = block.at(sizeof item);
  item.cchTextMax = kTextSize;
  const char empty = '\0';
  if (!block.Write(0, &item, sizeof item) || !block.Write(sizeof item, &empty, 1))
    return "<no memory>";
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                           reinterpret_cast<LPARAM>(block.at(0)), SMTO_NORMAL, 5000, &length))
    return "<no answer>";
  char text[kTextSize] = {};
  block.Read(sizeof item, text, kTextSize - 1);
  return text;
}

bool ClickListViewRow(HWND list, int row) {
  RemoteBlock block(list, sizeof(RECT));
  RECT rect = {};
  rect.left = LVIR_LABEL;
  if (!block.valid() || !block.Write(0, &rect, sizeof rect)) return false;
  DWORD_PTR found = 0;
  if (!SendMessageTimeoutA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row),
                           reinterpret_cast<LPARAM>(block.at(0)), SMTO_NORMAL, 5000, &found) ||
      !found || !block.Read(0, &rect, sizeof rect))
    return false;
  const LPARAM point = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  return PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, point) &&
         PostMessageA(list, WM_LBUTTONUP, 0, point);
}

void SaveScreenshot(const std::string& name) {
  const std::string folder = BinFolder() + "\\..\\e2e-artifacts";
  CreateDirectoryA(folder.c_str(), nullptr);
  HDC screen = GetDC(nullptr);
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
  GdiFlush();
  const DWORD row = ((width * 3 + 3) / 4) * 4;
  const DWORD image_size = row * height;
  BITMAPFILEHEADER header = {};
  header.bfType = 0x4D42;
  header.bfOffBits = sizeof header + sizeof info.bmiHeader;
  header.bfSize = header.bfOffBits + image_size;
  if (FILE* file = std::fopen((folder + "\\" + name + ".bmp").c_str(), "wb")) {
    std::fwrite(&header, sizeof header, 1, file);
    std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, file);
    std::fwrite(bits, image_size, 1, file);
    std::fclose(file);
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

void MountwickCase::SetUp() {
  KillStrayInstances();
  RemoveAllSettings();
  folder_ = MakeWorkFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
  record_ = folder_ + "\\record.txt";
  SetEnvironmentVariableA("MW_RECORD_FILE", record_.c_str());
  SetEnvironmentVariableA("MW_RECORD_SLEEP_MS", nullptr);
  child_ = BinFolder() + "\\record_args.exe";
}

void MountwickCase::TearDown() {
  SaveScreenshot(screenshot_prefix_ +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
  app_.Kill();
  SetEnvironmentVariableA("MW_RECORD_SLEEP_MS", nullptr);
  RemoveAllSettings();
}

std::map<std::string, std::string> MountwickCase::Action(const std::string& name,
                                                         const std::string& id,
                                                         const std::string& arguments,
                                                         const std::string& state) const {
  return {{"Name", name},
          {"State", state},
          {"HardwareID", id},
          {"ExeFile", child_ + " " + arguments},
          {"Eject", "0"}};
}

}  // namespace e2e
