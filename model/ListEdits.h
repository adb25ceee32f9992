// The edits of one directory list the command line offers: set it, add or remove an entry, and
// apply's reconcile with the list a team wants. Each tells what it changed.
#pragma once

#include <string>
#include <vector>

#include "SheetCheck.h"

namespace pathwright {

struct ListChange {
  std::vector<std::wstring> added{};    // entries that came in, in list order
  std::vector<std::wstring> removed{};  // entries that went, in their old order
  bool changed = false;               // the list's text differs, if only by order, spelling or a final ";"
};

// The list becomes `value` as it stands.
ListChange SetList(std::wstring& list, const std::wstring& value);

// `entry` goes at the end, unless the list names its folder already (as Windows compares folders:
// any letter case, a final "\\" aside); then nothing changes.
ListChange AddEntry(std::wstring& list, const std::wstring& entry);

// Every entry naming the folder of `entry` (as Windows compares folders) goes; the others stay as
// they stand. Nothing changes when none does.
ListChange RemoveEntry(std::wstring& list, const std::wstring& entry);

enum class ReconcileMode {
  kEnsure,  // the wanted folders missing from the list are appended, in the order given
  kExact,   // the list becomes the wanted folders, each once, in the order given
};

// Makes the list hold the `wanted` entries, telling entries apart by the folder they name: expanded
// with `properties`, in any letter case, a final separator aside.
ListChange Reconcile(std::wstring& list, const std::vector<std::wstring>& wanted, ReconcileMode mode,
                     const PropertyLookup& properties);

}  // namespace pathwright
