#include "ProjectImports.h"

#include <algorithm>
#include <cwctype>

#include <pugixml.hpp>

#include "EnvironmentPaths.h"
#include "InputLimits.h"
#include "base/FileSystem.h"
#include "base/Utf8.h"

namespace pathwright {

namespace {
std::wstring_view Trim(std::wstring_view text) {
  const size_t first = text.find_first_not_of(L" \t\r\n");
  if (first == std::wstring_view::npos) return {};
  return text.substr(first, text.find_last_not_of(L" \t\r\n") - first + 1);
}

std::wstring Replace(std::wstring text, std::wstring_view from, std::wstring_view to) {
  for (size_t at = 0; (at = text.find(from, at)) != std::wstring::npos; at += to.size())
    text.replace(at, from.size(), to);
  return text;
}

// The first top-level occurrence of the word (" or ", " and ") outside quotes and parentheses.
size_t FindOperator(std::wstring_view lower, std::wstring_view word) {
  int depth = 0;
  bool quoted = false;
  for (size_t i = 0; i < lower.size(); ++i) {
    const wchar_t c = lower[i];
    if (c == L'\'') quoted = !quoted;
    if (quoted) continue;
    if (c == L'(') ++depth;
    if (c == L')') --depth;
    if (depth == 0 && lower.substr(i, word.size()) == word) return i;
  }
  return std::wstring_view::npos;
}

bool Holds(std::wstring_view condition, const std::wstring& configuration, const std::wstring& platform, int depth) {
  condition = Trim(condition);
  if (condition.empty() || depth > 32) return true;
  const std::wstring lower = LowerCase(condition);
  for (const std::wstring_view word : {std::wstring_view(L" or "), std::wstring_view(L" and ")}) {
    if (const size_t at = FindOperator(lower, word); at != std::wstring_view::npos) {
      const bool left = Holds(condition.substr(0, at), configuration, platform, depth + 1);
      const bool right = Holds(condition.substr(at + word.size()), configuration, platform, depth + 1);
      return word == L" or " ? left || right : left && right;
    }
  }
  if (condition.front() == L'(' && condition.back() == L')') {
    return Holds(condition.substr(1, condition.size() - 2), configuration, platform, depth + 1);
  }
  const size_t equal = lower.find(L"==");
  const size_t unequal = lower.find(L"!=");
  const size_t op = std::min(equal, unequal);
  if (op == std::wstring::npos) return true;  // exists(...) and whatever else: assumed
  const auto side = [&](std::wstring_view text) {
    text = Trim(text);
    if (text.size() >= 2 && text.front() == L'\'' && text.back() == L'\'') text = text.substr(1, text.size() - 2);
    std::wstring value = Replace(Replace(LowerCase(text), L"$(configuration)", LowerCase(configuration)),
                                 L"$(platform)", LowerCase(platform));
    return value;
  };
  const std::wstring left = side(lower.substr(0, op)), right = side(lower.substr(op + 2));
  if (left.find(L"$(") != std::wstring::npos || right.find(L"$(") != std::wstring::npos) return true;
  return (left == right) == (op == equal);
}

bool IsUserSheetImport(const std::wstring& project, const std::wstring& platform) {
  const std::wstring path = Replace(Replace(LowerCase(project), L"/", L"\\"), L"$(platform)", LowerCase(platform));
  const std::wstring name = L"microsoft.cpp." + LowerCase(platform) + L".user.props";
  return path == name || (path.size() > name.size() && path.ends_with(L"\\" + name));
}

bool LoadXml(const std::wstring& path, pugi::xml_document& doc, std::wstring& why) {
  std::string bytes;
  if (Result read = ReadFileBytes(path, bytes, {.maxFileSize = kMaxProjectBytes}); !read) {
    why = read.why;
    return false;
  }
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
}  // namespace

bool ConditionHolds(const std::wstring& condition, const std::wstring& configuration, const std::wstring& platform) {
  return Holds(condition, configuration, platform, 0);
}

bool ReadProjectImports(const std::wstring& path, ProjectImports& imports, std::wstring& why) {
  imports = {};
  pugi::xml_document doc;
  if (!LoadXml(path, doc, why)) return false;
  const pugi::xml_node project = doc.child(L"Project");

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
      bool imported = false;
      const auto consider = [&](const pugi::xml_node& import, const pugi::xml_node& group) {
        if (!ConditionHolds(group.attribute(L"Condition").value(), configuration, platform.platform) ||
            !ConditionHolds(import.attribute(L"Condition").value(), configuration, platform.platform)) {
          return;
        }
        const std::wstring file = import.attribute(L"Project").value();
        if (IsUserSheetImport(file, platform.platform)) {
          imported = true;
        } else if (LowerCase(import.attribute(L"Label").value()) == L"localappdataplatform" &&
                   std::find(platform.importedInstead.begin(), platform.importedInstead.end(), file) ==
                       platform.importedInstead.end()) {
          platform.importedInstead.push_back(file);
        }
      };
      for (pugi::xml_node child : project.children()) {
        if (std::wstring_view(child.name()) == L"Import") consider(child, pugi::xml_node());
        if (std::wstring_view(child.name()) != L"ImportGroup") continue;
        for (pugi::xml_node import : child.children(L"Import")) consider(import, child);
      }
      if (!imported) platform.withoutUserSheet.push_back(configuration);
    }
  }
  return true;
}

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
