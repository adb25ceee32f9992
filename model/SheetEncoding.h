// The characters of a sheet: its bytes are read exactly or not at all, and nothing is written that
// an XML 1.0 reader such as MSBuild's would refuse.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace pathwright {

// Readies the raw bytes of a sheet for pugixml's own encoding detection so that every character
// comes through unchanged. UTF-16, UTF-32 and ISO-8859-1 stay as pugixml reads them; a sheet that
// declares windows-1252 (or cp1252) is recoded to UTF-8; bytes read as UTF-8 must be valid UTF-8;
// any other declared encoding is taken only for pure ASCII bytes. False, with the reason for the
// user, when the bytes cannot be read exactly.
bool PrepareSheetBytes(std::string& bytes, std::wstring& why);

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
