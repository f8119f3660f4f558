#pragma once
// The lower half of the settings dialog as a plain record, and the decisions
// made on it: what an Action shows there, what the form writes back, whether
// it may be registered and under which name.
#include <cstddef>
#include <string>
#include <string_view>

#include "model/action.h"
#include "ui/device_picker.h"

namespace mw {

// Form texts are read into buffers of this size, NUL included.
inline constexpr std::size_t kFormTextLimit = 1023;
// The test run and the file chooser take less of the command line.
inline constexpr std::size_t kShortCommandLimit = 511;

inline constexpr char kNoDeviceMessage[] = "監視USBを入力して下さい。";
inline constexpr char kNoCommandMessage[] = "実行ファイルを入力して下さい。";
inline constexpr char kDuplicateNameMessage[] = "入力された名称は既に登録されています。";
inline constexpr char kNameArrow[] = "⇒";

// What the form's controls show.
struct ActionForm {
  std::string name;          // IDE_NAME
  bool disabled = false;     // IDX_DISABLED
  int device = -1;           // position in the picker's DeviceList, -1: nothing selected
  std::string command_line;  // IDE_COMMAND_LINE
  bool eject_checked = false;
  bool eject_enabled = false;
};

// Shows action; its Ex_ fields go to extended_work_copy. The device is
// selected only when the picker offers it. Whether Eject may be changed is
// left alone.
void FillFormFromAction(const Action& action, const DevicePicker& picker, ActionForm& form,
                        Action& extended_work_copy);

// Writes the form and extended_work_copy into action; DriveLetter stays.
void FillActionFromForm(const ActionForm& form, const DevicePicker& picker,
                        const Action& extended_work_copy, Action& action);

// Enables the Eject check box for a USB storage device; otherwise greys it
// out and unchecks it.
void RefreshEjectOption(const DevicePicker& picker, ActionForm& form);

// The device's name up to its first "/", the arrow, and the command line
// after its last "\" (a trail byte 0x5C of a double-byte character is none).
std::string GenerateActionName(std::string_view display_name, std::string_view command_line);

struct FormCheck {
  const char* message = nullptr;  // the notice to show; none when the form may be registered
  int focus = 0;                  // control id to give the keyboard focus when not valid
  std::string name;               // the name the form registers under, typed or generated

  bool valid() const { return message == nullptr; }
};

// Decides whether the form may be registered, in order: a device, a command
// line, then a name not used by another Action than the one at selection
// (-1: none). An empty or untouched name is generated first, as the name edit
// would hold it; the caller shows it in the form before any notice.
FormCheck ValidateForm(const ActionForm& form, const DevicePicker& picker,
                       const ActionList& actions, int selection);

// The name the file chooser starts with: the command line as far as it is
// read, or nothing when it holds a quote (a path with arguments is no file).
std::string ChooserStartName(std::string_view command_line);

// text as a control read with a buffer of limit bytes returns it.
std::string CutToBuffer(std::string_view text, std::size_t limit);

}  // namespace mw
