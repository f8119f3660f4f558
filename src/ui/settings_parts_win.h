#pragma once
// The pieces of the settings dialog's procedure: what one open dialog owns,
// the list view above and the form below.
#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "model/action.h"
#include "ui/action_form.h"
#include "ui/device_picker.h"
#include "ui/settings_dialog_win.h"

namespace mw {

// What one open dialog owns: its Actions and the picker's devices are its own
// copies, never the dispatcher's.
struct SettingsDialog {
  explicit SettingsDialog(const SettingsContext& c) : context(c) {}

  const SettingsContext& context;
  HWND window = nullptr;
  HWND list_view = nullptr;
  HWND device_combo = nullptr;
  HWND tooltip = nullptr;
  bool edit_busy = false;
  // While a test run waits for its program: the controls it disabled.
  std::vector<HWND> held;
  bool testing = false;
  DevicePicker picker;
  ActionList actions;
};

// Posted to the dialog when a test run's program has ended; wParam: whether it ran.
inline constexpr UINT kTestRunEndedMessage = WM_APP + 1;

// ---- the list (settings_list_view_win.cpp) ----

int SelectionMark(const SettingsDialog& d);
void SetRowSelected(const SettingsDialog& d, int row, bool selected);
void InsertColumns(const SettingsDialog& d);
void FillActionListView(const SettingsDialog& d);
// One row after a change of its Action: rewritten, or added at the end.
void ShowRegisteredRow(const SettingsDialog& d, int row);
void RemoveRow(const SettingsDialog& d, int row);
// Makes row the selected row and the selection mark, and scrolls it into view.
void SelectRow(const SettingsDialog& d, int row);
// The arrow keys select a row before they move the selection mark; a row
// that became selected is made the mark at once.
void FollowNewSelection(const SettingsDialog& d, const NMLISTVIEW& change);

// ---- the form (settings_form_win.cpp) ----

// One command's form: read from the controls once at its start, decided on,
// and written back once at its end.
struct FormEdit {
  ActionForm shown;  // what the controls show
  ActionForm form;   // what they are to show
  bool refresh_tooltip = false;
  int focus = 0;  // control to focus once written, 0: none
};

ActionForm ReadForm(const SettingsDialog& d);
FormEdit BeginFormEdit(const SettingsDialog& d);
// Writes only what changed, so that untouched edits keep their text beyond
// the form's limit; then the tooltip and the focus.
void EndFormEdit(SettingsDialog& d, const FormEdit& edit);

void DestroyDeviceTooltip(SettingsDialog& d);

// Switches the picker to option_id; true when the combo box was refilled and
// so selects nothing.
bool SwitchPicker(SettingsDialog& d, int option_id);
// The same within a command: a refilled combo box leaves the form without a device.
void SetPickerMode(SettingsDialog& d, int option_id, FormEdit& edit);
// Checks the option button too, as when the program chooses the mode.
void CheckPickerOption(SettingsDialog& d, int option_id, FormEdit& edit);

// List mode is (true, false), edit mode (false, true). The Eject check box
// goes through the form, as the form decides it when it is on.
void SetEditMode(SettingsDialog& d, bool list_enabled, bool form_enabled, FormEdit& edit);

// The file chooser, started with the form's command line.
void ChooseExecutable(const SettingsDialog& d, ActionForm& form);

}  // namespace mw
