#include "ui/extended_dialog_win.h"

#include <commctrl.h>

#include "resource.h"
#include "ui/action_form.h"
#include "ui/dialog_controls_win.h"
#include "ui/dialog_proc_win.h"
#include "ui/extended_form.h"

namespace mw {
namespace {

void ShowForm(HWND dialog, const ExtendedForm& form) {
  for (const auto& [id, checked] : form.checked) SetControlChecked(dialog, id, checked);
  for (const auto& [id, text] : form.texts) SetControlText(dialog, id, text);
}

ExtendedForm ReadForm(HWND dialog) {
  ExtendedForm form = ExtendedFormFromAction(Action{});  // for the ids
  for (auto& [id, checked] : form.checked) checked = IsControlChecked(dialog, id);
  for (auto& [id, text] : form.texts) text = ControlText(dialog, id, kFormTextLimit);
  return form;
}

void ApplyEnabling(HWND dialog) {
  for (const auto& [id, enabled] : ExtendedEnabling(ReadForm(dialog)))
    EnableControl(dialog, id, enabled);
}

void Open(HWND dialog, Action& work_copy) {
  for (const UpDownSetting& up_down : ExtendedUpDowns()) {
    SendDlgItemMessageA(dialog, up_down.id, UDM_SETRANGE, 0, MAKELPARAM(up_down.upper, 0));
    UDACCEL accel = {0, static_cast<UINT>(up_down.step)};
    SendDlgItemMessageA(dialog, up_down.id, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
  }
  ShowForm(dialog, ExtendedFormFromAction(work_copy));
  ApplyEnabling(dialog);
}

void Close(HWND dialog, Action& work_copy) {
  // Greyed-out values are kept too: unchecking only switches a value off.
  StoreExtendedForm(ReadForm(dialog), work_copy);
  EndDialog(dialog, IDCANCEL);
}

INT_PTR HandleMessage(Action& work_copy, HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  if (message == WM_INITDIALOG) {
    Open(dialog, work_copy);
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  const int id = LOWORD(wparam);
  if (id == IDCANCEL) {
    Close(dialog, work_copy);
    return TRUE;
  }
  if (IsExtendedCheckBox(id) && HIWORD(wparam) == BN_CLICKED) {
    ApplyEnabling(dialog);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

void ShowExtendedDialog(HINSTANCE instance, HWND owner, Action& work_copy) {
  DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_EXTENDED), owner,
                  DialogProc<Action, HandleMessage>, reinterpret_cast<LPARAM>(&work_copy));
}

}  // namespace mw
