#pragma once
// The frame every dialog procedure shares: the state passed to
// DialogBoxParamA is kept in DWLP_USER from WM_INITDIALOG on, and no
// exception may cross into the dialog manager.
#include <windows.h>

namespace mw {

// Handle gets WM_INITDIALOG too; messages sent before it (WM_SETFONT) find no
// state and are left to the dialog manager.
template <class State, INT_PTR (*Handle)(State&, HWND, UINT, WPARAM, LPARAM)>
INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  try {
    if (message == WM_INITDIALOG) SetWindowLongPtrA(dialog, DWLP_USER, lparam);
    State* state = reinterpret_cast<State*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (!state) return FALSE;
    return Handle(*state, dialog, message, wparam, lparam);
  } catch (...) {
    return FALSE;
  }
}

}  // namespace mw
