// A directory list is one string of entries separated by ";". The list editor and the command
// line split and join it the same way, so a list survives an edit untouched except for a final ";".
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pathwright {

// Every ";" ends an entry (a leading one gives an empty first entry, ";;" an empty entry between);
// a final ";" gives no empty entry. Entries are kept exactly as they stand.
std::vector<std::wstring> SplitEntries(std::wstring_view list);

// The entries with exactly one ";" between two of them and none at the end.
std::wstring JoinEntries(const std::vector<std::wstring>& entries);

// For a line too narrow for the list: the list up to the last whole entry that, followed by ";…",
// still `fits`, then ";…"; the list itself when it fits whole. The first entry always stays, so a
// cut list never reads as empty.
std::wstring CutAtEntry(const std::wstring& list, const std::function<bool(const std::wstring&)>& fits);

}  // namespace pathwright
