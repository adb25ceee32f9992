// What MSBuild sees in a sheet: every directory entry in force, in MSBuild's order, wherever in the
// sheet it is written, expanded as MSBuild expands it and judged (folder there, missing, written in a
// form MSBuild does not expand, set by Visual Studio, defined but never used, ...).
// The environment and the file system are passed in, so the rules are tested without either.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "MsBuildEvaluator.h"
#include "SheetDocument.h"

namespace pathwright {

// Where an entry in force is written, seen from the list of its kind: the user's own list (what the
// list editor shows), inline in the path property (C:\Qt\include;$(IncludePath)), another definition
// (a second one of the macro, one under a condition that holds), or the value the path property had
// before the sheet. kConditional: under a condition only a real build decides (the configuration).
enum class EntrySource { kList, kInline, kOtherDefinition, kInherited, kConditional };

enum class EntryStatus {
  kOk,          // the expanded folder exists
  kMissing,     // an absolute folder that does not exist
  kPercent,     // holds %NAME%, which MSBuild leaves as it is
  kUnresolved,  // a $(NAME) that nothing defines
  kProject,     // depends on a project's own property, or is relative: not checked
  kDuplicate,   // the same folder as an earlier entry of the kind
  kInvalid,     // characters Windows forbids in a path
  kTimeout,     // a folder that did not answer in time (a network share, usually)
  kIde,         // set by Visual Studio itself ($(VCInstallDir), the inherited value): not checked
  kUnused,      // in a user macro that no path property uses: MSBuild never sees it
};

const wchar_t* SourceName(EntrySource source);
const wchar_t* StatusName(EntryStatus status);
// Whether a status is a fault of the sheet; timeouts, project-relative entries and Visual Studio's
// own values are not.
bool IsProblem(EntryStatus status);

struct SheetEntry {
  int kind = 0;
  std::wstring entry{};  // as written
  EntrySource source = EntrySource::kList;
  std::wstring condition{};  // the conditions of the definition it is written in, when it has any
  std::wstring expanded{};   // one folder of what it expands to; what only a build knows stays as written
  EntryStatus status = EntryStatus::kOk;
  std::wstring note{};  // why, where the status alone does not say: "defined, but IncludePath does not use it"
};

// The value of a property by name, or nothing when it is not defined.
using PropertyLookup = std::function<std::optional<std::wstring>(const std::wstring&)>;
using FolderOracle = std::function<bool(const std::wstring&)>;

// A check's look-ups end this long after it starts, whatever their number and the sheets they are in.
inline constexpr std::chrono::milliseconds kFolderAnswerLimit{2000};
using Deadline = std::chrono::steady_clock::time_point;

// What a check evaluates a sheet with: the platform the sheet's name gives is fixed, as a build that
// imports it fixes it (empty: not known); the environment is MSBuild's fallback.
EvaluationContext CheckContext(const std::wstring& sheetPath, PropertyLookup environment,
                               std::function<bool(const std::wstring&)> exists);

// Every entry of the seven kinds, in MSBuild's order per kind, each folder of an entry that expands
// to a list on its own; then the entries of an unused macro and those under undecided conditions.
// Statuses that need no file system are set; kOk entries still wait for JudgeEntries.
std::vector<SheetEntry> EntriesInForce(const std::vector<PropertyDefinition>& definitions,
                                       const EvaluationContext& context);

// The sheet's own unconditional properties (user macros such as BOOST_ROOT) in front of `fallback`,
// which is usually the environment. Names compare without regard to case, as in MSBuild.
PropertyLookup SheetProperties(const SheetDocument& sheet, PropertyLookup fallback);

struct Judgement {
  std::wstring expanded;
  EntryStatus status = EntryStatus::kOk;  // kOk: an absolute folder still to be looked up
};

// Everything that can be told about one entry without the file system, its names looked up in
// `properties` as MSBuild would (a value from there is not expanded again). An entry that expands
// to several folders is judged by its first.
Judgement Prejudge(const std::wstring& entry, const PropertyLookup& properties);

// The key two entries share when they name the same folder, as Windows compares folders.
std::wstring FolderKey(const std::wstring& folder);

// Whether the path goes to another machine (\\server\share), where an answer may take long.
bool IsNetworkPath(const std::wstring& path);

enum class FolderState { kFolder, kAbsent, kNoAnswer };

// Asks `isFolder` about every path on a bounded pool of worker threads; a path without an answer at
// the deadline is kNoAnswer, and its look-up, if started, finishes in the background. So a dead
// server costs the limit once, not once per entry, and many folders cost no more than the limit.
std::vector<FolderState> LookUpFolders(std::vector<std::wstring> paths, const FolderOracle& isFolder,
                                       Deadline deadline);

// Settles the entries EntriesInForce left kOk and finds duplicates: a folder met again within a kind
// (and, for kConditional ones, the same condition) is kDuplicate; each distinct folder is looked up once.
void JudgeEntries(std::vector<SheetEntry>& entries, const FolderOracle& isFolder, Deadline deadline);

}  // namespace pathwright
