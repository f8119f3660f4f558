// The form of the settings dialog: its controls read into an ActionForm and
// written back, the device combo box and its tooltip.
#include "resource.h"
#include "ui/device_tooltip_win.h"
#include "ui/dialog_controls_win.h"
#include "ui/file_chooser_win.h"
#include "ui/settings_list.h"
#include "ui/settings_parts_win.h"

namespace mw {
namespace {

void WriteForm(const SettingsDialog& d, const ActionForm& shown, const ActionForm& form) {
  if (form.name != shown.name) SetControlText(d.window, IDE_NAME, form.name);
  if (form.disabled != shown.disabled) SetControlChecked(d.window, IDX_DISABLED, form.disabled);
  if (form.device != shown.device)
    SendMessageA(d.device_combo, CB_SETCURSEL,
                 static_cast<WPARAM>(EntryOfDevice(d.picker, form.device)), 0);
  if (form.command_line != shown.command_line)
    SetControlText(d.window, IDE_COMMAND_LINE, form.command_line);
  if (form.eject_enabled != shown.eject_enabled)
    EnableControl(d.window, IDX_EJECT, form.eject_enabled);
  if (form.eject_checked != shown.eject_checked)
    SetControlChecked(d.window, IDX_EJECT, form.eject_checked);
}

void RefreshDeviceTooltip(SettingsDialog& d, int device) {
  DestroyDeviceTooltip(d);
  if (device < 0) return;
  d.tooltip = CreateDeviceTooltip(d.context.instance, d.device_combo,
                                  d.picker.devices[static_cast<std::size_t>(device)].Details);
}

void FillDeviceCombo(const SettingsDialog& d) {
  SendMessageA(d.device_combo, CB_RESETCONTENT, 0, 0);
  for (int device : d.picker.shown)
    SendMessageA(d.device_combo, CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(
                     d.picker.devices[static_cast<std::size_t>(device)].DisplayName.c_str()));
}

}  // namespace

ActionForm ReadForm(const SettingsDialog& d) {
  ActionForm form;
  form.name = ControlText(d.window, IDE_NAME, kFormTextLimit);
  form.disabled = IsControlChecked(d.window, IDX_DISABLED);
  form.device =
      DeviceOfEntry(d.picker, static_cast<int>(SendMessageA(d.device_combo, CB_GETCURSEL, 0, 0)));
  form.command_line = ControlText(d.window, IDE_COMMAND_LINE, kFormTextLimit);
  form.eject_checked = IsControlChecked(d.window, IDX_EJECT);
  form.eject_enabled = IsWindowEnabled(GetDlgItem(d.window, IDX_EJECT)) != FALSE;
  return form;
}

FormEdit BeginFormEdit(const SettingsDialog& d) {
  FormEdit edit;
  edit.shown = ReadForm(d);
  edit.form = edit.shown;
  return edit;
}

void EndFormEdit(SettingsDialog& d, const FormEdit& edit) {
  WriteForm(d, edit.shown, edit.form);
  if (edit.refresh_tooltip) RefreshDeviceTooltip(d, edit.form.device);
  if (edit.focus != 0) FocusControl(d.window, edit.focus);
}

void DestroyDeviceTooltip(SettingsDialog& d) {
  if (d.tooltip) {
    DestroyWindow(d.tooltip);
    d.tooltip = nullptr;
  }
}

bool SwitchPicker(SettingsDialog& d, int option_id) {
  if (!SetPickerMode(d.context.platform, d.picker, option_id)) return false;
  FillDeviceCombo(d);
  return true;
}

void SetPickerMode(SettingsDialog& d, int option_id, FormEdit& edit) {
  if (SwitchPicker(d, option_id)) edit.shown.device = edit.form.device = -1;
}

void CheckPickerOption(SettingsDialog& d, int option_id, FormEdit& edit) {
  CheckRadioButton(d.window, IDX_SHOW_CONNECTED, IDX_SHOW_ALL_KNOWN, option_id);
  SetPickerMode(d, option_id, edit);
}

void SetEditMode(SettingsDialog& d, bool list_enabled, bool form_enabled, FormEdit& edit) {
  for (const ControlEnabling& control : EditModeEnabling(list_enabled, form_enabled)) {
    if (control.id == IDX_EJECT)
      edit.form.eject_enabled = control.enabled;
    else
      EnableControl(d.window, control.id, control.enabled);
  }
  if (form_enabled) {
    RefreshEjectOption(d.picker, edit.form);
    edit.refresh_tooltip = true;
  }
  edit.focus = EditModeFocus(list_enabled);
}

void ChooseExecutable(const SettingsDialog& d, ActionForm& form) {
  std::string chosen;
  if (ChooseExecutableFile(d.window, ChooserStartName(form.command_line), chosen))
    form.command_line = chosen;
}

}  // namespace mw
