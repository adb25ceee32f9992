// A directory list is one string of entries separated by ";". The list editor and the command
// line split and join it the same way, so a list survives an edit untouched except for a final ";".
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pathwright {

// Every ";" ends an entry (a leading one gives an empty first entry, ";;" an empty entry between);
// a final ";" gives no empty entry. Entries are kept exactly as they stand.
std::vector<std::wstring> SplitEntries(std::wstring_view list);

// The entries with exactly one ";" between two of them and none at the end.
std::wstring JoinEntries(const std::vector<std::wstring>& entries);

}  // namespace pathwright
