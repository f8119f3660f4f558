#include "store/action_store.h"

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "store/registry_settings.h"

namespace mw {
namespace {

constexpr const char* kNameField = kActionFields[0].stored_name;
// What the one notice of a failed load or save names.
constexpr char kLoadWork[] = "アクションの読み込み";
constexpr char kSaveWork[] = "アクションの保存";

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
bool WriteAll(const Platform& platform, const ScopedRegKey& key, const ActionList& actions,
              RegistryFailures& failures) {
  bool all_written = true;
  for (std::size_t index = 0; index < actions.size(); ++index)
    for (const ActionField& stored : kActionFields)
      if (!WriteSetting(platform, key, StoredValueName(index, stored.stored_name),
                        actions[index].*stored.member, failures))
        all_written = false;
  return all_written;
}

// Deletes every value but the ones of the first count indexes: beyond the
// list's end, beyond a gap, or anything else that has come to lie there.
void RemoveOtherValues(const Platform& platform, const ScopedRegKey& key, std::size_t count,
                       RegistryFailures& failures) {
  std::set<std::string> kept;
  for (std::size_t index = 0; index < count; ++index)
    for (const ActionField& stored : kActionFields)
      kept.insert(FoldCase(StoredValueName(index, stored.stored_name)));

  // Only the values just written are there, as after most saves: a thousand
  // Actions' names need not be listed to find nothing to remove.
  std::uint32_t stored = 0;
  if (platform.registry.CountValues(key.get(), &stored) == reg::kSuccess && stored == kept.size())
    return;

  // The first missing "_Name" ends the list, so deleting it first makes the
  // list right at once, even if the deletions stop half way.
  const std::string end_of_list = StoredValueName(count, kNameField);
  std::vector<std::string> names;
  if (!ListSettingNames(platform, key, names, failures)) names = {end_of_list};
  std::erase_if(names, [&](const std::string& name) { return kept.count(FoldCase(name)) != 0; });
  std::stable_partition(names.begin(), names.end(), [&](const std::string& name) {
    return FoldCase(name) == FoldCase(end_of_list);
  });
  for (const std::string& name : names) {
    // While the end marker stays, the values behind it are still an Action of
    // the list: removing some of them would leave it loading half empty.
    if (!DeleteSetting(platform, key, name, failures) && FoldCase(name) == FoldCase(end_of_list))
      return;
  }
}

}  // namespace

bool LoadActions(const Platform& platform, ActionList& actions) {
  actions.clear();
  RegistryFailures failures;
  const ScopedRegKey key = OpenVersionKey(platform, kActionsSubkey, failures);
  Action action;
  for (std::size_t index = 0; key; ++index) {
    ResetToDefaults(action);
    if (ReadSetting(platform, key, StoredValueName(index, kNameField), action.Name, failures) !=
        ReadResult::kRead)
      break;
    for (const ActionField& stored : kActionFields) {
      if (stored.member == &Action::Name) continue;
      // The extended values came later: where one is missing, its default
      // stands. A missing base value reads as empty text.
      (void)ReadSettingOrDefault(platform, key, StoredValueName(index, stored.stored_name),
                                 action.*stored.member, stored.extended ? stored.default_text : "",
                                 failures);
    }
    actions.push_back(action);
  }
  failures.Report(platform, kLoadWork);
  return failures.count() == 0;
}

void SaveActions(const Platform& platform, const ActionList& actions) {
  if (actions.empty()) {
    // Only a subkey that is there, so that an absent one brings no notice.
    if (VersionSubkeyExists(platform, kActionsSubkey))
      DeleteVersionSubkey(platform, kActionsSubkey);
    return;
  }
  RegistryFailures failures;
  const ScopedRegKey key = OpenVersionKey(platform, kActionsSubkey, failures);
  // After a failed write the old values stay: together with what was
  // written they still form a loadable list.
  if (key && WriteAll(platform, key, actions, failures))
    RemoveOtherValues(platform, key, actions.size(), failures);
  failures.Report(platform, kSaveWork);
}

}  // namespace mw
