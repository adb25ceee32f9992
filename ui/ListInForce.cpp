#include "ui/ListInForce.h"

#include "base/Environment.h"
#include "base/FileSystem.h"
#include "base/Text.h"
#include "lang/TextNumbers.h"
#include "model/MsBuildEvaluator.h"
#include "ui/UiLanguage.h"

namespace pathwright {

namespace {
std::wstring WhereWritten(const EntryInForce& inForce, const std::vector<PropertyDefinition>& definitions, int kind) {
  const std::wstring path = kPathProperties[kind];
  if (inForce.origin == EntryOrigin::kInherited) return UiFormat(text::kListInherited, L"$(" + path + L")");
  const size_t at = inForce.entry->definition;
  if (at >= definitions.size()) return UiFormat(text::kListWrittenIn, path);
  const std::wstring& name = definitions[at].name;
  // A second definition of the macro, or one under a condition, reads as the list and is not it.
  if (inForce.origin == EntryOrigin::kOtherDefinition && SameText(name, kUserMacros[kind])) {
    return UiFormat(text::kListOtherDefinition, name);
  }
  return UiFormat(text::kListWrittenIn, name);
}
}  // namespace

std::array<ListSurroundings, kKindCount> SurroundingsOf(const SheetDocument* sheet) {
  std::array<ListSurroundings, kKindCount> out;
  if (!sheet) return out;
  const std::vector<PropertyDefinition> definitions = sheet->Definitions();
  const SheetEvaluation evaluation =
      EvaluateSheet(definitions, {.environment = EnvironmentVariable, .exists = PathExists});
  for (int k = 0; k < kKindCount; ++k) {
    const KindEvaluation& kind = evaluation.kinds[k];
    ListSurroundings& shown = out[k];
    if (!kind.unusedNote.empty()) shown.unusedNote = UiFormat(text::kListUnused, kPathProperties[k]);
    bool listSeen = false;
    for (const EntryInForce& inForce : kind.inForce) {
      if (inForce.origin == EntryOrigin::kList) {
        listSeen = true;
        continue;
      }
      (listSeen ? shown.after : shown.before)
          .push_back({inForce.entry->written, WhereWritten(inForce, definitions, k)});
    }
    // A list not in force (or empty) goes first once edited: the editor shows it so.
    if (!listSeen) std::swap(shown.before, shown.after);
  }
  return out;
}

}  // namespace pathwright
