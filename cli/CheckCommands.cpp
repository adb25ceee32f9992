// check and doctor: what MSBuild will see of a user's sheets, and whether a project looks at them at
// all. The judgements are the model's; here they become text or JSON.
#include <algorithm>

#include "CommandSupport.h"
#include "Json.h"
#include "model/Doctor.h"
#include "base/FileSystem.h"
#include "model/SheetCheck.h"

namespace pathwright::cli {

namespace {
std::wstring Count(size_t count, const wchar_t* one, const wchar_t* many) {
  return std::to_wstring(count) + L" " + (count == 1 ? one : many);
}

Json EntryJson(const SheetEntry& e) {
  Json entry = {{"kind", JsonText(kUserMacros[e.kind])},
                {"entry", JsonText(e.entry)},
                {"source", JsonText(SourceName(e.source))}};
  if (!e.condition.empty()) entry["condition"] = JsonText(e.condition);
  entry["expanded"] = JsonText(e.expanded);
  entry["status"] = JsonText(StatusName(e.status));
  if (!e.note.empty()) entry["note"] = JsonText(e.note);
  return entry;
}

// "status     UserInclude entry = expanded (source: condition; note)", added to `out`.
void AppendEntryLine(std::wstring& out, const SheetEntry& e) {
  const size_t start = out.size();
  out += StatusName(e.status);
  out.resize(std::max(out.size(), start + 10), L' ');
  ((out += L" ") += kUserMacros[e.kind]) += L" ";
  out += e.entry;
  if (e.expanded != e.entry) (out += L" = ") += e.expanded;
  (out += L" (") += SourceName(e.source);
  if (!e.condition.empty()) (out += L": ") += e.condition;
  if (!e.note.empty()) (out += L"; ") += e.note;
  out += L")\n";
}

// The length of every line together, so the report takes its room once: grown step by step, a long
// report would hold two copies of itself while it moves.
size_t LinesLength(const std::vector<SheetEntry>& entries) {
  std::wstring line;
  size_t length = 0;
  for (const SheetEntry& e : entries) {
    line.clear();
    AppendEntryLine(line, e);
    length += line.size();
  }
  return length;
}

// Every entry in force, judged.
std::vector<SheetEntry> JudgedEntries(const std::wstring& path, const SheetDocument& sheet, Deadline deadline) {
  std::vector<SheetEntry> entries =
      EntriesInForce(sheet.Definitions(path), CheckContext(path, EnvironmentVariable, PathExists));
  JudgeEntries(entries, IsFolder, deadline);
  return entries;
}

// The entries in their order, problems first; visited in two passes rather than reordered, which
// would take a second copy of a long list.
template <typename Visit>
void ProblemsFirst(const std::vector<SheetEntry>& entries, const Visit& visit) {
  for (const bool problems : {true, false}) {
    for (const SheetEntry& e : entries) {
      if (IsProblem(e.status) == problems) visit(e);
    }
  }
}

Json PlatformJson(const PlatformDiagnosis& p) {
  Json json = {{"platform", JsonText(p.platform)}, {"configurations", Json::array()}};
  for (const std::wstring& configuration : p.configurations) json["configurations"].push_back(JsonText(configuration));
  json["imports_user_sheet"] = p.importsUserSheet;
  json["sheet"] = JsonText(p.sheet);
  json["sheet_exists"] = p.sheetExists;
  json["problems"] = Json::array();
  for (const std::wstring& problem : p.problems) json["problems"].push_back(JsonText(problem));
  return json;
}

std::wstring PlatformText(const PlatformDiagnosis& p) {
  std::wstring text = p.platform + L" (";
  for (size_t i = 0; i < p.configurations.size(); ++i) text += (i ? L", " : L"") + p.configurations[i];
  if (p.problems.empty()) return text + L"): ok, imports " + p.sheet + L"\n";
  text += L"): " + Count(p.problems.size(), L"problem", L"problems") + L"\n";
  for (const std::wstring& problem : p.problems) text += L"  " + problem + L"\n";
  return text;
}

// One project's report; the exit code it comes to.
int ReportProject(const ProjectDiagnosis& d, const Invocation& inv, bool solution, Json& all, Output& output) {
  int code = kExitDone;
  Json report = {{"project", JsonText(d.project)}, {"platforms", Json::array()}};
  std::wstring text = solution ? L"== " + d.project + L"\n" : L"";
  if (!d.unreadable.empty()) {
    code = ReadFailure(output, d.project, d.unreadable);
    report["error"] = JsonText(d.unreadable);
  }
  for (const PlatformDiagnosis& p : d.platforms) {
    if (!p.problems.empty()) code = WorseExit(code, kExitProblems);
    text += PlatformText(p);
    report["platforms"].push_back(PlatformJson(p));
  }
  if (d.NoPlatform()) {
    text += L"no platform to check: the project names no ProjectConfiguration" +
            std::wstring(inv.platform ? L" for " + *inv.platform : L"") + L"\n";
    code = WorseExit(code, kExitProblems);
  }
  if (inv.json) {
    all.push_back(std::move(report));
  } else if (d.unreadable.empty()) {
    output.out += text;
  }
  return code;
}
}  // namespace

int CheckSheets(const Invocation& inv, Output& output) {
  // One deadline for the whole run, however many sheets and folders: the run ends about then.
  const Deadline deadline = std::chrono::steady_clock::now() + kFolderAnswerLimit;
  const bool several = inv.sheets.size() > 1;
  int code = kExitDone;
  Json all = Json::array();
  for (const std::wstring& sheet : inv.sheets) {
    SheetSnapshot read;
    if (Result loaded = ReadSheet(sheet, read); !loaded) {
      code = WorseExit(code, ReadFailure(output, sheet, loaded.why));
      continue;
    }
    const std::vector<SheetEntry> entries = JudgedEntries(sheet, read.document, deadline);
    const size_t problems =
        std::count_if(entries.begin(), entries.end(), [](const SheetEntry& e) { return IsProblem(e.status); });
    if (problems > 0) code = WorseExit(code, kExitProblems);
    if (inv.json) {
      Json report = {{"sheet", JsonText(sheet)}, {"entries", Json::array()}, {"problems", problems}};
      ProblemsFirst(entries, [&](const SheetEntry& e) { report["entries"].push_back(EntryJson(e)); });
      all.push_back(std::move(report));
      continue;
    }
    if (several) output.out += L"== " + sheet + L"\n";
    const std::wstring summary =
        Count(entries.size(), L"entry", L"entries") + L", " + Count(problems, L"problem", L"problems") + L"\n";
    output.out.reserve(output.out.size() + LinesLength(entries) + summary.size());
    ProblemsFirst(entries, [&](const SheetEntry& e) { AppendEntryLine(output.out, e); });
    output.out += summary;
  }
  if (inv.json && !all.empty()) output.out += JsonOutput(several ? all : all[0]);
  return code;
}

int DoctorProjects(const Invocation& inv, Output& output) {
  std::vector<std::wstring> projects;
  if (std::wstring why; !ProjectsOf(inv.file, projects, why)) return ReadFailure(output, inv.file, why);
  const bool solution = IsSolutionPath(inv.file);
  int code = kExitDone;
  Json all = Json::array();
  for (const std::wstring& project : projects) {
    code = WorseExit(code, ReportProject(DiagnoseProject(project, inv.sheetFolder, inv.platform), inv, solution, all,
                                         output));
  }
  if (inv.json) output.out += JsonOutput(solution ? all : all[0]);
  return code;
}

}  // namespace pathwright::cli
