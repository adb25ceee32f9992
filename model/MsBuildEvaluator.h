// Properties as MSBuild evaluates them: definitions in file order, each under its conditions, each
// set to its value expanded at that point. From that, for every directory kind, which list is in
// force in its path property and what else is. Also the two judgements every reader of a sheet
// shares: who sets a property the sheet refers to, and when two entries name the same folder.
//
// No XML here: the caller lists the property elements it read. The environment, what the project
// sets and the file system are passed in, so the rules are tested without any of them.
#pragma once

#include <array>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "DirectoryKinds.h"
#include "MsBuildCondition.h"

namespace pathwright {

struct SourcePlace {
  std::wstring file;
  int line = 0;
};

// One element of a top-level PropertyGroup. Labels are left out: they mean nothing to MSBuild.
struct PropertyDefinition {
  std::wstring name;
  std::wstring value;        // the element's text as XML gives it (&amp; decoded), nothing trimmed
  std::wstring condition{};  // the element's own Condition
  std::wstring groupCondition{};
  size_t group = 0;  // the group's number in file order; its condition is decided once, where the group starts
  SourcePlace place{};
};

using NameLookup = std::function<std::optional<std::wstring>(const std::wstring& name)>;

struct EvaluationContext {
  // Fixed for the whole evaluation; a definition cannot change them (a build's Configuration and Platform).
  NameLookup global{};
  // Set before the file, which may change them (what the project or Visual Studio set earlier).
  NameLookup preset{};
  // MSBuild's fallback for a name nothing has set. Never asked for what Visual Studio or the project
  // sets (those are set before the sheet, whatever the environment says).
  NameLookup environment{};
  std::function<bool(const std::wstring& path)> exists{};
  // Values and conditions only, no entries: a reader that only follows imports keeps no list of
  // every value it passes.
  bool valuesOnly = false;
};

enum class PropertyClass {
  kOther,
  kIde,      // set by Visual Studio itself: VCInstallDir, WindowsSdkDir, VC_IncludePath, IncludePath...
  kProject,  // set per project: SolutionDir, ProjectDir, Configuration, Platform...
};

PropertyClass ClassifyProperty(std::wstring_view name);

inline constexpr size_t kNoDefinition = static_cast<size_t>(-1);

// One entry of a list, as written, with the folders MSBuild makes of it.
struct ValueEntry {
  std::wstring written;                // trimmed, as in its definition: $(BOOST)\include
  std::vector<std::wstring> values{};  // expanded, %XX decoded, split at ";", trimmed; empty ones left out
  size_t definition = kNoDefinition;   // where it is written
  std::wstring outside{};  // the property from outside the sheet it stands for ($(IncludePath): the inherited value)
  std::vector<std::wstring> unset{};  // names it refers to that have no value here (empty, as in MSBuild)
  bool opaque = false;  // holds what only MSBuild evaluates (a property function): values hold it as written
};

// The entries of a value. A list composed of others ($(UserInclude);$(IncludePath)) shares their
// entries instead of copying them: a long list costs its entries once, however often it is used and
// whoever keeps it (the definition, the evaluator, the kind it is in force for). Entries never change
// once made, and stay where they are as long as any list holds them.
class EntryList {
 public:
  using Block = std::vector<ValueEntry>;

  class const_iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = ValueEntry;
    using difference_type = std::ptrdiff_t;
    using pointer = const ValueEntry*;
    using reference = const ValueEntry&;

    const_iterator() = default;
    reference operator*() const { return (*(*blocks_)[block_])[entry_]; }
    pointer operator->() const { return &**this; }
    const_iterator& operator++() {
      if (++entry_ == (*blocks_)[block_]->size()) ++block_, entry_ = 0;
      return *this;
    }
    const_iterator operator++(int) {
      const_iterator before = *this;
      ++*this;
      return before;
    }
    bool operator==(const const_iterator& other) const { return block_ == other.block_ && entry_ == other.entry_; }

   private:
    friend class EntryList;
    const_iterator(const std::vector<std::shared_ptr<const Block>>* blocks, size_t block)
        : blocks_(blocks), block_(block) {}
    const std::vector<std::shared_ptr<const Block>>* blocks_ = nullptr;
    size_t block_ = 0, entry_ = 0;
  };

  EntryList() = default;
  explicit EntryList(Block own) { Append(std::move(own)); }

  // Entries of its own, after those it holds.
  void Append(Block own);
  // Another list's entries, shared.
  void Append(const EntryList& other);

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  const_iterator begin() const { return {&blocks_, 0}; }
  const_iterator end() const { return {&blocks_, blocks_.size()}; }

 private:
  std::vector<std::shared_ptr<const Block>> blocks_;  // none empty, so an iterator at a block's end is at the next
  size_t size_ = 0;
};

enum class Applied {
  kYes,
  kNo,
  kUndecided,  // the condition tests a value only a real build has; the definition is left out
};

struct DefinitionResult {
  Applied applied = Applied::kNo;
  EntryList entries{};  // the value it sets (or would set), expanded and decoded, as entries
};

// What MSBuild refuses (a malformed condition), or what is not followed here (a value that keeps
// doubling). The definition is left out and evaluation goes on, so the rest can still be shown.
struct EvaluationProblem {
  size_t definition = kNoDefinition;
  std::wstring why{};
  bool refused = true;  // MSBuild would refuse to load the file
};

// Expands and decides conditions as MSBuild does at the point reached; Define moves that point on.
class PropertyEvaluator {
 public:
  explicit PropertyEvaluator(EvaluationContext context);

  // Makes room for values as long as these definitions write them (a long list of the user's own),
  // beyond the fixed room every evaluation has.
  void AllowFor(const std::vector<PropertyDefinition>& definitions);

  // Applies the definition numbered `index` (the number its entries carry) if its conditions hold.
  DefinitionResult Define(const PropertyDefinition& definition, size_t index, std::vector<EvaluationProblem>& problems);

  ConditionResult Condition(std::wstring_view condition) const;
  // The text with every $(Name) replaced; decoded, as MSBuild uses a value.
  Operand Expand(std::wstring_view text) const;
  // The value set so far (in the file or from outside it), decoded; nothing when none is.
  std::optional<std::wstring> Value(std::wstring_view name) const;
  // The entries of a property set in the file so far; nothing when the file has not set it.
  const EntryList* Entries(std::wstring_view name) const;

 private:
  struct Stored {
    std::wstring escaped;  // expanded, %XX as written: MSBuild decodes only where a value is used
    std::vector<std::wstring> unset;
    bool opaque = false;
    EntryList entries;
  };
  struct Expansion {
    std::wstring escaped;
    std::vector<std::wstring> unset;
    bool opaque = false;
    bool tooLong = false;
  };

  Expansion ExpandEscaped(std::wstring_view text) const;
  std::optional<std::wstring> Outside(const std::wstring& name) const;
  EntryList EntriesOf(const PropertyDefinition& definition, size_t index, bool& tooLong) const;
  Truth Decide(std::wstring_view condition, size_t index, std::vector<EvaluationProblem>& problems) const;

  EvaluationContext context_;
  std::map<std::wstring, Stored> properties_;  // by lower-cased name: MSBuild's names ignore case
  size_t group_ = kNoDefinition;
  Truth groupHolds_ = Truth::kTrue;
  size_t maxValueLength_;
  size_t maxEntries_;
};

// Where an entry in force in a path property is written, seen from the list of its kind.
enum class EntryOrigin {
  kList,             // the user's list: the definition of the user macro the list editor edits
  kPathProperty,     // inline in a definition of the path property itself
  kOtherDefinition,  // in another definition: a second one of the user macro, one under a condition
  kInherited,        // the value the path property had before the sheet
};

// Points into the entries its KindEvaluation holds.
struct EntryInForce {
  const ValueEntry* entry = nullptr;
  EntryOrigin origin = EntryOrigin::kList;
};

struct KindEvaluation {
  // The last unconditional definition of the path property that refers to $(UserK).
  size_t use = kNoDefinition;
  // The definition of the user macro the list is read from and written to: the last unconditional
  // one before the use, else the last unconditional one anywhere.
  size_t list = kNoDefinition;
  // The macro is set before an unconditional use, and nothing later in the sheet replaces that use.
  bool used = false;
  std::wstring unusedNote{};  // "defined, but IncludePath does not use it" when the macro is defined and not used
  std::wstring listValue{};   // the user macro as MSBuild sees it at the use (unused: after its own definition)
  EntryList listEntries{};
  // The path property at the end of the sheet, in MSBuild's order; a sheet that never sets it
  // leaves the inherited value alone in force.
  std::vector<EntryInForce> inForce{};
  EntryList inForceEntries{};  // what inForce points into, kept alive with it
};

struct SheetEvaluation {
  std::vector<DefinitionResult> definitions;  // one per definition given, same order
  std::array<KindEvaluation, kKindCount> kinds{};
  std::vector<EvaluationProblem> problems{};

  bool Refused() const;
};

SheetEvaluation EvaluateSheet(const std::vector<PropertyDefinition>& definitions, const EvaluationContext& context);

// The form two folders share when Windows takes them for the same one: every letter case (the
// full table, as the file system compares), "/" as "\", trailing separators left out except a
// drive's root ("C:\" stays: "C:" alone is another folder).
std::wstring FolderIdentity(std::wstring_view folder);
bool SameFolder(std::wstring_view a, std::wstring_view b);

}  // namespace pathwright
