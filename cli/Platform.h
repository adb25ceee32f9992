// What differs between Windows and Linux for the command line: where the current user's sheets
// live, and how text reaches the console or a pipe. Everything else in cli/ is portable.
#pragma once

#include <string>
#include <string_view>

#include "base/FileSystem.h"

namespace pathwright::cli {

#ifdef _WIN32
inline constexpr bool kHasUserSheetFolder = true;
#else
// Linux has no per-user MSBuild folder, so every command needs its sheet named.
inline constexpr bool kHasUserSheetFolder = false;
#endif

// The folder of the current user's sheets (see model/SheetLocation.h). False when the shell cannot
// tell where the local application data folder is (and always on Linux).
bool FindUserSheetFolder(std::wstring& folder);

// Text for standard output and standard error. A Windows console gets the characters themselves;
// a pipe or file gets UTF-8 bytes, on every system. Fails when not all of it could be written (a
// full disk, a closed pipe).
Result WriteOutput(std::wstring_view text);
Result WriteError(std::wstring_view text);

}  // namespace pathwright::cli
