// check and doctor: what MSBuild will see of a user's sheets, and whether a project looks at them at all.
#include <algorithm>
#include <cstdlib>
#include <cwctype>
#include <filesystem>

#include "CommandSupport.h"
#include "Json.h"
#include "Platform.h"
#include "model/DirectoryKinds.h"
#include "model/ProjectImports.h"
#include "model/SheetCheck.h"
#include "model/SheetLocation.h"

namespace pathwright::cli {

namespace {
#ifdef _WIN32
constexpr wchar_t kSeparator = L'\\';
#else
constexpr wchar_t kSeparator = L'/';
#endif

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

std::wstring Joined(const std::vector<std::wstring>& words) {
  std::wstring text;
  for (const std::wstring& word : words) text += (text.empty() ? L"" : L", ") + word;
  return text;
}

std::wstring Count(size_t count, const wchar_t* one, const wchar_t* many) {
  return std::to_wstring(count) + L" " + (count == 1 ? one : many);
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

struct PlatformReport {
  Json json;
  bool healthy = false;
};

PlatformReport DoctorPlatform(const PlatformImports& platform, const std::wstring& folder) {
  std::vector<std::wstring> problems;
  const bool imported = platform.withoutUserSheet.empty();
  if (!imported) {
    std::wstring problem = L"the per-user sheet is not imported";
    if (platform.withoutUserSheet.size() < platform.configurations.size()) {
      problem += L" in " + Joined(platform.withoutUserSheet);
    }
    if (!platform.importedInstead.empty()) {
      problem += L"; in its place the project imports " + Joined(platform.importedInstead) +
                 L" (CMake's VS_USER_PROPS does this)";
    }
    problems.push_back(problem);
  }
  const std::wstring sheet = SheetInFolder(folder, platform.platform);
  const bool exists = PathExists(sheet);
  if (!exists) {
    problems.push_back(L"the sheet " + sheet + L" does not exist");
  } else {
    SheetSnapshot read;
    if (Result loaded = ReadSheet(sheet, read); !loaded)
      problems.push_back(L"the sheet " + sheet + L" cannot be read: " + loaded.why);
  }
  Json json = {{"platform", JsonText(platform.platform)}, {"configurations", Json::array()}};
  for (const std::wstring& configuration : platform.configurations)
    json["configurations"].push_back(JsonText(configuration));
  json["imports_user_sheet"] = imported;
  json["sheet"] = JsonText(sheet);
  json["sheet_exists"] = exists;
  json["problems"] = Json::array();
  for (const std::wstring& problem : problems) json["problems"].push_back(JsonText(problem));
  return {std::move(json), problems.empty()};
}

std::wstring PlatformText(const Json& platform) {
  std::wstring text = DecodeUtf8(platform["platform"].get<std::string>()) + L" (";
  for (const Json& configuration : platform["configurations"]) {
    text += (text.back() == L'(' ? L"" : L", ") + DecodeUtf8(configuration.get<std::string>());
  }
  const Json& problems = platform["problems"];
  if (problems.empty()) return text + L"): ok, imports " + DecodeUtf8(platform["sheet"].get<std::string>()) + L"\n";
  text += L"): " + Count(problems.size(), L"problem", L"problems") + L"\n";
  for (const Json& problem : problems) text += L"  " + DecodeUtf8(problem.get<std::string>()) + L"\n";
  return text;
}
}  // namespace

namespace {
std::wstring WithSeparator(const std::wstring& folder) {
  const bool ends = !folder.empty() && (folder.back() == kSeparator || folder.back() == L'/');
  return ends ? folder : folder + kSeparator;
}
}  // namespace

std::wstring SheetInFolder(const std::wstring& folder, const std::wstring& platform) {
  return WithSeparator(folder) + UserSheetName(platform);
}

std::optional<int> PickSheetFolder(const std::optional<std::wstring>& given, std::wstring& folder, Output& output) {
  if (given) {
    if (given->empty()) return UsageError(output, L"--folder is empty");
    folder = *given;
    return std::nullopt;
  }
  if (!kHasUserSheetFolder) {
    return UsageError(output, L"there is no per-user MSBuild folder on this system; name one with --folder DIR");
  }
  if (!FindUserSheetFolder(folder)) {
    output.err += L"pathwright-cli: cannot find the current user's local application data folder\n";
    return kExitUnreadable;
  }
  return std::nullopt;
}

std::vector<std::wstring> SheetsInFolder(const std::wstring& folder) {
  const std::wstring parent = WithSeparator(folder);
  std::vector<std::wstring> names = ListMatchingEntries(parent, UserSheetName(L"*"));
  std::sort(names.begin(), names.end(),
            [](const std::wstring& a, const std::wstring& b) { return Lower(a) < Lower(b); });
  std::vector<std::wstring> sheets;
  for (const std::wstring& name : names) {
    if (!IsFolder(parent + name)) sheets.push_back(parent + name);
  }
  return sheets;
}

std::optional<std::wstring> EnvironmentVariable(const std::wstring& name) {
#ifdef _WIN32
  const wchar_t* value = _wgetenv(name.c_str());
  if (!value) return std::nullopt;
  return std::wstring(value);
#else
  const char* value = std::getenv(EncodeUtf8(name).c_str());
  if (!value) return std::nullopt;
  return DecodeUtf8(value);
#endif
}

int WorseExit(int sofar, int next) {
  const auto rank = [](int code) { return code == kExitDone ? 0 : code == kExitProblems ? 1 : 2; };
  return rank(next) > rank(sofar) ? next : sofar;
}

int CheckSheets(const std::vector<std::wstring>& sheets, bool json, Output& output) {
  int code = kExitDone;
  Json all = Json::array();
  for (const std::wstring& sheet : sheets) {
    SheetSnapshot read;
    if (Result loaded = ReadSheet(sheet, read); !loaded) {
      code = WorseExit(code, ReadFailure(output, sheet, loaded.why));
      continue;
    }
    std::vector<SheetEntry> entries = EntriesInForce(read.document);
    JudgeEntries(entries, SheetProperties(read.document, EnvironmentVariable), IsFolder);
    std::stable_partition(entries.begin(), entries.end(), [](const SheetEntry& e) { return IsProblem(e.status); });
    const size_t problems =
        std::count_if(entries.begin(), entries.end(), [](const SheetEntry& e) { return IsProblem(e.status); });
    if (problems > 0) code = WorseExit(code, kExitProblems);

    Json report = {{"sheet", JsonText(sheet)}, {"entries", Json::array()}, {"problems", problems}};
    std::wstring text = sheets.size() > 1 ? L"== " + sheet + L"\n" : L"";
    for (const SheetEntry& e : entries) {
      Json entry = {{"kind", JsonText(kUserMacros[e.kind])},
                    {"entry", JsonText(e.entry)},
                    {"source", JsonText(SourceName(e.source))}};
      if (e.source == EntrySource::kConditional) entry["condition"] = JsonText(e.condition);
      entry["expanded"] = JsonText(e.expanded);
      entry["status"] = JsonText(StatusName(e.status));
      report["entries"].push_back(std::move(entry));

      std::wstring status = StatusName(e.status);
      status.resize(std::max<size_t>(status.size(), 10), L' ');
      text += status + L" " + kUserMacros[e.kind] + L" " + e.entry;
      if (e.expanded != e.entry) text += L" = " + e.expanded;
      text += std::wstring(L" (") + SourceName(e.source) + (e.condition.empty() ? L"" : L": " + e.condition) + L")\n";
    }
    text += Count(entries.size(), L"entry", L"entries") + L", " + Count(problems, L"problem", L"problems") + L"\n";
    if (json) {
      all.push_back(std::move(report));
    } else {
      output.out += text;
    }
  }
  if (json && !all.empty()) output.out += JsonOutput(sheets.size() > 1 ? all : all[0]);
  return code;
}

int DoctorProjects(const std::wstring& path, const std::wstring& folder, const std::optional<std::wstring>& platform,
                   bool json, Output& output) {
  std::vector<std::wstring> projects;
  const bool solution = Lower(path).ends_with(L".sln");
  if (solution) {
    std::wstring why;
    if (!ReadSolutionProjects(path, projects, why)) {
      output.err += L"pathwright-cli: cannot read " + path + L": " + why + L"\n";
      return kExitUnreadable;
    }
    for (std::wstring& project : projects) project = BesideSolution(path, project);
  } else {
    projects.push_back(path);
  }

  int code = kExitDone;
  Json all = Json::array();
  for (const std::wstring& project : projects) {
    ProjectImports imports;
    std::wstring why;
    Json report = {{"project", JsonText(project)}, {"platforms", Json::array()}};
    std::wstring text = solution ? L"== " + project + L"\n" : L"";
    if (!ReadProjectImports(project, imports, why)) {
      output.err += L"pathwright-cli: cannot read " + project + L": " + why + L"\n";
      code = WorseExit(code, kExitUnreadable);
      report["error"] = JsonText(why);
    }
    size_t shown = 0;
    for (const PlatformImports& p : imports.platforms) {
      if (platform && *platform != L"all" && Lower(*platform) != Lower(p.platform)) continue;
      PlatformReport checked = DoctorPlatform(p, folder);
      if (!checked.healthy) code = WorseExit(code, kExitProblems);
      text += PlatformText(checked.json);
      report["platforms"].push_back(std::move(checked.json));
      ++shown;
    }
    if (shown == 0 && why.empty()) {
      text += L"no platform to check: the project names no ProjectConfiguration" +
              std::wstring(platform ? L" for " + *platform : L"") + L"\n";
      code = WorseExit(code, kExitProblems);
    }
    if (json) {
      all.push_back(std::move(report));
    } else if (why.empty()) {
      output.out += text;
    }
  }
  if (json) output.out += JsonOutput(solution ? all : all[0]);
  return code;
}

}  // namespace pathwright::cli
