#include "store/action_store.h"

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "store/registry_settings.h"

namespace mw {
namespace {

constexpr const char* kNameField = kActionFields[0].stored_name;

std::string StoredValueName(std::size_t index, const char* field) {
  return std::to_string(index) + "_" + field;
}

// Value names compare as the registry compares them: ASCII case folded.
std::string FoldCase(std::string name) {
  for (char& c : name)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return name;
}

// Writes every value of every Action, going on past a failure. False when
// any write failed.
bool WriteAll(const Platform& platform, const ScopedRegKey& key, const ActionList& actions) {
  bool all_written = true;
  for (std::size_t index = 0; index < actions.size(); ++index)
    for (const ActionField& stored : kActionFields)
      if (!WriteSetting(platform, key, StoredValueName(index, stored.stored_name),
                        actions[index].*stored.member))
        all_written = false;
  return all_written;
}

// Deletes every value but the ones of the first count indexes: beyond the
// list's end, beyond a gap, or anything else that has come to lie there.
void RemoveOtherValues(const Platform& platform, const ScopedRegKey& key, std::size_t count) {
  std::set<std::string> kept;
  for (std::size_t index = 0; index < count; ++index)
    for (const ActionField& stored : kActionFields)
      kept.insert(FoldCase(StoredValueName(index, stored.stored_name)));

  // The first missing "_Name" ends the list, so deleting it first makes the
  // list right at once, even if the deletions stop half way.
  const std::string end_of_list = StoredValueName(count, kNameField);
  std::vector<std::string> names;
  if (!ListSettingNames(platform, key, names)) names = {end_of_list};
  std::erase_if(names, [&](const std::string& name) { return kept.count(FoldCase(name)) != 0; });
  std::stable_partition(names.begin(), names.end(), [&](const std::string& name) {
    return FoldCase(name) == FoldCase(end_of_list);
  });
  for (const std::string& name : names) {
    // While the end marker stays, the values behind it are still an Action of
    // the list: removing some of them would leave it loading half empty.
    if (!DeleteSetting(platform, key, name) && FoldCase(name) == FoldCase(end_of_list)) return;
  }
}

}  // namespace

bool LoadActions(const Platform& platform, ActionList& actions) {
  actions.clear();
  const ScopedRegKey key = OpenVersionKey(platform, kActionsSubkey);
  if (!key) return false;
  bool clean = true;
  Action action;
  for (std::size_t index = 0;; ++index) {
    ResetToDefaults(action);
    const ReadResult name =
        ReadSetting(platform, key, StoredValueName(index, kNameField), action.Name);
    if (name != ReadResult::kRead) return clean && name == ReadResult::kMissing;
    for (const ActionField& stored : kActionFields) {
      if (stored.member == &Action::Name) continue;
      // The extended values came later: where one is missing, its default
      // stands. A missing base value reads as empty text.
      std::string& value = action.*stored.member;
      const ReadResult read =
          ReadSettingOrDefault(platform, key, StoredValueName(index, stored.stored_name), value,
                               stored.extended ? stored.default_text : "");
      if (read == ReadResult::kFailed) clean = false;
    }
    actions.push_back(action);
  }
}

void SaveActions(const Platform& platform, const ActionList& actions) {
  if (actions.empty()) {
    // Only a subkey that is there, so that an absent one brings no notice.
    if (VersionSubkeyExists(platform, kActionsSubkey))
      DeleteVersionSubkey(platform, kActionsSubkey);
    return;
  }
  const ScopedRegKey key = OpenVersionKey(platform, kActionsSubkey);
  if (!key) return;
  // After a failed write the old values stay: together with what was
  // written they still form a loadable list, and each failure had its notice.
  if (WriteAll(platform, key, actions)) RemoveOtherValues(platform, key, actions.size());
}

}  // namespace mw
