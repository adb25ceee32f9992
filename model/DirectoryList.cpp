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

}  // namespace pathwright
