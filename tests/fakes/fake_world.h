#pragma once
// One fake world behind every port: an in-memory registry, recorded process
// starts and message boxes, named mutexes that really exclude, drives and a
// USB device table. Any fallible call can be made to fail through `fault`.
// Runner threads may start processes, sleep and take mutexes concurrently;
// everything else is set up and called from one thread at a time.
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "model/action.h"
#include "platform/platform.h"
#include "platform/sjis.h"

namespace mw::fake {

// The sixteen stored texts of an Action in declaration order, then its drive letter.
inline std::vector<std::string> Fields(const Action& a) {
  return {a.Name,
          a.State,
          a.HardwareID,
          a.ExeFile,
          a.Eject,
          a.Ex_RunVolumeChk,
          a.Ex_RunVolume,
          a.Ex_RunPathChk,
          a.Ex_RunPath,
          a.Ex_RunWaitChk,
          a.Ex_RunWait,
          a.Ex_RmvWaitChk,
          a.Ex_RmvWait,
          a.Ex_RmvRetryChk,
          a.Ex_RmvRetryWait,
          a.Ex_RmvRetryCount,
          std::string(1, a.DriveLetter)};
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

  FakeDevice& Raw(std::uint32_t property, const std::string& bytes) {
    properties[property] = bytes;
    return *this;
  }
  FakeDevice& Text(std::uint32_t property, const std::string& text) {
    return Raw(property, text + '\0');
  }
  // Each string with its NUL, then the final NUL.
  FakeDevice& Multi(std::uint32_t property, const std::vector<std::string>& strings);
};

class FakeWorld : public RegistryPort,
                  public ProcessPort,
                  public DesktopPort,
                  public UserNoticePort,
                  public ThreadPort,
                  public FileSystemPort,
                  public DeviceSetupPort {
 public:
  using Window = DesktopPort::Window;
  using Lock = std::lock_guard<std::recursive_mutex>;
  struct Started {
    std::string command_line;
    bool waited = false;
    ProcessWindow window = ProcessWindow::NewConsole;
  };
  struct Shown {
    Window owner;
    std::string text, caption;
    std::uint32_t style;
  };
  static constexpr Window kDesktop = 0xDE5C;

  ~FakeWorld() override { JoinAll(); }
  Platform platform() { return Platform{*this, *this, *this, *this, *this, *this, *this}; }

  // The error a call fails with, or 0 to let it run. `call` is the port
  // method's name, `what` the registry value name or key path.
  std::function<long(const std::string& call, const std::string& what)> fault;
  void FailAlways(const std::string& call, long code) {
    fault = [call, code](const std::string& c, const std::string&) { return c == call ? code : 0; };
  }
  std::size_t calls = 0;  // fallible calls so far

  // Registry; paths are "HKCU\\..." or "HKCR\\...", compared case-insensitively.
  void PutString(const std::string& path, const std::string& name, const std::string& text) {
    PutValue(path, name, {reg::kSz, {text.c_str(), text.c_str() + text.size() + 1}});
  }
  void PutValue(const std::string& path, const std::string& name, FakeValue value);
  void PutKey(const std::string& path);
  bool HasKey(const std::string& path) { return keys_.count(Fold(path)) != 0; }
  const FakeValue* Find(const std::string& path, const std::string& name);
  std::string GetString(const std::string& path, const std::string& name);
  std::vector<std::string> ValueNames(const std::string& path);
  std::size_t open_keys() const { return handles_.size(); }
  std::size_t open_events() const { return events_.size(); }

  // Processes and the shell.
  std::map<std::string, std::string> environment;      // name (upper case) -> value
  std::map<std::string, std::string> find_executable;  // file -> FindExecutable's answer
  std::intptr_t shell_result = 42;
  std::function<void()> on_start;  // what the started program does
  std::vector<Started> started;
  std::vector<std::pair<std::string, std::string>> shell_calls;  // file, parameters
  std::vector<std::uint32_t> timed_waits;
  int open_processes = 0;
  std::vector<std::string> StartedCommands();

  // Desktop and message boxes.
  Window foreground = 0;
  std::map<Window, std::string> titles;
  std::vector<Shown> shown;
  std::deque<int> answers;  // answered in order; IDOK once they run out
  std::map<std::uint32_t, std::string> system_texts;
  std::function<void()> while_shown;  // work the message loop of a box runs
  std::vector<std::string> Texts();

  // Threads.
  bool run_threads_inline = false;  // a thread runs before StartDetachedThread returns
  std::size_t threads_started = 0;
  std::vector<std::uint32_t> sleeps;
  void JoinAll();
  bool IsHeld(const std::string& name) {
    Lock lock(guard_);
    return named_[name].held > 0;
  }
  static void SetLastError(std::uint32_t code) { last_error_ = code; }

  // Drives: root ("E:\\") -> label; a missing root fails every query.
  std::map<std::string, std::string> volumes;
  std::map<std::string, int> failures_before_ready;  // queries that fail before it answers
  std::set<std::string> existing_paths;              // compared case-insensitively
  std::string current_directory = "C:\\work";
  std::size_t volume_queries = 0;

  // USB devices.
  std::vector<FakeDevice> devices;
  std::vector<std::uint32_t> open_flags, eject_requests;
  std::size_t property_queries = 0;
  FakeDevice& Add(FakeDevice device);
  std::size_t open_sets() const { return sets_.size(); }
  // Case-folded, without doubled or trailing backslashes (a drive root keeps its own).
  static std::string Fold(const std::string& text);

  long OpenKey(RegistryRoot root, const std::string& path, std::uint32_t, Key* key) override;
  long CreateKey(RegistryRoot root, const std::string& path, std::uint32_t, Key* key) override;
  long QueryValue(Key key, const std::string& name, std::uint32_t* type, unsigned char* data,
                  std::uint32_t* size) override;
  long SetValue(Key key, const std::string& name, std::uint32_t type, const unsigned char* data,
                std::uint32_t size) override;
  long EnumValueName(Key key, std::uint32_t index, std::string* name) override;
  long DeleteValue(Key key, const std::string& name) override;
  long DeleteKey(Key key, const std::string& subkey) override;
  void CloseKey(Key key) override { handles_.erase(key); }
  long CreateChangeEvent(Event* event) override;
  long NotifyChangeKeyValue(Key key, bool subtree, std::uint32_t filter, Event event) override;
  std::uint32_t WaitForEvent(Event event, std::uint32_t milliseconds) override;
  void CloseEvent(Event event) override { events_.erase(event); }

  std::uint32_t ExpandEnvironment(const std::string& source, char* buffer,
                                  std::uint32_t buffer_size) override;
  bool StartProcess(const std::string& command_line, ProcessWindow window, Process* process,
                    std::uint32_t* last_error) override;
  void WaitForProcess(Process process) override {
    Lock lock(guard_);
    started.at(process - 1).waited = true;
  }
  bool WaitForProcessEnd(Process, std::uint32_t milliseconds) override {
    timed_waits.push_back(milliseconds);
    return !Fault("WaitForProcessEnd");
  }
  void CloseProcess(Process) override {
    Lock lock(guard_);
    --open_processes;
  }
  std::intptr_t ShellExecuteOpen(const std::string& file, const std::string* parameters) override;
  std::intptr_t FindExecutableFor(const std::string& file, char* buffer,
                                  std::uint32_t buffer_size) override;

  Window DesktopWindow() override { return kDesktop; }
  Window ForegroundWindow() override { return foreground; }
  std::string WindowTitle(Window window, int size) override {
    return titles[window].substr(0, static_cast<std::size_t>(size - 1));
  }
  void ToUpper(std::string& text) override { UpperCaseSjis(text.data(), text.size()); }
  int ShowMessageBox(Window owner, const std::string& text, const std::string& caption,
                     std::uint32_t style) override;
  std::uint32_t FormatSystemMessage(std::uint32_t code, char* buffer, std::uint32_t size) override;

  Mutex CreateNamedMutex(const std::string& name, bool initially_owned,
                         bool* already_existed) override;
  void WaitMutex(Mutex mutex) override;
  void ReleaseMutex(Mutex mutex) override {
    Lock lock(guard_);
    --mutexes_.at(mutex)->held, mutexes_.at(mutex)->mutex.unlock();
  }
  void CloseMutex(Mutex mutex) override {
    Lock lock(guard_);
    --mutexes_.at(mutex)->handles, mutexes_.erase(mutex);
  }
  bool StartDetachedThread(ThreadRoutine routine, void* parameter,
                           std::uint32_t* last_error) override;
  std::uint32_t LastError() override { return last_error_; }
  void Sleep(std::uint32_t milliseconds) override {
    Lock lock(guard_);
    sleeps.push_back(milliseconds);
  }

  bool GetVolumeLabel(const std::string& root, char* label, std::uint32_t label_size) override;
  std::uint32_t FileAttributes(const std::string& path) override;
  std::string CurrentDirectory(std::uint32_t size) override {
    return Fault("CurrentDirectory") || current_directory.size() >= size ? "" : current_directory;
  }
  std::string WindowsDirectory() override { return "C:\\WINDOWS"; }
  std::string ProgramFile() override { return "C:\\Program Files\\Mountwick\\Mountwick.exe"; }

  bool OpenUsbDeviceSet(std::uint32_t flags, DeviceSet* set, std::uint32_t* last_error) override;
  bool EnumDevice(DeviceSet set, std::uint32_t index, DeviceElement* element) override;
  bool GetProperty(DeviceSet set, const DeviceElement& element, std::uint32_t property,
                   unsigned char* buffer, std::uint32_t size, std::uint32_t* required,
                   std::uint32_t* last_error) override;
  void DestroyDeviceSet(DeviceSet set) override { sets_.erase(set); }
  std::uint32_t RequestDeviceEject(std::uint32_t dev_inst) override;

 private:
  long Fault(const std::string& call, const std::string& what = {});
  struct Named {
    std::recursive_mutex mutex;
    int handles = 0, held = 0;
  };
  using Values = std::map<std::string, std::pair<std::string, FakeValue>>;  // folded -> entry

  std::map<std::string, Values> keys_;  // folded full path
  std::map<Key, std::string> handles_;
  static constexpr std::size_t kUnarmed = ~std::size_t{0};
  std::map<Event, std::size_t> events_;  // -> changes_ when armed; any later change signals it
  std::size_t changes_ = 0;
  std::map<std::string, Named> named_;
  std::map<Mutex, Named*> mutexes_;
  std::map<DeviceSet, std::vector<std::size_t>> sets_;  // -> device positions
  std::uintptr_t next_handle_ = 0x100;
  std::vector<std::thread> threads_;
  std::recursive_mutex guard_;
  static inline thread_local std::uint32_t last_error_ = 0;
};

}  // namespace mw::fake
