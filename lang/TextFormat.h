// Texts from language files that take one string, such as "%s not found". They are data, not code:
// handing them to printf would let a stray "%d" or "%n" read or write arbitrary memory, so only the
// string conversions are honoured here.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace pathwright {

// "%%" gives "%"; each "%s" (also written "%ls", "%S" or "%ws") gives the next of `arguments`, one
// past the last gives nothing; every other "%" sequence stands as written.
inline std::wstring FormatWithStrings(std::wstring_view format, std::initializer_list<std::wstring_view> arguments) {
  std::wstring out;
  out.reserve(format.size() + 32);
  const std::wstring_view* argument = arguments.begin();
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] != L'%' || i + 1 >= format.size()) {
      out += format[i];
      continue;
    }
    const wchar_t next = format[i + 1];
    size_t length = 0;  // characters of the conversion after the '%'
    if (next == L'%') {
      out += L'%';
      ++i;
      continue;
    }
    if (next == L's' || next == L'S') {
      length = 1;
    } else if ((next == L'l' || next == L'w') && i + 2 < format.size() && format[i + 2] == L's') {
      length = 2;
    }
    if (length == 0) {
      out += format[i];
      continue;
    }
    if (argument != arguments.end()) out += *argument++;
    i += length;
  }
  return out;
}

// As above with one argument: a later "%s" gives nothing.
inline std::wstring FormatWithString(std::wstring_view format, std::wstring_view argument) {
  return FormatWithStrings(format, {argument});
}

}  // namespace pathwright
