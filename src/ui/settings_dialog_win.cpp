// The settings dialog: the Action list above, the form for one Action below.
// The procedure only moves data between the controls and the records of
// ui/; every decision is made there.
#include <windows.h>
#include <commctrl.h>

#include "app/application_win.h"
#include "app/help_file.h"
#include "app/notices.h"
#include "app/product.h"
#include "resource.h"
#include "store/action_store.h"
#include "ui/action_form.h"
#include "ui/device_picker.h"
#include "ui/device_tooltip_win.h"
#include "ui/dialog_controls_win.h"
#include "ui/extended_dialog_win.h"
#include "ui/file_chooser_win.h"
#include "ui/settings_list.h"
#include "ui/test_run.h"

namespace mw {
namespace {

// What one open dialog owns: its Actions and the picker's devices are its own
// copies, never the dispatcher's.
struct SettingsDialog {
  explicit SettingsDialog(Application& application) : app(application) {}

  Application& app;
  HWND window = nullptr;
  HWND list_view = nullptr;
  HWND device_combo = nullptr;
  HWND command_line_edit = nullptr;
  HWND tooltip = nullptr;
  bool edit_busy = false;
  DevicePicker picker;
  ActionList actions;
};

SettingsDialog* DialogOf(HWND window) {
  return reinterpret_cast<SettingsDialog*>(GetWindowLongPtrA(window, DWLP_USER));
}

UserNoticePort::Window AsOwner(HWND window) {
  return reinterpret_cast<UserNoticePort::Window>(window);
}

int SelectionMark(const SettingsDialog& d) {
  return static_cast<int>(SendMessageA(d.list_view, LVM_GETSELECTIONMARK, 0, 0));
}

void SetRowSelected(const SettingsDialog& d, int row, bool selected) {
  LVITEMA item = {};
  item.stateMask = LVIS_SELECTED;
  item.state = selected ? LVIS_SELECTED : 0;
  SendMessageA(d.list_view, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
               reinterpret_cast<LPARAM>(&item));
}

// ---- the form ----

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

void WriteForm(const SettingsDialog& d, const ActionForm& form) {
  SetControlText(d.window, IDE_NAME, form.name);
  SetControlChecked(d.window, IDX_DISABLED, form.disabled);
  SendMessageA(d.device_combo, CB_SETCURSEL,
               static_cast<WPARAM>(EntryOfDevice(d.picker, form.device)), 0);
  SetControlText(d.window, IDE_COMMAND_LINE, form.command_line);
  SetControlChecked(d.window, IDX_EJECT, form.eject_checked);
}

void ShowAction(SettingsDialog& d, const Action& action) {
  ActionForm form = ReadForm(d);
  FillFormFromAction(action, d.picker, form, d.app.extended_work_copy);
  WriteForm(d, form);
}

void RefreshDeviceTooltip(SettingsDialog& d) {
  if (d.tooltip) {
    DestroyWindow(d.tooltip);
    d.tooltip = nullptr;
  }
  const int device = ReadForm(d).device;
  if (device < 0) return;
  d.tooltip = CreateDeviceTooltip(d.app.instance, d.device_combo,
                                  d.picker.devices[static_cast<std::size_t>(device)].Details);
}

void RefreshEjectOption(SettingsDialog& d) {
  ActionForm form = ReadForm(d);
  RefreshEjectOption(d.picker, form);
  EnableControl(d.window, IDX_EJECT, form.eject_enabled);
  SetControlChecked(d.window, IDX_EJECT, form.eject_checked);
  RefreshDeviceTooltip(d);
}

void FillDeviceCombo(const SettingsDialog& d) {
  SendMessageA(d.device_combo, CB_RESETCONTENT, 0, 0);
  for (int device : d.picker.shown)
    SendMessageA(d.device_combo, CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(
                     d.picker.devices[static_cast<std::size_t>(device)].DisplayName.c_str()));
}

void SetPickerMode(SettingsDialog& d, int option_id) {
  if (SetPickerMode(d.app.platform, d.picker, option_id)) FillDeviceCombo(d);
}

void CheckPickerOption(SettingsDialog& d, int option_id) {
  CheckRadioButton(d.window, IDX_SHOW_CONNECTED, IDX_SHOW_ALL_KNOWN, option_id);
  SetPickerMode(d, option_id);
}

void ChooseExecutable(SettingsDialog& d) {
  std::string chosen;
  if (ChooseExecutableFile(
          d.window, ChooserStartName(ControlText(d.window, IDE_COMMAND_LINE, kFormTextLimit)),
          chosen))
    SetControlText(d.window, IDE_COMMAND_LINE, chosen);
}

// ---- the list ----

void FillActionListView(const SettingsDialog& d) {
  SendMessageA(d.list_view, LVM_DELETEALLITEMS, 0, 0);
  for (std::size_t i = 0; i < d.actions.size(); ++i) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(i);
    item.pszText = const_cast<char*>(d.actions[i].Name.c_str());
    const auto row = SendMessageA(d.list_view, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    item.iItem = static_cast<int>(row);
    item.iSubItem = 1;
    item.pszText = const_cast<char*>(StateColumnText(d.actions[i]));
    SendMessageA(d.list_view, LVM_SETITEMTEXTA, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&item));
  }
}

void InsertColumns(const SettingsDialog& d) {
  const struct {
    const char* title;
    int width;
  } columns[] = {{kNameColumnTitle, kNameColumnWidth}, {kStateColumnTitle, kStateColumnWidth}};
  for (int i = 0; i < 2; ++i) {
    LVCOLUMNA column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = columns[i].width;
    column.pszText = const_cast<char*>(columns[i].title);
    column.iSubItem = i;
    SendMessageA(d.list_view, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i),
                 reinterpret_cast<LPARAM>(&column));
  }
}

void SetEditMode(SettingsDialog& d, bool list_enabled, bool form_enabled) {
  for (const ControlEnabling& control : EditModeEnabling(list_enabled, form_enabled))
    EnableControl(d.window, control.id, control.enabled);
  if (form_enabled) RefreshEjectOption(d);
  FocusControl(d.window, EditModeFocus(list_enabled));
}

// ---- operations ----

// While set, the list's selection notifications leave the form alone.
class EditBusy {
 public:
  explicit EditBusy(SettingsDialog& d) : flag_(d.edit_busy) { flag_ = true; }
  ~EditBusy() { flag_ = false; }
  EditBusy(const EditBusy&) = delete;
  EditBusy& operator=(const EditBusy&) = delete;

 private:
  bool& flag_;
};

void Open(SettingsDialog& d, HWND window) {
  d.window = window;
  d.app.settings_dialog = window;
  d.list_view = GetDlgItem(window, IDC_ACTION_LIST);
  d.device_combo = GetDlgItem(window, IDC_DEVICE_COMBO);
  d.command_line_edit = GetDlgItem(window, IDE_COMMAND_LINE);

  char caption[kCaptionBufferSize] = {};
  GetWindowTextA(window, caption, sizeof caption);
  SetWindowTextA(window, ExpandBuildNumber(caption, kBuildNumber).c_str());

  InsertColumns(d);
  d.picker.mode = -1;
  CheckPickerOption(d, IDX_SHOW_CONNECTED);
  LoadActions(d.app.platform, d.actions);
  FillActionListView(d);
}

void Close(SettingsDialog& d) {
  d.app.settings_dialog = nullptr;
  if (d.tooltip) {
    DestroyWindow(d.tooltip);
    d.tooltip = nullptr;
  }
  EndDialog(d.window, IDCANCEL);
}

// The arrow keys select a row before they move the selection mark, so the
// mark would still name the row just left; a row that became selected is
// made the mark at once.
void FollowNewSelection(const SettingsDialog& d, const NMLISTVIEW& change) {
  const bool became_selected = (change.uChanged & LVIF_STATE) != 0 &&
                               (change.uNewState & LVIS_SELECTED) != 0 &&
                               (change.uOldState & LVIS_SELECTED) == 0;
  if (became_selected && change.iItem >= 0)
    SendMessageA(d.list_view, LVM_SETSELECTIONMARK, 0, change.iItem);
}

void SelectionChanged(SettingsDialog& d) {
  if (d.edit_busy) return;
  const int selection = SelectionMark(d);
  if (selection < 0 || static_cast<std::size_t>(selection) >= d.actions.size()) return;
  // All known devices, so that a stored Action's device is found unplugged too.
  CheckPickerOption(d, IDX_SHOW_ALL_KNOWN);
  ShowAction(d, d.actions[static_cast<std::size_t>(selection)]);
}

void New(SettingsDialog& d) {
  {
    // The form is refilled just below: showing the deselected row first
    // would only enumerate all known devices for nothing.
    const EditBusy busy(d);
    const int selection = SelectionMark(d);
    if (selection >= 0) SetRowSelected(d, selection, false);
    SendMessageA(d.list_view, LVM_SETSELECTIONMARK, 0, -1);
  }
  ShowAction(d, Action{});
  CheckPickerOption(d, IDX_SHOW_CONNECTED);
  SetEditMode(d, false, true);
}

void Change(SettingsDialog& d) {
  if (RequireSelection(d.app.platform.notices, SelectionMark(d))) SetEditMode(d, false, true);
}

void Delete(SettingsDialog& d) {
  if (DeleteSelectedAction(d.app.platform, AsOwner(d.window), d.actions, SelectionMark(d)))
    FillActionListView(d);
}

void Register(SettingsDialog& d) {
  // Rewriting the list sends selection notifications that must not refill
  // the form meanwhile.
  const EditBusy busy(d);

  const int selection = SelectionMark(d);
  ActionForm form = ReadForm(d);
  const FormCheck check = ValidateForm(form, d.picker, d.actions, selection);
  // A generated name shows in the edit first, valid or not.
  if (check.name != form.name) SetControlText(d.window, IDE_NAME, check.name);
  form.name = check.name;
  if (!check.valid()) {
    ShowNotice(d.app.platform.notices, "%s", check.message);
    FocusControl(d.window, check.focus);
    return;
  }
  const int row =
      RegisterForm(d.app.platform, form, d.picker, d.app.extended_work_copy, d.actions, selection);
  FillActionListView(d);
  SendMessageA(d.list_view, LVM_SETSELECTIONMARK, 0, row);
  SetRowSelected(d, row, true);
  SendMessageA(d.list_view, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
  SetEditMode(d, true, false);
}

void Cancel(SettingsDialog& d) {
  SetEditMode(d, true, false);
  SelectionChanged(d);
  RefreshDeviceTooltip(d);
}

void TestRun(SettingsDialog& d) {
  RunTestCommand(d.app.platform, AsOwner(d.window),
                 ControlText(d.window, IDE_COMMAND_LINE, kFormTextLimit),
                 IsControlChecked(d.window, IDX_EJECT));
}

// ---- messages ----

void OnCommand(SettingsDialog& d, int id, int code) {
  if (id == IDC_DEVICE_COMBO) {
    if (code == CBN_SELCHANGE) RefreshEjectOption(d);
    return;
  }
  if (code != BN_CLICKED) return;
  switch (id) {
    case IDCANCEL:
      Close(d);
      break;
    case IDC_NEW:
      New(d);
      RefreshDeviceTooltip(d);
      break;
    case IDC_CHANGE:
      Change(d);
      break;
    case IDC_DELETE:
      Delete(d);
      break;
    case IDC_REGISTER:
      Register(d);
      break;
    case IDC_CANCEL_EDIT:
      Cancel(d);
      break;
    case IDX_SHOW_CONNECTED:
    case IDX_SHOW_ALL_KNOWN:
      SetPickerMode(d, id);
      RefreshEjectOption(d);
      break;
    case IDC_BROWSE:
      ChooseExecutable(d);
      break;
    case IDC_EXTENDED:
      ShowExtendedDialog(d.app.instance, d.window, d.app.extended_work_copy);
      break;
    case IDC_TEST_RUN:
      TestRun(d);
      break;
    case IDC_HELP_BUTTON:
      OpenHelpFile(d.app.platform);
      break;
    default:
      break;  // IDOK among them: no default button closes this dialog
  }
}

INT_PTR HandleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(window, DWLP_USER, lparam);
    Open(*reinterpret_cast<SettingsDialog*>(lparam), window);
    return TRUE;
  }
  SettingsDialog* d = DialogOf(window);
  if (!d) return FALSE;
  switch (message) {
    case WM_COMMAND:
      OnCommand(*d, LOWORD(wparam), HIWORD(wparam));
      return TRUE;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lparam);
      if (header->idFrom == IDC_ACTION_LIST &&
          (header->code == LVN_ITEMCHANGED || header->code == NM_CLICK)) {
        if (header->code == LVN_ITEMCHANGED)
          FollowNewSelection(*d, *reinterpret_cast<const NMLISTVIEW*>(lparam));
        SelectionChanged(*d);
        RefreshDeviceTooltip(*d);
      }
      return FALSE;
    }
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK SettingsDialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  // No exception may cross into the dialog manager.
  try {
    return HandleMessage(window, message, wparam, lparam);
  } catch (...) {
    return FALSE;
  }
}

}  // namespace

void ShowSettingsDialog(Application& app) {
  SettingsDialog dialog(app);
  DialogBoxParamA(app.instance, MAKEINTRESOURCEA(IDD_SETTINGS), nullptr, SettingsDialogProc,
                  reinterpret_cast<LPARAM>(&dialog));
  app.settings_dialog = nullptr;
  if (dialog.tooltip) DestroyWindow(dialog.tooltip);
}

}  // namespace mw
