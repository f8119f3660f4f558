#include "ui/action_form.h"

#include "devices/device_enumeration.h"
#include "platform/sjis.h"
#include "ui/control_ids.h"

namespace mw {
namespace {

const DeviceRecord* SelectedDevice(const DevicePicker& picker, int device) {
  if (device < 0 || static_cast<std::size_t>(device) >= picker.devices.size()) return nullptr;
  return &picker.devices[static_cast<std::size_t>(device)];
}

const char* Flag(bool on) {
  return on ? kFlagOn : kFlagOff;
}

}  // namespace

void FillFormFromAction(const Action& action, const DevicePicker& picker, ActionForm& form,
                        Action& extended_work_copy) {
  form.name = action.Name;
  form.disabled = IsShownChecked(action.State);
  const int device = FindDeviceByHardwareID(action.HardwareID, picker.devices);
  form.device = EntryOfDevice(picker, device) >= 0 ? device : -1;
  form.command_line = action.ExeFile;
  form.eject_checked = IsShownChecked(action.Eject);
  CopyExtendedFields(action, extended_work_copy);
}

void FillActionFromForm(const ActionForm& form, const DevicePicker& picker,
                        const Action& extended_work_copy, Action& action) {
  action.Name = form.name;
  action.State = Flag(form.disabled);
  if (const DeviceRecord* device = SelectedDevice(picker, form.device))
    action.HardwareID = device->HardwareID;
  action.ExeFile = form.command_line;
  action.Eject = Flag(form.eject_checked);
  CopyExtendedFields(extended_work_copy, action);
}

void RefreshEjectOption(const DevicePicker& picker, ActionForm& form) {
  form.eject_enabled = EjectAllowed(picker, form.device);
  if (!form.eject_enabled) form.eject_checked = false;
}

std::string GenerateActionName(std::string_view display_name, std::string_view command_line) {
  const std::size_t slash = FindFirstSingleByte(display_name, '/');
  if (slash != std::string_view::npos) display_name = display_name.substr(0, slash);
  const std::size_t backslash = FindLastSingleByte(command_line, '\\');
  if (backslash != std::string_view::npos) command_line = command_line.substr(backslash + 1);
  std::string name(display_name);
  name += kNameArrow;
  name += command_line;
  return name;
}

FormCheck ValidateForm(const ActionForm& form, const DevicePicker& picker,
                       const ActionList& actions, int selection) {
  const DeviceRecord* device = SelectedDevice(picker, form.device);
  if (!device) return {kNoDeviceMessage, IDC_DEVICE_COMBO, form.name};
  if (form.command_line.empty()) return {kNoCommandMessage, IDE_COMMAND_LINE, form.name};
  FormCheck check{nullptr, 0, form.name};
  if (check.name.empty() || check.name == kNewActionName) {
    // The combo box hands over no more of the device's name, and the name
    // edit holds no more of the result, than a form text.
    check.name = CutToBuffer(
        GenerateActionName(CutToBuffer(device->DisplayName, kFormTextLimit), form.command_line),
        kFormTextLimit);
  }
  for (std::size_t i = 0; i < actions.size(); ++i) {
    if (static_cast<int>(i) != selection && actions[i].Name == check.name)
      return {kDuplicateNameMessage, IDE_NAME, check.name};
  }
  return check;
}

std::string ChooserStartName(std::string_view command_line) {
  std::string start = CutToBuffer(command_line, kShortCommandLimit);
  if (start.find('"') != std::string::npos) start.clear();
  return start;
}

std::string CutToBuffer(std::string_view text, std::size_t limit) {
  return std::string(text.substr(0, limit > 0 ? limit - 1 : 0));
}

}  // namespace mw
