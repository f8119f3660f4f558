// Enumeration and ejection with the real device setup adapter under Wine, on
// fake USB devices installed into the test prefix.
#include <windows.h>
#include <cfgmgr32.h>
#include <setupapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "devices/device_eject.h"
#include "devices/device_enumeration.h"
#include "model/action.h"
#include "tools/fake_usb_device.h"
#include "unit/win_test_support.h"

namespace mw {
namespace {

using fakeusb::FakeUsbDevice;

// The real adapter, except that each removal request also notes which
// device (by instance id) it was made for.
class RecordingDeviceSetup : public win32::Win32DeviceSetup {
 public:
  std::vector<std::string> requested;
  std::vector<std::uint32_t> answers;
  std::uint32_t RequestDeviceEject(std::uint32_t dev_inst) override {
    char id[MAX_DEVICE_ID_LEN + 1] = {};
    CM_Get_Device_IDA(dev_inst, id, sizeof id, 0);
    requested.push_back(id);
    answers.push_back(Win32DeviceSetup::RequestDeviceEject(dev_inst));
    return answers.back();
  }
};

// The element of set whose instance id is instance_id.
bool FindElement(HDEVINFO set, const std::string& instance_id, SP_DEVINFO_DATA* element) {
  element->cbSize = sizeof *element;
  for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, element); ++i) {
    char id[MAX_DEVICE_ID_LEN + 1] = {};
    SetupDiGetDeviceInstanceIdA(set, element, id, sizeof id, nullptr);
    if (_stricmp(id, instance_id.c_str()) == 0) return true;
  }
  return false;
}

class DevicesOnWindows : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const std::string& id : installed_) fakeusb::RemoveFakeUsbDevice(id);
  }

  // An identifier no other test or earlier run in this prefix uses.
  std::string Unique(const std::string& stem) {
    return stem + "_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++counter_);
  }

  // Gives the device a fresh instance id and installs it; removed at teardown.
  std::string Install(FakeUsbDevice device) {
    device.instance_id = Unique("ROOT\\MWTEST\\D");
    const fakeusb::Outcome outcome = fakeusb::InstallFakeUsbDevice(device);
    EXPECT_TRUE(outcome.ok()) << outcome.step << " " << std::hex << outcome.error;
    installed_.push_back(device.instance_id);
    return device.instance_id;
  }

  void Remove(const std::string& instance_id) {
    const fakeusb::Outcome outcome = fakeusb::RemoveFakeUsbDevice(instance_id);
    ASSERT_TRUE(outcome.ok()) << outcome.step << " " << std::hex << outcome.error;
    installed_.erase(std::find(installed_.begin(), installed_.end(), instance_id));
  }

  DeviceList Enumerate(bool all_known) {
    DeviceList list;
    EnumerateDevices(platform(), list, all_known);
    EXPECT_TRUE(world_.notices.texts.empty());
    return list;
  }

  Platform platform() {
    win32::Win32World& real = world_.real;
    return Platform{real.registry, real.processes, real.desktop, world_.notices,
                    real.threads,  real.files,     devices_,     world_.activity};
  }

  static const DeviceRecord* Find(const DeviceList& list, const std::string& hardware_id) {
    const int at = FindDeviceByHardwareID(hardware_id, list);
    return at < 0 ? nullptr : &list[static_cast<std::size_t>(at)];
  }

  wintest::World world_;
  RecordingDeviceSetup devices_;
  std::vector<std::string> installed_;
  int counter_ = 0;
};

TEST_F(DevicesOnWindows, ListsInstalledDevicesWithTheirIdentityNamesAndDetails) {
  struct Case {
    FakeUsbDevice device;
    std::string hardware_id;
    std::string display_name;
    std::string details;
  };
  const std::string a = Unique("USB\\VID_F00D&PID_0001&REV_");
  const std::string b = Unique("USB\\VID_F00D&PID_0001&X");
  const std::string c = Unique("USB\\VID_F00D&PID_0002&X");
  const std::string d = Unique("USB\\VID_F00D&PID_0003&X");
  FakeUsbDevice full;
  full.hardware_ids = {a, b};
  full.friendly_name = "Mountwick Test Stick ";
  full.device_desc = "Test Stick";  // inside the friendly name: not repeated
  full.mfg = "Fake Maker";
  full.location = "Port_#0003.Hub_#0001";
  full.service = "USBSTOR";
  FakeUsbDevice sparse;  // Mfg holds an empty text, the rest is missing
  sparse.hardware_ids = {c};
  sparse.mfg = "";
  // Shift-JIS with 0x5C trail bytes, through the system's ANSI conversions.
  FakeUsbDevice japanese;
  japanese.hardware_ids = {d};
  japanese.device_desc = "ソフト表示";
  japanese.mfg = "能力メーカー  ";
  japanese.service = "";

  const std::vector<Case> cases = {
      {full, a + b, "Mountwick Test Stick /Fake Maker/Port_#0003.Hub_#0001",
       "HARDWAREID = " + a + b +
           "\r\nFRIENDLYNAME = Mountwick Test Stick \r\nDEVICEDESC = Test Stick"
           "\r\nMFG = Fake Maker\r\nLOCATION_INFORMATION = Port_#0003.Hub_#0001"
           "\r\nSERVICE = USBSTOR"},
      {sparse, c, "", "HARDWAREID = " + c + "\r\nMFG = "},
      {japanese, d, "ソフト表示/能力メーカー",
       "HARDWAREID = " + d + "\r\nDEVICEDESC = ソフト表示\r\nMFG = 能力メーカー  \r\nSERVICE = "},
  };
  for (const Case& each : cases) Install(each.device);

  // Wine 8 lists every device with the interface whatever DIGCF_PRESENT says,
  // and never provides SPDRP_PHYSICAL_DEVICE_OBJECT_NAME (the call fails and
  // leaves the last error alone), so the records read as not present and have
  // no PHYSICAL_DEVICE_OBJECT_NAME line in either mode.
  for (bool all_known : {false, true}) {
    const DeviceList list = Enumerate(all_known);
    for (const Case& each : cases) {
      const DeviceRecord* record = Find(list, each.hardware_id);
      ASSERT_NE(record, nullptr) << each.hardware_id << " all_known=" << all_known;
      EXPECT_EQ(record->DisplayName, each.display_name) << each.hardware_id;
      EXPECT_EQ(record->Details, each.details) << each.hardware_id;
      EXPECT_EQ(record->FriendlyName, each.device.friendly_name.value_or(""));
      EXPECT_EQ(record->DeviceDesc, each.device.device_desc.value_or(""));
      EXPECT_EQ(record->Mfg, each.device.mfg.value_or(""));
      EXPECT_EQ(record->LocationInformation, each.device.location.value_or(""));
      EXPECT_EQ(record->Service, each.device.service.value_or(""));
      EXPECT_EQ(record->PhysicalDeviceObjectName, "");
      EXPECT_FALSE(record->Present);
    }
  }
}

TEST_F(DevicesOnWindows, ARemovedDeviceIsGoneFromTheNextListWhichStillEndsWithTheGenericEntries) {
  FakeUsbDevice staying;
  staying.hardware_ids = {Unique("USB\\VID_F00D&PID_0010&X")};
  FakeUsbDevice leaving;
  leaving.hardware_ids = {Unique("USB\\VID_F00D&PID_0011&X")};
  Install(staying);
  const std::string leaving_id = Install(leaving);
  ASSERT_NE(Find(Enumerate(false), leaving.hardware_ids[0]), nullptr);

  Remove(leaving_id);
  for (bool all_known : {false, true}) {
    const DeviceList list = Enumerate(all_known);
    EXPECT_EQ(Find(list, leaving.hardware_ids[0]), nullptr) << all_known;
    EXPECT_NE(Find(list, staying.hardware_ids[0]), nullptr) << all_known;
    ASSERT_GE(list.size(), 3u);
    EXPECT_EQ(list[list.size() - 2].HardwareID, kGenericVolumeId);
    EXPECT_EQ(list[list.size() - 1].HardwareID, kGenericMediaId);
  }
}

// The first device in the system's order stands for both: the picker shows
// it, and a removal request goes to it.
TEST_F(DevicesOnWindows, DevicesSharingIdentifiersAreOneRecordAndOneEjectTarget) {
  const std::string shared = Unique("USB\\VID_F00D&PID_0020&X");
  FakeUsbDevice first;
  first.hardware_ids = {shared};
  first.friendly_name = "Twin One";
  FakeUsbDevice second = first;
  second.friendly_name = "Twin Two";
  const std::string one = Install(first);
  const std::string two = Install(second);

  // Which of the two the system reports first, straight from the set.
  std::string first_in_order;
  HDEVINFO set = SetupDiGetClassDevsA(&fakeusb::kUsbDeviceInterface, nullptr, nullptr,
                                      DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  ASSERT_NE(set, INVALID_HANDLE_VALUE);
  SP_DEVINFO_DATA element = {};
  element.cbSize = sizeof element;
  for (DWORD i = 0; first_in_order.empty() && SetupDiEnumDeviceInfo(set, i, &element); ++i) {
    char id[MAX_DEVICE_ID_LEN + 1] = {};
    SetupDiGetDeviceInstanceIdA(set, &element, id, sizeof id, nullptr);
    if (_stricmp(id, one.c_str()) == 0 || _stricmp(id, two.c_str()) == 0) first_in_order = id;
  }
  SetupDiDestroyDeviceInfoList(set);
  ASSERT_FALSE(first_in_order.empty());
  const bool one_first = _stricmp(first_in_order.c_str(), one.c_str()) == 0;

  const DeviceList list = Enumerate(false);
  EXPECT_EQ(std::count_if(list.begin(), list.end(),
                          [&](const DeviceRecord& r) { return r.HardwareID == shared; }),
            1);
  ASSERT_NE(Find(list, shared), nullptr);
  EXPECT_EQ(Find(list, shared)->FriendlyName, one_first ? "Twin One" : "Twin Two");

  EjectDevice(platform(), shared);
  ASSERT_EQ(devices_.requested.size(), 1u);
  EXPECT_EQ(_stricmp(devices_.requested[0].c_str(), first_in_order.c_str()), 0)
      << devices_.requested[0];
}

TEST_F(DevicesOnWindows, EjectRequestsRemovalOfTheAttachedDeviceAndReturnsTheAnswer) {
  // Two devices, so that a request for the wrong element cannot pass unseen.
  std::vector<std::pair<std::string, std::string>> targets;  // hardware id, instance id
  for (const char* stem : {"USB\\VID_F00D&PID_0030&X", "USB\\VID_F00D&PID_0031&X"}) {
    FakeUsbDevice stick;
    stick.hardware_ids = {Unique(stem), "USB\\VID_F00D"};
    stick.service = "USBSTOR";
    const std::string instance_id = Install(stick);
    targets.emplace_back(stick.hardware_ids[0] + stick.hardware_ids[1], instance_id);
  }
  for (const auto& [hardware_id, instance_id] : targets) {
    devices_.requested.clear();
    devices_.answers.clear();
    const int result = EjectDevice(platform(), hardware_id);
    ASSERT_EQ(devices_.requested.size(), 1u) << hardware_id;
    EXPECT_EQ(_stricmp(devices_.requested[0].c_str(), instance_id.c_str()), 0)
        << devices_.requested[0] << " for " << instance_id;
    EXPECT_EQ(result, static_cast<int>(devices_.answers[0]));
    EXPECT_EQ(result, 0);  // Wine's CM_Request_Device_EjectA grants every request
  }
  EXPECT_TRUE(world_.notices.texts.empty());
}

TEST_F(DevicesOnWindows, EjectOfAnIdentifierNoAttachedDeviceHasMakesNoRequest) {
  FakeUsbDevice stick;
  stick.hardware_ids = {Unique("USB\\VID_F00D&PID_0040&X"), "USB\\VID_F00D"};
  Install(stick);
  std::string other_case = stick.hardware_ids[0] + stick.hardware_ids[1];
  std::transform(other_case.begin(), other_case.end(), other_case.begin(),
                 [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
  FakeUsbDevice gone;
  gone.hardware_ids = {Unique("USB\\VID_F00D&PID_0041&X")};
  Remove(Install(gone));

  for (const std::string& hardware_id :
       {stick.hardware_ids[0],  // one string of the list only
        other_case,             // identity is case-sensitive
        gone.hardware_ids[0],   // removed before the request
        std::string(kGenericVolumeId), std::string(kGenericMediaId),
        Unique("USB\\VID_F00D&PID_0042&X")}) {
    EXPECT_EQ(EjectDevice(platform(), hardware_id), 0) << hardware_id;
  }
  EXPECT_TRUE(devices_.requested.empty());
  EXPECT_TRUE(world_.notices.texts.empty());
}

// The reader relies on the adapter starting each property call from a known
// last error: Wine fails the call for the device object name without setting
// one, and a stale ERROR_INSUFFICIENT_BUFFER would be taken for its answer.
TEST_F(DevicesOnWindows, AnUnprovidedPropertyFailsWithoutAStaleLastError) {
  FakeUsbDevice stick;
  stick.hardware_ids = {Unique("USB\\VID_F00D&PID_0050&X")};
  const std::string instance_id = Install(stick);
  HDEVINFO set = SetupDiGetClassDevsA(&fakeusb::kUsbDeviceInterface, nullptr, nullptr,
                                      DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  ASSERT_NE(set, INVALID_HANDLE_VALUE);
  SP_DEVINFO_DATA element = {};
  ASSERT_TRUE(FindElement(set, instance_id, &element));

  constexpr DWORD kSentinel = 0xDEADBEEF;
  DWORD required = 0;
  SetLastError(kSentinel);
  EXPECT_FALSE(SetupDiGetDeviceRegistryPropertyA(set, &element, SPDRP_PHYSICAL_DEVICE_OBJECT_NAME,
                                                 nullptr, nullptr, 0, &required));
  EXPECT_EQ(GetLastError(), kSentinel);  // what Wine does: nothing to read, no reason given

  DeviceElement port_element;
  std::memcpy(port_element.data, &element, sizeof element);
  port_element.dev_inst = element.DevInst;
  const auto handle = reinterpret_cast<DeviceSetupPort::DeviceSet>(set);
  std::uint32_t last_error = kSentinel;
  std::uint32_t port_required = 0;
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  EXPECT_FALSE(devices_.GetProperty(handle, port_element, SPDRP_PHYSICAL_DEVICE_OBJECT_NAME,
                                    nullptr, 0, &port_required, &last_error));
  EXPECT_EQ(last_error, static_cast<std::uint32_t>(ERROR_SUCCESS));

  SetLastError(kSentinel);
  EXPECT_FALSE(devices_.GetProperty(handle, port_element, SPDRP_FRIENDLYNAME, nullptr, 0,
                                    &port_required, &last_error));
  EXPECT_EQ(last_error, static_cast<std::uint32_t>(ERROR_INVALID_DATA));  // not set on the device
  SetupDiDestroyDeviceInfoList(set);
}

// The device tool as a script runs it: exit codes, options, and that what it
// installs is what the program reads.
class DeviceToolOnWindows : public DevicesOnWindows {
 protected:
  DWORD Run(const std::string& arguments) {
    std::string command = "\"" + wintest::ProgramFolder() + "\\usb_device_tool.exe\" " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;  // keep the usage texts out of the test output
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process))
      return 0xFFFFFFFF;
    WaitForSingleObject(process.hProcess, 30000);
    DWORD code = 0xFFFFFFFE;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return code;
  }
};

TEST_F(DeviceToolOnWindows, AddsAndRemovesADeviceByInstanceId) {
  const std::string instance_id = Unique("ROOT\\MWTEST\\T");
  const std::string a = Unique("USB\\VID_F00D&PID_0060&X");
  installed_.push_back(instance_id);  // removed at teardown should a step below fail
  ASSERT_EQ(Run("add " + instance_id + " --hwid " + a + " --hwid B --friendly \"表示 名 \"" +
                " --desc Desc --mfg \"\" --service USBSTOR --location Loc"),
            0u);
  EXPECT_EQ(Run("add " + instance_id), 1u);  // the id is taken

  const DeviceRecord* record = nullptr;
  DeviceList list = Enumerate(false);
  record = Find(list, a + "B");
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->DisplayName, "表示 名 /Desc/Loc");
  EXPECT_EQ(record->Details, "HARDWAREID = " + a +
                                 "B\r\nFRIENDLYNAME = 表示 名 \r\n"
                                 "DEVICEDESC = Desc\r\nMFG = \r\nLOCATION_INFORMATION = Loc\r\n"
                                 "SERVICE = USBSTOR");

  EXPECT_EQ(Run("remove " + instance_id), 0u);
  EXPECT_EQ(Find(Enumerate(false), a + "B"), nullptr);
  EXPECT_EQ(Run("remove " + instance_id), 1u);  // nothing left to remove
  installed_.clear();
}

TEST_F(DeviceToolOnWindows, RefusesACommandLineItDoesNotUnderstandWithoutInstalling) {
  const std::string instance_id = Unique("ROOT\\MWTEST\\U");
  for (const std::string& arguments : std::vector<std::string>{
           "", "frobnicate", "add", "add --hwid X", "remove", "remove " + instance_id + " extra",
           "add " + instance_id + " --hwid", "add " + instance_id + " --colour red",
           "add " + instance_id + " --mfg A --mfg B"}) {
    EXPECT_EQ(Run(arguments), 2u) << arguments;
  }
  EXPECT_EQ(Run("remove " + instance_id), 1u);  // none of the above installed it
}

}  // namespace
}  // namespace mw
