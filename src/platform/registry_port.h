#pragma once
// The registry, one call per method, Win32 semantics: results are the
// registry's own result codes (0 = ERROR_SUCCESS).
#include <cstdint>
#include <string>

#include "platform/scoped_handle.h"

namespace mw {

enum class RegistryRoot { CurrentUser, ClassesRoot };

class RegistryPort {
 public:
  using Key = std::uintptr_t;    // opaque; 0 is never a valid key
  using Event = std::uintptr_t;  // opaque; 0 is never a valid event

  virtual ~RegistryPort() = default;
  // RegOpenKeyExA.
  [[nodiscard]] virtual long OpenKey(RegistryRoot root, const std::string& path,
                                     std::uint32_t access, Key* key) = 0;
  // RegCreateKeyExA, non-volatile, no class, no security attributes.
  [[nodiscard]] virtual long CreateKey(RegistryRoot root, const std::string& path,
                                       std::uint32_t access, Key* key) = 0;
  // RegQueryValueExA. name may be empty for the default value; data may be null
  // to ask for the size only. *size is the buffer size in, the data size out.
  [[nodiscard]] virtual long QueryValue(Key key, const std::string& name, std::uint32_t* type,
                                        unsigned char* data, std::uint32_t* size) = 0;
  // RegSetValueExA.
  [[nodiscard]] virtual long SetValue(Key key, const std::string& name, std::uint32_t type,
                                      const unsigned char* data, std::uint32_t size) = 0;
  // RegEnumValueA: the name of the value at index; ERROR_NO_MORE_ITEMS past the end.
  [[nodiscard]] virtual long EnumValueName(Key key, std::uint32_t index, std::string* name) = 0;
  // RegDeleteValueA.
  [[nodiscard]] virtual long DeleteValue(Key key, const std::string& name) = 0;
  // RegQueryInfoKeyA: how many values the key holds.
  [[nodiscard]] virtual long CountValues(Key key, std::uint32_t* count) = 0;
  // RegDeleteKeyA: subkey of key, which must have no subkeys of its own.
  [[nodiscard]] virtual long DeleteKey(Key key, const std::string& subkey) = 0;
  // RegCloseKey.
  virtual void CloseKey(Key key) = 0;

  // CreateEventA: unnamed, manual-reset (a wait elsewhere leaves it signalled),
  // not signalled. 0 or the last error.
  virtual long CreateChangeEvent(Event* event) = 0;
  // RegNotifyChangeKeyValue, asynchronous: event is signalled at the next
  // change of the kinds in filter to key (and, with subtree, below it).
  virtual long NotifyChangeKeyValue(Key key, bool subtree, std::uint32_t filter, Event event) = 0;
  // WaitForSingleObject: 0 when signalled, reg::kWaitTimeout, or WAIT_FAILED.
  virtual std::uint32_t WaitForEvent(Event event, std::uint32_t milliseconds) = 0;
  // CloseHandle.
  virtual void CloseEvent(Event event) = 0;
};

// Registry constants, so that portable code needs no Windows header.
namespace reg {
inline constexpr long kSuccess = 0;
inline constexpr long kFileNotFound = 2;
inline constexpr long kMoreData = 234;
inline constexpr long kNoMoreItems = 259;
inline constexpr std::uint32_t kSz = 1;
inline constexpr std::uint32_t kDword = 4;
inline constexpr std::uint32_t kRead = 0x20019;
inline constexpr std::uint32_t kNotify = 0x0010;  // KEY_NOTIFY
inline constexpr std::uint32_t kNotifyChangeName = 0x1;
inline constexpr std::uint32_t kNotifyChangeLastSet = 0x4;
inline constexpr std::uint32_t kWaitTimeout = 258;
inline constexpr std::uint32_t kReadWriteCreate =
    0x2001F;  // KEY_READ|KEY_SET_VALUE|KEY_CREATE_SUB_KEY
}  // namespace reg

// Closes its key through the port when it goes out of scope. Open and Create
// take the new key only on success, so a failed call leaves nothing to close.
class ScopedRegKey
    : public ScopedPortHandle<RegistryPort, RegistryPort::Key, &RegistryPort::CloseKey> {
 public:
  using ScopedHandle::ScopedHandle;

  [[nodiscard]] long Open(RegistryRoot root, const std::string& path, std::uint32_t access) {
    RegistryPort::Key raw = 0;
    const long result = traits().port->OpenKey(root, path, access, &raw);
    if (result == reg::kSuccess) Reset(raw);
    return result;
  }
  [[nodiscard]] long Create(RegistryRoot root, const std::string& path, std::uint32_t access) {
    RegistryPort::Key raw = 0;
    const long result = traits().port->CreateKey(root, path, access, &raw);
    if (result == reg::kSuccess) Reset(raw);
    return result;
  }
};

// Closes its change event through the port when it goes out of scope.
using ScopedRegEvent =
    ScopedPortHandle<RegistryPort, RegistryPort::Event, &RegistryPort::CloseEvent>;

}  // namespace mw
