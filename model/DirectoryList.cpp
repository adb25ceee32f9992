#include "DirectoryList.h"

namespace pathwright {

std::vector<std::wstring> SplitEntries(std::wstring_view list) {
  std::vector<std::wstring> entries;
  size_t start = 0;
  for (size_t p; (p = list.find(L';', start)) != std::wstring_view::npos; start = p + 1) {
    entries.emplace_back(list.substr(start, p - start));
  }
  if (start < list.size()) entries.emplace_back(list.substr(start));
  return entries;
}

std::wstring JoinEntries(const std::vector<std::wstring>& entries) {
  std::wstring list;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (i > 0) list += L';';
    list += entries[i];
  }
  return list;
}

std::wstring CutAtEntry(const std::wstring& list, const std::function<bool(const std::wstring&)>& fits) {
  if (fits(list)) return list;
  const std::wstring more = L";\x2026";
  size_t end = list.find(L';');
  if (end == std::wstring::npos || end + 1 == list.size()) return list;  // one entry: nothing to cut at
  std::wstring shown = list.substr(0, end) + more;
  // Longer cuts are wider: the first one that does not fit ends the search.
  for (size_t next; (next = list.find(L';', end + 1)) != std::wstring::npos; end = next) {
    std::wstring longer = list.substr(0, next) + more;
    if (!fits(longer)) break;
    shown = std::move(longer);
  }
  return shown;
}

}  // namespace pathwright
