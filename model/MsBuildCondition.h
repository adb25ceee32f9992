// MSBuild's Condition attributes: their grammar and their truth, as MSBuild decides them while it
// reads properties and imports. The caller expands property references and answers whether a file
// exists, so the rules are tested without a project or a file system.
//
// Grammar, loosest first: `or`, then `and` (both in any letter case), then one comparison
// (== != < > <= >=), then a factor: ( ... ), ! factor, exists('...') or HasTrailingSlash('...'),
// or an operand ('quoted', $(Name), a number, a bare word such as true or Debug).
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace pathwright {

// kUnknown: the answer depends on a value only a real build has (the project's configuration, a
// folder Visual Studio sets, a property function).
enum class Truth { kFalse, kTrue, kUnknown };

// An operand as MSBuild compares it: references expanded, %XX escapes decoded.
struct Operand {
  std::wstring text{};
  bool known = true;  // false: it depends on a value only a real build has
};

struct ConditionScope {
  // Expands the $(...) references of an operand as written (a quoted string without its quotes).
  std::function<Operand(std::wstring_view written)> expand;
  // Whether a file or folder exists; everything is absent when empty.
  std::function<bool(const std::wstring& path)> exists;
};

struct ConditionResult {
  Truth truth = Truth::kTrue;
  std::wstring error{};  // not empty: MSBuild refuses the condition (and the file holding it), for this reason

  bool Malformed() const { return !error.empty(); }
};

// An empty condition holds; one of white space only is malformed, as in MSBuild.
ConditionResult EvaluateCondition(std::wstring_view condition, const ConditionScope& scope);

// Where the reference that starts at text[open] ("$(") ends: the index of its closing parenthesis,
// past nested parentheses and quoted arguments of property functions; npos when it never closes.
size_t ReferenceEnd(std::wstring_view text, size_t open);

// The text with MSBuild's %XX escapes decoded (%28x86%29 is "(x86)"); a "%" not followed by two
// hexadecimal digits stays as it is.
std::wstring Unescape(std::wstring_view text);

}  // namespace pathwright
