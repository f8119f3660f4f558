#pragma once
// The extended settings of the Action under edit, a modal dialog owned by the
// settings dialog. It edits only the work copy: the values reach an Action
// when the settings form registers it.
#include <windows.h>

#include "model/action.h"

namespace mw {

// Returns when the user has closed the dialog; work_copy then holds its values.
void ShowExtendedDialog(HINSTANCE instance, HWND owner, Action& work_copy);

}  // namespace mw
