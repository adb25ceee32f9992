#include "SheetCheck.h"

#include <algorithm>
#include <condition_variable>
#include <cwctype>
#include <memory>
#include <mutex>
#include <set>
#include <tuple>
#include <unordered_map>

#include "DirectoryKinds.h"
#include "EnvironmentPaths.h"
#include "base/WorkerPool.h"

namespace pathwright {

namespace {
constexpr size_t kMaxLookUpThreads = 32;


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

// One folder, fully expanded and decoded.
EntryStatus JudgeFolder(std::wstring_view folder) {
  if (HoldsPercentReference(folder)) return EntryStatus::kPercent;
  // A relative folder is the project's to resolve, but a forbidden character is wrong anywhere.
  if (HoldsForbiddenCharacter(folder)) return EntryStatus::kInvalid;
  return IsAbsolute(folder) ? EntryStatus::kOk : EntryStatus::kProject;
}

// An entry as the evaluator made it: one judgement per folder it stands for, each handed to
// `judged` (folder, status). Names nobody set here decide alone: a fault when the user's own, not
// checked when a project or Visual Studio sets them.
template <typename Judged>
void JudgeValue(const ValueEntry& entry, const Judged& judged) {
  if (entry.opaque) return judged(entry.written, EntryStatus::kProject);
  if (!entry.unset.empty()) {
    EntryStatus status = EntryStatus::kIde;
    for (const std::wstring& name : entry.unset) {
      const PropertyClass c = ClassifyProperty(name);
      if (c == PropertyClass::kOther) return judged(entry.written, EntryStatus::kUnresolved);
      if (c == PropertyClass::kProject) status = EntryStatus::kProject;
    }
    return judged(entry.written, status);
  }
  for (const std::wstring& folder : entry.values) judged(folder, JudgeFolder(folder));
}

std::wstring ConditionsOf(const PropertyDefinition& definition) {
  const std::wstring_view group = TrimView(definition.groupCondition), own = TrimView(definition.condition);
  if (group.empty() || own.empty()) return std::wstring(group) + std::wstring(own);
  return L"(" + std::wstring(group) + L") and (" + std::wstring(own) + L")";
}

// "Microsoft.Cpp.x64.user.props" names the x64 sheet; any other name no platform.
std::wstring PlatformOfSheet(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  const std::wstring name = LowerCase(slash == std::wstring::npos ? path : path.substr(slash + 1));
  constexpr std::wstring_view kHead = L"microsoft.cpp.", kTail = L".user.props";
  if (name.size() <= kHead.size() + kTail.size() || !name.starts_with(kHead) || !name.ends_with(kTail)) return {};
  const std::wstring platform = path.substr(path.size() - name.size() + kHead.size(),
                                            name.size() - kHead.size() - kTail.size());
  return platform.find(L'.') == std::wstring::npos ? platform : L"";
}
}  // namespace

const wchar_t* SourceName(EntrySource source) {
  constexpr const wchar_t* kNames[] = {L"list", L"inline", L"other-definition", L"inherited", L"conditional"};
  return kNames[static_cast<int>(source)];
}

const wchar_t* StatusName(EntryStatus status) {
  constexpr const wchar_t* kNames[] = {L"ok",        L"missing", L"percent", L"unresolved", L"project",
                                       L"duplicate", L"invalid", L"timeout", L"ide",        L"unused"};
  return kNames[static_cast<int>(status)];
}

bool IsProblem(EntryStatus status) {
  return status != EntryStatus::kOk && status != EntryStatus::kProject && status != EntryStatus::kTimeout &&
         status != EntryStatus::kIde;
}

EvaluationContext CheckContext(const std::wstring& sheetPath, PropertyLookup environment,
                               std::function<bool(const std::wstring&)> exists) {
  const std::wstring platform = PlatformOfSheet(sheetPath);
  return {
      .global = [platform](const std::wstring& name) -> std::optional<std::wstring> {
        if (!platform.empty() && SameText(name, L"Platform")) return platform;
        return std::nullopt;
      },
      .environment = std::move(environment),
      .exists = std::move(exists),
  };
}

std::vector<SheetEntry> EntriesInForce(const std::vector<PropertyDefinition>& definitions,
                                       const EvaluationContext& context) {
  const SheetEvaluation evaluation = EvaluateSheet(definitions, context);
  std::vector<SheetEntry> entries;
  size_t count = 0;
  for (const KindEvaluation& kind : evaluation.kinds) count += kind.inForce.size();
  entries.reserve(count);
  const auto add = [&](int kind, const ValueEntry& value, EntrySource source, EntryStatus forced = EntryStatus::kOk,
                       const std::wstring& note = {}) {
    const std::wstring condition =
        value.definition == kNoDefinition ? std::wstring() : ConditionsOf(definitions[value.definition]);
    JudgeValue(value, [&](const std::wstring& expanded, EntryStatus status) {
      entries.push_back({.kind = kind,
                         .entry = value.written,
                         .source = source,
                         .condition = condition,
                         .expanded = expanded,
                         .status = note.empty() ? status : forced,
                         .note = note});
    });
  };
  for (int k = 0; k < kKindCount; ++k) {
    const KindEvaluation& kind = evaluation.kinds[k];
    bool listInForce = false;
    for (const EntryInForce& e : kind.inForce) {
      // A sheet that never sets the path property leaves the inherited value alone: nothing of its own.
      if (e.origin == EntryOrigin::kInherited && e.entry->definition == kNoDefinition) continue;
      constexpr EntrySource kSources[] = {EntrySource::kList, EntrySource::kInline, EntrySource::kOtherDefinition,
                                          EntrySource::kInherited};
      listInForce = listInForce || e.origin == EntryOrigin::kList;
      add(k, *e.entry, kSources[static_cast<int>(e.origin)]);
    }
    if (!kind.used && !kind.unusedNote.empty() && !listInForce) {
      for (const ValueEntry& e : kind.listEntries) add(k, e, EntrySource::kList, EntryStatus::kUnused, kind.unusedNote);
    }
    // In force in some configurations only: judged, each where it is written.
    for (size_t i = 0; i < definitions.size(); ++i) {
      if (evaluation.definitions[i].applied != Applied::kUndecided ||
          !(SameText(definitions[i].name, kUserMacros[k]) || SameText(definitions[i].name, kPathProperties[k]))) {
        continue;
      }
      for (const ValueEntry& e : evaluation.definitions[i].entries) {
        if (e.definition == i) add(k, e, EntrySource::kConditional);
      }
    }
  }
  return entries;
}

PropertyLookup SheetProperties(const SheetDocument& sheet, PropertyLookup fallback) {
  // The sheet's properties as they stand at its end, evaluated; what it does not set comes from outside.
  auto evaluator = std::make_shared<PropertyEvaluator>(EvaluationContext{.environment = fallback});
  std::vector<EvaluationProblem> problems;
  const std::vector<PropertyDefinition> definitions = sheet.Definitions();
  for (size_t i = 0; i < definitions.size(); ++i) evaluator->Define(definitions[i], i, problems);
  return [evaluator, fallback = std::move(fallback)](const std::wstring& name) -> std::optional<std::wstring> {
    if (std::optional<std::wstring> value = evaluator->Value(name)) return value;
    return fallback ? fallback(name) : std::nullopt;
  };
}

Judgement Prejudge(const std::wstring& entry, const PropertyLookup& properties) {
  PropertyEvaluator evaluator(EvaluationContext{.environment = properties});
  std::vector<EvaluationProblem> problems;
  const DefinitionResult defined = evaluator.Define({.name = L"PathwrightEntry", .value = entry}, 0, problems);
  for (const ValueEntry& value : defined.entries) {
    std::optional<Judgement> first;
    JudgeValue(value, [&](const std::wstring& expanded, EntryStatus status) {
      if (!first) first = Judgement{.expanded = expanded, .status = status};
    });
    if (first) return std::move(*first);
  }
  return {.expanded = std::wstring(TrimView(entry)), .status = JudgeFolder(TrimView(entry))};
}

std::wstring FolderKey(const std::wstring& folder) { return FolderIdentity(folder); }

bool IsNetworkPath(const std::wstring& path) {
  const bool twoSeparators =
      path.size() > 2 && (path[0] == L'\\' || path[0] == L'/') && (path[1] == L'\\' || path[1] == L'/');
  return twoSeparators && path[2] != L'?' && path[2] != L'.';
}

std::vector<FolderState> LookUpFolders(std::vector<std::wstring> paths, const FolderOracle& isFolder,
                                       Deadline deadline) {
  // Shared with the workers, which may outlive this call while a server keeps them waiting.
  struct Shared {
    std::mutex mutex;
    std::condition_variable done;
    std::vector<std::wstring> paths;
    std::vector<FolderState> states;
    size_t next = 0, answered = 0;
    Deadline deadline;
    FolderOracle isFolder;
  };
  auto shared = std::make_shared<Shared>();
  shared->paths = std::move(paths);
  shared->states.assign(shared->paths.size(), FolderState::kNoAnswer);
  shared->deadline = deadline;
  shared->isFolder = isFolder;
  const auto work = [shared] {
    for (;;) {
      size_t i = 0;
      {
        std::lock_guard lock(shared->mutex);
        // Past the deadline nobody waits for an answer: what has not started never starts.
        if (shared->next == shared->paths.size() || std::chrono::steady_clock::now() >= shared->deadline) return;
        i = shared->next++;
      }
      const bool folder = shared->isFolder(shared->paths[i]);
      std::lock_guard lock(shared->mutex);
      shared->states[i] = folder ? FolderState::kFolder : FolderState::kAbsent;
      ++shared->answered;
      if (shared->answered == shared->paths.size()) shared->done.notify_all();
    }
  };
  // The look-ups run in one pool that lives as long as the process: a look-up held by a server that
  // never answers cannot be interrupted on every system, so it is left to end with the process
  // rather than be joined, while the check itself stops waiting at the deadline.
  static WorkerPool& pool = *new WorkerPool(kMaxLookUpThreads);
  for (size_t t = 0; t < std::min(shared->states.size(), kMaxLookUpThreads); ++t) {
    if (!pool.Post(work)) {
      if (t == 0) work();  // no thread at all: answer here, until the deadline
      break;
    }
  }
  std::unique_lock lock(shared->mutex);
  shared->done.wait_until(lock, deadline, [&] { return shared->answered == shared->paths.size(); });
  std::vector<FolderState> states = shared->states;
  shared->next = shared->paths.size();  // late workers stop at once
  return states;
}

void JudgeEntries(std::vector<SheetEntry>& entries, const FolderOracle& isFolder, Deadline deadline) {
  constexpr size_t kNone = static_cast<size_t>(-1);
  std::vector<size_t> lookUpOf(entries.size(), kNone);  // per entry, its folder's place in `paths`
  std::vector<std::wstring> paths;                      // each folder once, as first written
  {
    // Folders by the form Windows compares, numbered as met; per number the kinds that have it in
    // force everywhere (a bit each) and where it is looked up.
    std::unordered_map<std::wstring, size_t> numbers;
    numbers.reserve(entries.size());
    static_assert(kKindCount <= 8);
    std::vector<unsigned char> kindsMet;
    std::vector<size_t> pathOf;
    // Entries under different undecided conditions may never be in force together: kind, condition, folder.
    std::set<std::tuple<int, std::wstring, size_t>> metUnder;
    for (size_t i = 0; i < entries.size(); ++i) {
      SheetEntry& entry = entries[i];
      if (entry.status != EntryStatus::kOk && entry.status != EntryStatus::kProject) continue;
      const auto [at, added] = numbers.try_emplace(FolderIdentity(entry.expanded), numbers.size());
      const size_t folder = at->second;
      if (added) {
        kindsMet.push_back(0);
        pathOf.push_back(kNone);
      }
      bool first = false;
      if (entry.source == EntrySource::kConditional && !entry.condition.empty()) {
        first = metUnder.emplace(entry.kind, entry.condition, folder).second;
      } else {
        const auto bit = static_cast<unsigned char>(1u << entry.kind);
        first = (kindsMet[folder] & bit) == 0;
        kindsMet[folder] |= bit;
      }
      if (!first) {
        entry.status = EntryStatus::kDuplicate;
      } else if (entry.status == EntryStatus::kOk) {
        if (pathOf[folder] == kNone) {
          pathOf[folder] = paths.size();
          paths.push_back(entry.expanded);
        }
        lookUpOf[i] = pathOf[folder];
      }
    }
  }
  const std::vector<FolderState> states = LookUpFolders(std::move(paths), isFolder, deadline);
  for (size_t i = 0; i < entries.size(); ++i) {
    constexpr EntryStatus kByState[] = {EntryStatus::kOk, EntryStatus::kMissing, EntryStatus::kTimeout};
    if (lookUpOf[i] != kNone) entries[i].status = kByState[static_cast<int>(states[lookUpOf[i]])];
  }
}

}  // namespace pathwright
