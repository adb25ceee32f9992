#include "SheetCheck.h"

#include <algorithm>
#include <condition_variable>
#include <cwctype>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <tuple>

#include "DirectoryKinds.h"
#include "DirectoryList.h"
#include "EnvironmentPaths.h"
#include "base/WorkerPool.h"

namespace pathwright {

namespace {
constexpr int kMaxExpansionDepth = 16;  // a property that refers to itself ends here
constexpr size_t kMaxLookUpThreads = 32;

// The kind an element sets, and whether it is the user macro (not the path property); -1 for others.
int KindOfElement(const wchar_t* name, bool& isMacro) {
  for (int k = 0; k < kKindCount; ++k) {
    if (SameText(name, kUserMacros[k]) || SameText(name, kPathProperties[k])) {
      isMacro = SameText(name, kUserMacros[k]);
      return k;
    }
  }
  return -1;
}

bool IsOwnReference(const std::wstring& entry, int kind) {
  return SameText(entry, std::wstring(L"$(") + kUserMacros[kind] + L")") ||
         SameText(entry, std::wstring(L"$(") + kPathProperties[kind] + L")");
}

struct Expansion {
  std::wstring text;
  bool project = false;     // refers to a project's own property
  bool unresolved = false;  // refers to a name nothing defines
};

void Expand(std::wstring_view text, const PropertyLookup& properties, int depth, Expansion& out) {
  size_t start = 0;
  for (size_t open; (open = text.find(L"$(", start)) != std::wstring_view::npos;) {
    const size_t close = text.find(L')', open + 2);
    if (close == std::wstring_view::npos) break;
    out.text.append(text.substr(start, open - start));
    const std::wstring name(text.substr(open + 2, close - open - 2));
    start = close + 1;
    std::optional<std::wstring> value;
    if (IsProjectProperty(name)) {
      out.project = true;
    } else if (depth < kMaxExpansionDepth && (value = properties(name))) {
      Expand(*value, properties, depth + 1, out);
      continue;
    } else {
      out.unresolved = true;
    }
    out.text.append(text.substr(open, close + 1 - open));
  }
  out.text.append(text.substr(start));
}

// %NAME% with a name of at least one character that could be a variable's.
bool HoldsPercentReference(std::wstring_view text) {
  for (size_t open = text.find(L'%'); open != std::wstring_view::npos;) {
    const size_t close = text.find(L'%', open + 1);
    if (close == std::wstring_view::npos) return false;
    const std::wstring_view name = text.substr(open + 1, close - open - 1);
    if (!name.empty() && name.find_first_of(L"\\/;:$ ") == std::wstring_view::npos) return true;
    open = close;
  }
  return false;
}

bool HoldsForbiddenCharacter(std::wstring_view path) {
  // The prefixes of long and device paths are the only places "?" may stand.
  if (path.starts_with(L"\\\\?\\") || path.starts_with(L"\\\\.\\")) path.remove_prefix(4);
  for (size_t i = 0; i < path.size(); ++i) {
    const wchar_t c = path[i];
    if (c < 0x20 || std::wstring_view(L"<>\"|?*").find(c) != std::wstring_view::npos) return true;
    if (c == L':' && !(i == 1 && std::iswalpha(path[0]))) return true;
  }
  return false;
}

bool IsAbsolute(std::wstring_view path) {
  if (path.size() >= 3 && std::iswalpha(path[0]) && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/')) {
    return true;
  }
#ifndef _WIN32
  // The tests on Linux check real folders of this system.
  if (path.starts_with(L'/') && !path.starts_with(L"//")) return true;
#endif
  return IsNetworkPath(std::wstring(path));
}
}  // namespace

const wchar_t* SourceName(EntrySource source) {
  constexpr const wchar_t* kNames[] = {L"list", L"inline", L"conditional", L"other-group"};
  return kNames[static_cast<int>(source)];
}

const wchar_t* StatusName(EntryStatus status) {
  constexpr const wchar_t* kNames[] = {L"ok",      L"missing",   L"percent", L"unresolved",
                                       L"project", L"duplicate", L"invalid", L"timeout"};
  return kNames[static_cast<int>(status)];
}

bool IsProblem(EntryStatus status) {
  return status != EntryStatus::kOk && status != EntryStatus::kProject && status != EntryStatus::kTimeout;
}

std::vector<SheetEntry> EntriesInForce(const SheetDocument& sheet) {
  std::vector<SheetEntry> entries;
  for (const SheetProperty& property : sheet.Properties()) {
    bool isMacro = false;
    const int kind = KindOfElement(property.name.c_str(), isMacro);
    if (kind < 0) continue;
    SheetEntry base{.kind = kind};
    const std::wstring groupCondition = Trim(property.groupCondition.value_or(L""));
    const std::wstring ownCondition = Trim(property.condition.value_or(L""));
    base.condition = groupCondition.empty() || ownCondition.empty()
                         ? groupCondition + ownCondition
                         : L"(" + groupCondition + L") and (" + ownCondition + L")";
    if (!base.condition.empty()) {
      base.source = EntrySource::kConditional;
    } else if (!property.inUserGroup) {
      base.source = EntrySource::kOtherGroup;
    } else {
      base.source = isMacro ? EntrySource::kList : EntrySource::kInline;
    }
    for (std::wstring& text : SplitEntries(property.value)) {
      if (Trim(text).empty() || IsOwnReference(Trim(text), kind)) continue;
      entries.push_back(base);
      entries.back().entry = std::move(text);
    }
  }
  return entries;
}

PropertyLookup SheetProperties(const SheetDocument& sheet, PropertyLookup fallback) {
  auto defined = std::make_shared<std::map<std::wstring, std::wstring>>();
  for (const SheetProperty& property : sheet.Properties()) {
    bool isMacro = false;
    if (property.groupCondition || property.condition || KindOfElement(property.name.c_str(), isMacro) >= 0) continue;
    (*defined)[LowerCase(property.name)] = property.value;
  }
  return [defined, fallback = std::move(fallback)](const std::wstring& name) -> std::optional<std::wstring> {
    if (auto found = defined->find(LowerCase(name)); found != defined->end()) return found->second;
    return fallback ? fallback(name) : std::nullopt;
  };
}

bool IsProjectProperty(const std::wstring& name) {
  static const std::set<std::wstring> kNames = {
      L"solutiondir",
      L"solutionname",
      L"solutionpath",
      L"solutionfilename",
      L"solutionext",
      L"projectdir",
      L"projectname",
      L"projectpath",
      L"projectfilename",
      L"projectext",
      L"configuration",
      L"configurationtype",
      L"platform",
      L"platformname",
      L"platformtarget",
      L"platformshortname",
      L"platformarchitecture",
      L"platformtoolset",
      L"platformtoolsetversion",
      L"intdir",
      L"outdir",
      L"targetdir",
      L"targetname",
      L"targetext",
      L"targetpath",
      L"targetfilename",
      L"rootnamespace",
      L"userrootdir",
      L"vcinstalldir",
      L"vctoolsinstalldir",
      L"vctoolsversion",
      L"vsinstalldir",
      L"devenvdir",
      L"windowssdkdir",
      L"windowssdkversion",
      L"windowstargetplatformversion",
      L"universalcrt_includepath",
      L"universalcrtsdkdir",
      L"netfxkitsdir",
      L"frameworkdir",
      L"frameworksdkdir",
      L"vctargetspath",
      L"language",
      L"useofmfc",
      L"useofatl",
      L"characterset",
      L"wholeprogramoptimization",
  };
  const std::wstring lower = LowerCase(name);
  if (kNames.contains(lower)) return true;
  for (int k = 0; k < kKindCount; ++k) {
    if (lower == LowerCase(kUserMacros[k]) || lower == LowerCase(kPathProperties[k])) return true;
  }
  // Families MSBuild and the C++ targets define for every project.
  for (const wchar_t* prefix : {L"msbuild", L"vc_", L"windowssdk_", L"vcpkg"}) {
    if (lower.starts_with(prefix)) return true;
  }
  return false;
}

Judgement Prejudge(const std::wstring& entry, const PropertyLookup& properties) {
  // A property function ($([System.IO.Path]::Combine(...))) is MSBuild's to evaluate, nested parentheses and all.
  if (entry.find(L"$([") != std::wstring::npos) return {.expanded = Trim(entry), .status = EntryStatus::kProject};
  Expansion expansion;
  Expand(Trim(entry), properties, 0, expansion);
  Judgement judged{.expanded = std::move(expansion.text)};
  const std::wstring& text = judged.expanded;
  if (HoldsPercentReference(text)) {
    judged.status = EntryStatus::kPercent;
  } else if (expansion.unresolved) {
    judged.status = EntryStatus::kUnresolved;
  } else if (expansion.project || !IsAbsolute(text)) {
    judged.status = HoldsForbiddenCharacter(text) ? EntryStatus::kInvalid : EntryStatus::kProject;
  } else if (HoldsForbiddenCharacter(text)) {
    judged.status = EntryStatus::kInvalid;
  }
  return judged;
}

std::wstring FolderKey(const std::wstring& folder) {
  std::wstring key = LowerCase(folder);
  std::replace(key.begin(), key.end(), L'/', L'\\');
  while (key.size() > 1 && key.back() == L'\\') key.pop_back();
  return key;
}

bool IsNetworkPath(const std::wstring& path) {
  const bool twoSeparators =
      path.size() > 2 && (path[0] == L'\\' || path[0] == L'/') && (path[1] == L'\\' || path[1] == L'/');
  return twoSeparators && path[2] != L'?' && path[2] != L'.';
}

std::vector<FolderState> LookUpFolders(const std::vector<std::wstring>& paths, const FolderOracle& isFolder,
                                       std::chrono::milliseconds limit) {
  // Shared with the workers, which may outlive this call while a server keeps them waiting.
  struct Shared {
    std::mutex mutex;
    std::condition_variable done;
    std::vector<std::wstring> paths;
    std::vector<FolderState> states;
    size_t next = 0, answered = 0;
    FolderOracle isFolder;
  };
  auto shared = std::make_shared<Shared>();
  shared->paths = paths;
  shared->states.assign(paths.size(), FolderState::kNoAnswer);
  shared->isFolder = isFolder;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  const auto work = [shared] {
    for (;;) {
      size_t i = 0;
      {
        std::lock_guard lock(shared->mutex);
        if (shared->next == shared->paths.size()) return;
        i = shared->next++;
      }
      const bool folder = shared->isFolder(shared->paths[i]);
      std::lock_guard lock(shared->mutex);
      shared->states[i] = folder ? FolderState::kFolder : FolderState::kAbsent;
      ++shared->answered;
      shared->done.notify_all();
    }
  };
  // The look-ups run in one pool that lives as long as the process: a look-up held by a server that
  // never answers cannot be interrupted on every system, so it is left to end with the process
  // rather than be joined, while the check itself stops waiting at the limit.
  static WorkerPool& pool = *new WorkerPool(kMaxLookUpThreads);
  for (size_t t = 0; t < std::min(paths.size(), kMaxLookUpThreads); ++t) {
    if (!pool.Post(work)) {
      if (t == 0) work();  // no thread at all: answer here, without a limit
      break;
    }
  }
  std::unique_lock lock(shared->mutex);
  shared->done.wait_until(lock, deadline, [&] { return shared->answered == shared->paths.size(); });
  return shared->states;
}

void JudgeEntries(std::vector<SheetEntry>& entries, const PropertyLookup& properties, const FolderOracle& isFolder,
                  std::chrono::milliseconds limit) {
  std::set<std::tuple<int, std::wstring, std::wstring>> seen;
  std::map<std::wstring, std::vector<size_t>> toLookUp;  // folder -> entries waiting for it
  for (size_t i = 0; i < entries.size(); ++i) {
    SheetEntry& entry = entries[i];
    Judgement judged = Prejudge(entry.entry, properties);
    entry.expanded = std::move(judged.expanded);
    entry.status = judged.status;
    if (IsProblem(entry.status)) continue;
    // Entries under different conditions may never be in force together.
    if (!seen.emplace(entry.kind, entry.condition, FolderKey(entry.expanded)).second) {
      entry.status = EntryStatus::kDuplicate;
    } else if (entry.status == EntryStatus::kOk) {
      toLookUp[entry.expanded].push_back(i);
    }
  }
  std::vector<std::wstring> folders;
  for (const auto& [folder, waiting] : toLookUp) folders.push_back(folder);
  const std::vector<FolderState> states = LookUpFolders(folders, isFolder, limit);
  for (size_t f = 0; f < folders.size(); ++f) {
    constexpr EntryStatus kByState[] = {EntryStatus::kOk, EntryStatus::kMissing, EntryStatus::kTimeout};
    for (size_t i : toLookUp[folders[f]]) entries[i].status = kByState[static_cast<int>(states[f])];
  }
}

}  // namespace pathwright
