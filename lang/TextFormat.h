// Texts from language files that take one string, such as "%s not found". They are data, not code:
// handing them to printf would let a stray "%d" or "%n" read or write arbitrary memory, so only the
// string conversions are honoured here.
#pragma once

#include <string>
#include <string_view>

namespace pathwright {

// "%%" gives "%"; the first "%s" (also written "%ls", "%S" or "%ws") gives `argument`, any later one
// gives nothing; every other "%" sequence stands as written.
inline std::wstring FormatWithString(std::wstring_view format, std::wstring_view argument) {
  std::wstring out;
  out.reserve(format.size() + argument.size());
  bool used = false;
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
    if (!used) out += argument;
    used = true;
    i += length;
  }
  return out;
}

}  // namespace pathwright
