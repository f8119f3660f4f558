#pragma once
// The tooltip that shows a device's details over the device combo box.
#include <windows.h>

#include <string>

namespace mw {

// A tooltip window owned by nobody, with one tool over the combo box's
// client area; nullptr when it could not be created.
HWND CreateDeviceTooltip(HINSTANCE instance, HWND combo, const std::string& text);

}  // namespace mw
