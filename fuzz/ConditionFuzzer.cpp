// Any text as a condition after any definitions: the first line is the condition, every further
// line "Name=value" or "Name?condition=value" a definition, three to a group. Nothing may crash or
// hang; a condition that holds or fails keeps its answer inside parentheses and turns over behind
// "!"; every entry names a definition that exists.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "base/Utf8.h"
#include "model/MsBuildEvaluator.h"

namespace {
pathwright::EvaluationContext Context() {
  return {
      .environment = [](const std::wstring& name) -> std::optional<std::wstring> {
        if (name.size() == 3) return L"%" + name + L";$(" + name + L")";
        return std::nullopt;
      },
      .exists = [](const std::wstring& path) { return path.size() % 2 == 0; },
  };
}

void Check(bool holds) {
  if (!holds) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pathwright;
  const std::wstring text = DecodeUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
  std::vector<std::wstring_view> lines;
  for (size_t start = 0; start <= text.size();) {
    const size_t end = std::min(text.find(L'\n', start), text.size());
    lines.push_back(std::wstring_view(text).substr(start, end - start));
    start = end + 1;
  }
  std::vector<PropertyDefinition> definitions;
  for (size_t i = 1; i < lines.size(); ++i) {
    const size_t equals = std::min(lines[i].find(L'='), lines[i].size());
    const std::wstring_view head = lines[i].substr(0, equals);
    const size_t ask = std::min(head.find(L'?'), head.size());
    definitions.push_back({.name = std::wstring(head.substr(0, ask)),
                           .value = std::wstring(lines[i].substr(std::min(equals + 1, lines[i].size()))),
                           .condition = std::wstring(head.substr(std::min(ask + 1, head.size()))),
                           .group = i / 3});
  }

  const SheetEvaluation sheet = EvaluateSheet(definitions, Context());
  Check(sheet.definitions.size() == definitions.size());
  const auto valid = [&](size_t index) { return index == kNoDefinition || index < definitions.size(); };
  for (const KindEvaluation& kind : sheet.kinds) {
    Check(valid(kind.use) && valid(kind.list));
    for (const EntryInForce& e : kind.inForce) Check(valid(e.entry->definition));
  }

  PropertyEvaluator evaluator(Context());
  std::vector<EvaluationProblem> problems;
  for (size_t i = 0; i < definitions.size(); ++i) evaluator.Define(definitions[i], i, problems);
  const std::wstring_view condition = lines.front();
  const ConditionResult result = evaluator.Condition(condition);
  // Each "(" and "!" is a level of nesting, and nesting has a limit.
  const auto levels =
      std::count_if(condition.begin(), condition.end(), [](wchar_t c) { return c == L'(' || c == L'!'; });
  if (!result.Malformed() && !condition.empty() && levels < 90) {
    const std::wstring inner(condition);
    const ConditionResult wrapped = evaluator.Condition(L"(" + inner + L")");
    Check(!wrapped.Malformed() && wrapped.truth == result.truth);
    const ConditionResult negated = evaluator.Condition(L"!(" + inner + L")");
    const Truth opposite = result.truth == Truth::kUnknown ? Truth::kUnknown
                           : result.truth == Truth::kTrue  ? Truth::kFalse
                                                           : Truth::kTrue;
    Check(!negated.Malformed() && negated.truth == opposite);
  }
  return 0;
}
