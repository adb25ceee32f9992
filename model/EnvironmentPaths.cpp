#include "EnvironmentPaths.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>

namespace pathwright {

namespace {
bool IsAsciiLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

bool IsMsBuildPropertyName(std::wstring_view name) {
  if (name.empty() || !(IsAsciiLetter(name[0]) || name[0] == L'_')) return false;
  return std::all_of(name.begin(), name.end(),
                     [](wchar_t c) { return IsAsciiLetter(c) || (c >= L'0' && c <= L'9') || c == L'_'; });
}

bool EqualsAsciiNoCase(std::wstring_view a, std::wstring_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
           const auto fold = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c; };
           return fold(x) == fold(y);
         });
}

// Names whose values a 32-bit process sees differently from a 64-bit one.
bool DependsOnBitness(std::wstring_view name) {
  return EqualsAsciiNoCase(name, L"ProgramFiles") || EqualsAsciiNoCase(name, L"CommonProgramFiles");
}

bool IsSingleDrivePath(const std::wstring& value) {
  const size_t colonSlash = value.find(L":\\");
  if (colonSlash != 1) return false;
  return value.size() <= 3 || value.find(L':', 3) == std::wstring::npos;
}
}  // namespace

std::wstring SubstituteEnvironment(const std::wstring& path, const std::vector<std::wstring>& environment) {
  const std::wstring lower = LowerCase(path);
  std::wstring_view bestName;
  size_t bestLength = 0;
  for (const std::wstring& entry : environment) {
    const size_t equals = entry.find(L'=');
    if (equals == std::wstring::npos) continue;
    const std::wstring_view name(entry.data(), equals);  // "=C:=C:\x" entries have no name and are skipped
    if (!IsMsBuildPropertyName(name) || DependsOnBitness(name)) continue;
    std::wstring value = entry.substr(equals + 1);
    if (!IsSingleDrivePath(value)) continue;
    while (!value.empty() && value.back() == L'\\') value.pop_back();
    // A drive root alone would take over every pick on its drive.
    if (value.size() <= 2) continue;
    value = LowerCase(value);
    if (lower.compare(0, value.size(), value) != 0) continue;
    if (lower.size() > value.size() && lower[value.size()] != L'\\') continue;
    if (value.size() > bestLength || (value.size() == bestLength && name < bestName)) {
      bestName = name;
      bestLength = value.size();
    }
  }
  if (bestLength == 0) return path;
  return L"$(" + std::wstring(bestName) + L")" + path.substr(bestLength);
}

std::wstring ExpandLeadingReference(const std::wstring& entry,
                                    const std::function<std::optional<std::wstring>(const std::wstring&)>& lookup) {
  if (entry.compare(0, 2, L"$(") != 0) return entry;
  const size_t close = entry.find(L')', 2);
  if (close == std::wstring::npos) return entry;
  const std::wstring name = entry.substr(2, close - 2);
  const std::wstring reference = L"$(" + name + L")";
  const std::wstring value = lookup(name).value_or(L"");
  std::wstring trimmed = value;
  while (!trimmed.empty() && trimmed.back() == L'\\') trimmed.pop_back();
  std::wstring result;
  size_t start = 0;
  for (size_t p; (p = entry.find(reference, start)) != std::wstring::npos; start = p + reference.size()) {
    result.append(entry, start, p - start);
    const size_t after = p + reference.size();
    // TOOLS=C:\Tools\ and $(TOOLS)\lib: the browser can select C:\Tools\lib, not C:\Tools\\lib.
    result += after < entry.size() && entry[after] == L'\\' ? trimmed : value;
  }
  result.append(entry, start);
  return result;
}

}  // namespace pathwright
