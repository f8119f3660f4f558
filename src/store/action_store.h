#pragma once
// The Action list in the registry: sixteen text values per Action under the
// subkey "Actions", named "<index>_<field>", indexes from 0 without a gap.
#include "model/action.h"
#include "platform/platform.h"

namespace mw {

inline constexpr char kActionsSubkey[] = "Actions";

// Replaces actions with the stored list: Actions 0, 1, ... up to the first
// index without a "_Name" value. Missing values give empty fields or the
// defaults of a new Action, never a failure. False when a read failed, after
// one notice for all the failed reads: the list may then lack Actions or
// values that are stored.
[[nodiscard]] bool LoadActions(const Platform& platform, ActionList& actions);

// Replaces the stored list with actions. The new values are written over the
// old ones first and the values of indexes that no longer exist are removed
// afterwards, so the stored list is never empty on the way. When a write
// fails nothing is removed and the old list stays loadable; when the removal
// of the first index beyond the new list fails, the Actions there stay whole.
// An empty list is stored as the absence of the subkey. The subkey is opened
// once for the whole save. However many values fail, the save ends in one
// notice that names the first failure and their count.
void SaveActions(const Platform& platform, const ActionList& actions);

}  // namespace mw
