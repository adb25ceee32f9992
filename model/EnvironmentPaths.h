// Environment variables in directory entries: a picked folder below a drive path held by a variable
// is written as $(NAME)\rest, and an entry that starts with $(NAME) is expanded again before the
// folder browser opens on it. The environment is passed in ("NAME=VALUE" entries in the order the
// C runtime lists them, and a lookup), so the rules are tested without touching the process.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Text.h"

namespace pathwright {

// Rewrites path as "$(NAME)" + the rest of the path, with NAME the variable that an MSBuild build can
// use and whose value, without its trailing backslashes, is the longest prefix of path in any letter
// case that ends at the end of path or at a backslash (equally long: the name first in ordinal order).
// A variable qualifies when
// - its name is an MSBuild property name: an ASCII letter or "_", then letters, digits and "_";
// - it is not ProgramFiles or CommonProgramFiles, whose values differ between 32- and 64-bit
//   processes (the IDE's MSBuild was 32-bit up to Visual Studio 2019);
// - its value is a single drive path (":\" first at position 1, no further ":") below the drive root.
// So TOOLS=D:\Tools\ turns D:\TOOLS\lib into $(TOOLS)\lib, but leaves D:\Tools2\x alone: MSBuild would
// expand $(TOOLS)2\x to D:\Tools\2\x, a different folder. The rest keeps the picked path's case.
std::wstring SubstituteEnvironment(const std::wstring& path, const std::vector<std::wstring>& environment);

// The folder an entry stands for when it starts with "$(NAME)": every "$(NAME)" in it replaced by
// the variable's value, or by nothing when it is not set, without doubling the backslash between a
// value that ends with one and a rest that starts with one. Other entries come back unchanged.
std::wstring ExpandLeadingReference(const std::wstring& entry,
                                    const std::function<std::optional<std::wstring>(const std::wstring&)>& lookup);

}  // namespace pathwright
