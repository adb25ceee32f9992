#include "SheetEncoding.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <iterator>

#include "base/Utf8.h"

namespace pathwright {

namespace {

// Bytes as they are in the file; every comparison goes through Byte, which never sign-extends.
using Bytes = std::string_view;
unsigned char Byte(Bytes b, size_t i) { return static_cast<unsigned char>(b[i]); }

// Whether the XML reader's detection takes the bytes for UTF-16 or UTF-32: a byte order mark, or "<"
// (and "<?") laid out in units wider than a byte.
bool LooksWide(Bytes b) {
  if (b.size() < 4) return false;
  const auto is = [&](int b0, int b1, int b2, int b3) {
    return (b0 < 0 || Byte(b, 0) == b0) && (b1 < 0 || Byte(b, 1) == b1) && (b2 < 0 || Byte(b, 2) == b2) &&
           (b3 < 0 || Byte(b, 3) == b3);
  };
  return is(0, 0, 0xFE, 0xFF) || is(0xFF, 0xFE, -1, -1) || is(0xFE, 0xFF, -1, -1) || is(0, 0, 0, '<') ||
         is('<', 0, -1, -1) || is(0, '<', -1, -1);
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The value of the "encoding" attribute of an XML declaration at the very start, read attribute by
// attribute as the parser builds them (the attribute a save corrects); empty when there is none.
Bytes DeclaredEncoding(Bytes b) {
  if (b.substr(0, 5) != "<?xml") return {};
  size_t at = 5;
  const auto skipSpace = [&] {
    const size_t start = at;
    while (at < b.size() && IsSpace(b[at])) ++at;
    return at > start;
  };
  while (skipSpace() && at < b.size()) {
    const size_t nameStart = at;
    while (at < b.size() && !IsSpace(b[at]) && b[at] != '=' && b[at] != '?') ++at;
    const Bytes name = b.substr(nameStart, at - nameStart);
    skipSpace();
    if (name.empty() || at >= b.size() || b[at] != '=') return {};
    ++at;
    skipSpace();
    if (at >= b.size() || (b[at] != '"' && b[at] != '\'')) return {};
    const char quote = b[at++];
    const size_t valueStart = at;
    while (at < b.size() && b[at] != quote) ++at;
    if (at >= b.size()) return {};
    if (name == "encoding") return b.substr(valueStart, at - valueStart);
    ++at;
  }
  return {};
}

bool NameIs(Bytes name, std::string_view lower) {
  if (name.size() != lower.size()) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    if ((c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c) != lower[i]) return false;
  }
  return true;
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

bool PrepareSheetBytes(std::string_view bytes, std::string& recoded, SheetBytes& encoding, std::wstring& why) {
  const Bytes b = bytes;
  encoding = SheetBytes::kDetect;
  if (LooksWide(b)) return true;
  const bool bom = b.substr(0, 3) == "\xEF\xBB\xBF";
  const Bytes name = bom ? Bytes() : DeclaredEncoding(b);  // a byte order mark outranks the declaration
  if (NameIs(name, "iso-8859-1") || NameIs(name, "latin1")) {
    encoding = SheetBytes::kLatin1;
    return true;
  }
  encoding = SheetBytes::kUtf8;
  if (NameIs(name, "windows-1252") || NameIs(name, "cp1252")) {
    recoded = Windows1252ToUtf8(b);
    return true;
  }
  const bool utf8 = name.empty() || NameIs(name, "utf-8") || NameIs(name, "utf8");
  size_t bad = std::string::npos;
  if (utf8) {
    bad = FirstInvalidUtf8(b);
  } else {
    for (size_t i = 0; i < b.size() && bad == std::string::npos; ++i) {
      if (Byte(b, i) >= 0x80) bad = i;
    }
  }
  if (bad == std::string::npos) return true;
  why = utf8 ? L"the bytes at offset " + std::to_wstring(bad) +
                   L" are not valid UTF-8 (a sheet that declares no other encoding must be UTF-8)"
             : L"the byte at offset " + std::to_wstring(bad) + L" is not ASCII, and the declared encoding \"" +
                   Widen(name) + L"\" cannot be read exactly (use UTF-8)";
  return false;
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
