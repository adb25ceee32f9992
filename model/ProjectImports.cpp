#include "ProjectImports.h"

#include <algorithm>
#include <cwctype>

#include <pugixml.hpp>

#include "EnvironmentPaths.h"
#include "MsBuildEvaluator.h"
#include "SheetLocation.h"
#include "InputLimits.h"
#include "base/FileSystem.h"
#include "base/Utf8.h"

namespace pathwright {

namespace {
bool IsUserSheetName(std::wstring_view path) {
  const size_t slash = path.find_last_of(L"\\/");
  const std::wstring name = LowerCase(slash == std::wstring_view::npos ? path : path.substr(slash + 1));
  return name.starts_with(L"microsoft.cpp.") && name.ends_with(L".user.props");
}

bool IsAbsolutePath(std::wstring_view path) {
  return path.starts_with(L'\\') || path.starts_with(L'/') || (path.size() > 1 && path[1] == L':');
}

std::wstring FolderOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? L"" : path.substr(0, slash);
}

bool LoadXml(std::string_view bytes, pugi::xml_document& doc, std::wstring& why) {
  const pugi::xml_parse_result parsed =
      doc.load_buffer(bytes.data(), bytes.size(), pugi::parse_default, pugi::encoding_auto);
  if (!parsed) {
    why = L"not well-formed XML: " + DecodeUtf8(parsed.description());
    return false;
  }
  if (!doc.child(L"Project")) {
    why = L"not an MSBuild project (the top element is not Project)";
    return false;
  }
  return true;
}

void ImportsOf(const pugi::xml_node& project, const std::wstring& projectPath, const ImportContext& context,
               ProjectImports& imports);

// One configuration of one platform, read as MSBuild reads the project: properties and imports in
// file order, every clause of every condition evaluated.
class ImportWalk {
 public:
  ImportWalk(const std::wstring& projectPath, const ImportContext& context, const std::wstring& configuration,
             PlatformImports& platform)
      : m_folder(FolderOf(projectPath)),
        m_userSheet(context.userFolder + L"\\" + UserSheetName(platform.platform)),
        m_platform(platform),
        m_evaluator(EvaluationContext{
            .global = [configuration, name = platform.platform](const std::wstring& n) -> std::optional<std::wstring> {
              if (LowerCase(n) == L"configuration") return configuration;
              if (LowerCase(n) == L"platform") return name;
              return std::nullopt;
            },
            .preset = [this, projectPath, userFolder = context.userFolder](
                          const std::wstring& n) -> std::optional<std::wstring> {
              const std::wstring lower = LowerCase(n);
              if (lower == L"userrootdir") return userFolder;
              if (lower == L"msbuildprojectdirectory") return m_folder;
              if (lower == L"msbuildprojectfullpath") return projectPath;
              return std::nullopt;
            },
            .environment = context.environment,
            // A sheet of the per-user name counts as there wherever it is looked for: the question is
            // which one the project would import, not whether it has been made yet.
            .exists = [this, exists = context.exists](const std::wstring& path) {
              const std::wstring full = Resolved(path);
              return IsUserSheetName(full) || (exists && exists(full));
            },
            .valuesOnly = true}) {}

  // Whether the per-user sheet is imported in this configuration.
  bool Walk(const pugi::xml_node& project) {
    for (pugi::xml_node child : project.children()) {
      const std::wstring_view name = child.name();
      if (name == L"PropertyGroup") Define(child);
      if (name == L"Import") Consider(child, {});
      if (name != L"ImportGroup") continue;
      for (pugi::xml_node import : child.children(L"Import")) Consider(import, child);
    }
    return m_imported;
  }

 private:
  std::wstring Resolved(const std::wstring& path) const {
    return IsAbsolutePath(path) || m_folder.empty() ? path : m_folder + L"\\" + path;
  }

  // A condition MSBuild refuses leaves the import out; one only a real build decides is taken to hold.
  bool Holds(const pugi::xml_node& node) const {
    if (!node) return true;
    const ConditionResult result = m_evaluator.Condition(node.attribute(L"Condition").value());
    return !result.Malformed() && result.truth != Truth::kFalse;
  }

  void Define(const pugi::xml_node& group) {
    ++m_group;
    for (pugi::xml_node element : group.children()) {
      if (element.type() != pugi::node_element) continue;
      const DefinitionResult result = m_evaluator.Define({.name = element.name(),
                                                          .value = element.text().get(),
                                                          .condition = element.attribute(L"Condition").value(),
                                                          .groupCondition = group.attribute(L"Condition").value(),
                                                          .group = m_group},
                                                         m_index++, m_problems);
      if (result.applied == Applied::kYes && LowerCase(element.name()) == L"userrootdir") {
        m_platform.setsUserRootDir = true;
      }
    }
  }

  void Consider(const pugi::xml_node& import, const pugi::xml_node& group) {
    if (!Holds(group) || !Holds(import)) return;
    const std::wstring path = Resolved(m_evaluator.Expand(import.attribute(L"Project").value()).text);
    if (SameFolder(path, m_userSheet)) {
      m_imported = true;
      return;
    }
    std::vector<std::wstring>& instead = m_platform.importedInstead;
    const bool standsIn = LowerCase(import.attribute(L"Label").value()) == L"localappdataplatform" ||
                          IsUserSheetName(path);
    if (standsIn && std::find(instead.begin(), instead.end(), path) == instead.end()) instead.push_back(path);
  }

  const std::wstring m_folder;
  const std::wstring m_userSheet;
  PlatformImports& m_platform;
  PropertyEvaluator m_evaluator;
  std::vector<EvaluationProblem> m_problems;
  size_t m_group = 0, m_index = 0;
  bool m_imported = false;
};
}  // namespace

bool ReadProjectImports(const std::wstring& path, const ImportContext& context, ProjectImports& imports,
                        std::wstring& why) {
  imports = {};
  pugi::xml_document doc;
  {
    // The bytes go once parsed: the document holds all of them again, and a project may be large.
    std::string bytes;
    if (Result read = ReadFileBytes(path, bytes, {.maxFileSize = kMaxProjectBytes}); !read) {
      why = read.why;
      return false;
    }
    if (!LoadXml(bytes, doc, why)) return false;
  }
  ImportsOf(doc.child(L"Project"), path, context, imports);
  return true;
}

bool ParseProjectImports(std::string_view bytes, const std::wstring& projectPath, const ImportContext& context,
                         ProjectImports& imports, std::wstring& why) {
  imports = {};
  pugi::xml_document doc;
  if (!LoadXml(bytes, doc, why)) return false;
  ImportsOf(doc.child(L"Project"), projectPath, context, imports);
  return true;
}

namespace {
void ImportsOf(const pugi::xml_node& project, const std::wstring& projectPath, const ImportContext& context,
               ProjectImports& imports) {

  for (pugi::xml_node group : project.children(L"ItemGroup")) {
    for (pugi::xml_node item : group.children(L"ProjectConfiguration")) {
      const std::wstring include = item.attribute(L"Include").value();
      const size_t bar = include.find(L'|');
      std::wstring configuration =
          item.child(L"Configuration") ? item.child_value(L"Configuration") : include.substr(0, bar);
      std::wstring platform = item.child(L"Platform") ? item.child_value(L"Platform")
                                                      : (bar == std::wstring::npos ? L"" : include.substr(bar + 1));
      if (configuration.empty() || platform.empty()) continue;
      auto found = std::find_if(imports.platforms.begin(), imports.platforms.end(),
                                [&](const PlatformImports& p) { return LowerCase(p.platform) == LowerCase(platform); });
      if (found == imports.platforms.end())
        found = imports.platforms.insert(found, PlatformImports{.platform = platform});
      if (std::find(found->configurations.begin(), found->configurations.end(), configuration) ==
          found->configurations.end()) {
        found->configurations.push_back(configuration);
      }
    }
  }

  for (PlatformImports& platform : imports.platforms) {
    for (const std::wstring& configuration : platform.configurations) {
      if (!ImportWalk(projectPath, context, configuration, platform).Walk(project)) {
        platform.withoutUserSheet.push_back(configuration);
      }
    }
  }
}
}  // namespace

bool ReadSolutionProjects(const std::wstring& path, std::vector<std::wstring>& projects, std::wstring& why) {
  projects.clear();
  std::string bytes;
  if (Result read = ReadFileBytes(path, bytes, {.maxFileSize = kMaxProjectBytes}); !read) {
    why = read.why;
    return false;
  }
  const std::wstring text = DecodeUtf8(StartsWithUtf8Bom(bytes) ? std::string_view(bytes).substr(3) : bytes);
  if (text.find(L"Microsoft Visual Studio Solution File") == std::wstring::npos) {
    why = L"not a Visual Studio solution file";
    return false;
  }
  // Project("{type}") = "Name", "folder\name.vcxproj", "{guid}"
  for (size_t at = 0; (at = text.find(L"Project(\"", at)) != std::wstring::npos; ++at) {
    const size_t lineEnd = std::min(text.find(L'\n', at), text.size());
    const std::wstring_view line = std::wstring_view(text).substr(at, lineEnd - at);
    std::vector<std::wstring> quoted;  // after "=": the name, the path, the id
    for (size_t open = line.find(L'"', line.find(L'=')); open < line.size();) {
      const size_t close = line.find(L'"', open + 1);
      if (close == std::wstring_view::npos) break;
      quoted.emplace_back(line.substr(open + 1, close - open - 1));
      open = line.find(L'"', close + 1);
    }
    if (quoted.size() >= 2 && LowerCase(quoted[1]).ends_with(L".vcxproj")) projects.push_back(quoted[1]);
  }
  return true;
}

}  // namespace pathwright
