#pragma once
// The upper half of the settings dialog: its caption, the rows of the Action
// list, which controls each mode enables, and the changes of the list that
// are saved at once.
#include <string>
#include <vector>

#include "model/action.h"
#include "platform/platform.h"
#include "ui/action_form.h"

namespace mw {

inline constexpr char kBuildNumberToken[] = "%BUILD_NUMBER%";
inline constexpr int kCaptionBufferSize = 255;
inline constexpr char kEnabledText[] = "有効";
inline constexpr char kDisabledText[] = "無効";
inline constexpr char kNoSelectionMessage[] = "Actionが選択されていません。";
inline constexpr char kDeleteQuestion[] = "削除してよろしいですか？";
inline constexpr int kNameColumnWidth = 280;
inline constexpr int kStateColumnWidth = 50;
inline constexpr char kNameColumnTitle[] = "アクション名称";
inline constexpr char kStateColumnTitle[] = "状態";

// The template's caption with its first build-number token replaced.
std::string ExpandBuildNumber(std::string caption, int build_number);

// Column 1 of a row: enabled only for a State of exactly "0".
const char* StateColumnText(const Action& action);

struct ControlEnabling {
  int id;
  bool enabled;
};

// List mode is (true, false), edit mode (false, true). The Eject check box is
// listed only when the form is off; with the form on RefreshEjectOption
// decides about it.
std::vector<ControlEnabling> EditModeEnabling(bool list_enabled, bool form_enabled);
// Where the keyboard focus goes after a mode change.
int EditModeFocus(bool list_enabled);

// False after the "no Action selected" notice when selection is -1.
bool RequireSelection(const Platform& platform, int selection);

// Asks the owner's question and, on Yes, removes the selected Action and
// saves the list. True when the list changed.
bool DeleteSelectedAction(const Platform& platform, UserNoticePort::Window owner,
                          ActionList& actions, int selection);

// Writes a validated form over the selected Action, or appends a new one when
// none is selected, and saves the list. Returns the row to select.
int RegisterForm(const Platform& platform, const ActionForm& form, const DevicePicker& picker,
                 const Action& extended_work_copy, ActionList& actions, int selection);

}  // namespace mw
