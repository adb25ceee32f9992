// The environment Visual Studio gets at its next start from the Start menu or Explorer: not this
// process's own (a shell may have set variables for itself and its children alone), but the one
// Windows builds for a new program of the user from the registry.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/EnvironmentBlock.h"

namespace pathwright {

// A string value of an environment key: REG_SZ, or REG_EXPAND_SZ when `expand` is set.
struct RegistryString {
  std::wstring name;
  std::wstring value;
  bool expand = false;
};

// The variables Windows sets itself (the profile folders, SystemRoot, ...), then those of
// HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment, then those of HKCU\Environment,
// merged as Windows merges them. A key that cannot be read adds nothing.
EnvironmentBlock ReadPersistentEnvironment();

// The merge on its own: `builtIn` first, then the system's values, then the user's, each replacing a
// variable of the same name, except that the user's Path, LibPath and Os2LibPath are appended to the
// system's after a ";". Within each key the plain values are set first, then the REG_EXPAND_SZ ones,
// each expanded against the variables set so far. An empty value sets nothing.
EnvironmentBlock MergePersistentEnvironment(std::vector<EnvironmentEntry> builtIn,
                                            const std::vector<RegistryString>& system,
                                            const std::vector<RegistryString>& user);

// Every "%NAME%" of a variable in `environment` replaced by its value, as ExpandEnvironmentStringsW
// does with the process's environment; "%UNKNOWN%", "%%" and a lone "%" stay as written.
std::wstring ExpandVariables(std::wstring_view text, const EnvironmentBlock& environment);

}  // namespace pathwright
