// doctor: whether each platform of a C++ project imports that platform's per-user sheet, and whether
// the sheet exists and reads. The diagnosis is data; the command line renders it as text or JSON.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace pathwright {

struct PlatformDiagnosis {
  std::wstring platform;
  std::vector<std::wstring> configurations{};
  bool importsUserSheet = false;         // in every configuration
  std::wstring sheet{};                  // the platform's sheet in the folder looked at
  bool sheetExists = false;
  std::vector<std::wstring> problems{};  // none: all is well
};

struct ProjectDiagnosis {
  std::wstring project;
  std::wstring unreadable{};                   // why the project could not be read; empty when it was
  std::vector<PlatformDiagnosis> platforms{};  // those asked for, in the order the project names them

  // Nothing to judge: a readable project without a configuration of the platforms asked for.
  bool NoPlatform() const { return unreadable.empty() && platforms.empty(); }
};

// Whether the path names a solution (.sln) rather than a project.
bool IsSolutionPath(const std::wstring& path);

// The projects a path stands for: the .vcxproj files a solution (.sln) lists, as paths beside the
// solution, or the project itself. False with the reason when the solution cannot be read.
bool ProjectsOf(const std::wstring& path, std::vector<std::wstring>& projects, std::wstring& why);

// Diagnoses the platforms of a project (all of them, or the one named in any letter case) against
// the per-user sheets in `sheetFolder`.
ProjectDiagnosis DiagnoseProject(const std::wstring& project, const std::wstring& sheetFolder,
                                 const std::optional<std::wstring>& platform);

}  // namespace pathwright
