// A dispatch and its runs replayed failing one call at a time, every fallible
// call in turn: a clean replay counts the calls, then each replay fails the
// next of them. Whatever fails, nothing stays open, a failure the user is told
// of is told once with its own code, and the stored list survives.
#include <gtest/gtest.h>

#include <set>

#include "engine/dispatcher.h"
#include "fakes/fake_world.h"
#include "store/action_store.h"

namespace mw {
namespace {

constexpr long kCode = 5;  // ERROR_ACCESS_DENIED, whatever the call

struct Stage {
  fake::FakeWorld world;
  DeviceDiffMutex mutex{world};
  PendingRuns pending{mutex};
  std::unique_ptr<Dispatcher> dispatcher;
  ActionList Stored() {
    ActionList loaded;
    return (void)LoadActions(world.platform(), loaded), loaded;
  }
};
using Step = std::function<void(Stage&)>;

void ReplayFailingEachCall(const Step& prepare, const Step& act,
                           const std::function<void(Stage&, const std::string& call)>& check) {
  std::size_t count = 0;
  {
    Stage clean;
    prepare(clean);
    count = clean.world.calls;
    act(clean);
    count = clean.world.calls - count;
  }
  ASSERT_GT(count, 0u);
  for (std::size_t k = 0; k < count; ++k) {
    Stage stage;
    prepare(stage);
    std::string failed;
    stage.world.fault = [&, target = stage.world.calls + k](const std::string& call,
                                                            const std::string&) {
      return stage.world.calls - 1 == target ? (failed = call, kCode) : 0L;
    };
    act(stage);
    stage.world.JoinAll();
    stage.world.fault = nullptr;
    SCOPED_TRACE("call " + std::to_string(k) + " (" + failed + ")");
    ASSERT_FALSE(failed.empty()) << "the replay took another path than the clean one";
    stage.dispatcher.reset();  // it keeps the key it watches while it lives
    EXPECT_EQ(stage.world.open_keys(), 0u);
    EXPECT_EQ(stage.world.open_sets(), 0u);
    EXPECT_EQ(stage.world.open_processes, 0);
    check(stage, failed);
  }
}

bool Shows(const std::string& text, long code) {
  return text.find("SysErr(" + std::to_string(code) + ")") != std::string::npos;
}

// A volume Action that checks the new drive, runs a program and removes the
// device with a retry; one without checks; one disabled; and the first again
// for a stick.
ActionList DispatchedActions() {
  const std::string checks =
      "Eject=1;Ex_RunVolumeChk=1;Ex_RunVolume=PHOTOS;Ex_RunPathChk=1;Ex_RunPath=DCIM;"
      "Ex_RmvRetryChk=1;Ex_RmvWaitChk=1;Ex_RmvRetryCount=2;";
  const std::string plain = std::string("HardwareID=") + kGenericVolumeId +
                            ";ExeFile=%WINDIR%\\EXPLORER.EXE %_newdrv_%:\\";
  return {fake::MakeAction(checks + "HardwareID=" + kGenericVolumeId +
                           ";ExeFile=C:\\TOOLS\\IMPORT.EXE %_newdrv_%:\\DCIM"),
          fake::MakeAction(plain), fake::MakeAction(plain + ";State=1"),
          fake::MakeAction(checks + "HardwareID=USB\\STICK;ExeFile=C:\\TOOLS\\BACKUP.EXE")};
}

// The failed call's own notice exactly once, or none for what is read again
// or taken as "not there". The one other notice a fault may bring: a run whose
// command line could not be read goes on with an empty one, and that start
// fails with its own notice.
void ExpectToldOnce(Stage& stage, const std::string& call) {
  static const std::set<std::string> kSilent = {"OpenKey",        "EnumDevice",
                                                "GetProperty",    "RequestDeviceEject",
                                                "GetVolumeLabel", "FileAttributes"};
  static const std::set<std::string> kTold = {
      "CreateKey", "QueryValue",       "SetValue",     "EnumValueName",       "DeleteValue",
      "DeleteKey", "OpenUsbDeviceSet", "StartProcess", "StartDetachedThread", "ExpandEnvironment"};
  const long code = call == "ExpandEnvironment" ? 206 : kCode;  // the line counts as too long
  ASSERT_TRUE(kTold.count(call) || kSilent.count(call)) << "no expectation for " << call;
  std::vector<std::string> others;
  for (const std::string& text : stage.world.Texts())
    if (!kTold.count(call) || !Shows(text, code)) others.push_back(text);
  EXPECT_EQ(stage.world.shown.size() - others.size(), kTold.count(call));
  ASSERT_LE(others.size(), 1u);
  if (!others.empty()) {
    EXPECT_EQ(call, "QueryValue");
    EXPECT_NE(others[0].find("起動アプリ = \n\nSysErr(2)"), std::string::npos) << others[0];
  }
  EXPECT_EQ(stage.Stored().size(), 4u);  // a dispatch only reads the list
}

TEST(FaultInjection, ADispatchAndItsRunsThatFailOneCallAreSafe) {
  const Step prepare = [](Stage& stage) {
    fake::FakeWorld& world = stage.world;
    world.run_threads_inline = true;
    world.environment = {{"WINDIR", "C:\\WINDOWS"}};
    world.volumes["E:\\"] = "Photos";
    world.existing_paths = {"E:\\DCIM"};
    world.Add(fake::FakeDevice{}.Multi(setup::kSpdrpHardwareId, {"USB\\READER"}));
    SaveActions(world.platform(), DispatchedActions());
    stage.dispatcher = std::make_unique<Dispatcher>(world.platform(), stage.pending);
    fake::FakeDevice stick;  // plugged now
    stick.eject_answers = {setup::kCrRemoveVetoed, setup::kCrSuccess};
    world.Add(stick.Multi(setup::kSpdrpHardwareId, {"USB\\STICK"}));
  };
  const Step act = [](Stage& stage) {
    stage.dispatcher->DispatchVolumeArrival('E');
    stage.dispatcher->DispatchDeviceListChange();
  };
  Stage clean;
  prepare(clean);
  act(clean);
  ASSERT_EQ(clean.world.StartedCommands(),
            (std::vector<std::string>{"C:\\TOOLS\\IMPORT.EXE E:\\DCIM",
                                      "C:\\WINDOWS\\EXPLORER.EXE E:\\", "C:\\TOOLS\\BACKUP.EXE "}));
  ASSERT_EQ(clean.world.eject_requests.size(), 2u);
  ASSERT_TRUE(clean.world.shown.empty());
  ReplayFailingEachCall(prepare, act, ExpectToldOnce);
}

}  // namespace
}  // namespace mw
