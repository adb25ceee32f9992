// A set of environment variables as plain data: the portable rules take it in place of the current
// process's environment, so they can work with the one another program will start with.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Text.h"

namespace pathwright {

struct EnvironmentEntry {
  std::wstring name;
  std::wstring value;
};

struct EnvironmentBlock {
  // Each name once, in the order of their upper-case forms, as in a Windows environment block.
  std::vector<EnvironmentEntry> variables;

  // Names compare without regard to case, as Windows compares them.
  static bool SameName(std::wstring_view a, std::wstring_view b) { return SameText(a, b); }

  std::optional<std::wstring> Find(std::wstring_view name) const {
    for (const EnvironmentEntry& variable : variables) {
      if (SameName(variable.name, name)) return variable.value;
    }
    return std::nullopt;
  }

  // "NAME=VALUE" entries, the form the C runtime lists the process environment in.
  std::vector<std::wstring> Entries() const {
    std::vector<std::wstring> entries;
    entries.reserve(variables.size());
    for (const EnvironmentEntry& variable : variables) entries.push_back(variable.name + L"=" + variable.value);
    return entries;
  }
};

}  // namespace pathwright
