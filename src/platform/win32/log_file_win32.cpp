#include <windows.h>
#include <shlobj.h>

#include "platform/win32/kernel_handle.h"
#include "platform/win32/win32_ports.h"

namespace mw::win32 {

std::string Win32LogFile::LocalAppDataDirectory() {
  char buffer[MAX_PATH] = {};
  if (SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buffer) != S_OK)
    return {};
  return buffer;
}

bool Win32LogFile::CreateFolder(const std::string& path) {
  return CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

std::int64_t Win32LogFile::FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool Win32LogFile::AppendToFile(const std::string& path, const std::string& bytes) {
  ScopedFileHandle file;
  file.Reset(CreateFileA(path.c_str(), FILE_APPEND_DATA,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file &&
         WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

bool Win32LogFile::ReplaceFile(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

LocalTime Win32LogFile::Now() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

std::string Win32LogFile::AnsiToUtf8(const std::string& text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int wide_size = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  if (wide_size <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(wide_size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), wide_size);
  const int utf8_size =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_size, nullptr, 0, nullptr, nullptr);
  if (utf8_size <= 0) return {};
  std::string utf8(static_cast<std::size_t>(utf8_size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_size, utf8.data(), utf8_size, nullptr, nullptr);
  return utf8;
}

}  // namespace mw::win32
