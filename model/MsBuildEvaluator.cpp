#include "MsBuildEvaluator.h"

#include <algorithm>
#include <utility>

#include "EnvironmentPaths.h"

namespace pathwright {

namespace {
// Twice what Windows lets an environment variable (and so INCLUDE, LIB, PATH) hold. A value that
// refers to itself twice doubles with every definition; MSBuild would run out of memory, this stops
// and says so. A sheet that writes a longer list itself gets room for four times its own text, which
// a doubling value still outgrows within a few definitions.
constexpr size_t kMaxValueLength = size_t{1} << 16;
constexpr size_t kMaxEntries = size_t{1} << 12;
constexpr size_t kRoomPerWritten = 4;


bool IsNameStart(wchar_t c) { return c == L'_' || (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || c >= 0x80; }

// A plain property name; anything else between "$(" and ")" is a property function or the registry.
bool IsPropertyName(std::wstring_view name) {
  if (name.empty() || !IsNameStart(name[0])) return false;
  return std::all_of(name.begin(), name.end(),
                     [](wchar_t c) { return IsNameStart(c) || (c >= L'0' && c <= L'9') || c == L'-'; });
}

bool Unconditional(const PropertyDefinition& definition) {
  return TrimView(definition.condition).empty() && TrimView(definition.groupCondition).empty();
}

bool RefersTo(std::wstring_view text, std::wstring_view name) {
  return LowerCase(text).find(L"$(" + LowerCase(name) + L")") != std::wstring::npos;
}

// The pieces between ";" outside references: a property function's arguments may hold one.
std::vector<std::wstring_view> Pieces(std::wstring_view text) {
  std::vector<std::wstring_view> pieces;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'$' && i + 1 < text.size() && text[i + 1] == L'(') {
      if (const size_t end = ReferenceEnd(text, i); end != std::wstring_view::npos) i = end;
    } else if (text[i] == L';') {
      pieces.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  pieces.push_back(text.substr(start));
  return pieces;
}

// The name when the piece is one reference and nothing else.
std::optional<std::wstring_view> WholeReference(std::wstring_view piece) {
  if (piece.size() < 4 || !piece.starts_with(L"$(") || ReferenceEnd(piece, 0) != piece.size() - 1) return std::nullopt;
  const std::wstring_view name = piece.substr(2, piece.size() - 3);
  if (!IsPropertyName(name)) return std::nullopt;
  return name;
}

std::vector<std::wstring> SplitFolders(std::wstring_view plain) {
  std::vector<std::wstring> folders;
  for (size_t start = 0; start <= plain.size();) {
    const size_t end = std::min(plain.find(L';', start), plain.size());
    if (const std::wstring_view folder = TrimView(plain.substr(start, end - start)); !folder.empty())
      folders.emplace_back(folder);
    start = end + 1;
  }
  return folders;
}

void AddName(std::vector<std::wstring>& names, std::wstring_view name) {
  if (std::none_of(names.begin(), names.end(), [&](const std::wstring& n) { return SameText(n, name); }))
    names.emplace_back(name);
}

bool Known(const std::vector<std::wstring>& unset, bool opaque) {
  return !opaque && std::all_of(unset.begin(), unset.end(), [](const std::wstring& name) {
    return ClassifyProperty(name) == PropertyClass::kOther;
  });
}

int KindOfMacro(std::wstring_view name) {
  for (int k = 0; k < kKindCount; ++k) {
    if (SameText(name, kUserMacros[k])) return k;
  }
  return -1;
}

int KindOfPathProperty(std::wstring_view name) {
  for (int k = 0; k < kKindCount; ++k) {
    if (SameText(name, kPathProperties[k])) return k;
  }
  return -1;
}

// Visual Studio's own values, from its toolsets, SDKs and the MSBuild it runs. Lower case.
constexpr std::wstring_view kIdeNames[] = {
    L"vcinstalldir",           L"vcideinstalldir",    L"vctargetspath",
    L"vsinstalldir",           L"vsinstallroot",      L"devenvdir",
    L"visualstudioversion",    L"windowssdkversion",  L"fxcopdir",
    L"frameworkdir",           L"frameworkdir32",     L"frameworkdir64",
    L"frameworksdkdir",        L"frameworkversion",   L"frameworkversion32",
    L"frameworkversion64",     L"framework40version", L"universalcrtsdkdir",
    L"ucrtcontentroot",        L"extensionsdkdir",    L"sdkreferencedirectoryroot",
    L"llvminstalldir",         L"llvmtoolsversion",   L"userrootdir",
    L"defaultplatformtoolset",
};
// Families of them: VC_IncludePath, WindowsSDK_LibraryPath_x64, WindowsSdkDir_10, TargetPlatformVersion...
constexpr std::wstring_view kIdePrefixes[] = {
    L"vc_", L"vctools", L"windowssdk_",    L"windowssdkdir", L"universalcrt_",
    L"vs_", L"netfx",   L"targetplatform", L"msbuild",
};
// What each project sets for itself. Lower case.
constexpr std::wstring_view kProjectNames[] = {
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
    L"projectguid",
    L"rootnamespace",
    L"configuration",
    L"configurationtype",
    L"platform",
    L"platformname",
    L"platformtarget",
    L"platformshortname",
    L"platformarchitecture",
    L"platformtoolset",
    L"platformtoolsetversion",
    L"windowstargetplatformversion",
    L"intdir",
    L"outdir",
    L"targetdir",
    L"targetname",
    L"targetext",
    L"targetpath",
    L"targetfilename",
    L"language",
    L"useofmfc",
    L"useofatl",
    L"characterset",
    L"wholeprogramoptimization",
    L"clrsupport",
    L"usedebuglibraries",
    L"applicationtype",
    L"applicationtyperevision",
    L"keyword",
    L"preferredtoolarchitecture",
};
// MSBuild's names for the file being built and the file being read.
constexpr std::wstring_view kProjectPrefixes[] = {L"msbuildproject", L"msbuildthisfile"};
}  // namespace

PropertyClass ClassifyProperty(std::wstring_view name) {
  const std::wstring lower = LowerCase(name);
  const auto starts = [&](std::wstring_view prefix) { return lower.starts_with(prefix); };
  const auto is = [&](std::wstring_view known) { return lower == known; };
  if (std::any_of(std::begin(kProjectNames), std::end(kProjectNames), is) ||
      std::any_of(std::begin(kProjectPrefixes), std::end(kProjectPrefixes), starts)) {
    return PropertyClass::kProject;
  }
  if (KindOfPathProperty(name) >= 0 || std::any_of(std::begin(kIdeNames), std::end(kIdeNames), is) ||
      std::any_of(std::begin(kIdePrefixes), std::end(kIdePrefixes), starts)) {
    return PropertyClass::kIde;
  }
  return PropertyClass::kOther;
}

void EntryList::Append(Block own) {
  if (own.empty()) return;
  size_ += own.size();
  blocks_.push_back(std::make_shared<const Block>(std::move(own)));
}

void EntryList::Append(const EntryList& other) {
  blocks_.insert(blocks_.end(), other.blocks_.begin(), other.blocks_.end());
  size_ += other.size_;
}

PropertyEvaluator::PropertyEvaluator(EvaluationContext context)
    : context_(std::move(context)), maxValueLength_(kMaxValueLength), maxEntries_(kMaxEntries) {}

void PropertyEvaluator::AllowFor(const std::vector<PropertyDefinition>& definitions) {
  size_t written = 0, pieces = 0;
  for (const PropertyDefinition& definition : definitions) {
    written += definition.value.size();
    pieces += 1 + static_cast<size_t>(std::count(definition.value.begin(), definition.value.end(), L';'));
  }
  maxValueLength_ = std::max(kMaxValueLength, kRoomPerWritten * written);
  maxEntries_ = std::max(kMaxEntries, kRoomPerWritten * pieces);
}

std::optional<std::wstring> PropertyEvaluator::Outside(const std::wstring& name) const {
  if (context_.preset) {
    if (std::optional<std::wstring> value = context_.preset(name)) return value;
  }
  if (context_.environment && ClassifyProperty(name) == PropertyClass::kOther) return context_.environment(name);
  return std::nullopt;
}

PropertyEvaluator::Expansion PropertyEvaluator::ExpandEscaped(std::wstring_view text) const {
  Expansion out;
  out.escaped.reserve(std::min(text.size(), maxValueLength_));
  size_t at = 0;
  for (size_t open; (open = text.find(L"$(", at)) != std::wstring_view::npos;) {
    out.escaped.append(text.substr(at, open - at));
    const size_t end = ReferenceEnd(text, open);
    if (end == std::wstring_view::npos) {
      at = open;  // MSBuild keeps an unclosed "$(" as it is written
      break;
    }
    at = end + 1;
    const std::wstring name(text.substr(open + 2, end - open - 2));
    if (!IsPropertyName(name)) {
      out.escaped.append(text.substr(open, end + 1 - open));
      out.opaque = true;
    } else if (std::optional<std::wstring> global = context_.global ? context_.global(name) : std::nullopt) {
      out.escaped += *global;
    } else if (const auto found = properties_.find(LowerCase(name)); found != properties_.end()) {
      // Room for a long value and the rest of the text at once: doubling would leave as much unused.
      out.escaped.reserve(out.escaped.size() + found->second.escaped.size() + (text.size() - at));
      out.escaped += found->second.escaped;
      for (const std::wstring& unset : found->second.unset) AddName(out.unset, unset);
      out.opaque = out.opaque || found->second.opaque;
    } else if (std::optional<std::wstring> outside = Outside(name)) {
      out.escaped += *outside;
    } else {
      AddName(out.unset, name);
    }
    if (out.escaped.size() > maxValueLength_) {
      out.tooLong = true;
      return out;
    }
  }
  out.escaped.append(text.substr(at));
  out.tooLong = out.escaped.size() > maxValueLength_;
  return out;
}

Operand PropertyEvaluator::Expand(std::wstring_view text) const {
  Expansion expansion = ExpandEscaped(text);
  return {.text = Unescape(expansion.escaped), .known = Known(expansion.unset, expansion.opaque || expansion.tooLong)};
}

ConditionResult PropertyEvaluator::Condition(std::wstring_view condition) const {
  const ConditionScope scope{
      .expand = [this](std::wstring_view written) { return Expand(written); },
      .exists = context_.exists,
  };
  return EvaluateCondition(condition, scope);
}

std::optional<std::wstring> PropertyEvaluator::Value(std::wstring_view name) const {
  const std::wstring text(name);
  if (context_.global) {
    if (std::optional<std::wstring> global = context_.global(text)) return global;
  }
  if (const auto found = properties_.find(LowerCase(name)); found != properties_.end())
    return Unescape(found->second.escaped);
  return Outside(text);
}

const EntryList* PropertyEvaluator::Entries(std::wstring_view name) const {
  const auto found = properties_.find(LowerCase(name));
  return found == properties_.end() ? nullptr : &found->second.entries;
}

EntryList PropertyEvaluator::EntriesOf(const PropertyDefinition& definition, size_t index, bool& tooLong) const {
  // A list is composed from its own kind's names: $(UserInclude);$(IncludePath) in IncludePath,
  // $(UserInclude);C:\more in a second UserInclude. Those entries keep where they are written.
  const int kind = std::max(KindOfMacro(definition.name), KindOfPathProperty(definition.name));
  const auto composes = [&](std::wstring_view name) {
    return SameText(name, definition.name) ||
           (kind >= 0 && (SameText(name, kUserMacros[kind]) || SameText(name, kPathProperties[kind])));
  };
  EntryList entries;
  EntryList::Block own;  // written here, since the last list composed in
  const std::vector<std::wstring_view> pieces = Pieces(definition.value);
  own.reserve(pieces.size());
  for (const std::wstring_view piece : pieces) {
    const std::wstring_view written = TrimView(piece);
    if (written.empty()) continue;
    const std::optional<std::wstring_view> reference = WholeReference(written);
    const bool global = reference && context_.global && context_.global(std::wstring(*reference));
    const auto stored = reference && !global ? properties_.find(LowerCase(*reference)) : properties_.end();
    if (reference && composes(*reference) && stored != properties_.end()) {
      entries.Append(std::move(own));
      own = {};
      entries.Append(stored->second.entries);
    } else {
      Expansion expansion = ExpandEscaped(written);
      tooLong = tooLong || expansion.tooLong;
      ValueEntry entry{.written = std::wstring(written), .definition = index};
      if (reference && stored == properties_.end()) entry.outside = *reference;
      const std::wstring plain = Unescape(expansion.escaped);
      if (expansion.opaque) {
        if (!TrimView(plain).empty()) entry.values.emplace_back(TrimView(plain));
      } else {
        entry.values = SplitFolders(plain);
      }
      entry.unset = std::move(expansion.unset);
      entry.opaque = expansion.opaque;
      // A list nothing has set yet adds nothing; an unset path property is the inherited value.
      const bool emptyList = reference && composes(*reference) && !entry.unset.empty();
      if (!emptyList || KindOfPathProperty(*reference) >= 0) own.push_back(std::move(entry));
    }
    if (entries.size() + own.size() > maxEntries_) {
      tooLong = true;
      break;
    }
  }
  entries.Append(std::move(own));
  return entries;
}

Truth PropertyEvaluator::Decide(std::wstring_view condition, size_t index,
                                std::vector<EvaluationProblem>& problems) const {
  const ConditionResult result = Condition(condition);
  if (!result.Malformed()) return result.truth;
  problems.push_back({.definition = index,
                      .why = L"MSBuild refuses the condition \"" + std::wstring(condition) + L"\": " + result.error});
  return Truth::kFalse;
}

DefinitionResult PropertyEvaluator::Define(const PropertyDefinition& definition, size_t index,
                                           std::vector<EvaluationProblem>& problems) {
  // A group's condition is decided where the group starts, before any of its own definitions.
  if (definition.group != group_) {
    group_ = definition.group;
    groupHolds_ = Decide(definition.groupCondition, index, problems);
  }
  Truth holds = groupHolds_;
  if (holds == Truth::kTrue) holds = Decide(definition.condition, index, problems);

  DefinitionResult result;
  bool tooLong = false;
  if (!context_.valuesOnly) result.entries = EntriesOf(definition, index, tooLong);
  Expansion expansion = ExpandEscaped(definition.value);
  if (tooLong || expansion.tooLong) {
    problems.push_back({.definition = index,
                        .why = L"the value of " + definition.name + L" grows past " + std::to_wstring(maxValueLength_) +
                               L" characters or " + std::to_wstring(maxEntries_) + L" entries; it is left out",
                        .refused = false});
    return result;
  }
  const bool global = context_.global && context_.global(definition.name);
  result.applied = holds == Truth::kUnknown           ? Applied::kUndecided
                   : holds == Truth::kTrue && !global ? Applied::kYes
                                                      : Applied::kNo;
  if (result.applied == Applied::kYes) {
    properties_[LowerCase(definition.name)] = {.escaped = std::move(expansion.escaped),
                                               .unset = std::move(expansion.unset),
                                               .opaque = expansion.opaque,
                                               .entries = result.entries};
  }
  return result;
}

bool SheetEvaluation::Refused() const {
  return std::any_of(problems.begin(), problems.end(), [](const EvaluationProblem& p) { return p.refused; });
}

SheetEvaluation EvaluateSheet(const std::vector<PropertyDefinition>& definitions, const EvaluationContext& context) {
  SheetEvaluation out;
  PropertyEvaluator evaluator(context);
  evaluator.AllowFor(definitions);
  const auto isUse = [&](size_t i, int k) {
    return SameText(definitions[i].name, kPathProperties[k]) && Unconditional(definitions[i]) &&
           RefersTo(definitions[i].value, kUserMacros[k]);
  };
  // Which definition is the use and which the list is decided by names and conditions alone.
  for (int k = 0; k < kKindCount; ++k) {
    KindEvaluation& kind = out.kinds[k];
    for (size_t i = 0; i < definitions.size(); ++i) {
      if (isUse(i, k)) kind.use = i;
    }
    for (size_t i = 0; i < definitions.size() && i <= kind.use; ++i) {
      if (SameText(definitions[i].name, kUserMacros[k]) && Unconditional(definitions[i])) kind.list = i;
    }
    // Without one before the use, the list the user edits is the last unconditional one anywhere.
    for (size_t i = 0; i < definitions.size() && kind.list == kNoDefinition; ++i) {
      const size_t last = definitions.size() - 1 - i;
      if (SameText(definitions[last].name, kUserMacros[k]) && Unconditional(definitions[last])) kind.list = last;
    }
  }
  // The user macro as the use sees it (its value, and the definition that set it, whose entries are
  // the macro's then), and the value the list's own definition sets: taken where they are met, as
  // the evaluation moves on past them. A long list is copied for neither.
  struct Seen {
    std::wstring atUse{}, ownValue{};
    size_t setBy = kNoDefinition;
    bool ownAtUse = false;  // the list's own definition set the macro the use sees: atUse is ownValue
  };
  std::array<Seen, kKindCount> seen;
  std::array<size_t, kKindCount> macroSetBy;
  macroSetBy.fill(kNoDefinition);
  out.definitions.reserve(definitions.size());
  for (size_t i = 0; i < definitions.size(); ++i) {
    if (const int k = KindOfPathProperty(definitions[i].name); k >= 0 && i == out.kinds[k].use) {
      seen[k].setBy = macroSetBy[k];
      seen[k].ownAtUse = macroSetBy[k] != kNoDefinition && macroSetBy[k] == out.kinds[k].list;
      if (!seen[k].ownAtUse) seen[k].atUse = evaluator.Value(kUserMacros[k]).value_or(L"");
    }
    out.definitions.push_back(evaluator.Define(definitions[i], i, out.problems));
    const int k = KindOfMacro(definitions[i].name);
    if (k < 0) continue;
    const bool applied = out.definitions.back().applied == Applied::kYes;
    if (applied) macroSetBy[k] = i;
    if (i == out.kinds[k].list) {
      seen[k].ownValue =
          applied ? evaluator.Value(kUserMacros[k]).value_or(L"") : evaluator.Expand(definitions[i].value).text;
    }
  }

  for (int k = 0; k < kKindCount; ++k) {
    KindEvaluation& kind = out.kinds[k];
    const std::wstring_view macro = kUserMacros[k], path = kPathProperties[k];
    bool defined = false, setBeforeUse = false;
    for (size_t i = 0; i < definitions.size(); ++i) {
      if (!SameText(definitions[i].name, macro)) continue;
      defined = true;
      setBeforeUse = setBeforeUse || (i <= kind.use && out.definitions[i].applied == Applied::kYes);
    }
    // A later definition that does not build on the path property replaces the use.
    bool replaced = false;
    for (size_t i = kind.use == kNoDefinition ? definitions.size() : kind.use + 1; i < definitions.size(); ++i) {
      replaced = replaced || (SameText(definitions[i].name, path) && out.definitions[i].applied == Applied::kYes &&
                              !RefersTo(definitions[i].value, path));
    }
    kind.used = kind.use != kNoDefinition && setBeforeUse && !replaced;
    if (!kind.used && defined) kind.unusedNote = L"defined, but " + std::wstring(path) + L" does not use it";
    if (kind.used) {
      kind.listValue = std::move(seen[k].ownAtUse ? seen[k].ownValue : seen[k].atUse);
      if (seen[k].setBy != kNoDefinition) kind.listEntries = out.definitions[seen[k].setBy].entries;
    } else if (kind.list != kNoDefinition) {
      kind.listValue = std::move(seen[k].ownValue);
      kind.listEntries = out.definitions[kind.list].entries;
    }

    if (const EntryList* entries = evaluator.Entries(path)) {
      kind.inForceEntries = *entries;
    } else {
      ValueEntry inherited{.written = L"$(" + std::wstring(path) + L")", .outside = std::wstring(path)};
      if (std::optional<std::wstring> value = evaluator.Value(path)) {
        inherited.values = SplitFolders(*value);
      } else {
        inherited.unset.emplace_back(path);
      }
      kind.inForceEntries = EntryList({std::move(inherited)});
    }
    kind.inForce.reserve(kind.inForceEntries.size());
    for (const ValueEntry& entry : kind.inForceEntries) {
      EntryOrigin origin = EntryOrigin::kOtherDefinition;
      if (!entry.outside.empty() && SameText(entry.outside, path)) {
        origin = EntryOrigin::kInherited;
      } else if (entry.definition != kNoDefinition && entry.definition == kind.list) {
        origin = EntryOrigin::kList;
      } else if (entry.definition != kNoDefinition && SameText(definitions[entry.definition].name, path)) {
        origin = EntryOrigin::kPathProperty;
      }
      kind.inForce.push_back({.entry = &entry, .origin = origin});
    }
  }
  return out;
}

std::wstring FolderIdentity(std::wstring_view folder) {
  std::wstring key = LowerCase(folder);
  std::replace(key.begin(), key.end(), L'/', L'\\');
  const auto driveRoot = [&] { return key.size() == 3 && key[1] == L':'; };
  while (key.size() > 1 && key.back() == L'\\' && !driveRoot()) key.pop_back();
  return key;
}

bool SameFolder(std::wstring_view a, std::wstring_view b) { return FolderIdentity(a) == FolderIdentity(b); }

}  // namespace pathwright
