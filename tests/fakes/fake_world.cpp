#include "fakes/fake_world.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace mw::fake {
namespace {
constexpr long kInvalidHandle = 6;

std::string Join(RegistryRoot root, const std::string& path) {
  return FakeWorld::Fold((root == RegistryRoot::CurrentUser ? "HKCU\\" : "HKCR\\") + path);
}
}  // namespace

std::string FakeWorld::Fold(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\' && !out.empty() && out.back() == '\\') continue;
    out += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  }
  while (!out.empty() && out.back() == '\\' && !(out.size() == 3 && out[1] == ':')) out.pop_back();
  return out;
}

FakeDevice& FakeDevice::Multi(std::uint32_t property, const std::vector<std::string>& strings) {
  std::string bytes;
  for (const std::string& text : strings) bytes += text + '\0';
  properties[property] = bytes + '\0';
  return *this;
}

long FakeWorld::Fault(const std::string& call, const std::string& what) {
  Lock lock(guard_);
  ++calls;
  return fault ? fault(call, what) : 0;
}

// --- registry --------------------------------------------------------------

void FakeWorld::PutKey(const std::string& path) {
  const std::string folded = Fold(path);
  for (std::size_t at = folded.find('\\'); at != std::string::npos; at = folded.find('\\', at + 1))
    keys_[folded.substr(0, at)];
  if (keys_.try_emplace(folded).second) ++changes_;
}

void FakeWorld::PutValue(const std::string& path, const std::string& name, FakeValue value) {
  PutKey(path);
  // An existing value keeps the spelling of its name, as in the real registry.
  keys_[Fold(path)].try_emplace(Fold(name), name, FakeValue{}).first->second.second =
      std::move(value);
  ++changes_;
}

const FakeValue* FakeWorld::Find(const std::string& path, const std::string& name) {
  auto key = keys_.find(Fold(path));
  if (key == keys_.end()) return nullptr;
  auto value = key->second.find(Fold(name));
  return value == key->second.end() ? nullptr : &value->second.second;
}

std::string FakeWorld::GetString(const std::string& path, const std::string& name) {
  const FakeValue* value = Find(path, name);
  const std::string text = value ? std::string(value->data.begin(), value->data.end()) : "<none>";
  return text.substr(0, text.find('\0'));
}

std::vector<std::string> FakeWorld::ValueNames(const std::string& path) {
  std::vector<std::string> names;
  auto key = keys_.find(Fold(path));
  if (key != keys_.end())
    for (const auto& [folded, entry] : key->second) names.push_back(entry.first);
  return names;
}

long FakeWorld::OpenKey(RegistryRoot root, const std::string& path, std::uint32_t, Key* key) {
  const std::string full = Join(root, path);
  if (long code = Fault("OpenKey", full)) return code;
  if (!keys_.count(full)) return reg::kFileNotFound;
  handles_[*key = next_handle_++] = full;
  return reg::kSuccess;
}

long FakeWorld::CreateKey(RegistryRoot root, const std::string& path, std::uint32_t, Key* key) {
  const std::string full = Join(root, path);
  if (long code = Fault("CreateKey", full)) return code;
  PutKey(full);
  handles_[*key = next_handle_++] = full;
  return reg::kSuccess;
}

long FakeWorld::QueryValue(Key key, const std::string& name, std::uint32_t* type,
                           unsigned char* data, std::uint32_t* size) {
  if (!handles_.count(key)) return kInvalidHandle;
  if (long code = Fault("QueryValue", name)) return code;
  const FakeValue* value = Find(handles_[key], name);
  if (!value) return reg::kFileNotFound;
  if (type) *type = value->type;
  const auto stored = static_cast<std::uint32_t>(value->data.size());
  const bool fits = !data || *size >= stored;
  if (fits && data) std::copy(value->data.begin(), value->data.end(), data);
  if (size) *size = stored;
  return fits ? reg::kSuccess : reg::kMoreData;
}

long FakeWorld::SetValue(Key key, const std::string& name, std::uint32_t type,
                         const unsigned char* data, std::uint32_t size) {
  if (!handles_.count(key)) return kInvalidHandle;
  if (long code = Fault("SetValue", name)) return code;
  PutValue(handles_[key], name, {type, {data, data + size}});
  return reg::kSuccess;
}

long FakeWorld::EnumValueName(Key key, std::uint32_t index, std::string* name) {
  if (!handles_.count(key)) return kInvalidHandle;
  if (long code = Fault("EnumValueName")) return code;
  const std::vector<std::string> names = ValueNames(handles_[key]);
  if (index >= names.size()) return reg::kNoMoreItems;
  *name = names[index];
  return reg::kSuccess;
}

long FakeWorld::DeleteValue(Key key, const std::string& name) {
  if (!handles_.count(key)) return kInvalidHandle;
  if (long code = Fault("DeleteValue", name)) return code;
  if (keys_[handles_[key]].erase(Fold(name)) == 0) return reg::kFileNotFound;
  ++changes_;
  return reg::kSuccess;
}

long FakeWorld::DeleteKey(Key key, const std::string& subkey) {
  if (!handles_.count(key)) return kInvalidHandle;
  const std::string full = Fold(handles_[key] + "\\" + subkey);
  if (long code = Fault("DeleteKey", full)) return code;
  if (keys_.erase(full) == 0) return reg::kFileNotFound;
  ++changes_;
  return reg::kSuccess;
}

long FakeWorld::CreateChangeEvent(Event* event) {
  if (long code = Fault("CreateChangeEvent")) return code;
  events_[*event = next_handle_++] = kUnarmed;
  return reg::kSuccess;
}

long FakeWorld::NotifyChangeKeyValue(Key key, bool, std::uint32_t, Event event) {
  if (!handles_.count(key) || !events_.count(event)) return kInvalidHandle;
  if (long code = Fault("NotifyChangeKeyValue")) return code;
  events_[event] = changes_;
  return reg::kSuccess;
}

std::uint32_t FakeWorld::WaitForEvent(Event event, std::uint32_t) {
  if (!events_.count(event) || Fault("WaitForEvent")) return 0xFFFFFFFF;  // WAIT_FAILED
  if (events_[event] >= changes_) return reg::kWaitTimeout;
  events_[event] = kUnarmed;  // signalled once per arming
  return 0;
}

// --- processes -------------------------------------------------------------

std::uint32_t FakeWorld::ExpandEnvironment(const std::string& source, char* buffer,
                                           std::uint32_t buffer_size) {
  if (Fault("ExpandEnvironment")) return 0;
  std::string out;
  for (std::size_t i = 0; i < source.size();) {
    const std::size_t close = source[i] == '%' ? source.find('%', i + 1) : std::string::npos;
    if (close == std::string::npos) {
      out += source[i++];
      continue;
    }
    auto it = environment.find(Fold(source.substr(i + 1, close - i - 1)));
    // An undefined name stays as written; its closing % may open the next one.
    out += it != environment.end() ? it->second : source.substr(i, close - i);
    i = it != environment.end() ? close + 1 : close;
  }
  const auto needed = static_cast<std::uint32_t>(out.size() + 1);
  if (needed <= buffer_size) std::memcpy(buffer, out.c_str(), needed);
  return needed;
}

bool FakeWorld::StartProcess(const std::string& command_line, ProcessWindow window,
                             Process* process, std::uint32_t* error) {
  {
    Lock lock(guard_);
    if (long code = Fault("StartProcess", command_line)) {
      *error = static_cast<std::uint32_t>(code);
      return false;
    }
    started.push_back({command_line, false, window});
    ++open_processes;
    *process = started.size();
  }
  if (on_start) on_start();
  return true;
}

std::intptr_t FakeWorld::ShellExecuteOpen(const std::string& file, const std::string* parameters) {
  shell_calls.emplace_back(file, parameters ? *parameters : "<none>");
  if (long code = Fault("ShellExecuteOpen", file)) return code;
  return shell_result;
}

std::intptr_t FakeWorld::FindExecutableFor(const std::string& file, char* buffer,
                                           std::uint32_t buffer_size) {
  auto it = find_executable.find(file);
  if (Fault("FindExecutableFor", file) || it == find_executable.end()) return 31;  // no association
  std::strncpy(buffer, it->second.c_str(), buffer_size - 1);
  return 42;
}

std::vector<std::string> FakeWorld::StartedCommands() {
  Lock lock(guard_);
  std::vector<std::string> commands;
  for (const Started& process : started) commands.push_back(process.command_line);
  return commands;
}

// --- notices ---------------------------------------------------------------

int FakeWorld::ShowMessageBox(Window owner, const std::string& text, const std::string& caption,
                              std::uint32_t style) {
  shown.push_back({owner, text, caption, style});
  if (while_shown) std::exchange(while_shown, nullptr)();  // once, as a nested message would
  if (answers.empty()) return mb::kIdOk;
  const int answer = answers.front();
  answers.pop_front();
  return answer;
}

std::uint32_t FakeWorld::FormatSystemMessage(std::uint32_t code, char* buffer, std::uint32_t size) {
  const std::string& text = system_texts[code];
  const std::size_t length = std::min<std::size_t>(text.size(), size - 1);
  std::memcpy(buffer, text.data(), length);
  return static_cast<std::uint32_t>(length);
}

std::vector<std::string> FakeWorld::Texts() {
  std::vector<std::string> texts;
  for (const Shown& notice : shown) texts.push_back(notice.text);
  return texts;
}

// --- threads ---------------------------------------------------------------

ThreadPort::Mutex FakeWorld::CreateNamedMutex(const std::string& name, bool initially_owned,
                                              bool* already_existed) {
  Mutex handle = 0;
  {
    Lock lock(guard_);
    Named& named = named_[name];
    *already_existed = named.handles++ > 0;
    mutexes_[handle = next_handle_++] = &named;
  }
  if (initially_owned && !*already_existed) WaitMutex(handle);
  return handle;
}

void FakeWorld::WaitMutex(Mutex mutex) {
  Named* named = nullptr;
  {
    Lock lock(guard_);
    named = mutexes_.at(mutex);
  }
  named->mutex.lock();  // never while holding the world's lock
  Lock lock(guard_);
  ++named->held;
}

bool FakeWorld::StartDetachedThread(ThreadRoutine routine, void* parameter, std::uint32_t* error) {
  Lock lock(guard_);
  if (long code = Fault("StartDetachedThread")) {
    *error = static_cast<std::uint32_t>(code);
    return false;
  }
  ++threads_started;
  if (run_threads_inline)
    routine(parameter);
  else
    threads_.emplace_back(routine, parameter);
  return true;
}

void FakeWorld::JoinAll() {
  for (;;) {
    std::vector<std::thread> threads;
    {
      Lock lock(guard_);
      threads.swap(threads_);
    }
    if (threads.empty()) return;
    for (std::thread& thread : threads) thread.join();
  }
}

// --- files -----------------------------------------------------------------

bool FakeWorld::GetVolumeLabel(const std::string& root, char* label, std::uint32_t label_size) {
  ++volume_queries;
  if (Fault("GetVolumeLabel", root) || failures_before_ready[root]-- > 0) return false;
  auto it = volumes.find(root);
  if (it == volumes.end()) return false;
  std::strncpy(label, it->second.c_str(), label_size - 1);
  return true;
}

std::uint32_t FakeWorld::FileAttributes(const std::string& path) {
  if (Fault("FileAttributes", path)) return kInvalidFileAttributes;
  for (const auto& [root, label] : volumes)
    if (Fold(root) == Fold(path)) return 0x10;  // FILE_ATTRIBUTE_DIRECTORY
  for (const std::string& existing : existing_paths)
    if (Fold(existing) == Fold(path)) return 0x10;
  return kInvalidFileAttributes;
}

// --- devices ---------------------------------------------------------------

FakeDevice& FakeWorld::Add(FakeDevice device) {
  if (device.dev_inst == 0) device.dev_inst = static_cast<std::uint32_t>(devices.size() + 1);
  devices.push_back(std::move(device));
  return devices.back();
}

bool FakeWorld::OpenUsbDeviceSet(std::uint32_t flags, DeviceSet* set, std::uint32_t* error) {
  open_flags.push_back(flags);
  if (long code = Fault("OpenUsbDeviceSet")) {
    *error = static_cast<std::uint32_t>(code);
    return false;
  }
  std::vector<std::size_t>& members = sets_[*set = next_handle_++];
  for (std::size_t i = 0; i < devices.size(); ++i)
    if (devices[i].present || (flags & setup::kDigcfPresent) == 0) members.push_back(i);
  return true;
}

bool FakeWorld::EnumDevice(DeviceSet set, std::uint32_t index, DeviceElement* element) {
  const std::vector<std::size_t>& members = sets_.at(set);
  if (Fault("EnumDevice") || index >= members.size()) return false;
  *element = DeviceElement{};
  std::memcpy(element->data, &members[index], sizeof(std::size_t));
  element->dev_inst = devices[members[index]].dev_inst;
  return true;
}

bool FakeWorld::GetProperty(DeviceSet set, const DeviceElement& element, std::uint32_t property,
                            unsigned char* buffer, std::uint32_t size, std::uint32_t* required,
                            std::uint32_t* error) {
  sets_.at(set);  // a destroyed set has no properties
  ++property_queries;
  std::size_t position = 0;
  std::memcpy(&position, element.data, sizeof position);
  const FakeDevice& device = devices.at(position);
  auto it = device.properties.find(property);
  *error = static_cast<std::uint32_t>(Fault("GetProperty", std::to_string(property)));
  // Without a device object there is no physical device object name.
  if (*error == 0 && (it == device.properties.end() ||
                      (property == setup::kSpdrpPhysicalDeviceObjectName && !device.present)))
    *error = setup::kErrorInvalidData;
  if (*error != 0) return false;
  if (required) *required = static_cast<std::uint32_t>(it->second.size());
  if (!buffer || size < it->second.size()) {
    *error = setup::kErrorInsufficientBuffer;
    return false;
  }
  std::memcpy(buffer, it->second.data(), it->second.size());
  return true;
}

std::uint32_t FakeWorld::RequestDeviceEject(std::uint32_t dev_inst) {
  eject_requests.push_back(dev_inst);
  if (Fault("RequestDeviceEject")) return 0x13;  // CR_FAILURE
  for (FakeDevice& device : devices) {
    if (device.dev_inst != dev_inst || device.eject_answers.empty()) continue;
    const std::uint32_t answer = device.eject_answers.front();
    if (device.eject_answers.size() > 1) device.eject_answers.pop_front();
    return answer;
  }
  return setup::kCrSuccess;
}

}  // namespace mw::fake
