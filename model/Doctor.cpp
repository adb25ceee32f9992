#include "Doctor.h"

#include <algorithm>

#include "EditSession.h"
#include "EnvironmentPaths.h"
#include "ProjectImports.h"
#include "SheetLocation.h"
#include "base/Environment.h"
#include "base/FileSystem.h"

namespace pathwright {

namespace {
#ifdef _WIN32
constexpr wchar_t kSeparator = L'\\';
#else
constexpr wchar_t kSeparator = L'/';
#endif

std::wstring Joined(const std::vector<std::wstring>& words) {
  std::wstring text;
  for (const std::wstring& word : words) text += (text.empty() ? L"" : L", ") + word;
  return text;
}

// A path in a solution is relative to the solution's folder and written with backslashes.
std::wstring BesideSolution(const std::wstring& solution, std::wstring relative) {
  if (kSeparator == L'/') std::replace(relative.begin(), relative.end(), L'\\', L'/');
  const size_t slash = solution.find_last_of(kSeparator == L'/' ? L"/" : L"\\/");
  if (slash == std::wstring::npos || relative.starts_with(kSeparator) || (relative.size() > 1 && relative[1] == L':')) {
    return relative;
  }
  return solution.substr(0, slash + 1) + relative;
}

PlatformDiagnosis DiagnosePlatform(const PlatformImports& platform, const std::wstring& folder) {
  PlatformDiagnosis diagnosis{.platform = platform.platform,
                              .configurations = platform.configurations,
                              .importsUserSheet = platform.withoutUserSheet.empty(),
                              .sheet = SheetInFolder(folder, platform.platform)};
  if (!diagnosis.importsUserSheet) {
    std::wstring problem = L"the per-user sheet is not imported";
    if (platform.withoutUserSheet.size() < platform.configurations.size()) {
      problem += L" in " + Joined(platform.withoutUserSheet);
    }
    if (platform.setsUserRootDir && !platform.importedInstead.empty()) {
      problem += L"; the project sets UserRootDir itself and imports " + Joined(platform.importedInstead) + L" instead";
    } else if (!platform.importedInstead.empty()) {
      problem += L"; in its place the project imports " + Joined(platform.importedInstead) +
                 L" (CMake's VS_USER_PROPS does this)";
    }
    diagnosis.problems.push_back(problem);
  }
  diagnosis.sheetExists = PathExists(diagnosis.sheet);
  if (!diagnosis.sheetExists) {
    diagnosis.problems.push_back(L"the sheet " + diagnosis.sheet + L" does not exist");
    return diagnosis;
  }
  SheetSnapshot read;
  if (const Result loaded = ReadSheet(diagnosis.sheet, read); !loaded) {
    diagnosis.problems.push_back(L"the sheet " + diagnosis.sheet + L" cannot be read: " + loaded.why);
  }
  return diagnosis;
}
}  // namespace

bool IsSolutionPath(const std::wstring& path) { return LowerCase(path).ends_with(L".sln"); }

bool ProjectsOf(const std::wstring& path, std::vector<std::wstring>& projects, std::wstring& why) {
  projects.clear();
  if (!IsSolutionPath(path)) {
    projects.push_back(path);
    return true;
  }
  if (!ReadSolutionProjects(path, projects, why)) return false;
  for (std::wstring& project : projects) project = BesideSolution(path, project);
  return true;
}

ProjectDiagnosis DiagnoseProject(const std::wstring& project, const std::wstring& sheetFolder,
                                 const std::optional<std::wstring>& platform) {
  ProjectDiagnosis diagnosis{.project = project};
  ProjectImports imports;
  const ImportContext context{.userFolder = sheetFolder, .environment = EnvironmentVariable, .exists = PathExists};
  if (!ReadProjectImports(project, context, imports, diagnosis.unreadable)) return diagnosis;
  for (const PlatformImports& p : imports.platforms) {
    if (platform && *platform != L"all" && LowerCase(*platform) != LowerCase(p.platform)) continue;
    diagnosis.platforms.push_back(DiagnosePlatform(p, sheetFolder));
  }
  return diagnosis;
}

}  // namespace pathwright
