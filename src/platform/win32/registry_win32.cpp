#include <windows.h>

#include "platform/win32/win32_ports.h"

namespace mw::win32 {
namespace {
HKEY RootKey(RegistryRoot root) {
  return root == RegistryRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_CLASSES_ROOT;
}
HKEY AsKey(RegistryPort::Key key) {
  return reinterpret_cast<HKEY>(key);
}
HANDLE AsHandle(RegistryPort::Event event) {
  return reinterpret_cast<HANDLE>(event);
}
}  // namespace

long Win32Registry::OpenKey(RegistryRoot root, const std::string& path, std::uint32_t access,
                            Key* key) {
  HKEY opened = nullptr;
  const LONG result = RegOpenKeyExA(RootKey(root), path.c_str(), 0, access, &opened);
  if (result == ERROR_SUCCESS) *key = reinterpret_cast<Key>(opened);
  return result;
}

long Win32Registry::CreateKey(RegistryRoot root, const std::string& path, std::uint32_t access,
                              Key* key) {
  HKEY created = nullptr;
  const LONG result = RegCreateKeyExA(RootKey(root), path.c_str(), 0, nullptr,
                                      REG_OPTION_NON_VOLATILE, access, nullptr, &created, nullptr);
  if (result == ERROR_SUCCESS) *key = reinterpret_cast<Key>(created);
  return result;
}

long Win32Registry::QueryValue(Key key, const std::string& name, std::uint32_t* type,
                               unsigned char* data, std::uint32_t* size) {
  DWORD value_type = 0;
  DWORD value_size = size ? *size : 0;
  const LONG result = RegQueryValueExA(AsKey(key), name.empty() ? nullptr : name.c_str(), nullptr,
                                       &value_type, data, size ? &value_size : nullptr);
  if (type) *type = value_type;
  if (size) *size = value_size;
  return result;
}

long Win32Registry::SetValue(Key key, const std::string& name, std::uint32_t type,
                             const unsigned char* data, std::uint32_t size) {
  return RegSetValueExA(AsKey(key), name.c_str(), 0, type, data, size);
}

long Win32Registry::EnumValueName(Key key, std::uint32_t index, std::string* name) {
  char buffer[16384] = {};  // the longest value name the registry allows
  DWORD length = sizeof buffer;
  const LONG result =
      RegEnumValueA(AsKey(key), index, buffer, &length, nullptr, nullptr, nullptr, nullptr);
  if (result == ERROR_SUCCESS) name->assign(buffer, length);
  return result;
}

long Win32Registry::DeleteValue(Key key, const std::string& name) {
  return RegDeleteValueA(AsKey(key), name.c_str());
}

long Win32Registry::CountValues(Key key, std::uint32_t* count) {
  DWORD values = 0;
  const LONG result = RegQueryInfoKeyA(AsKey(key), nullptr, nullptr, nullptr, nullptr, nullptr,
                                       nullptr, &values, nullptr, nullptr, nullptr, nullptr);
  if (result == ERROR_SUCCESS) *count = values;
  return result;
}

long Win32Registry::DeleteKey(Key key, const std::string& subkey) {
  return RegDeleteKeyA(AsKey(key), subkey.c_str());
}

void Win32Registry::CloseKey(Key key) {
  RegCloseKey(AsKey(key));
}

long Win32Registry::CreateChangeEvent(Event* event) {
  HANDLE created = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!created) return static_cast<long>(GetLastError());
  *event = reinterpret_cast<Event>(created);
  return ERROR_SUCCESS;
}

long Win32Registry::NotifyChangeKeyValue(Key key, bool subtree, std::uint32_t filter, Event event) {
  return RegNotifyChangeKeyValue(AsKey(key), subtree ? TRUE : FALSE, filter, AsHandle(event), TRUE);
}

std::uint32_t Win32Registry::WaitForEvent(Event event, std::uint32_t milliseconds) {
  return WaitForSingleObject(AsHandle(event), milliseconds);
}

void Win32Registry::CloseEvent(Event event) {
  CloseHandle(AsHandle(event));
}

}  // namespace mw::win32
