#include "ListEdits.h"

#include <algorithm>
#include <set>

#include "DirectoryList.h"

namespace pathwright {

namespace {
// The list becomes `entries`; what came in and what went, entry by entry.
ListChange Replace(std::wstring& list, const std::vector<std::wstring>& entries) {
  const std::vector<std::wstring> before = SplitEntries(list);
  ListChange change;
  for (const std::wstring& entry : entries) {
    if (std::find(before.begin(), before.end(), entry) == before.end()) change.added.push_back(entry);
  }
  for (const std::wstring& entry : before) {
    if (std::find(entries.begin(), entries.end(), entry) == entries.end()) change.removed.push_back(entry);
  }
  std::wstring after = JoinEntries(entries);
  change.changed = after != list;
  list = std::move(after);
  return change;
}
}  // namespace

ListChange SetList(std::wstring& list, const std::wstring& value) {
  const bool changed = value != list;
  ListChange change = Replace(list, SplitEntries(value));
  change.changed = changed;
  list = value;
  return change;
}

ListChange AddEntry(std::wstring& list, const std::wstring& entry) {
  std::vector<std::wstring> entries = SplitEntries(list);
  entries.push_back(entry);
  ListChange change = Replace(list, entries);
  if (change.added.empty()) change.added.push_back(entry);  // a second copy is an addition too
  return change;
}

ListChange RemoveEntry(std::wstring& list, const std::wstring& entry) {
  std::vector<std::wstring> entries = SplitEntries(list);
  std::erase(entries, entry);
  return Replace(list, entries);
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
