// Why a file is no sheet, told so that any language can word it: the kind of fault and the facts
// that go with it (where it is, which name, how large). The English reason beside it in the Result
// stays the one the command line prints; a window words the kind in the user's language and falls
// back to that reason for a kind it has no words for.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "base/Result.h"

namespace pathwright {

struct SheetRefusal {
  enum class Kind {
    kNone,              // not refused, or for a reason only the English text tells
    kEmpty,             // the file holds no bytes
    kNoElement,         // no XML element at all
    kUnknownEncoding,   // bytes in no encoding the reader recognises
    kDeclaredEncoding,  // `name`: a declared encoding this program does not read exactly
    kNotAscii,          // `at` (byte offset), `name`: a byte the declared encoding cannot hold
    kInvalidUtf8,       // `at` (byte offset)
    kInvalidUtf16,      // `at` (byte offset)
    kInvalidUtf32,      // `at` (byte offset)
    // Markup the XML reader refused, grouped by what it was reading; `at` is the line (the first is 1).
    kBadStartTag,
    kBadEndTag,       // malformed, or not the end of the element that is open
    kBadAttribute,
    kBadMarkup,       // a comment, CDATA section, processing instruction or document type
    kUnexpectedEnd,   // the file ends inside markup or with elements still open
    kNotWellFormed,   // anything else the reader refused
    kDeclarationEnd,  // the XML declaration does not end with "?>"
    kSecondElement,   // `name`: a second top-level element
    kTextBefore,      // text before the top element
    kTextAfter,       // text after the top element
    kDuplicateAttribute,  // `name` written twice on the element `element`
    kNotAProject,         // the top element is not Project
    kTooDeep,             // `limit`: elements nested deeper than that
    kTooLarge,            // `size` bytes, more than `limit`
  };
  Kind kind = Kind::kNone;
  std::uint64_t at = 0;
  std::wstring name = {};
  std::wstring element = {};
  std::uint64_t size = 0;
  std::uint64_t limit = 0;
};

// The outcome of reading a sheet: a Result as everywhere else (and usable as one), with the
// refusal's kind and facts beside it when the file was no sheet or too large to read.
struct SheetLoad : Result {
  SheetRefusal refusal;

  SheetLoad() = default;
  SheetLoad(Result result, SheetRefusal kind = {}) : Result(std::move(result)), refusal(std::move(kind)) {}
};

}  // namespace pathwright
