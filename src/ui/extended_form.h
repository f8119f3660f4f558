#pragma once
// The extended settings dialog as a plain record: the eleven Ex_ fields of
// the Action under edit, which controls each check box enables, and the
// ranges and steps of its up-down controls.
#include <map>
#include <string>
#include <vector>

#include "model/action.h"

namespace mw {

// What the dialog's controls show: check box id -> checked, edit id -> text.
struct ExtendedForm {
  std::map<int, bool> checked;
  std::map<int, std::string> texts;
};

// A check box is shown checked for any text but "0"; edits show their text
// unchanged.
ExtendedForm ExtendedFormFromAction(const Action& work_copy);

// Writes every control back, greyed out or not: checks as "1" / "0", texts
// as typed.
void StoreExtendedForm(const ExtendedForm& form, Action& work_copy);

// Control id -> enabled: each value follows its check box.
std::map<int, bool> ExtendedEnabling(const ExtendedForm& form);

struct UpDownSetting {
  int id;
  int buddy;
  int upper;  // the lower end is 0
  int step;   // per click, from the first moment on
};
const std::vector<UpDownSetting>& ExtendedUpDowns();

// The check boxes whose clicks change the enabling.
bool IsExtendedCheckBox(int id);

}  // namespace mw
