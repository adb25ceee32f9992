#include "base/Text.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <iterator>

namespace pathwright {

namespace {
struct LowerRun {
  uint16_t first, last;
  uint8_t step;
  int32_t delta;
};

constexpr LowerRun kLowerRuns[] = {
#include "LowerCaseTable.inc"
};

wchar_t LowerChar(wchar_t c) {
  const auto code = static_cast<uint32_t>(c);
  if (code < 0x41 || code > 0xFFFF) return c;
  // The last run that starts at or before the character is the only one that can hold it.
  const auto* run = std::upper_bound(std::begin(kLowerRuns), std::end(kLowerRuns), code,
                                     [](uint32_t value, const LowerRun& r) { return value < r.first; });
  if (run == std::begin(kLowerRuns)) return c;
  --run;
  if (code > run->last || (code - run->first) % run->step != 0) return c;
  return static_cast<wchar_t>(static_cast<int32_t>(code) + run->delta);
}

constexpr std::wstring_view kBlanks = L" \t\r\n";
}  // namespace

std::wstring LowerCase(std::wstring_view text) {
  std::wstring lower(text);
  for (wchar_t& c : lower) c = LowerChar(c);
  return lower;
}

bool SameText(std::wstring_view a, std::wstring_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) { return LowerChar(x) == LowerChar(y); });
}

std::wstring_view TrimView(std::wstring_view text) {
  const size_t first = text.find_first_not_of(kBlanks);
  if (first == std::wstring_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

std::wstring Trim(std::wstring_view text) { return std::wstring(TrimView(text)); }

char32_t NextCodePoint(std::wstring_view text, size_t& pos) {
  const auto unit = static_cast<char32_t>(text[pos++]);
  if constexpr (sizeof(wchar_t) == 2) {
    if (unit >= 0xD800 && unit <= 0xDBFF && pos < text.size()) {
      const auto low = static_cast<char32_t>(text[pos]);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        ++pos;
        return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
      }
    }
  }
  return unit;
}

std::wstring CodePointName(char32_t code) {
  wchar_t name[16];
  std::swprintf(name, std::size(name), L"U+%04X", static_cast<unsigned>(code));
  return name;
}

}  // namespace pathwright
