// Any bytes as a user property sheet, with strings alone. Whatever parses must give bytes again
// (unless a list holds a character XML does not allow, which the edit session refuses), those bytes
// must parse, and the lists must read back as they were set; lists set as they are write nothing.
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "model/EditSession.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  pathwright::SheetDocument first;
  if (!first.Parse(std::string_view(reinterpret_cast<const char*>(data), size))) return 0;
  pathwright::DirectoryLists lists = first.Lists();
  // The lists are the evaluator's, found without evaluating.
  const std::vector<pathwright::PropertyDefinition> definitions = first.Definitions();
  const pathwright::SheetEvaluation evaluated = pathwright::EvaluateSheet(definitions, {});
  for (int k = 0; k < pathwright::kKindCount; ++k) {
    const size_t at = evaluated.kinds[k].list;
    if (lists[k] != (at == pathwright::kNoDefinition ? L"" : definitions[at].value)) std::abort();
  }
  if (pathwright::FindForbiddenInLists(lists)) return 0;
  // Something changes too: the first list gains an entry, the last one is cleared.
  pathwright::DirectoryLists same = lists;
  if (first.WithLists(same).changed) std::abort();
  lists[0] += L";C:\\fuzz";
  lists[pathwright::kKindCount - 1].clear();
  const pathwright::SheetWrite written = first.WithLists(lists);
  if (!written.result) std::abort();
  first.Definitions();

  pathwright::SheetDocument second;
  if (!second.Parse(written.bytes)) std::abort();
  pathwright::DirectoryLists readBack = second.Lists();
  for (std::wstring& list : readBack) {
    while (!list.empty() && list.back() == L';') list.pop_back();
  }
  if (readBack != lists) std::abort();
  return 0;
}
