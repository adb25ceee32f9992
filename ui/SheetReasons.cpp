#include "ui/SheetReasons.h"

#include <cstdint>
#include <string>

#include "lang/TextFormat.h"
#include "lang/TextNumbers.h"
#include "ui/UiLanguage.h"

namespace pathwright {

namespace {

// The text number for each kind; 0 for those only the English reason tells.
uint32_t TextFor(SheetRefusal::Kind kind) {
  using Kind = SheetRefusal::Kind;
  switch (kind) {
    case Kind::kNone: return 0;
    case Kind::kEmpty: return text::kReasonEmpty;
    case Kind::kNoElement: return text::kReasonNoElement;
    case Kind::kUnknownEncoding: return text::kReasonUnknownEncoding;
    case Kind::kDeclaredEncoding: return text::kReasonDeclaredEncoding;
    case Kind::kNotAscii: return text::kReasonNotAscii;
    case Kind::kInvalidUtf8: return text::kReasonInvalidUtf8;
    case Kind::kInvalidUtf16: return text::kReasonInvalidUtf16;
    case Kind::kInvalidUtf32: return text::kReasonInvalidUtf32;
    case Kind::kBadStartTag: return text::kReasonBadStartTag;
    case Kind::kBadEndTag: return text::kReasonBadEndTag;
    case Kind::kBadAttribute: return text::kReasonBadAttribute;
    case Kind::kBadMarkup: return text::kReasonBadMarkup;
    case Kind::kUnexpectedEnd: return text::kReasonUnexpectedEnd;
    case Kind::kNotWellFormed: return text::kReasonNotWellFormed;
    case Kind::kDeclarationEnd: return text::kReasonDeclarationEnd;
    case Kind::kSecondElement: return text::kReasonSecondElement;
    case Kind::kTextBefore: return text::kReasonTextBefore;
    case Kind::kTextAfter: return text::kReasonTextAfter;
    case Kind::kDuplicateAttribute: return text::kReasonDuplicateAttribute;
    case Kind::kNotAProject: return text::kReasonNotAProject;
    case Kind::kTooDeep: return text::kReasonTooDeep;
    case Kind::kTooLarge: return text::kReasonTooLarge;
  }
  return 0;
}

}  // namespace

std::wstring ReasonText(const SheetLoad& loaded) {
  const SheetRefusal& r = loaded.refusal;
  const uint32_t number = TextFor(r.kind);
  const std::wstring format = number ? UiText(number) : std::wstring();
  if (format.empty()) return loaded.why;
  using Kind = SheetRefusal::Kind;
  // Each text takes its facts in the order its number's comment gives.
  switch (r.kind) {
    case Kind::kDeclaredEncoding:
    case Kind::kSecondElement:
      return FormatWithString(format, r.name);
    case Kind::kNotAscii:
      return FormatWithStrings(format, {std::to_wstring(r.at), r.name});
    case Kind::kDuplicateAttribute:
      return FormatWithStrings(format, {r.element, r.name});
    case Kind::kTooDeep:
      return FormatWithString(format, std::to_wstring(r.limit));
    case Kind::kTooLarge:
      return FormatWithStrings(format, {std::to_wstring(r.size), std::to_wstring(r.limit)});
    default:
      return FormatWithString(format, std::to_wstring(r.at));  // an offset or a line, or nothing to put in
  }
}

}  // namespace pathwright
