// Text rules every layer shares: letter case as Windows folds it (file names, property names and
// environment names all ignore case the same way), blanks, and walking a wide string by characters
// whatever the width of wchar_t.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pathwright {

// The text with every character of the Basic Multilingual Plane that has a simple lower-case
// mapping lowered, as CharLowerW does on Windows.
std::wstring LowerCase(std::wstring_view text);

// Whether the two are equal once lowered as LowerCase does.
bool SameText(std::wstring_view a, std::wstring_view b);

// Without the spaces, tabs and line breaks at either end.
std::wstring_view TrimView(std::wstring_view text);
std::wstring Trim(std::wstring_view text);

// The character that starts at text[pos] (a surrogate pair read as one where wchar_t is 16 bits; a
// lone surrogate is returned as itself) and moves pos past it.
char32_t NextCodePoint(std::wstring_view text, size_t& pos);

// "U+0041": how a character is named to the user.
std::wstring CodePointName(char32_t code);

}  // namespace pathwright
