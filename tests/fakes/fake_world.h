#pragma once
// One fake world behind every port: an in-memory registry, recorded process
// starts and message boxes, named mutexes that really exclude, drives and a
// USB device table. Any fallible call can be made to fail through `fault`.
// Runner threads may start processes, sleep and take mutexes concurrently;
// everything else is called from one thread at a time.
#include <algorithm>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <numeric>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "fakes/fake_device_nodes.h"
#include "fakes/fake_storage.h"
#include "model/action.h"
#include "platform/platform.h"
#include "platform/sjis.h"

namespace mw::fake {

// The stored texts of an Action in stored order.
inline std::vector<std::string*> TextFields(Action& a) {
  std::vector<std::string*> texts;
  for (const ActionField& field : kActionFields) texts.push_back(&(a.*field.member));
  return texts;
}
// count Actions whose every field differs from its default, from the other
// fields and from the same field of the other Actions and other tags.
inline std::vector<Action> Tagged(const std::string& tag, int count) {
  std::vector<Action> actions(static_cast<std::size_t>(count));
  for (std::size_t i = 0; i < actions.size(); ++i) {
    int field = 0;
    for (std::string* text : TextFields(actions[i]))
      *text = tag + std::to_string(i) + "." + std::to_string(field++);
  }
  return actions;
}
// Its texts and its drive letter, for comparing whole Actions.
inline std::vector<std::string> Fields(Action a) {
  std::vector<std::string> fields;
  for (const std::string* text : TextFields(a)) fields.push_back(*text);
  return fields.push_back(std::string(1, a.DriveLetter)), fields;
}
// An Action with the given fields set, e.g. "Eject=1;ExeFile=C:\\A.EXE".
inline Action MakeAction(const std::string& fields) {
  Action a;
  for (std::size_t at = 0, end = 0; at < fields.size(); at = end + 1) {
    end = std::min(fields.find(';', at), fields.size());
    const std::size_t eq = fields.find('=', at);
    const std::string name = fields.substr(at, eq - at);
    const auto field = std::find_if(kActionFields.begin(), kActionFields.end(),
                                    [&](const ActionField& f) { return f.stored_name == name; });
    a.*field->member = fields.substr(eq + 1, end - eq - 1);
  }
  return a;
}

inline std::string Upper(std::string text) {
  UpperCaseSjis(text.data(), text.size());
  return text;
}

// Upper case, without doubled or trailing backslashes (a drive root keeps its own).
inline std::string Fold(const std::string& text) {
  std::string out;
  for (char c : text)
    if (c != '\\' || out.empty() || out.back() != '\\')
      out += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
  while (!out.empty() && out.back() == '\\' && !(out.size() == 3 && out[1] == ':')) out.pop_back();
  return out;
}

struct FakeValue {
  std::uint32_t type = reg::kSz;
  std::vector<unsigned char> data;
};

struct FakeDevice {
  bool present = true;
  std::uint32_t dev_inst = 0;                       // assigned when 0
  std::map<std::uint32_t, std::string> properties;  // exactly the bytes the system returns
  std::deque<std::uint32_t> eject_answers;          // the last one repeats; none: kCrSuccess
  std::string instance_id;                          // "USB\\FAKE\\<dev_inst>" when empty

  FakeDevice& Raw(std::uint32_t property, const std::string& bytes) {
    properties[property] = bytes;
    return *this;
  }
  FakeDevice& Text(std::uint32_t property, const std::string& text) {
    return Raw(property, text + '\0');
  }
  FakeDevice& Multi(std::uint32_t property, const std::vector<std::string>& strings) {
    std::string bytes;
    for (const std::string& text : strings) bytes += text + '\0';
    return Raw(property, bytes + '\0');
  }
};

class FakeWorld : public RegistryPort,
                  public ProcessPort,
                  public DesktopPort,
                  public UserNoticePort,
                  public ThreadPort,
                  public FileSystemPort,
                  public DeviceSetupPort,
                  public ActivityPort {
  template <class F>
  auto Locked(F&& f) {
    std::lock_guard<std::recursive_mutex> lock(guard_);
    return f();
  }

 public:
  using Window = DesktopPort::Window;
  struct Started {
    std::string command_line;
    bool waited = false;
    ProcessWindow window = ProcessWindow::NewConsole;
  };
  struct Shown {
    Window owner;
    std::string text;
    std::uint32_t style;
  };

  ~FakeWorld() override { JoinAll(); }
  Platform platform() {
    return Platform{*this, *this, *this, *this, *this, *this, *this, *this, storage};
  }

  // The error a call fails with, or 0 to let it run: `call` is the port
  // method's name, `what` the registry value name or key path, or the property.
  std::function<long(const std::string& call, const std::string& what)> fault;
  std::size_t calls = 0;  // fallible calls so far
  void FailAlways(const std::string& call, long code) {
    fault = [call, code](const std::string& c, const std::string&) { return c == call ? code : 0; };
  }

  // Registry: paths are "HKCU\\..." or "HKCR\\...", compared case-insensitively.
  void PutKey(const std::string& path) {
    const std::string key = Fold(path);
    for (std::size_t at = key.find('\\'); at != std::string::npos; at = key.find('\\', at + 1))
      keys_[key.substr(0, at)];
    keys_[key];
  }
  void PutValue(const std::string& path, const std::string& name, FakeValue value) {
    PutKey(path);
    // An existing value keeps the spelling of its name, as in the real registry.
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

  // Processes and the shell.
  std::map<std::string, std::string> environment;      // name (upper case) -> value
  std::map<std::string, std::string> find_executable;  // file -> FindExecutable's answer
  std::vector<Started> started;
  std::vector<std::pair<std::string, std::string>> shell_calls;  // file, parameters
  int open_processes = 0, open_jobs = 0;
  // A process ends when waited for; its job's counts and port messages are taken
  // in turn, the last one repeated (none: the job is empty, the port quiet).
  std::deque<std::uint32_t> job_counts;
  std::deque<JobMessage> job_messages;
  // In order: "start CMD", "resume", "end CMD", "job COUNT", "job zero", "eject INSTANCE".
  std::vector<std::string> timeline;
  std::function<void()> while_running;  // runs once, inside the next wait for a process
  std::uint32_t exit_code = 0;          // of every started program
  std::vector<std::string> StartedCommands() {
    return Locked([&] { return Each(started, &Started::command_line); });
  }

  // Desktop and message boxes.
  std::vector<Shown> shown;
  std::deque<int> answers;  // answered in order; IDOK once they run out
  std::map<std::uint32_t, std::string> system_texts;
  std::function<void()> while_shown;  // what the message loop of the next box runs
  std::vector<std::string> Texts() { return Each(shown, &Shown::text); }

  // Threads.
  bool run_threads_inline = false;  // a thread runs before RunDetached returns
  std::vector<std::uint32_t> sleeps;

  // The activity log, line by line.
  std::vector<std::string> activity;
  bool MutexHeld() {
    return Locked([&] { return held_ > 0; });
  }
  void JoinAll() {
    for (std::thread& thread : Locked([&] { return std::exchange(threads_, {}); })) thread.join();
  }

  // Drives: root ("E:\\") -> label; a missing root fails every query.
  std::map<std::string, std::string> volumes;
  std::set<std::string> existing_paths;  // compared case-insensitively

  // USB devices.
  std::vector<FakeDevice> devices;
  std::vector<std::uint32_t> open_flags, eject_requests;
  std::size_t property_queries = 0;
  void Add(FakeDevice device) {
    if (device.dev_inst == 0) device.dev_inst = static_cast<std::uint32_t>(devices.size() + 1);
    if (device.instance_id.empty())
      device.instance_id = "USB\\FAKE\\" + std::to_string(device.dev_inst);
    devices.push_back(std::move(device));
  }
  std::size_t open_sets() const { return sets_.size(); }
  // The device tree above the disks; a DEVINST answers only while a disk
  // interface set is open, as under Wine. The drives and what they open to.
  FakeDeviceNodes nodes;
  FakeStorage storage;

  // --- the ports -----------------------------------------------------------

  long OpenKey(RegistryRoot root, const std::string& path, std::uint32_t, Key* key) override {
    return Open("OpenKey", Join(root, path), key);
  }
  long CreateKey(RegistryRoot root, const std::string& path, std::uint32_t, Key* key) override {
    return Open("CreateKey", Join(root, path), key);
  }
  long QueryValue(Key key, const std::string& name, std::uint32_t* type, unsigned char* data,
                  std::uint32_t* size) override {
    if (long code = Check(key, "QueryValue", name)) return code;
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
    if (long code = Check(key, "SetValue", name)) return code;
    PutValue(handles_[key], name, {type, {data, data + size}});
    return reg::kSuccess;
  }
  long EnumValueName(Key key, std::uint32_t index, std::string* name) override {
    if (long code = Check(key, "EnumValueName", "")) return code;
    const std::vector<std::string> names = ValueNames(handles_[key]);
    if (index >= names.size()) return reg::kNoMoreItems;
    *name = names[index];
    return reg::kSuccess;
  }
  long DeleteValue(Key key, const std::string& name) override {
    if (long code = Check(key, "DeleteValue", name)) return code;
    return keys_[handles_[key]].erase(Fold(name)) ? reg::kSuccess : reg::kFileNotFound;
  }
  long CountValues(Key key, std::uint32_t* count) override {
    if (long code = Check(key, "CountValues", "")) return code;
    return *count = static_cast<std::uint32_t>(ValueNames(handles_[key]).size()), reg::kSuccess;
  }
  long DeleteKey(Key key, const std::string& subkey) override {
    if (long code = Check(key, "DeleteKey", subkey)) return code;
    return keys_.erase(Fold(handles_[key] + "\\" + subkey)) ? reg::kSuccess : reg::kFileNotFound;
  }
  void CloseKey(Key key) override { handles_.erase(key); }
  // No change notification: the program then reads the settings at every use.
  long CreateChangeEvent(Event*) override { return 5; }
  long NotifyChangeKeyValue(Key, bool, std::uint32_t, Event) override { return 6; }
  std::uint32_t WaitForEvent(Event, std::uint32_t) override { return 0xFFFFFFFF; }
  void CloseEvent(Event) override {}

  std::uint32_t ExpandEnvironment(const std::string& source, char* buffer,
                                  std::uint32_t buffer_size) override {
    if (Fault("ExpandEnvironment")) return 0;
    // One pass, left to right, as the system does: names in any case; an
    // undefined one stays as written, and the scan goes on after it.
    std::string out;
    for (std::size_t at = 0, close; at < source.size(); at = close) {
      close = source[at] == '%' ? source.find('%', at + 1) : source.find('%', at);
      if (source[at] != '%' || close == std::string::npos) {
        out += source.substr(at, close - at);
        continue;
      }
      const auto it = environment.find(Upper(source.substr(at + 1, close - at - 1)));
      out += it == environment.end() ? source.substr(at, ++close - at) : (++close, it->second);
    }
    const auto needed = static_cast<std::uint32_t>(out.size() + 1);
    if (needed <= buffer_size) std::memcpy(buffer, out.c_str(), needed);
    return needed;
  }
  bool StartProcess(const std::string& command_line, ProcessWindow window, Process* process,
                    std::uint32_t* error, Thread* thread) override {
    if ((*error = Code("StartProcess", command_line))) return false;
    *process = Begin(command_line, window);
    if (thread) Locked([&] { return *thread = *process, ++open_processes; });
    return true;
  }
  bool ResumeThread(Thread, std::uint32_t* error) override {
    return Event("resume"), !(*error = Code("ResumeThread"));
  }
  void CloseThread(Thread) override { CloseProcess(0); }
  bool ShellExecuteProcess(const std::string& file, const std::string& parameters, Process* process,
                           std::uint32_t* error) override {
    if ((*error = Code("ShellExecuteProcess", file))) return false;
    return *process = Begin("shell " + file + "|" + parameters, ProcessWindow::NewConsole), true;
  }
  bool CreateWaitableJob(Job* job, std::uint32_t* error) override {
    return !(*error = Code("CreateWaitableJob")) && Locked([&] { return *job = ++open_jobs; });
  }
  bool AssignToJob(Job, Process, std::uint32_t* error) override {
    return !(*error = Code("AssignToJob"));
  }
  bool ActiveJobProcesses(Job, std::uint32_t* count) override {
    *count = Locked([&] { return Next(job_counts, 0u); });
    return Event("job " + std::to_string(*count)), !Code("ActiveJobProcesses");
  }
  JobMessage WaitForJobMessage(Job, std::uint32_t) override {
    const JobMessage message = Locked([&] { return Next(job_messages, JobMessage::TimedOut); });
    if (message == JobMessage::ActiveProcessZero) Event("job zero");
    return message;
  }
  void CloseJob(Job) override {
    Locked([&] { --open_jobs; });
  }
  void WaitForProcess(Process process) override {
    if (while_running) std::exchange(while_running, nullptr)();
    Event("end " + Locked([&] {
            return started.at(process - 1).waited = true, started.at(process - 1).command_line;
          }));
  }
  bool WaitForProcessEnd(Process, std::uint32_t) override { return !Fault("WaitForProcessEnd"); }
  void CloseProcess(Process) override {
    Locked([&] { --open_processes; });
  }
  std::intptr_t ShellExecuteOpen(const std::string& file, const std::string* parameters) override {
    shell_calls.emplace_back(file, parameters ? *parameters : "<none>");
    if (long code = Fault("ShellExecuteOpen", file)) return code;
    return 42;  // any answer above 32 is a success
  }
  std::uint32_t ProcessId(Process process) override { return static_cast<std::uint32_t>(process); }
  bool ExitCode(Process, std::uint32_t* code) override {
    *code = exit_code;
    return true;
  }
  std::intptr_t FindExecutableFor(const std::string& file, char* buffer,
                                  std::uint32_t size) override {
    auto it = find_executable.find(file);
    if (Fault("FindExecutableFor", file) || it == find_executable.end())
      return 31;  // SE_ERR_NOASSOC
    std::strncpy(buffer, it->second.c_str(), size - 1);
    return 42;
  }

  Window DesktopWindow() override { return 0xDE5C; }
  Window ForegroundWindow() override { return 0; }  // no window in front
  std::string WindowTitle(Window, int) override { return {}; }

  void ToUpper(std::string& text) override { text = Upper(text); }
  int ShowMessageBox(Window owner, const std::string& text, const std::string&,
                     std::uint32_t style) override {
    shown.push_back({owner, text, style});
    if (while_shown) std::exchange(while_shown, nullptr)();
    const int answer = answers.empty() ? mb::kIdOk : answers.front();
    if (!answers.empty()) answers.pop_front();
    return answer;
  }
  std::uint32_t FormatSystemMessage(std::uint32_t code, char* buffer, std::uint32_t size) override {
    const std::string text = system_texts[code].substr(0, size - 1);
    std::memcpy(buffer, text.data(), text.size());
    return static_cast<std::uint32_t>(text.size());
  }

  // Every name stands for one mutex: the program has one.
  Mutex CreateNamedMutex(const std::string&, bool owned, bool* already_existed) override {
    if (!(*already_existed = Locked([&] { return mutex_handles_++ > 0; })) && owned) WaitMutex(1);
    return 1;
  }
  void WaitMutex(Mutex) override {
    named_.lock(), Locked([&] { ++held_; });
  }  // not while locked
  void ReleaseMutex(Mutex) override {
    Locked([&] { --held_, named_.unlock(); });
  }
  void CloseMutex(Mutex) override {
    Locked([&] { --mutex_handles_; });
  }
  bool RunDetached(ThreadRoutine routine, void* parameter, std::uint32_t* error) override {
    *error = static_cast<std::uint32_t>(Fault("RunDetached"));
    if (*error) return false;
    if (run_threads_inline) return routine(parameter), true;
    return Locked([&] { return threads_.emplace_back(routine, parameter), true; });
  }
  void Sleep(std::uint32_t milliseconds) override {
    Locked([&] { sleeps.push_back(milliseconds); });
  }
  // The clock moves only by the sleeps.
  std::uint64_t Milliseconds() override {
    return Locked([&] { return std::accumulate(sleeps.begin(), sleeps.end(), std::uint64_t{0}); });
  }
  // A raised signal is taken by its next wait; a wait that finds none runs
  // while_waiting once, then lets its time pass as a sleep.
  std::function<void()> while_waiting;
  Signal CreateSignal() override {
    return Locked([&] { return raised_[++next_signal_] = false, next_signal_; });
  }
  void RaiseSignal(Signal signal) override {
    Locked([&] { raised_.at(signal) = true; });
  }
  bool WaitSignal(Signal signal, std::uint32_t milliseconds) override {
    const auto take = [&] {
      return Locked([&] { return std::exchange(raised_.at(signal), false); });
    };
    if (take()) return true;
    if (auto then = Locked([&] { return std::exchange(while_waiting, nullptr); })) then();
    if (take()) return true;
    return Sleep(milliseconds), false;
  }
  void CloseSignal(Signal signal) override {
    Locked([&] { raised_.erase(signal); });
  }
  void Write(const std::string& text) override {
    Locked([&] {
      for (std::size_t from = 0; from <= text.size();) {
        const std::size_t end = std::min(text.find('\n', from), text.size());
        activity.push_back(text.substr(from, end - from));
        from = end + 1;
      }
    });
  }

  bool GetVolumeLabel(const std::string& root, char* label, std::uint32_t size) override {
    auto it = volumes.find(root);
    if (Fault("GetVolumeLabel", root) || it == volumes.end()) return false;
    std::strncpy(label, it->second.c_str(), size - 1);
    return true;
  }
  std::uint32_t FileAttributes(const std::string& path) override {
    if (Fault("FileAttributes", path)) return kInvalidFileAttributes;
    for (const auto& [root, label] : volumes)
      if (Fold(root) == Fold(path)) return 0x10;  // FILE_ATTRIBUTE_DIRECTORY
    for (const std::string& existing : existing_paths)
      if (Fold(existing) == Fold(path)) return 0x10;
    return kInvalidFileAttributes;
  }
  std::string CurrentDirectory(std::uint32_t) override {
    return Fault("CurrentDirectory") ? "" : "C:\\work";
  }
  std::string WindowsDirectory() override { return "C:\\WINDOWS"; }
  std::string ProgramFile() override { return "C:\\Program Files\\Mountwick\\Mountwick.exe"; }

  bool OpenUsbDeviceSet(std::uint32_t flags, DeviceSet* set, std::uint32_t* error) override {
    open_flags.push_back(flags);
    if ((*error = static_cast<std::uint32_t>(Fault("OpenUsbDeviceSet")))) return false;
    std::vector<std::size_t>& members = sets_[*set = next_handle_++];
    for (std::size_t i = 0; i < devices.size(); ++i)
      if (devices[i].present || (flags & setup::kDigcfPresent) == 0) members.push_back(i);
    return true;
  }
  bool CreateUsbDeviceSet(DeviceSet* set, std::uint32_t* error) override {
    if ((*error = static_cast<std::uint32_t>(Fault("CreateUsbDeviceSet")))) return false;
    return sets_[*set = next_handle_++], true;
  }
  // Any device the system knows, attached or not, by its instance in any case.
  bool OpenDevice(DeviceSet set, const std::string& instance_id, DeviceElement* element) override {
    std::vector<std::size_t>& members = sets_.at(set);
    for (std::size_t i = 0; i < devices.size() && !Fault("OpenDevice", instance_id); ++i)
      if (Upper(devices[i].instance_id) == Upper(instance_id))
        return members.push_back(i), Element(i, element), true;
    return false;
  }
  bool EnumDevice(DeviceSet set, std::uint32_t index, DeviceElement* element) override {
    const std::vector<std::size_t>& members = sets_.at(set);
    if (Fault("EnumDevice") || index >= members.size()) return false;
    return Element(members[index], element), true;
  }
  bool GetProperty(DeviceSet set, const DeviceElement& element, std::uint32_t property,
                   unsigned char* buffer, std::uint32_t size, std::uint32_t* required,
                   std::uint32_t* error) override {
    ++property_queries;
    const FakeDevice& device = DeviceAt(set, element);
    auto it = device.properties.find(property);
    *error = static_cast<std::uint32_t>(Fault("GetProperty", std::to_string(property)));
    // Without a device object there is no physical device object name.
    if (!*error && (it == device.properties.end() ||
                    (property == setup::kSpdrpPhysicalDeviceObjectName && !device.present)))
      *error = setup::kErrorInvalidData;
    if (*error) return false;
    if (required) *required = static_cast<std::uint32_t>(it->second.size());
    if (!buffer || size < it->second.size()) {
      *error = setup::kErrorInsufficientBuffer;
      return false;
    }
    std::memcpy(buffer, it->second.data(), it->second.size());
    return true;
  }
  bool GetInstanceId(DeviceSet set, const DeviceElement& element, std::string* instance_id,
                     std::uint32_t* error) override {
    const FakeDevice& device = DeviceAt(set, element);
    return !(*error = Code("GetInstanceId")) && (*instance_id = device.instance_id, true);
  }
  void DestroyDeviceSet(DeviceSet set) override { sets_.erase(set); }
  bool OpenDiskInterfaceSet(DeviceSet* set, std::uint32_t* error) override {
    if ((*error = nodes.disk_set_error)) return false;
    return sets_[*set = next_handle_++], disk_sets_.push_back(*set), true;
  }
  bool EnumDiskInterface(DeviceSet set, std::uint32_t index, std::string* path,
                         DeviceElement* element) override {
    return sets_.at(set), nodes.EnumDiskInterface(index, path, element);
  }
  std::uint32_t GetParent(std::uint32_t dev_inst, std::uint32_t* parent) override {
    for (DeviceSet set : disk_sets_)
      if (sets_.count(set)) return nodes.GetParent(dev_inst, parent);
    return setup::kCrInvalidDevNode;
  }
  std::uint32_t GetDeviceId(std::uint32_t dev_inst, std::string* id) override {
    return nodes.GetDeviceId(dev_inst, id);
  }
  std::uint32_t RequestDeviceEject(std::uint32_t dev_inst, std::uint32_t* veto_type) override {
    eject_requests.push_back(dev_inst);
    const std::uint32_t failed = Fault("RequestDeviceEject") ? 0x13 : 0;  // CR_FAILURE
    std::uint32_t answer = failed;
    for (FakeDevice& device : devices)
      if (device.dev_inst == dev_inst)
        Event("eject " + device.instance_id),
            answer = failed ? failed : Next(device.eject_answers, setup::kCrSuccess);
    *veto_type = answer == setup::kCrRemoveVetoed ? 3 : 0;  // PNP_VetoWindowsApp for a refusal
    return answer;
  }

 private:
  using Values = std::map<std::string, std::pair<std::string, FakeValue>>;  // folded -> entry

  template <class T>
  static std::vector<std::string> Each(const std::vector<T>& items, std::string T::*field) {
    std::vector<std::string> texts;
    for (const T& item : items) texts.push_back(item.*field);
    return texts;
  }
  // The element of the device at position, as DeviceAt finds it again.
  void Element(std::size_t position, DeviceElement* element) {
    *element = DeviceElement{};
    std::memcpy(element->data, &position, sizeof position);
    element->dev_inst = devices[position].dev_inst;
  }
  // A destroyed set has no devices.
  FakeDevice& DeviceAt(DeviceSet set, const DeviceElement& element) {
    sets_.at(set);
    std::size_t position = 0;
    std::memcpy(&position, element.data, sizeof position);
    return devices.at(position);
  }
  std::uint32_t Code(const std::string& call, const std::string& what = {}) {
    return static_cast<std::uint32_t>(Fault(call, what));
  }
  void Event(const std::string& event) {
    Locked([&] { timeline.push_back(event); });
  }
  Process Begin(const std::string& command, ProcessWindow window) {
    Event("start " + command);
    return Locked([&] {
      return started.push_back({command, false, window}), ++open_processes, started.size();
    });
  }
  template <class T>
  static T Next(std::deque<T>& answers, T none) {
    if (answers.empty()) return none;
    const T answer = answers.front();
    if (answers.size() > 1) answers.pop_front();
    return answer;
  }
  long Fault(const std::string& call, const std::string& what = {}) {
    return Locked([&] { return ++calls, fault ? fault(call, what) : 0; });
  }
  long Open(const std::string& call, const std::string& path, Key* key) {
    if (long code = Fault(call, path)) return code;
    if (call == "CreateKey") PutKey(path);
    if (!keys_.count(path)) return reg::kFileNotFound;
    return handles_[*key = next_handle_++] = path, reg::kSuccess;
  }
  // A call on a key: ERROR_INVALID_HANDLE for a closed one, else its fault.
  long Check(Key key, const std::string& call, const std::string& what) {
    return handles_.count(key) ? Fault(call, what) : 6;
  }
  static std::string Join(RegistryRoot root, const std::string& path) {
    return Fold((root == RegistryRoot::CurrentUser ? "HKCU\\" : "HKCR\\") + path);
  }
  std::map<std::string, Values> keys_;  // folded full path
  std::map<Key, std::string> handles_;
  std::recursive_mutex named_;
  int mutex_handles_ = 0, held_ = 0;
  std::map<DeviceSet, std::vector<std::size_t>> sets_;  // -> device positions
  std::vector<DeviceSet> disk_sets_;
  std::uintptr_t next_handle_ = 0x100;
  std::vector<std::thread> threads_;
  std::map<Signal, bool> raised_;
  Signal next_signal_ = 0;
  std::recursive_mutex guard_;
};

}  // namespace mw::fake
