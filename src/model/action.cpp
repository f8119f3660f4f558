#include "model/action.h"

namespace mw {

Action::Action() {
  ResetToDefaults(*this);
}

void ResetToDefaults(Action& action) {
  for (const ActionField& field : kActionFields) action.*field.member = field.default_text;
}

void CopyExtendedFields(const Action& from, Action& to) {
  for (const ActionField& field : kActionFields)
    if (field.extended) to.*field.member = from.*field.member;
}

}  // namespace mw
