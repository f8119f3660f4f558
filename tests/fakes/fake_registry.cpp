#include "fakes/fake_registry.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <stdexcept>

namespace mw::fake {
namespace {
constexpr long kInvalidHandle = 6;
constexpr long kAccessDenied = 5;

std::string Trim(std::string path) {
  while (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}
}  // namespace

std::string FakeRegistry::Fold(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return Trim(text);
}

std::string FakeRegistry::Join(RegistryRoot root, const std::string& path) {
  return std::string(root == RegistryRoot::CurrentUser ? "HKCU" : "HKCR") + "\\" + path;
}

long FakeRegistry::Check(Op op, const std::string& path, const std::string& name) {
  ++calls_;
  return fault_ ? fault_(op, path, name) : 0;
}

const std::string* FakeRegistry::PathOf(Key key) const {
  auto it = handles_.find(key);
  return it == handles_.end() ? nullptr : &it->second;
}

void FakeRegistry::Changed(const std::string& folded_path) {
  for (auto it = notifications_.begin(); it != notifications_.end();) {
    const std::string& watched = handles_.at(it->first);
    const bool below =
        folded_path.compare(0, watched.size(), watched) == 0 &&
        (folded_path.size() == watched.size() || folded_path[watched.size()] == '\\');
    if (!below) {
      ++it;
      continue;
    }
    events_[it->second] = true;
    it = notifications_.erase(it);  // one signal per arming
  }
}

void FakeRegistry::PutKey(const std::string& path) {
  std::string folded = Fold(path);
  for (std::size_t at = folded.find('\\'); at != std::string::npos; at = folded.find('\\', at + 1))
    keys_[folded.substr(0, at)];
  if (keys_.try_emplace(folded).second) Changed(folded);
}

void FakeRegistry::PutValue(const std::string& path, const std::string& name, Value value) {
  PutKey(path);
  // An existing value keeps the spelling of its name, as in the real registry.
  auto& values = keys_[Fold(path)].values;
  auto entry = values.try_emplace(Fold(name), name, Value{}).first;
  entry->second.second = std::move(value);
  Changed(Fold(path));
}

void FakeRegistry::PutString(const std::string& path, const std::string& name,
                             const std::string& text) {
  Value value;
  value.data.assign(text.begin(), text.end());
  value.data.push_back(0);
  PutValue(path, name, std::move(value));
}

bool FakeRegistry::HasKey(const std::string& path) const {
  return keys_.count(Fold(path)) != 0;
}

const FakeRegistry::Value* FakeRegistry::Find(const std::string& path,
                                              const std::string& name) const {
  auto key = keys_.find(Fold(path));
  if (key == keys_.end()) return nullptr;
  auto value = key->second.values.find(Fold(name));
  return value == key->second.values.end() ? nullptr : &value->second.second;
}

bool FakeRegistry::HasValue(const std::string& path, const std::string& name) const {
  return Find(path, name) != nullptr;
}

std::string FakeRegistry::GetString(const std::string& path, const std::string& name) const {
  const Value* value = Find(path, name);
  if (!value) throw std::logic_error("no registry value " + path + " " + name);
  std::string text(value->data.begin(), value->data.end());
  return text.substr(0, text.find('\0'));
}

std::vector<std::string> FakeRegistry::ValueNames(const std::string& path) const {
  std::vector<std::string> names;
  auto key = keys_.find(Fold(path));
  if (key != keys_.end())
    for (const auto& [folded, entry] : key->second.values) names.push_back(entry.first);
  return names;
}

long FakeRegistry::OpenKey(RegistryRoot root, const std::string& path, std::uint32_t, Key* key) {
  const std::string full = Join(root, path);
  if (long fault = Check(Op::Open, full, "")) return fault;
  if (!HasKey(full)) return reg::kFileNotFound;
  *key = next_handle_++;
  handles_[*key] = Fold(full);
  return reg::kSuccess;
}

long FakeRegistry::CreateKey(RegistryRoot root, const std::string& path, std::uint32_t, Key* key) {
  const std::string full = Join(root, path);
  if (long fault = Check(Op::Create, full, "")) return fault;
  if (root == RegistryRoot::ClassesRoot) return kAccessDenied;
  PutKey(full);
  *key = next_handle_++;
  handles_[*key] = Fold(full);
  return reg::kSuccess;
}

long FakeRegistry::QueryValue(Key key, const std::string& name, std::uint32_t* type,
                              unsigned char* data, std::uint32_t* size) {
  const std::string* path = PathOf(key);
  if (!path) return kInvalidHandle;
  if (long fault = Check(Op::Query, *path, name)) return fault;
  const Value* value = Find(*path, name);
  if (!value) return reg::kFileNotFound;
  if (type) *type = value->type;
  const auto stored = static_cast<std::uint32_t>(value->data.size());
  if (data) {
    if (*size < stored) {
      *size = stored;
      return reg::kMoreData;
    }
    std::copy(value->data.begin(), value->data.end(), data);
  }
  if (size) *size = stored;
  return reg::kSuccess;
}

long FakeRegistry::SetValue(Key key, const std::string& name, std::uint32_t type,
                            const unsigned char* data, std::uint32_t size) {
  const std::string* path = PathOf(key);
  if (!path) return kInvalidHandle;
  if (long fault = Check(Op::Set, *path, name)) return fault;
  if (!HasKey(*path)) return 1018;  // ERROR_KEY_DELETED
  PutValue(*path, name, Value{type, std::vector<unsigned char>(data, data + size)});
  return reg::kSuccess;
}

long FakeRegistry::EnumValueName(Key key, std::uint32_t index, std::string* name) {
  const std::string* path = PathOf(key);
  if (!path) return kInvalidHandle;
  if (long fault = Check(Op::EnumValue, *path, "")) return fault;
  const std::vector<std::string> names = ValueNames(*path);
  if (index >= names.size()) return reg::kNoMoreItems;
  *name = names[index];
  return reg::kSuccess;
}

long FakeRegistry::DeleteValue(Key key, const std::string& name) {
  const std::string* path = PathOf(key);
  if (!path) return kInvalidHandle;
  if (long fault = Check(Op::DeleteValue, *path, name)) return fault;
  auto it = keys_.find(*path);
  if (it == keys_.end() || it->second.values.erase(Fold(name)) == 0) return reg::kFileNotFound;
  Changed(*path);
  return reg::kSuccess;
}

long FakeRegistry::DeleteKey(Key key, const std::string& subkey) {
  const std::string* path = PathOf(key);
  if (!path) return kInvalidHandle;
  const std::string full = *path + "\\" + Fold(subkey);
  if (long fault = Check(Op::DeleteKey, full, "")) return fault;
  if (!HasKey(full)) return reg::kFileNotFound;
  const std::string prefix = full + "\\";
  for (const auto& [other, data] : keys_)
    if (other.compare(0, prefix.size(), prefix) == 0) return kAccessDenied;
  keys_.erase(full);
  Changed(full);
  return reg::kSuccess;
}

void FakeRegistry::CloseKey(Key key) {
  notifications_.erase(key);
  if (handles_.erase(key) == 0) throw std::logic_error("closing a registry key twice");
}

long FakeRegistry::CreateChangeEvent(Event* event) {
  if (long fault = Check(Op::Event, "", "")) return fault;
  *event = next_handle_++;
  events_[*event] = false;
  return reg::kSuccess;
}

long FakeRegistry::NotifyChangeKeyValue(Key key, bool subtree, std::uint32_t filter, Event event) {
  const std::string* path = PathOf(key);
  if (!path || events_.count(event) == 0) return kInvalidHandle;
  if (long fault = Check(Op::Notify, *path, "")) return fault;
  if (!subtree || filter != (reg::kNotifyChangeName | reg::kNotifyChangeLastSet))
    throw std::logic_error("only whole-subtree name and value notifications are faked");
  notifications_[key] = event;
  return reg::kSuccess;
}

std::uint32_t FakeRegistry::WaitForEvent(Event event, std::uint32_t milliseconds) {
  constexpr std::uint32_t kWaitFailed = 0xFFFFFFFF;
  auto it = events_.find(event);
  if (it == events_.end() || Check(Op::Event, "", "") != 0) return kWaitFailed;
  if (milliseconds != 0) throw std::logic_error("the fake registry never blocks");
  if (!it->second) return reg::kWaitTimeout;
  it->second = false;  // auto-reset
  return 0;
}

void FakeRegistry::CloseEvent(Event event) {
  if (events_.erase(event) == 0) throw std::logic_error("closing a change event twice");
  for (auto it = notifications_.begin(); it != notifications_.end();)
    it = it->second == event ? notifications_.erase(it) : std::next(it);
}

}  // namespace mw::fake
