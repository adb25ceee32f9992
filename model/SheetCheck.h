// What MSBuild sees in a sheet: every directory entry in force, wherever in the sheet it is written,
// expanded and judged (folder there, missing, written in a form MSBuild does not expand, ...).
// The environment and the file system are passed in, so the rules are tested without either.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "SheetDocument.h"

namespace pathwright {

// Where an entry is written: the user's own list (what the list editor shows), the rest of a path
// property in the list's group (C:\Qt\include;$(IncludePath)), an element under a condition, or
// another unconditional group.
enum class EntrySource { kList, kInline, kConditional, kOtherGroup };

enum class EntryStatus {
  kOk,          // the expanded folder exists
  kMissing,     // an absolute folder that does not exist
  kPercent,     // holds %NAME%, which MSBuild leaves as it is
  kUnresolved,  // a $(NAME) that nothing defines
  kProject,     // depends on a project's own property, or is relative: not checked
  kDuplicate,   // the same folder as an earlier entry of the kind
  kInvalid,     // characters Windows forbids in a path
  kTimeout,     // a folder that did not answer in time (a network share, usually)
};

const wchar_t* SourceName(EntrySource source);
const wchar_t* StatusName(EntryStatus status);
// Whether a status is a fault of the sheet; timeouts and project-relative entries are not.
bool IsProblem(EntryStatus status);

struct SheetEntry {
  int kind = 0;
  std::wstring entry{};  // as written
  EntrySource source = EntrySource::kList;
  std::wstring condition{};  // the condition text for kConditional
  std::wstring expanded{};   // after $(NAME) expansion; project properties stay as they are written
  EntryStatus status = EntryStatus::kOk;
};

// The value of a property by name, or nothing when it is not defined.
using PropertyLookup = std::function<std::optional<std::wstring>(const std::wstring&)>;
using FolderOracle = std::function<bool(const std::wstring&)>;

inline constexpr std::chrono::milliseconds kFolderAnswerLimit{2000};

// Every entry of the seven kinds a sheet sets, in document order; status and expansion still empty.
// Empty entries and references to the kind's own lists ($(UserInclude), $(IncludePath)) are left out.
std::vector<SheetEntry> EntriesInForce(const SheetDocument& sheet);

// The sheet's own unconditional properties (user macros such as BOOST_ROOT) in front of `fallback`,
// which is usually the environment. Names compare without regard to case, as in MSBuild.
PropertyLookup SheetProperties(const SheetDocument& sheet, PropertyLookup fallback);

// Whether MSBuild sets the property per project (SolutionDir, Configuration, IntDir, ...).
bool IsProjectProperty(const std::wstring& name);

struct Judgement {
  std::wstring expanded;
  EntryStatus status = EntryStatus::kOk;  // kOk: an absolute folder still to be looked up
};

// Everything that can be told about one entry without the file system.
Judgement Prejudge(const std::wstring& entry, const PropertyLookup& properties);

// The key two entries share when they name the same folder: any letter case, "/" as "\", trailing
// separators ignored.
std::wstring FolderKey(const std::wstring& folder);

// Whether the path goes to another machine (\\server\share), where an answer may take long.
bool IsNetworkPath(const std::wstring& path);

enum class FolderState { kFolder, kAbsent, kNoAnswer };

// Asks `isFolder` about every path at once on worker threads; a path without an answer after
// `limit` is kNoAnswer, and its thread finishes in the background. So a dead server costs the
// limit once, not once per entry.
std::vector<FolderState> LookUpFolders(const std::vector<std::wstring>& paths, const FolderOracle& isFolder,
                                       std::chrono::milliseconds limit = kFolderAnswerLimit);

// Fills in `expanded` and `status` of every entry: duplicates within a kind (and condition), then
// one look-up per distinct folder.
void JudgeEntries(std::vector<SheetEntry>& entries, const PropertyLookup& properties, const FolderOracle& isFolder,
                  std::chrono::milliseconds limit = kFolderAnswerLimit);

}  // namespace pathwright
