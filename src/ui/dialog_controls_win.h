#pragma once
// Reading and writing dialog controls by id: the only way the dialog
// procedures touch their controls' contents.
#include <windows.h>

#include <string>
#include <vector>

namespace mw {

// The control's text as GetDlgItemTextA returns it into a buffer of limit
// bytes, NUL included.
inline std::string ControlText(HWND dialog, int id, std::size_t limit) {
  std::vector<char> buffer(limit + 1, '\0');
  GetDlgItemTextA(dialog, id, buffer.data(), static_cast<int>(limit));
  return buffer.data();
}

inline void SetControlText(HWND dialog, int id, const std::string& text) {
  SetDlgItemTextA(dialog, id, text.c_str());
}

inline bool IsControlChecked(HWND dialog, int id) {
  return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

inline void SetControlChecked(HWND dialog, int id, bool checked) {
  CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

inline void EnableControl(HWND dialog, int id, bool enabled) {
  EnableWindow(GetDlgItem(dialog, id), enabled ? TRUE : FALSE);
}

// Through the dialog manager, so that the default button and the selection
// of an edit follow the focus as they would for the Tab key.
inline void FocusControl(HWND dialog, int id) {
  SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, id)), TRUE);
}

}  // namespace mw
