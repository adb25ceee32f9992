// The process environment, as the C runtime keeps it: the one place that reads it, for the command
// line tool's checks and the list editor's substitution alike.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace pathwright {

// The value of a variable (its name in any letter case on Windows); none when it is not set.
std::optional<std::wstring> EnvironmentVariable(const std::wstring& name);

// Every variable as "NAME=VALUE", in the runtime's order, read afresh on each call.
std::vector<std::wstring> EnvironmentEntries();

}  // namespace pathwright
