// A volume arrival and a new stick dispatched, replayed failing one call at a
// time, every fallible call in turn: a clean replay counts the calls, then each
// replay fails the next of them. Whatever fails, nothing stays open or pending,
// a failure the user is told of is told once with its own code, and the stored
// list survives.
#include <gtest/gtest.h>

#include <set>

#include "engine/dispatcher.h"
#include "fakes/fake_world.h"
#include "store/action_store.h"

namespace mw {
namespace {

constexpr long kCode = 5;  // ERROR_ACCESS_DENIED, whatever the call

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

struct Stage {
  fake::FakeWorld world;
  DeviceDiffMutex mutex{world};
  PendingRuns pending{mutex};
  std::unique_ptr<Dispatcher> dispatcher;

  Stage() {
    world.run_threads_inline = true;
    world.environment = {{"WINDIR", "C:\\WINDOWS"}};
    world.volumes["E:\\"] = "Photos";
    world.existing_paths = {"E:\\DCIM"};
    world.Add(fake::FakeDevice{}.Multi(setup::kSpdrpHardwareId, {"USB\\READER"}));
    SaveActions(world.platform(), DispatchedActions());
    dispatcher = std::make_unique<Dispatcher>(world.platform(), pending);
    fake::FakeDevice stick;  // plugged now
    stick.eject_answers = {setup::kCrRemoveVetoed, setup::kCrSuccess};
    world.Add(stick.Multi(setup::kSpdrpHardwareId, {"USB\\STICK"}));
  }
  // Both dispatches with their `fail`-th fallible call failing; the calls they made.
  std::size_t Dispatch(std::size_t fail, std::string& failed) {
    const std::size_t first = world.calls;
    world.fault = [&, target = first + fail](const std::string& call, const std::string&) {
      return world.calls - 1 == target ? (failed = call, kCode) : 0L;
    };
    dispatcher->DispatchVolumeArrival('E');
    dispatcher->DispatchDeviceListChange();
    world.fault = nullptr;
    dispatcher.reset();  // it keeps the key it watches while it lives
    return world.calls - first;
  }
};

TEST(FaultInjection, ADispatchAndItsRunsThatFailOneCallAreSafe) {
  // The failed call's own notice exactly once, or none for what is read again
  // or taken as "not there".
  static const std::set<std::string> kSilent = {"OpenKey",        "EnumDevice",
                                                "GetProperty",    "RequestDeviceEject",
                                                "GetVolumeLabel", "FileAttributes"};
  static const std::set<std::string> kTold = {"CreateKey",           "QueryValue",
                                              "OpenUsbDeviceSet",    "StartProcess",
                                              "StartDetachedThread", "ExpandEnvironment"};
  Stage clean;
  std::string none;
  const std::size_t count = clean.Dispatch(std::string::npos, none);
  ASSERT_EQ(clean.world.StartedCommands(),
            (std::vector<std::string>{"C:\\TOOLS\\IMPORT.EXE E:\\DCIM",
                                      "C:\\WINDOWS\\EXPLORER.EXE E:\\", "C:\\TOOLS\\BACKUP.EXE "}));
  ASSERT_EQ(clean.world.eject_requests.size(), 2u);
  ASSERT_TRUE(clean.world.shown.empty() && none.empty());
  for (std::size_t k = 0; k < count; ++k) {
    Stage stage;
    std::string call;
    stage.Dispatch(k, call);
    SCOPED_TRACE("call " + std::to_string(k) + " (" + call + ")");
    // None: the replay took another path than the clean one.
    ASSERT_TRUE(kTold.count(call) || kSilent.count(call)) << "no expectation for " << call;
    EXPECT_EQ(stage.world.open_keys(), 0u);
    EXPECT_EQ(stage.world.open_sets(), 0u);
    EXPECT_EQ(stage.world.open_processes, 0);
    EXPECT_FALSE(stage.world.MutexHeld());
    EXPECT_EQ(stage.pending.Take(), std::nullopt);  // a run whose thread failed is dropped
    const std::string code =                        // a failed expansion counts as a line too long
        "SysErr(" + std::to_string(call == "ExpandEnvironment" ? 206 : kCode) + ")";
    std::vector<std::string> others;
    for (const std::string& text : stage.world.Texts())
      if (!kTold.count(call) || text.find(code) == std::string::npos) others.push_back(text);
    EXPECT_EQ(stage.world.shown.size() - others.size(), kTold.count(call));
    // The one other notice a fault may bring: a run whose command line could
    // not be read goes on with an empty one, and that start fails on its own.
    ASSERT_LE(others.size(), 1u);
    if (!others.empty()) {
      EXPECT_EQ(call, "QueryValue");
      EXPECT_NE(others[0].find("起動アプリ = \n\nSysErr(2)"), std::string::npos) << others[0];
    }
    ActionList stored;  // a dispatch only reads the list
    (void)LoadActions(stage.world.platform(), stored);
    EXPECT_EQ(stored.size(), 4u);
  }
}

}  // namespace
}  // namespace mw
