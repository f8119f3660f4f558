#pragma once
// An in-memory registry with Win32 result codes. Key and value names compare
// case-insensitively, as in the real one. Any call can be made to fail. An
// armed change notification is signalled by any change below its key, the
// test set-up's own included, as another writer's would be.
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/registry_port.h"

namespace mw::fake {

class FakeRegistry : public RegistryPort {
 public:
  enum class Op { Open, Create, Query, Set, EnumValue, DeleteValue, DeleteKey, Notify, Event };
  struct Value {
    std::uint32_t type = reg::kSz;
    std::vector<unsigned char> data;
  };
  // Returns a registry code to fail the call with, or 0 to let it run.
  using Fault = std::function<long(Op op, const std::string& path, const std::string& name)>;

  // Test set-up and inspection; paths are "HKCU\\..." or "HKCR\\...".
  void PutString(const std::string& path, const std::string& name, const std::string& text);
  void PutValue(const std::string& path, const std::string& name, Value value);
  void PutKey(const std::string& path);
  bool HasKey(const std::string& path) const;
  bool HasValue(const std::string& path, const std::string& name) const;
  std::string GetString(const std::string& path, const std::string& name) const;
  const Value* Find(const std::string& path, const std::string& name) const;
  std::vector<std::string> ValueNames(const std::string& path) const;
  std::size_t OpenKeyCount() const { return handles_.size(); }
  std::size_t OpenEventCount() const { return events_.size(); }
  std::size_t calls() const { return calls_; }
  void SetFault(Fault fault) { fault_ = std::move(fault); }

  long OpenKey(RegistryRoot root, const std::string& path, std::uint32_t access, Key* key) override;
  long CreateKey(RegistryRoot root, const std::string& path, std::uint32_t access,
                 Key* key) override;
  long QueryValue(Key key, const std::string& name, std::uint32_t* type, unsigned char* data,
                  std::uint32_t* size) override;
  long SetValue(Key key, const std::string& name, std::uint32_t type, const unsigned char* data,
                std::uint32_t size) override;
  long EnumValueName(Key key, std::uint32_t index, std::string* name) override;
  long DeleteValue(Key key, const std::string& name) override;
  long DeleteKey(Key key, const std::string& subkey) override;
  void CloseKey(Key key) override;
  long CreateChangeEvent(Event* event) override;
  long NotifyChangeKeyValue(Key key, bool subtree, std::uint32_t filter, Event event) override;
  std::uint32_t WaitForEvent(Event event, std::uint32_t milliseconds) override;
  void CloseEvent(Event event) override;

 private:
  struct KeyData {
    std::map<std::string, std::pair<std::string, Value>> values;  // folded name -> (name, value)
  };
  static std::string Fold(std::string text);
  static std::string Join(RegistryRoot root, const std::string& path);
  long Check(Op op, const std::string& path, const std::string& name);
  const std::string* PathOf(Key key) const;
  void Changed(const std::string& folded_path);

  std::map<std::string, KeyData> keys_;  // folded full path without trailing '\\'
  std::map<Key, std::string> handles_;
  std::map<Event, bool> events_;        // -> signalled
  std::map<Key, Event> notifications_;  // armed on a key, for its subtree
  Key next_handle_ = 0x100;
  Fault fault_;
  std::size_t calls_ = 0;
};

}  // namespace mw::fake
