// The settings dialog's procedure. It only moves data between the controls
// and the records of ui/; every decision is made there. Each command reads
// the form once, decides on the record and writes it back once.
#include "ui/settings_dialog_win.h"

#include "notices/notices.h"
#include "model/product.h"
#include "resource.h"
#include "store/action_store.h"
#include "ui/dialog_controls_win.h"
#include "ui/dialog_proc_win.h"
#include "ui/extended_dialog_win.h"
#include "ui/settings_list.h"
#include "ui/settings_parts_win.h"
#include "ui/test_run.h"

namespace mw {
namespace {

UserNoticePort::Window AsOwner(HWND window) {
  return reinterpret_cast<UserNoticePort::Window>(window);
}

// While set, the list's selection notifications leave the form and the
// tooltip to the command under way.
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
  d.context.open_dialog = window;
  d.list_view = GetDlgItem(window, IDC_ACTION_LIST);
  d.device_combo = GetDlgItem(window, IDC_DEVICE_COMBO);

  char caption[kCaptionBufferSize] = {};
  GetWindowTextA(window, caption, sizeof caption);
  SetWindowTextA(window, ExpandBuildNumber(caption, kBuildNumber).c_str());

  InsertColumns(d);
  d.picker.mode = -1;
  CheckRadioButton(window, IDX_SHOW_CONNECTED, IDX_SHOW_ALL_KNOWN, IDX_SHOW_CONNECTED);
  SwitchPicker(d, IDX_SHOW_CONNECTED);
  // A failed read has had its notice; the dialog shows what could be read.
  (void)LoadActions(d.context.platform, d.actions);
  FillActionListView(d);
}

void Close(SettingsDialog& d) {
  d.context.open_dialog = nullptr;
  DestroyDeviceTooltip(d);
  EndDialog(d.window, IDCANCEL);
}

// Nothing when no stored Action is selected.
void ShowSelectedAction(SettingsDialog& d, FormEdit& edit) {
  const int selection = SelectionMark(d);
  if (selection < 0 || static_cast<std::size_t>(selection) >= d.actions.size()) return;
  // All known devices, so that a stored Action's device is found unplugged too.
  CheckPickerOption(d, IDX_SHOW_ALL_KNOWN, edit);
  FillFormFromAction(d.actions[static_cast<std::size_t>(selection)], d.picker, edit.form,
                     d.context.extended_work_copy);
}

void SelectionChanged(SettingsDialog& d) {
  if (d.edit_busy) return;
  FormEdit edit = BeginFormEdit(d);
  ShowSelectedAction(d, edit);
  edit.refresh_tooltip = true;
  EndFormEdit(d, edit);
}

// A device chosen in the combo box, or the picker switched to option_id
// (0: left as it is).
void DeviceChanged(SettingsDialog& d, int option_id) {
  FormEdit edit = BeginFormEdit(d);
  if (option_id != 0) SetPickerMode(d, option_id, edit);
  RefreshEjectOption(d.picker, edit.form);
  edit.refresh_tooltip = true;
  EndFormEdit(d, edit);
}

void New(SettingsDialog& d) {
  FormEdit edit = BeginFormEdit(d);
  {
    // The form is refilled just below: showing the deselected row first
    // would only enumerate all known devices for nothing.
    const EditBusy busy(d);
    const int selection = SelectionMark(d);
    if (selection >= 0) SetRowSelected(d, selection, false);
    SendMessageA(d.list_view, LVM_SETSELECTIONMARK, 0, -1);
  }
  FillFormFromAction(Action{}, d.picker, edit.form, d.context.extended_work_copy);
  CheckPickerOption(d, IDX_SHOW_CONNECTED, edit);
  SetEditMode(d, false, true, edit);
  EndFormEdit(d, edit);
}

void Change(SettingsDialog& d) {
  if (!RequireSelection(d.context.platform, SelectionMark(d))) return;
  FormEdit edit = BeginFormEdit(d);
  SetEditMode(d, false, true, edit);
  EndFormEdit(d, edit);
}

void Delete(SettingsDialog& d) {
  const int selection = SelectionMark(d);
  if (DeleteSelectedAction(d.context.platform, AsOwner(d.window), d.actions, selection))
    RemoveRow(d, selection);
}

void Register(SettingsDialog& d) {
  // Rewriting the list sends selection notifications that must not refill
  // the form meanwhile.
  const EditBusy busy(d);

  const int selection = SelectionMark(d);
  FormEdit edit = BeginFormEdit(d);
  const FormCheck check = ValidateForm(edit.form, d.picker, d.actions, selection);
  edit.form.name = check.name;
  if (!check.valid()) {
    // A generated name shows in the edit before the notice.
    EndFormEdit(d, edit);
    ShowNotice(d.context.platform, "%s", check.message);
    FocusControl(d.window, check.focus);
    return;
  }
  const int row = RegisterForm(d.context.platform, edit.form, d.picker,
                               d.context.extended_work_copy, d.actions, selection);
  // Only the registered row changed: refilling the list would cost a
  // thousand rows' drawing for one.
  ShowRegisteredRow(d, row);
  SelectRow(d, row);
  SetEditMode(d, true, false, edit);
  edit.refresh_tooltip = true;  // in place of the held-off notifications of the new selection
  EndFormEdit(d, edit);
}

void Cancel(SettingsDialog& d) {
  FormEdit edit = BeginFormEdit(d);
  SetEditMode(d, true, false, edit);
  ShowSelectedAction(d, edit);
  edit.refresh_tooltip = true;
  EndFormEdit(d, edit);
}

void Browse(SettingsDialog& d) {
  FormEdit edit = BeginFormEdit(d);
  ChooseExecutable(d, edit.form);
  EndFormEdit(d, edit);
}

// The dialog shows that it waits: every control is disabled until the end.
void HoldControls(SettingsDialog& d) {
  d.testing = true;
  for (HWND child = GetWindow(d.window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (IsWindowEnabled(child)) {
      EnableWindow(child, FALSE);
      d.held.push_back(child);
    }
}

void TestRun(SettingsDialog& d) {
  const ActionForm form = ReadForm(d);
  HWND dialog = d.window;
  if (RunTestCommand(
          d.context.platform, form.command_line, form.eject_checked,
          [dialog](bool ended) { PostMessageA(dialog, kTestRunEndedMessage, ended ? 1 : 0, 0); }))
    HoldControls(d);
}

void TestRunEnded(SettingsDialog& d, bool ended) {
  for (HWND control : d.held) EnableWindow(control, TRUE);
  d.held.clear();
  d.testing = false;
  FocusControl(d.window, IDC_TEST_RUN);
  if (ended) ShowProcessEnded(d.context.platform, AsOwner(d.window));
}

void OnCommand(SettingsDialog& d, int id, int code) {
  // Nothing, not even closing, while a test run waits.
  if (d.testing) return;
  if (id == IDC_DEVICE_COMBO) {
    if (code == CBN_SELCHANGE) DeviceChanged(d, 0);
    return;
  }
  if (code != BN_CLICKED) return;
  switch (id) {
    case IDCANCEL:
      Close(d);
      break;
    case IDC_NEW:
      New(d);
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
      DeviceChanged(d, id);
      break;
    case IDC_BROWSE:
      Browse(d);
      break;
    case IDC_EXTENDED:
      ShowExtendedDialog(d.context.instance, d.window, d.context.extended_work_copy);
      break;
    case IDC_TEST_RUN:
      TestRun(d);
      break;
    case IDC_HELP_BUTTON:
      if (d.context.open_help) d.context.open_help();
      break;
    default:
      break;  // IDOK among them: no default button closes this dialog
  }
}

INT_PTR HandleMessage(SettingsDialog& d, HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      Open(d, window);
      return TRUE;
    case WM_COMMAND:
      OnCommand(d, LOWORD(wparam), HIWORD(wparam));
      return TRUE;
    case kTestRunEndedMessage:
      TestRunEnded(d, wparam != 0);
      return TRUE;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lparam);
      if (header->idFrom == IDC_ACTION_LIST &&
          (header->code == LVN_ITEMCHANGED || header->code == NM_CLICK)) {
        if (header->code == LVN_ITEMCHANGED)
          FollowNewSelection(d, *reinterpret_cast<const NMLISTVIEW*>(lparam));
        SelectionChanged(d);
      }
      return FALSE;
    }
    default:
      return FALSE;
  }
}

}  // namespace

void ShowSettingsDialog(const SettingsContext& context) {
  SettingsDialog dialog(context);
  DialogBoxParamA(context.instance, MAKEINTRESOURCEA(IDD_SETTINGS), nullptr,
                  DialogProc<SettingsDialog, HandleMessage>, reinterpret_cast<LPARAM>(&dialog));
  context.open_dialog = nullptr;
  if (dialog.tooltip) DestroyWindow(dialog.tooltip);
}

}  // namespace mw
