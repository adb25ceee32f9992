#include "MsBuildCondition.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cwctype>
#include <optional>
#include <vector>

#include "EnvironmentPaths.h"

namespace pathwright {

namespace {
// Deeper nesting than any real condition has; past it the condition is refused instead of the stack.
constexpr int kMaxDepth = 100;

bool IsHexDigit(wchar_t c) { return std::iswxdigit(c) && c < 0x80; }
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
// MSBuild takes any letter; beyond ASCII every character counts as one here.
bool IsWordStart(wchar_t c) { return c == L'_' || (c < 0x80 ? std::iswalpha(c) != 0 : true); }
bool IsWordChar(wchar_t c) { return IsWordStart(c) || IsDigit(c); }
bool IsSpace(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

// A number as MSBuild reads one: decimal with an optional sign and point, or 0x and hexadecimal digits.
std::optional<double> Number(std::wstring_view text) {
  if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
    if (text.size() > 10) return std::nullopt;  // more than a 32-bit integer holds
    uint32_t value = 0;
    for (wchar_t c : text.substr(2)) {
      if (!IsHexDigit(c)) return std::nullopt;
      value = value * 16 + static_cast<uint32_t>(IsDigit(c) ? c - L'0' : (c | 0x20) - L'a' + 10);
    }
    return static_cast<double>(static_cast<int32_t>(value));
  }
  size_t i = (!text.empty() && (text[0] == L'+' || text[0] == L'-')) ? 1 : 0;
  // The digits as one integer, scaled once at the end: 1.10 and 1.1 come out the same.
  long double digits = 0;
  int fraction = -1;  // digits after the point; -1 before one is seen
  bool any = false;
  for (; i < text.size(); ++i) {
    if (IsDigit(text[i])) {
      any = true;
      digits = digits * 10 + (text[i] - L'0');
      if (fraction >= 0) ++fraction;
    } else if (text[i] == L'.' && fraction < 0) {
      fraction = 0;
    } else {
      return std::nullopt;
    }
  }
  const double value = static_cast<double>(digits / std::pow(10.0L, std::max(fraction, 0)));
  if (!any || std::isinf(value)) return std::nullopt;
  return text[0] == L'-' ? -value : value;
}

// A version as .NET reads one: two to four numbers separated by points.
std::optional<std::vector<uint32_t>> Version(std::wstring_view text) {
  std::vector<uint32_t> parts;
  for (size_t start = 0;;) {
    const size_t dot = std::min(text.find(L'.', start), text.size());
    const std::wstring_view part = text.substr(start, dot - start);
    if (part.empty() || part.size() > 9) return std::nullopt;
    uint32_t value = 0;
    for (wchar_t c : part) {
      if (!IsDigit(c)) return std::nullopt;
      value = value * 10 + static_cast<uint32_t>(c - L'0');
    }
    parts.push_back(value);
    if (dot == text.size()) break;
    start = dot + 1;
  }
  if (parts.size() < 2 || parts.size() > 4) return std::nullopt;
  return parts;
}

std::optional<bool> Boolean(std::wstring_view text) {
  for (const wchar_t* yes : {L"true", L"on", L"yes", L"!false", L"!off", L"!no"}) {
    if (SameText(text, yes)) return true;
  }
  for (const wchar_t* no : {L"false", L"off", L"no", L"!true", L"!on", L"!yes"}) {
    if (SameText(text, no)) return false;
  }
  return std::nullopt;
}

Truth FromBool(bool value) { return value ? Truth::kTrue : Truth::kFalse; }

enum class TokenType {
  kEnd,
  kOpen,
  kClose,
  kComma,
  kNot,
  kEqual,
  kUnequal,
  kLess,
  kLessEqual,
  kGreater,
  kGreaterEqual,
  kAnd,
  kOr,
  kQuoted,
  kProperty,
  kNumber,
  kWord,
  kFunction,
};

struct Token {
  TokenType type = TokenType::kEnd;
  std::wstring_view text;  // a quoted string without its quotes, a function's name
};

bool IsComparison(TokenType type) { return type >= TokenType::kEqual && type <= TokenType::kGreaterEqual; }

// One pass over the condition: the parser evaluates as it reads, and reads what a short circuit
// skips with evaluation off, because MSBuild refuses a malformed condition whatever its value.
class Parser {
 public:
  Parser(std::wstring_view condition, const ConditionScope& scope) : text_(condition), scope_(scope) {}

  ConditionResult Run() {
    Advance();
    const Truth truth = AsTruth(Or(true, 0), true);
    if (syntax_.empty() && token_.type != TokenType::kEnd) Fail(L"unexpected text after the end of the condition");
    if (!syntax_.empty()) return {.truth = Truth::kUnknown, .error = syntax_};
    if (!evaluation_.empty()) return {.truth = Truth::kUnknown, .error = evaluation_};
    return {.truth = truth};
  }

 private:
  struct Value {
    bool boolean = true;
    Truth truth = Truth::kUnknown;
    Operand operand{};
  };

  void Fail(std::wstring why) {
    if (syntax_.empty()) syntax_ = why + L" (at character " + std::to_wstring(std::min(at_, text_.size()) + 1) + L")";
  }
  void FailEvaluation(std::wstring why) {
    if (evaluation_.empty()) evaluation_ = std::move(why);
  }

  void Advance() {
    while (at_ < text_.size() && IsSpace(text_[at_])) ++at_;
    token_ = {};
    if (!syntax_.empty() || at_ >= text_.size()) return;
    const size_t start = at_;
    const wchar_t c = text_[at_];
    const wchar_t next = at_ + 1 < text_.size() ? text_[at_ + 1] : L'\0';
    const auto single = [&](TokenType type, size_t length = 1) {
      at_ += length;
      token_ = {type, text_.substr(start, length)};
    };
    switch (c) {
      case L'(':
        return single(TokenType::kOpen);
      case L')':
        return single(TokenType::kClose);
      case L',':
        return single(TokenType::kComma);
      case L'!':
        return next == L'=' ? single(TokenType::kUnequal, 2) : single(TokenType::kNot);
      case L'<':
        return next == L'=' ? single(TokenType::kLessEqual, 2) : single(TokenType::kLess);
      case L'>':
        return next == L'=' ? single(TokenType::kGreaterEqual, 2) : single(TokenType::kGreater);
      case L'=':
        if (next == L'=') return single(TokenType::kEqual, 2);
        return Fail(L"a single \"=\"; comparisons are written \"==\"");
      case L'\'':
        return Quoted();
      case L'$':
        return Reference();
      case L'@':
      case L'%':
        if (next == L'(') return Fail(L"an item list or item metadata, which a property condition cannot use");
        break;
      default:
        break;
    }
    if (IsDigit(c) || c == L'+' || c == L'-' || c == L'.') return NumberToken();
    if (IsWordStart(c)) return Word();
    Fail(L"the character \"" + std::wstring(1, c) + L"\", which a condition cannot hold here");
  }

  void Quoted() {
    const size_t start = ++at_;
    while (at_ < text_.size() && text_[at_] != L'\'') {
      const wchar_t next = at_ + 1 < text_.size() ? text_[at_ + 1] : L'\0';
      if (text_[at_] == L'$' && next == L'(') {
        const size_t end = ReferenceEnd(text_, at_);
        if (end == std::wstring_view::npos) return Fail(L"a property reference without its closing parenthesis");
        at_ = end + 1;
        continue;
      }
      if ((text_[at_] == L'@' || text_[at_] == L'%') && next == L'(') {
        return Fail(L"an item list or item metadata, which a property condition cannot use");
      }
      ++at_;
    }
    if (at_ >= text_.size()) {
      at_ = start - 1;
      return Fail(L"a quoted string without its closing quote");
    }
    token_ = {TokenType::kQuoted, text_.substr(start, at_ - start)};
    ++at_;
  }

  void Reference() {
    const size_t end = text_.substr(at_, 2) == L"$(" ? ReferenceEnd(text_, at_) : std::wstring_view::npos;
    if (end == std::wstring_view::npos) return Fail(L"a \"$\" that starts no complete property reference");
    token_ = {TokenType::kProperty, text_.substr(at_, end + 1 - at_)};
    at_ = end + 1;
  }

  void NumberToken() {
    const size_t start = at_;
    if (text_.substr(at_, 2) == L"0x" || text_.substr(at_, 2) == L"0X") {
      at_ += 2;
      while (at_ < text_.size() && IsHexDigit(text_[at_])) ++at_;
    } else {
      if (text_[at_] == L'+' || text_[at_] == L'-') ++at_;
      while (at_ < text_.size() && (IsDigit(text_[at_]) || text_[at_] == L'.')) ++at_;
    }
    token_ = {TokenType::kNumber, text_.substr(start, at_ - start)};
  }

  void Word() {
    const size_t start = at_;
    while (at_ < text_.size() && IsWordChar(text_[at_])) ++at_;
    const std::wstring_view word = text_.substr(start, at_ - start);
    if (SameText(word, L"and")) {
      token_ = {TokenType::kAnd, word};
      return;
    }
    if (SameText(word, L"or")) {
      token_ = {TokenType::kOr, word};
      return;
    }
    size_t after = at_;
    while (after < text_.size() && IsSpace(text_[after])) ++after;
    token_ = {after < text_.size() && text_[after] == L'(' ? TokenType::kFunction : TokenType::kWord, word};
  }

  Truth AsTruth(const Value& value, bool evaluate) {
    if (!evaluate || value.boolean) return value.truth;
    if (!value.operand.known) return Truth::kUnknown;
    if (const std::optional<bool> parsed = Boolean(value.operand.text)) return FromBool(*parsed);
    FailEvaluation(L"\"" + value.operand.text + L"\" stands where a condition needs true or false");
    return Truth::kUnknown;
  }

  Value Or(bool evaluate, int depth) {
    Value left = And(evaluate, depth);
    while (token_.type == TokenType::kOr) {
      Advance();
      const Truth sofar = AsTruth(left, evaluate);
      const Truth right = AsTruth(And(evaluate && sofar != Truth::kTrue, depth), evaluate && sofar != Truth::kTrue);
      left = {.truth = sofar == Truth::kTrue || right == Truth::kTrue     ? Truth::kTrue
                       : sofar == Truth::kFalse && right == Truth::kFalse ? Truth::kFalse
                                                                          : Truth::kUnknown};
    }
    return left;
  }

  Value And(bool evaluate, int depth) {
    Value left = Comparison(evaluate, depth);
    while (token_.type == TokenType::kAnd) {
      Advance();
      const Truth sofar = AsTruth(left, evaluate);
      const bool further = evaluate && sofar != Truth::kFalse;
      const Truth right = AsTruth(Comparison(further, depth), further);
      left = {.truth = sofar == Truth::kFalse || right == Truth::kFalse ? Truth::kFalse
                       : sofar == Truth::kTrue && right == Truth::kTrue ? Truth::kTrue
                                                                        : Truth::kUnknown};
    }
    return left;
  }

  Value Comparison(bool evaluate, int depth) {
    Value left = Factor(evaluate, depth);
    if (!IsComparison(token_.type)) return left;
    const TokenType op = token_.type;
    Advance();
    Value right = Factor(evaluate, depth);
    if (!evaluate || !syntax_.empty()) return {};
    return {.truth = Compare(op, AsOperand(left), AsOperand(right))};
  }

  static Operand AsOperand(const Value& value) {
    if (!value.boolean) return value.operand;
    return {.text = value.truth == Truth::kTrue ? L"true" : L"false", .known = value.truth != Truth::kUnknown};
  }

  Truth Compare(TokenType op, const Operand& left, const Operand& right) {
    if (!left.known || !right.known) return Truth::kUnknown;
    const std::optional<double> leftNumber = Number(left.text), rightNumber = Number(right.text);
    if (op == TokenType::kEqual || op == TokenType::kUnequal) {
      bool same = false;
      if (leftNumber && rightNumber) {
        same = *leftNumber == *rightNumber;
      } else if (const auto l = Boolean(left.text), r = Boolean(right.text); l && r) {
        same = *l == *r;
      } else {
        same = SameText(left.text, right.text);
      }
      return FromBool(same == (op == TokenType::kEqual));
    }
    int order = 0;
    if (leftNumber && rightNumber) {
      order = *leftNumber < *rightNumber ? -1 : *leftNumber > *rightNumber ? 1 : 0;
    } else if (const auto l = Version(left.text), r = Version(right.text); l && r) {
      // .NET orders a missing part before a zero: 1.0 < 1.0.0.
      order = *l < *r ? -1 : *l > *r ? 1 : 0;
    } else if ((leftNumber || Version(left.text)) && (rightNumber || Version(right.text))) {
      return Truth::kUnknown;  // a number against a version of three or four parts: not ordered here
    } else {
      FailEvaluation(L"\"" + left.text + L"\" and \"" + right.text + L"\" compared by size, but they are no numbers");
      return Truth::kUnknown;
    }
    switch (op) {
      case TokenType::kLess:
        return FromBool(order < 0);
      case TokenType::kLessEqual:
        return FromBool(order <= 0);
      case TokenType::kGreater:
        return FromBool(order > 0);
      default:
        return FromBool(order >= 0);
    }
  }

  Value Factor(bool evaluate, int depth) {
    if (depth > kMaxDepth) {
      Fail(L"parentheses nested too deeply");
      return {};
    }
    switch (token_.type) {
      case TokenType::kOpen: {
        Advance();
        const Value inner = Or(evaluate, depth + 1);
        if (token_.type != TokenType::kClose) {
          Fail(L"a \"(\" without its \")\"");
          return {};
        }
        Advance();
        return {.truth = AsTruth(inner, evaluate)};
      }
      case TokenType::kNot: {
        Advance();
        const Truth inner = AsTruth(Factor(evaluate, depth + 1), evaluate);
        return {.truth = inner == Truth::kUnknown ? inner : FromBool(inner == Truth::kFalse)};
      }
      case TokenType::kFunction:
        return Function(evaluate);
      case TokenType::kQuoted:
      case TokenType::kProperty:
      case TokenType::kNumber:
      case TokenType::kWord: {
        Value value{.boolean = false};
        if (evaluate) value.operand = scope_.expand ? scope_.expand(token_.text) : Operand{std::wstring(token_.text)};
        Advance();
        return value;
      }
      case TokenType::kEnd:
        Fail(L"the condition ends where a value is expected");
        return {};
      default:
        Fail(L"\"" + std::wstring(token_.text) + L"\" where a value is expected");
        return {};
    }
  }

  Value Function(bool evaluate) {
    const std::wstring name(token_.text);
    Advance();
    Advance();  // the "(" the word was seen to stand before
    std::vector<Operand> arguments;
    while (syntax_.empty() && token_.type != TokenType::kClose) {
      if (!arguments.empty()) {
        if (token_.type != TokenType::kComma) {
          Fail(L"the arguments of " + name + L" are not separated by \",\"");
          return {};
        }
        Advance();
      }
      const TokenType type = token_.type;
      if (type != TokenType::kQuoted && type != TokenType::kProperty && type != TokenType::kNumber &&
          type != TokenType::kWord) {
        Fail(L"an argument of " + name + L" that is no value");
        return {};
      }
      arguments.push_back(evaluate && scope_.expand ? scope_.expand(token_.text) : Operand{});
      Advance();
    }
    if (!syntax_.empty()) return {};
    Advance();
    if (!evaluate) return {};
    const bool exists = SameText(name, L"exists");
    if (!exists && !SameText(name, L"HasTrailingSlash")) {
      FailEvaluation(L"the function " + name + L", which conditions do not have");
      return {};
    }
    if (arguments.size() != 1) {
      FailEvaluation(name + L" takes one argument, not " + std::to_wstring(arguments.size()));
      return {};
    }
    const Operand& argument = arguments.front();
    if (!argument.known) return {};
    if (exists) return {.truth = FromBool(!argument.text.empty() && scope_.exists && scope_.exists(argument.text))};
    const bool slash = !argument.text.empty() && (argument.text.back() == L'\\' || argument.text.back() == L'/');
    return {.truth = FromBool(slash)};
  }

  std::wstring_view text_;
  const ConditionScope& scope_;
  size_t at_ = 0;
  Token token_{};
  std::wstring syntax_;      // the first reason MSBuild refuses the text whatever the values
  std::wstring evaluation_;  // the first reason it refuses it with these values
};

int HexValue(wchar_t c) { return IsDigit(c) ? c - L'0' : (c | 0x20) - L'a' + 10; }
}  // namespace

ConditionResult EvaluateCondition(std::wstring_view condition, const ConditionScope& scope) {
  if (condition.empty()) return {.truth = Truth::kTrue};
  return Parser(condition, scope).Run();
}

size_t ReferenceEnd(std::wstring_view text, size_t open) {
  int depth = 0;
  wchar_t quote = 0;
  for (size_t i = open + 1; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == L'\'' || c == L'"' || c == L'`') {
      quote = c;
    } else if (c == L'(') {
      ++depth;
    } else if (c == L')' && --depth == 0) {
      return i;
    }
  }
  return std::wstring_view::npos;
}

std::wstring Unescape(std::wstring_view text) {
  std::wstring plain;
  plain.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'%' && i + 2 < text.size() && IsHexDigit(text[i + 1]) && IsHexDigit(text[i + 2])) {
      plain += static_cast<wchar_t>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      plain += text[i];
    }
  }
  return plain;
}

}  // namespace pathwright
