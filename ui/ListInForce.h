// What else MSBuild takes into each path property besides the user's own list, in words the user
// reads: the list editor shows it as read-only lines around the list, the main window marks a list
// that no path property uses.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "model/DirectoryKinds.h"
#include "model/SheetDocument.h"

namespace pathwright {

// An entry in force that the user's list does not hold, and where it is written.
struct FixedLine {
  std::wstring entry;  // as written: C:\inline, $(IncludePath)
  std::wstring where;  // "written in IncludePath"
};

struct ListSurroundings {
  std::vector<FixedLine> before;  // in MSBuild's order, before the user's entries
  std::vector<FixedLine> after;   // and after them
  std::wstring unusedNote;        // "defined, but IncludePath does not use it"; empty when it is used
};

// The sheet evaluated as a build would see it from this process's environment; nothing for no sheet.
std::array<ListSurroundings, kKindCount> SurroundingsOf(const SheetDocument* sheet);

}  // namespace pathwright
