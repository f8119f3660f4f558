#pragma once
// What the fakes of the ports share: the fault switch that makes any fallible
// call fail, the count of fallible calls, the timeline of what the system did,
// and the lock of the state that runner threads touch.
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/sjis.h"

namespace mw::fake {

// Every fallible call of the fakes, by the port method's name.
// clang-format off
enum class Call {
  kOpenKey, kCreateKey, kQueryValue, kSetValue, kEnumValueName, kDeleteValue, kCountValues,
  kDeleteKey, kExpandEnvironment, kStartProcess, kResumeThread, kShellExecuteProcess,
  kCreateWaitableJob, kAssignToJob, kActiveJobProcesses, kWaitForProcessEnd, kShellExecuteOpen,
  kFindExecutableFor, kRunDetached, kGetVolumeLabel, kFileAttributes, kCurrentDirectory,
  kOpenUsbDeviceSet, kCreateUsbDeviceSet, kOpenDevice, kEnumDevice, kGetProperty, kGetInstanceId,
  kRequestDeviceEject,
};
inline const char* CallName(Call call) {
  static const char* const kNames[] = {
      "OpenKey", "CreateKey", "QueryValue", "SetValue", "EnumValueName", "DeleteValue",
      "CountValues", "DeleteKey", "ExpandEnvironment", "StartProcess", "ResumeThread",
      "ShellExecuteProcess", "CreateWaitableJob", "AssignToJob", "ActiveJobProcesses",
      "WaitForProcessEnd", "ShellExecuteOpen", "FindExecutableFor", "RunDetached",
      "GetVolumeLabel", "FileAttributes", "CurrentDirectory", "OpenUsbDeviceSet",
      "CreateUsbDeviceSet", "OpenDevice", "EnumDevice", "GetProperty", "GetInstanceId",
      "RequestDeviceEject"};
  return kNames[static_cast<int>(call)];
}
// clang-format on

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

class FakeCommon {
 public:
  // The error a call fails with, or 0 to let it run: `what` is the registry
  // value name or key path, the command line, the file or the property.
  std::function<long(Call call, const std::string& what)> fault;
  std::size_t calls = 0;  // fallible calls so far
  void FailAlways(Call call, long code) {
    fault = [call, code](Call c, const std::string&) { return c == call ? code : 0; };
  }
  // In order: "start CMD", "resume", "end CMD", "job COUNT", "job zero", "eject INSTANCE".
  std::vector<std::string> timeline;

  template <class F>
  auto Locked(F&& f) {
    std::lock_guard<std::recursive_mutex> lock(guard_);
    return f();
  }
  long Fault(Call call, const std::string& what = {}) {
    return Locked([&] { return ++calls, fault ? fault(call, what) : 0; });
  }
  std::uint32_t Code(Call call, const std::string& what = {}) {
    return static_cast<std::uint32_t>(Fault(call, what));
  }
  void Event(const std::string& event) {
    Locked([&] { timeline.push_back(event); });
  }
  // The next of answers, the last one repeated; none when there are none.
  template <class T>
  static T Next(std::deque<T>& answers, T none) {
    if (answers.empty()) return none;
    const T answer = answers.front();
    if (answers.size() > 1) answers.pop_front();
    return answer;
  }

 private:
  std::recursive_mutex guard_;
};

}  // namespace mw::fake
