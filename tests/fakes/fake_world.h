#pragma once
// One fake world behind every port, one fake a port, sharing one fault switch:
// any fallible call can be made to fail through `fault`. Runner threads may
// start processes, sleep and take mutexes concurrently; everything else is
// called from one thread at a time.
#include <algorithm>
#include <string>
#include <vector>

#include "fakes/fake_desktop.h"
#include "fakes/fake_devices.h"
#include "fakes/fake_processes.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_storage.h"
#include "fakes/fake_threads.h"
#include "model/action.h"
#include "platform/platform.h"

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

class FakeWorld : public FakeCommon,
                  public FakeRegistry,
                  public FakeProcesses,
                  public FakeDesktop,
                  public FakeNotices,
                  public FakeThreads,
                  public FakeFiles,
                  public FakeDevices,
                  public FakeActivity {
 public:
  using Window = DesktopPort::Window;
  FakeWorld()
      : FakeRegistry(static_cast<FakeCommon&>(*this)),
        FakeProcesses(static_cast<FakeCommon&>(*this)),
        FakeThreads(static_cast<FakeCommon&>(*this)),
        FakeFiles(static_cast<FakeCommon&>(*this)),
        FakeDevices(static_cast<FakeCommon&>(*this)),
        FakeActivity(static_cast<FakeCommon&>(*this)) {}
  ~FakeWorld() override { JoinAll(); }
  Platform platform() {
    return Platform{*this, *this, *this, *this, *this, *this, *this, *this, storage};
  }
  FakeStorage storage;  // the drives and what they open to
};

}  // namespace mw::fake
