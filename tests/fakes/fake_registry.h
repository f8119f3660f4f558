#pragma once
// An in-memory registry: paths are "HKCU\\..." or "HKCR\\...", compared
// case-insensitively; a value keeps the spelling of its name. No change
// notification can be armed, so the program reads the settings at every use.
#include <algorithm>
#include <map>

#include "fakes/fake_common.h"
#include "platform/registry_port.h"

namespace mw::fake {

struct FakeValue {
  std::uint32_t type = reg::kSz;
  std::vector<unsigned char> data;
};

class FakeRegistry : public RegistryPort {
 public:
  explicit FakeRegistry(FakeCommon& common) : common_(common) {}

  void PutKey(const std::string& path) {
    const std::string key = Fold(path);
    for (std::size_t at = key.find('\\'); at != std::string::npos; at = key.find('\\', at + 1))
      keys_[key.substr(0, at)];
    keys_[key];
  }
  void PutValue(const std::string& path, const std::string& name, FakeValue value) {
    PutKey(path);
    keys_[Fold(path)].try_emplace(Fold(name), name, value).first->second.second = value;
  }
  void PutString(const std::string& path, const std::string& name, const std::string& text) {
    PutValue(path, name, {reg::kSz, {text.c_str(), text.c_str() + text.size() + 1}});
  }
  bool HasKey(const std::string& path) { return keys_.count(Fold(path)) != 0; }
  const FakeValue* Find(const std::string& path, const std::string& name) {
    auto key = keys_.find(Fold(path));
    auto value = key == keys_.end() ? Values::iterator() : key->second.find(Fold(name));
    return key == keys_.end() || value == key->second.end() ? nullptr : &value->second.second;
  }
  std::vector<std::string> ValueNames(const std::string& path) {
    std::vector<std::string> names;
    auto key = keys_.find(Fold(path));
    if (key != keys_.end())
      for (const auto& [folded, entry] : key->second) names.push_back(entry.first);
    return names;
  }
  std::size_t open_keys() const { return handles_.size(); }

  long OpenKey(RegistryRoot root, const std::string& path, std::uint32_t, Key* key) override {
    return Open(Call::kOpenKey, Join(root, path), key);
  }
  long CreateKey(RegistryRoot root, const std::string& path, std::uint32_t, Key* key) override {
    return Open(Call::kCreateKey, Join(root, path), key);
  }
  long QueryValue(Key key, const std::string& name, std::uint32_t* type, unsigned char* data,
                  std::uint32_t* size) override {
    if (long code = Check(key, Call::kQueryValue, name)) return code;
    const FakeValue* value = Find(handles_[key], name);
    if (!value) return reg::kFileNotFound;
    if (type) *type = value->type;
    const auto stored = static_cast<std::uint32_t>(value->data.size());
    const bool fits = !data || *size >= stored;
    if (fits && data) std::copy(value->data.begin(), value->data.end(), data);
    if (size) *size = stored;
    return fits ? reg::kSuccess : reg::kMoreData;
  }
  long SetValue(Key key, const std::string& name, std::uint32_t type, const unsigned char* data,
                std::uint32_t size) override {
    if (long code = Check(key, Call::kSetValue, name)) return code;
    PutValue(handles_[key], name, {type, {data, data + size}});
    return reg::kSuccess;
  }
  long EnumValueName(Key key, std::uint32_t index, std::string* name) override {
    if (long code = Check(key, Call::kEnumValueName, "")) return code;
    const std::vector<std::string> names = ValueNames(handles_[key]);
    if (index >= names.size()) return reg::kNoMoreItems;
    *name = names[index];
    return reg::kSuccess;
  }
  long DeleteValue(Key key, const std::string& name) override {
    if (long code = Check(key, Call::kDeleteValue, name)) return code;
    return keys_[handles_[key]].erase(Fold(name)) ? reg::kSuccess : reg::kFileNotFound;
  }
  long CountValues(Key key, std::uint32_t* count) override {
    if (long code = Check(key, Call::kCountValues, "")) return code;
    return *count = static_cast<std::uint32_t>(ValueNames(handles_[key]).size()), reg::kSuccess;
  }
  long DeleteKey(Key key, const std::string& subkey) override {
    if (long code = Check(key, Call::kDeleteKey, subkey)) return code;
    return keys_.erase(Fold(handles_[key] + "\\" + subkey)) ? reg::kSuccess : reg::kFileNotFound;
  }
  void CloseKey(Key key) override { handles_.erase(key); }
  long CreateChangeEvent(Event*) override { return 5; }
  long NotifyChangeKeyValue(Key, bool, std::uint32_t, Event) override { return 6; }
  std::uint32_t WaitForEvent(Event, std::uint32_t) override { return 0xFFFFFFFF; }
  void CloseEvent(Event) override {}

 private:
  using Values = std::map<std::string, std::pair<std::string, FakeValue>>;  // folded -> entry

  long Open(Call call, const std::string& path, Key* key) {
    if (long code = common_.Fault(call, path)) return code;
    if (call == Call::kCreateKey) PutKey(path);
    if (!keys_.count(path)) return reg::kFileNotFound;
    return handles_[*key = next_key_++] = path, reg::kSuccess;
  }
  // A call on a key: ERROR_INVALID_HANDLE for a closed one, else its fault.
  long Check(Key key, Call call, const std::string& what) {
    return handles_.count(key) ? common_.Fault(call, what) : 6;
  }
  static std::string Join(RegistryRoot root, const std::string& path) {
    return Fold((root == RegistryRoot::CurrentUser ? "HKCU\\" : "HKCR\\") + path);
  }

  FakeCommon& common_;
  std::map<std::string, Values> keys_;  // folded full path
  std::map<Key, std::string> handles_;
  Key next_key_ = 0x100;
};

}  // namespace mw::fake
