#pragma once
// The settings dialog: the Action list above, the form for one Action below.
#include <windows.h>

#include <functional>

#include "model/action.h"
#include "platform/platform.h"

namespace mw {

// What the dialog needs of the program around it.
struct SettingsContext {
  const Platform& platform;
  HINSTANCE instance;
  Action& extended_work_copy;  // the Ex_ fields between the form and the extended dialog
  std::function<void()> open_help;
  // The open dialog while it is open, nullptr otherwise: the main window
  // brings it to the front instead of opening a second one.
  HWND& open_dialog;
};

// Shows the dialog modally; returns when it has closed.
void ShowSettingsDialog(const SettingsContext& context);

}  // namespace mw
