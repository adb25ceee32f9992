#include "ListEdits.h"

#include <algorithm>
#include <set>

#include "DirectoryList.h"

namespace pathwright {

ListChange SetList(std::wstring& list, const std::wstring& value) {
  const std::vector<std::wstring> before = SplitEntries(list), after = SplitEntries(value);
  const std::set<std::wstring> had(before.begin(), before.end()), has(after.begin(), after.end());
  ListChange change{.changed = value != list};
  for (const std::wstring& entry : after) {
    if (!had.contains(entry)) change.added.push_back(entry);
  }
  for (const std::wstring& entry : before) {
    if (!has.contains(entry)) change.removed.push_back(entry);
  }
  list = value;
  return change;
}

ListChange AddEntry(std::wstring& list, const std::wstring& entry) {
  std::vector<std::wstring> entries = SplitEntries(list);
  if (std::any_of(entries.begin(), entries.end(), [&](const std::wstring& e) { return SameFolder(e, entry); })) {
    return {};
  }
  entries.push_back(entry);
  list = JoinEntries(entries);
  return {.added = {entry}, .changed = true};
}

ListChange RemoveEntry(std::wstring& list, const std::wstring& entry) {
  std::vector<std::wstring> entries = SplitEntries(list);
  ListChange change;
  std::erase_if(entries, [&](const std::wstring& e) {
    if (!SameFolder(e, entry)) return false;
    change.removed.push_back(e);
    return true;
  });
  if (change.removed.empty()) return change;
  list = JoinEntries(entries);
  change.changed = true;
  return change;
}

ListChange Reconcile(std::wstring& list, const std::vector<std::wstring>& wanted, ReconcileMode mode,
                     const PropertyLookup& properties) {
  const auto key = [&](const std::wstring& entry) { return FolderKey(Prejudge(entry, properties).expanded); };
  const bool exact = mode == ReconcileMode::kExact;
  std::vector<std::wstring> entries = SplitEntries(list);
  std::set<std::wstring> had, want;
  for (const std::wstring& entry : entries) had.insert(key(entry));
  for (const std::wstring& entry : wanted) want.insert(key(entry));
  ListChange change;
  if (exact) {
    for (const std::wstring& entry : entries) {
      if (!want.contains(key(entry))) change.removed.push_back(entry);
    }
    entries.clear();
  }
  std::set<std::wstring> taken;
  for (const std::wstring& entry : wanted) {
    if (!taken.insert(key(entry)).second) continue;
    const bool missing = !had.contains(key(entry));
    if (missing) change.added.push_back(entry);
    if (exact || missing) entries.push_back(entry);
  }
  std::wstring after = JoinEntries(entries);
  change.changed = after != list;
  list = std::move(after);
  return change;
}

}  // namespace pathwright
