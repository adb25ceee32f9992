// The seven VC++ directory settings a user property sheet carries, in their fixed order.
// The index of a kind is its identity everywhere: record slot and write order.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace pathwright {

inline constexpr int kKindCount = 7;

// The user's own list of each kind, indexed by kind; a list is one string of ";"-separated entries.
using DirectoryLists = std::array<std::wstring, kKindCount>;

// Fixed English titles; the list editor shows them, they are never translated.
extern const std::array<const wchar_t*, kKindCount> kKindTitles;
// MSBuild properties holding the user's own list ("UserInclude"...).
extern const std::array<const wchar_t*, kKindCount> kUserMacros;
// MSBuild properties the build tools read ("IncludePath"...).
extern const std::array<const wchar_t*, kKindCount> kPathProperties;

// "$(UserInclude);$(IncludePath)": the user's folders first, then whatever was inherited.
std::wstring ComposedPathValue(int kind);

// Kind named by its user macro, its path property or one short word (executable, include,
// reference, library, winrt, source, exclude), in any letter case; -1 when nothing matches.
int KindFromName(std::wstring_view name);

}  // namespace pathwright
