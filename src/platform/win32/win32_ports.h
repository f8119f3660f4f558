#pragma once
// The real adapters: each method is one Win32 call with its own semantics.
#include "platform/log_file_port.h"
#include "platform/platform.h"

namespace mw::win32 {

class Win32Registry : public RegistryPort {
 public:
  long OpenKey(RegistryRoot root, const std::string& path, std::uint32_t access, Key* key) override;
  long CreateKey(RegistryRoot root, const std::string& path, std::uint32_t access,
                 Key* key) override;
  long QueryValue(Key key, const std::string& name, std::uint32_t* type, unsigned char* data,
                  std::uint32_t* size) override;
  long SetValue(Key key, const std::string& name, std::uint32_t type, const unsigned char* data,
                std::uint32_t size) override;
  long EnumValueName(Key key, std::uint32_t index, std::string* name) override;
  long DeleteValue(Key key, const std::string& name) override;
  long CountValues(Key key, std::uint32_t* count) override;
  long DeleteKey(Key key, const std::string& subkey) override;
  void CloseKey(Key key) override;
  long CreateChangeEvent(Event* event) override;
  long NotifyChangeKeyValue(Key key, bool subtree, std::uint32_t filter, Event event) override;
  std::uint32_t WaitForEvent(Event event, std::uint32_t milliseconds) override;
  void CloseEvent(Event event) override;
};

class Win32Processes : public ProcessPort {
 public:
  std::uint32_t ExpandEnvironment(const std::string& source, char* buffer,
                                  std::uint32_t buffer_size) override;
  bool StartProcess(const std::string& command_line, ProcessWindow window, Process* process,
                    std::uint32_t* last_error, Thread* thread) override;
  bool ResumeThread(Thread thread, std::uint32_t* last_error) override;
  void CloseThread(Thread thread) override;
  bool ShellExecuteProcess(const std::string& file, const std::string& parameters, Process* process,
                           std::uint32_t* last_error) override;
  bool CreateWaitableJob(Job* job, std::uint32_t* last_error) override;
  bool AssignToJob(Job job, Process process, std::uint32_t* last_error) override;
  bool ActiveJobProcesses(Job job, std::uint32_t* count) override;
  JobMessage WaitForJobMessage(Job job, std::uint32_t milliseconds) override;
  void CloseJob(Job job) override;
  void WaitForProcess(Process process) override;
  bool WaitForProcessEnd(Process process, std::uint32_t milliseconds) override;
  void CloseProcess(Process process) override;
  std::intptr_t ShellExecuteOpen(const std::string& file, const std::string* parameters) override;
  std::intptr_t FindExecutableFor(const std::string& file, char* buffer,
                                  std::uint32_t buffer_size) override;
  std::uint32_t ProcessId(Process process) override;
  bool ExitCode(Process process, std::uint32_t* code) override;
};

class Win32Desktop : public DesktopPort {
 public:
  Window DesktopWindow() override;
  Window ForegroundWindow() override;
  std::string WindowTitle(Window window, int buffer_size) override;
  void ToUpper(std::string& text) override;
};

class Win32UserNotices : public UserNoticePort {
 public:
  int ShowMessageBox(Window owner, const std::string& text, const std::string& caption,
                     std::uint32_t style) override;
  std::uint32_t FormatSystemMessage(std::uint32_t code, char* buffer, std::uint32_t size) override;
};

class Win32Threads : public ThreadPort {
 public:
  Mutex CreateNamedMutex(const std::string& name, bool initially_owned,
                         bool* already_existed) override;
  void WaitMutex(Mutex mutex) override;
  void ReleaseMutex(Mutex mutex) override;
  void CloseMutex(Mutex mutex) override;
  bool RunDetached(ThreadRoutine routine, void* parameter, std::uint32_t* last_error) override;
  void Sleep(std::uint32_t milliseconds) override;
  std::uint64_t Milliseconds() override;
  Signal CreateSignal() override;
  void RaiseSignal(Signal signal) override;
  bool WaitSignal(Signal signal, std::uint32_t milliseconds) override;
  void CloseSignal(Signal signal) override;
};

class Win32Files : public FileSystemPort {
 public:
  bool GetVolumeLabel(const std::string& root, char* label, std::uint32_t label_size) override;
  std::uint32_t FileAttributes(const std::string& path) override;
  std::string CurrentDirectory(std::uint32_t buffer_size) override;
  std::string WindowsDirectory() override;
  std::string ProgramFile() override;
};

class Win32DeviceSetup : public DeviceSetupPort {
 public:
  bool OpenUsbDeviceSet(std::uint32_t flags, DeviceSet* set, std::uint32_t* last_error) override;
  bool CreateUsbDeviceSet(DeviceSet* set, std::uint32_t* last_error) override;
  bool OpenDevice(DeviceSet set, const std::string& instance_id, DeviceElement* element) override;
  bool EnumDevice(DeviceSet set, std::uint32_t index, DeviceElement* element) override;
  bool GetProperty(DeviceSet set, const DeviceElement& element, std::uint32_t property,
                   unsigned char* buffer, std::uint32_t size, std::uint32_t* required,
                   std::uint32_t* last_error) override;
  bool GetInstanceId(DeviceSet set, const DeviceElement& element, std::string* instance_id,
                     std::uint32_t* last_error) override;
  void DestroyDeviceSet(DeviceSet set) override;
  bool OpenDiskInterfaceSet(DeviceSet* set, std::uint32_t* last_error) override;
  bool EnumDiskInterface(DeviceSet set, std::uint32_t index, std::string* path,
                         DeviceElement* element) override;
  std::uint32_t GetParent(std::uint32_t dev_inst, std::uint32_t* parent) override;
  std::uint32_t GetDeviceId(std::uint32_t dev_inst, std::string* id) override;
  std::uint32_t RequestDeviceEject(std::uint32_t dev_inst, std::uint32_t* veto_type) override;
};

class Win32Storage : public StoragePort {
 public:
  std::uint32_t LogicalDrives() override;
  std::uint32_t DriveType(const std::string& root) override;
  bool QueryDosTarget(const std::string& name, std::string* target,
                      std::uint32_t* last_error) override;
  bool OpenDevice(const std::string& path, Device* device, std::uint32_t* last_error) override;
  bool GetVolumeDiskExtents(Device device, std::uint32_t* extents, std::uint32_t* first_disk,
                            std::uint32_t* last_error) override;
  bool GetDeviceNumber(Device device, StorageDeviceNumber* number,
                       std::uint32_t* last_error) override;
  void CloseDevice(Device device) override;
};

class Win32LogFile : public LogFilePort {
 public:
  std::string LocalAppDataDirectory() override;
  bool CreateFolder(const std::string& path) override;
  std::int64_t FileSize(const std::string& path) override;
  bool AppendToFile(const std::string& path, const std::string& bytes) override;
  bool ReplaceFile(const std::string& from, const std::string& to) override;
  LocalTime Now() override;
  std::string AnsiToUtf8(const std::string& text) override;
};

// The adapters of one process, and the Platform that uses them.
struct Win32World {
  Win32Registry registry;
  Win32Processes processes;
  Win32Desktop desktop;
  Win32UserNotices notices;
  Win32Threads threads;
  Win32Files files;
  Win32DeviceSetup devices;
  Win32LogFile log_file;
  Win32Storage storage;

  Platform platform(ActivityPort& activity) {
    return Platform{registry, processes, desktop,  notices, threads,
                    files,    devices,   activity, storage};
  }
};

}  // namespace mw::win32
