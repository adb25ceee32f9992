// Whether a C++ project brings in the per-user sheet: its platforms and configurations, and for each
// the imports in force. Projects from the IDE import $(UserRootDir)\Microsoft.Cpp.$(Platform).user.props
// under the label LocalAppDataPlatform; CMake's VS_USER_PROPS puts another file there; a hand-written
// project may import nothing of the kind.
#pragma once

#include <string>
#include <vector>

namespace pathwright {

struct PlatformImports {
  std::wstring platform;
  std::vector<std::wstring> configurations{};
  std::vector<std::wstring> withoutUserSheet{};  // configurations whose imports leave the per-user sheet out
  std::vector<std::wstring> importedInstead{};   // what stands in its place (LocalAppDataPlatform imports)
};

struct ProjectImports {
  std::vector<PlatformImports> platforms;  // in the order the project names them
};

// False with the reason when the file cannot be read or is not an MSBuild project.
bool ReadProjectImports(const std::wstring& path, ProjectImports& imports, std::wstring& why);

// The projects a solution lists (.vcxproj only), as written there: relative to the solution's folder.
bool ReadSolutionProjects(const std::wstring& path, std::vector<std::wstring>& projects, std::wstring& why);

// Evaluates an MSBuild condition for one configuration and platform, as far as these two decide it:
// '$(Configuration)|$(Platform)'=='Debug|x64', '$(Platform)'!='Win32', exists(...), and, or, parentheses.
// Whatever else a condition tests counts as true: the import is then taken to be in force.
bool ConditionHolds(const std::wstring& condition, const std::wstring& configuration, const std::wstring& platform);

}  // namespace pathwright
