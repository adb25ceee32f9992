// Whether a C++ project brings in the per-user sheet: its platforms and configurations, and for each
// the imports in force. Projects from the IDE import $(UserRootDir)\Microsoft.Cpp.$(Platform).user.props
// under the label LocalAppDataPlatform; CMake's VS_USER_PROPS puts another file there; a project that
// sets UserRootDir itself imports a sheet elsewhere; a hand-written project may import nothing of the kind.
//
// The project is evaluated as MSBuild reads it, in file order, for each configuration and platform:
// its own properties, then each import's conditions and path. What Microsoft's own files set before
// (UserRootDir) is given.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pathwright {

struct PlatformImports {
  std::wstring platform;
  std::vector<std::wstring> configurations{};
  std::vector<std::wstring> withoutUserSheet{};  // configurations whose imports leave the per-user sheet out
  // What stands in its place: the import labelled LocalAppDataPlatform, or one of a user sheet's name
  // elsewhere, as its path evaluates.
  std::vector<std::wstring> importedInstead{};
  bool setsUserRootDir = false;  // the project sets UserRootDir itself, in some configuration
};

struct ProjectImports {
  std::vector<PlatformImports> platforms;  // in the order the project names them
};

struct ImportContext {
  std::wstring userFolder;  // the folder of the per-user sheets: UserRootDir before the project changes it
  std::function<std::optional<std::wstring>(const std::wstring& name)> environment{};
  std::function<bool(const std::wstring& path)> exists{};  // a file of a per-user sheet's name counts as there
};

// False with the reason when the file cannot be read or is not an MSBuild project.
bool ReadProjectImports(const std::wstring& path, const ImportContext& context, ProjectImports& imports,
                        std::wstring& why);

// The same for a project's bytes; `projectPath` names it for $(MSBuildProjectDirectory) and relative imports.
bool ParseProjectImports(std::string_view bytes, const std::wstring& projectPath, const ImportContext& context,
                         ProjectImports& imports, std::wstring& why);

// The projects a solution lists (.vcxproj only), as written there: relative to the solution's folder.
bool ReadSolutionProjects(const std::wstring& path, std::vector<std::wstring>& projects, std::wstring& why);

}  // namespace pathwright
