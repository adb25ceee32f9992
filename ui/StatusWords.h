// The words and icon of each entry judgement: one table for the list editor's status column and the
// main window's row marks, so both say the same thing of the same entry.
#pragma once

#include <cstdint>

#include "model/SheetCheck.h"

namespace pathwright {

// Positions in the status icon list; kIconNone shows none.
enum StatusIcon { kIconNone = -1, kIconProblem, kIconWarning, kIconNote };

struct StatusShown {
  uint32_t words;  // a text number
  StatusIcon icon;
};

StatusShown ShownFor(EntryStatus status);

}  // namespace pathwright
