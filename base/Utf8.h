// The one place where UTF-8 bytes become wide strings and back. wchar_t is 16 bits on Windows
// (UTF-16, surrogate pairs) and 32 bits on Linux (UTF-32); both are handled here, so the rest of
// the program never depends on the width.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pathwright {

// Invalid or truncated sequences, overlong forms, surrogates and values above U+10FFFF each
// become U+FFFD; decoding never fails and never reads past the input.
std::wstring DecodeUtf8(std::string_view bytes);

// Decodes the one character that starts at bytes[pos] (pos < bytes.size()) by the same rules and
// moves pos past the bytes it took. Line breaks are never taken into a character: they are not
// continuation bytes, so a broken sequence ends before them.
char32_t DecodeUtf8Char(std::string_view bytes, size_t& pos);

// Writes a code point from DecodeUtf8Char at `out` as one wide character, or as a surrogate pair
// where wchar_t is 16 bits; returns the position after it.
wchar_t* PutWideChar(char32_t cp, wchar_t* out);

// Appends one code point (at most U+10FFFF, no surrogate) as UTF-8.
void AppendUtf8(std::string& out, char32_t cp);

// Lone surrogates (on 16-bit wchar_t) and invalid code points become U+FFFD.
std::string EncodeUtf8(std::wstring_view text);

// Whether bytes start with the UTF-8 byte-order mark EF BB BF.
bool StartsWithUtf8Bom(std::string_view bytes);

}  // namespace pathwright
