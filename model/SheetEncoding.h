// The characters of a sheet: its bytes are read exactly or not at all, and nothing is written that
// an XML 1.0 reader such as MSBuild's would refuse.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "SheetRefusal.h"
#include "base/Text.h"

namespace pathwright {

// How the XML reader is to take the bytes of a sheet.
enum class SheetBytes {
  kDetect,  // UTF-16 or UTF-32, told apart by the reader (byte order mark or layout)
  kUtf8,
  kLatin1,
};

// Readies the raw bytes of a sheet for the XML reader and names the encoding to read them in, so that
// every character comes through unchanged. UTF-16 and UTF-32 are left to the reader's detection (byte
// order mark or layout) and must hold characters only, no lone surrogate; a UTF-8 byte order mark
// means UTF-8 whatever the declaration says; otherwise a declared ISO-8859-1 is read as such, a
// declared windows-1252 is recoded to UTF-8, a declared US-ASCII (or UTF-16 or UTF-32 above bytes
// laid out as neither) must be ASCII, and everything else must be valid UTF-8. A declaration of any
// other encoding is refused, whatever the bytes. Fails (Result::Status::kNotASheet, with the reason
// and its kind) when the bytes cannot be read exactly. `recoded` receives the bytes to parse when
// they differ from `bytes` (windows-1252) and stays empty otherwise.
SheetLoad PrepareSheetBytes(std::string_view bytes, std::string& recoded, SheetBytes& encoding);

// How the XML reader's own detection lays out UTF-16 or UTF-32: a byte order mark, or "<" in units
// wider than a byte, checked in the reader's order. Nothing for 8-bit text.
struct WideLayout {
  size_t width = 2;  // bytes per unit
  bool big = false;  // big-endian
  size_t bom = 0;    // bytes of the byte order mark
};
std::optional<WideLayout> DetectWideLayout(std::string_view bytes);

// The byte range of the value of the "encoding" attribute of an XML declaration at the very start of
// 8-bit text, read attribute by attribute as the reader builds them; nothing when there is none.
std::optional<std::pair<size_t, size_t>> DeclaredEncodingRange(std::string_view bytes);

// An encoding name compared as the registry compares them: ASCII letters in any case.
bool AsciiNameIs(std::string_view name, std::string_view lower);

// A character XML 1.0 does not allow: U+0000-U+0008, U+000B, U+000C, U+000E-U+001F, U+FFFE,
// U+FFFF, or an unpaired surrogate.
struct ForbiddenCharacter {
  size_t offset = 0;    // index of its first wchar_t in the text, as an edit control selects it
  size_t position = 0;  // 1-based, counting characters as a user does (a surrogate pair is one)
  char32_t code = 0;    // the character, or the lone surrogate's value
};

// The first such character in the text, if any.
std::optional<ForbiddenCharacter> FindForbiddenCharacter(std::wstring_view text);

// "U+0001 at position 5", for messages.
std::wstring DescribeForbiddenCharacter(const ForbiddenCharacter& found);

}  // namespace pathwright
