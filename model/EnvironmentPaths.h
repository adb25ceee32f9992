// Environment variables in directory entries: a picked folder below a drive path held by a variable
// is written as $(NAME)\rest, and an entry that starts with $(NAME) is expanded again before the
// folder browser opens on it. The environment is passed in ("NAME=VALUE" entries in the order the
// C runtime lists them, and a lookup), so the rules are tested without touching the process.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pathwright {

// Rewrites path as "$(NAME)" + the rest of the path for the first variable whose value qualifies
// (a single drive path: ":\" first at position 1, no further ":") and, without its trailing
// backslashes, is a prefix of path in any letter case that ends at the end of path or at a backslash.
// So TOOLS=D:\Tools\ turns D:\TOOLS\lib into $(TOOLS)\lib, but leaves D:\Tools2\x alone: MSBuild would
// expand $(TOOLS)2\x to D:\Tools\2\x, a different folder. The rest keeps the picked path's case.
std::wstring SubstituteEnvironment(const std::wstring& path, const std::vector<std::wstring>& environment);

// The folder an entry stands for when it starts with "$(NAME)": every "$(NAME)" in it replaced by
// the variable's value, or by nothing when it is not set. Other entries come back unchanged.
std::wstring ExpandLeadingReference(const std::wstring& entry,
                                    const std::function<std::optional<std::wstring>(const std::wstring&)>& lookup);

}  // namespace pathwright
