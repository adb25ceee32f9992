#include "SheetEncoding.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <initializer_list>
#include <iterator>

#include "base/Utf8.h"

namespace pathwright {

namespace {

// Bytes as they are in the file; every comparison goes through Byte, which never sign-extends.
using Bytes = std::string_view;
unsigned char Byte(Bytes b, size_t i) { return static_cast<unsigned char>(b[i]); }

char32_t UnitAt(Bytes b, size_t at, const WideLayout& layout) {
  char32_t unit = 0;
  for (size_t k = 0; k < layout.width; ++k) {
    unit = (unit << 8) | Byte(b, at + (layout.big ? k : layout.width - 1 - k));
  }
  return unit;
}

// Offset of the first unit that is no character (a lone surrogate, a value beyond U+10FFFF, a
// final unit cut short), or npos. The reader would drop it without a word, and the sheet would
// not be written back as it was.
size_t FirstInvalidWide(Bytes b, const WideLayout& layout) {
  const size_t whole = b.size() - b.size() % layout.width;
  const auto high = [](char32_t u) { return u >= 0xD800 && u <= 0xDBFF; };
  const auto low = [](char32_t u) { return u >= 0xDC00 && u <= 0xDFFF; };
  for (size_t at = 0; at < whole; at += layout.width) {
    const char32_t u = UnitAt(b, at, layout);
    if (layout.width == 4) {
      if (high(u) || low(u) || u > 0x10FFFF) return at;
    } else if (low(u)) {
      return at;
    } else if (high(u)) {
      if (at + 2 >= whole || !low(UnitAt(b, at + 2, layout))) return at;
      at += 2;
    }
  }
  return whole == b.size() ? std::string::npos : whole;
}

// The start of a wide text as bytes, enough to read its declaration from: ASCII units as they
// are, every other unit as a byte no name holds.
std::string NarrowStart(Bytes b, const WideLayout& layout) {
  std::string narrow;
  for (size_t at = layout.bom; at + layout.width <= b.size() && narrow.size() < 512; at += layout.width) {
    const char32_t u = UnitAt(b, at, layout);
    narrow += u < 0x80 ? static_cast<char>(u) : '\x80';
  }
  return narrow;
}

// The value of the "encoding" attribute of the declaration, empty when there is none.
Bytes DeclaredEncoding(Bytes b) {
  const auto range = DeclaredEncodingRange(b);
  return range ? b.substr(range->first, range->second - range->first) : Bytes();
}

// The encodings a declaration may name, by the names and aliases in common use (the IANA
// registry's among them). The reader decodes each of them exactly; any other name is refused, as
// its bytes would be taken for something they are not (ISO-2022-JP and UTF-7 look like ASCII).
enum class Declared { kNone, kUtf8, kWide, kLatin1, kWindows1252, kAscii, kOther };

Declared Classify(Bytes name) {
  if (name.empty()) return Declared::kNone;
  const auto any = [&](std::initializer_list<std::string_view> names) {
    for (const std::string_view known : names) {
      if (AsciiNameIs(name, known)) return true;
    }
    return false;
  };
  if (any({"utf-8", "utf8"})) return Declared::kUtf8;
  if (any({"utf-16", "utf-16le", "utf-16be", "utf16", "ucs-2", "iso-10646-ucs-2", "unicode", "csunicode", "utf-32",
           "utf-32le", "utf-32be", "utf32", "ucs-4", "iso-10646-ucs-4", "csucs4"})) {
    return Declared::kWide;
  }
  if (any({"iso-8859-1", "iso8859-1", "iso_8859-1", "iso_8859-1:1987", "latin1", "latin-1", "l1", "iso-ir-100",
           "ibm819", "cp819", "csisolatin1"})) {
    return Declared::kLatin1;
  }
  if (any({"windows-1252", "cp1252", "x-cp1252", "cswindows1252"})) return Declared::kWindows1252;
  if (any({"us-ascii", "ascii", "us", "iso646-us", "ansi_x3.4-1968", "ansi_x3.4-1986", "iso-ir-6",
           "iso_646.irv:1991", "ibm367", "cp367", "csascii"})) {
    return Declared::kAscii;
  }
  return Declared::kOther;
}

// Offset of the first byte that does not start a valid UTF-8 sequence (overlong forms, surrogates
// and values above U+10FFFF included), or npos.
size_t FirstInvalidUtf8(Bytes b) {
  size_t i = 0;
  while (i < b.size()) {
    // ASCII in blocks of 32 bytes: most sheets are nearly all ASCII.
    if (i + 32 <= b.size()) {
      std::uint64_t words[4];
      std::memcpy(words, b.data() + i, sizeof words);
      if (((words[0] | words[1] | words[2] | words[3]) & 0x8080808080808080u) == 0) {
        i += 32;
        continue;
      }
    }
    const unsigned char c = Byte(b, i);
    // The length the lead byte announces and the range its second byte must lie in.
    size_t length = 4;
    unsigned char low = 0x80, high = 0xBF;
    if (c < 0x80) {
      length = 1;
    } else if (c >= 0xC2 && c <= 0xDF) {
      length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
      length = 3;
      if (c == 0xE0) low = 0xA0;   // overlong below
      if (c == 0xED) high = 0x9F;  // surrogates above
    } else if (c == 0xF0) {
      low = 0x90;
    } else if (c == 0xF4) {
      high = 0x8F;  // beyond U+10FFFF above
    } else if (c < 0xF1 || c > 0xF3) {
      return i;
    }
    if (i + length > b.size()) return i;
    for (size_t k = 1; k < length; ++k) {
      const unsigned char next = Byte(b, i + k);
      if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF)) return i;
    }
    i += length;
  }
  return std::string::npos;
}

// Windows-1252 differs from ISO-8859-1 in 0x80-0x9F; the five bytes it leaves undefined map to
// the C1 controls of the same value, as Windows itself decodes them.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

std::string Windows1252ToUtf8(Bytes b) {
  std::string out;
  out.reserve(b.size() + b.size() / 8);
  for (const char byte : b) {
    const unsigned char c = static_cast<unsigned char>(byte);
    const char32_t cp = c < 0x80 ? c : c < 0xA0 ? kWindows1252High[c - 0x80] : c;
    AppendUtf8(out, cp);
  }
  return out;
}

std::wstring Widen(Bytes name) {
  std::wstring wide;
  for (const char c : name) wide += static_cast<wchar_t>(static_cast<unsigned char>(c));
  return wide;
}

bool Allowed(char32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
         (c >= 0x10000 && c <= 0x10FFFF);
}

}  // namespace

std::optional<WideLayout> DetectWideLayout(std::string_view b) {
  if (b.size() < 4) return std::nullopt;
  const auto is = [&](int b0, int b1, int b2, int b3) {
    return (b0 < 0 || Byte(b, 0) == b0) && (b1 < 0 || Byte(b, 1) == b1) && (b2 < 0 || Byte(b, 2) == b2) &&
           (b3 < 0 || Byte(b, 3) == b3);
  };
  if (is(0, 0, 0xFE, 0xFF)) return WideLayout{.width = 4, .big = true, .bom = 4};
  if (is(0xFF, 0xFE, 0, 0)) return WideLayout{.width = 4, .big = false, .bom = 4};
  if (is(0xFE, 0xFF, -1, -1)) return WideLayout{.width = 2, .big = true, .bom = 2};
  if (is(0xFF, 0xFE, -1, -1)) return WideLayout{.width = 2, .big = false, .bom = 2};
  if (is(0, 0, 0, '<')) return WideLayout{.width = 4, .big = true};
  if (is('<', 0, 0, 0)) return WideLayout{.width = 4, .big = false};
  if (is(0, '<', -1, -1)) return WideLayout{.width = 2, .big = true};
  if (is('<', 0, -1, -1)) return WideLayout{.width = 2, .big = false};
  return std::nullopt;
}

std::optional<std::pair<size_t, size_t>> DeclaredEncodingRange(std::string_view b) {
  if (b.substr(0, 5) != "<?xml") return std::nullopt;
  const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
  size_t at = 5;
  const auto skipSpace = [&] {
    const size_t start = at;
    while (at < b.size() && isSpace(b[at])) ++at;
    return at > start;
  };
  while (skipSpace() && at < b.size()) {
    const size_t nameStart = at;
    while (at < b.size() && !isSpace(b[at]) && b[at] != '=' && b[at] != '?') ++at;
    const std::string_view name = b.substr(nameStart, at - nameStart);
    skipSpace();
    if (name.empty() || at >= b.size() || b[at] != '=') return std::nullopt;
    ++at;
    skipSpace();
    if (at >= b.size() || (b[at] != '"' && b[at] != '\'')) return std::nullopt;
    const char quote = b[at++];
    const size_t valueStart = at;
    while (at < b.size() && b[at] != quote) ++at;
    if (at >= b.size()) return std::nullopt;
    if (name == "encoding") return std::pair(valueStart, at);
    ++at;
  }
  return std::nullopt;
}

bool AsciiNameIs(std::string_view name, std::string_view lower) {
  return name.size() == lower.size() && std::equal(name.begin(), name.end(), lower.begin(), [](char c, char l) {
           return (c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c) == l;
         });
}

SheetLoad PrepareSheetBytes(std::string_view bytes, std::string& recoded, SheetBytes& encoding) {
  using Kind = SheetRefusal::Kind;
  const auto refuse = [](std::wstring why, SheetRefusal refusal) {
    return SheetLoad(Result::Failure(Result::Status::kNotASheet, std::move(why)), std::move(refusal));
  };
  const Bytes b = bytes;
  encoding = SheetBytes::kDetect;
  const std::optional<WideLayout> wide = DetectWideLayout(b);
  const bool bom = !wide && b.substr(0, 3) == "\xEF\xBB\xBF";
  const std::string narrow = wide ? NarrowStart(b, *wide) : std::string();
  const Bytes name = wide ? DeclaredEncoding(narrow) : DeclaredEncoding(b.substr(bom ? 3 : 0));
  const Declared declared = Classify(name);
  if (declared == Declared::kOther) {
    return refuse(L"the declared encoding \"" + Widen(name) +
                      L"\" is not one this program reads exactly (UTF-8, UTF-16, UTF-32, windows-1252, ISO-8859-1 or US-ASCII)",
                  {.kind = Kind::kDeclaredEncoding, .name = Widen(name)});
  }
  if (wide) {
    // The layout decides, whatever the declaration names; the reader drops what is no character.
    if (const size_t bad = FirstInvalidWide(b, *wide); bad != std::string::npos) {
      return refuse(L"the bytes at offset " + std::to_wstring(bad) + L" are not valid " +
                        (wide->width == 4 ? L"UTF-32" : L"UTF-16"),
                    {.kind = wide->width == 4 ? Kind::kInvalidUtf32 : Kind::kInvalidUtf16, .at = bad});
    }
    return {};
  }
  // A byte order mark outranks the declaration: the bytes are UTF-8.
  if (!bom && declared == Declared::kLatin1) {
    encoding = SheetBytes::kLatin1;
    return {};
  }
  encoding = SheetBytes::kUtf8;
  if (!bom && declared == Declared::kWindows1252) {
    recoded = Windows1252ToUtf8(b);
    return {};
  }
  // UTF-16 or UTF-32 declared over bytes of neither reads right only while every byte is ASCII.
  const bool utf8 = bom || declared == Declared::kNone || declared == Declared::kUtf8;
  size_t bad = std::string::npos;
  if (utf8) {
    bad = FirstInvalidUtf8(b);
  } else {
    for (size_t i = 0; i < b.size() && bad == std::string::npos; ++i) {
      if (Byte(b, i) >= 0x80) bad = i;
    }
  }
  if (bad == std::string::npos) return {};
  if (utf8) {
    return refuse(L"the bytes at offset " + std::to_wstring(bad) +
                      L" are not valid UTF-8 (a sheet that declares no other encoding must be UTF-8)",
                  {.kind = Kind::kInvalidUtf8, .at = bad});
  }
  return refuse(L"the byte at offset " + std::to_wstring(bad) + L" is not ASCII, and the declared encoding \"" +
                    Widen(name) + L"\" cannot hold it",
                {.kind = Kind::kNotAscii, .at = bad, .name = Widen(name)});
}

std::optional<ForbiddenCharacter> FindForbiddenCharacter(std::wstring_view text) {
  for (size_t i = 0, position = 1; i < text.size(); ++position) {
    const size_t at = i;
    const char32_t c = NextCodePoint(text, i);  // a surrogate pair is one character beyond U+FFFF
    if (!Allowed(c)) return ForbiddenCharacter{.offset = at, .position = position, .code = c};
  }
  return std::nullopt;
}

std::wstring DescribeForbiddenCharacter(const ForbiddenCharacter& found) {
  return CodePointName(found.code) + L" at position " + std::to_wstring(found.position);
}

}  // namespace pathwright
