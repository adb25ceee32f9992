#include "EnvironmentPaths.h"

#include <cwctype>

namespace pathwright {

namespace {
std::wstring Lower(std::wstring text) {
  for (auto& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

bool IsSingleDrivePath(const std::wstring& value) {
  const size_t colonSlash = value.find(L":\\");
  if (colonSlash != 1) return false;
  return value.size() <= 3 || value.find(L':', 3) == std::wstring::npos;
}
}  // namespace

std::wstring SubstituteEnvironment(const std::wstring& path, const std::vector<std::wstring>& environment) {
  const std::wstring lower = Lower(path);
  for (const std::wstring& entry : environment) {
    const size_t equals = entry.find(L'=');
    if (equals == std::wstring::npos || equals == 0) continue;  // "=C:=C:\x" entries carry no name
    std::wstring value = entry.substr(equals + 1);
    if (!IsSingleDrivePath(value)) continue;
    while (!value.empty() && value.back() == L'\\') value.pop_back();
    value = Lower(value);
    if (lower.compare(0, value.size(), value) != 0) continue;
    if (lower.size() > value.size() && lower[value.size()] != L'\\') continue;
    return L"$(" + entry.substr(0, equals) + L")" + path.substr(value.size());
  }
  return path;
}

std::wstring ExpandLeadingReference(const std::wstring& entry,
                                    const std::function<std::optional<std::wstring>(const std::wstring&)>& lookup) {
  if (entry.compare(0, 2, L"$(") != 0) return entry;
  const size_t close = entry.find(L')', 2);
  if (close == std::wstring::npos) return entry;
  const std::wstring name = entry.substr(2, close - 2);
  const std::wstring reference = L"$(" + name + L")";
  const std::wstring value = lookup(name).value_or(L"");
  std::wstring result;
  size_t start = 0;
  for (size_t p; (p = entry.find(reference, start)) != std::wstring::npos; start = p + reference.size()) {
    result.append(entry, start, p - start);
    result += value;
  }
  result.append(entry, start);
  return result;
}

}  // namespace pathwright
