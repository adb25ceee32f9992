#include "SheetLocation.h"

#include <algorithm>

namespace pathwright {

namespace {
constexpr std::wstring_view kSheetPrefix = L"Microsoft.Cpp.";
constexpr std::wstring_view kSheetSuffix = L".user.props";

bool SameAscii(std::wstring_view a, std::wstring_view b) {
  const auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](wchar_t x, wchar_t y) {
           return lower(x) == lower(y);
         });
}
}  // namespace

std::wstring UserSheetFolder(const std::wstring& localAppData) { return localAppData + L"\\Microsoft\\MSBuild\\v4.0"; }

bool IsPlatformName(std::wstring_view name) {
  return !name.empty() && std::all_of(name.begin(), name.end(), [](wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'_' || c == L'-';
  });
}

std::wstring PlatformOfSheetName(std::wstring_view fileName) {
  if (fileName.size() <= kSheetPrefix.size() + kSheetSuffix.size()) return {};
  if (!SameAscii(fileName.substr(0, kSheetPrefix.size()), kSheetPrefix)) return {};
  if (!SameAscii(fileName.substr(fileName.size() - kSheetSuffix.size()), kSheetSuffix)) return {};
  const std::wstring_view platform =
      fileName.substr(kSheetPrefix.size(), fileName.size() - kSheetPrefix.size() - kSheetSuffix.size());
  return IsPlatformName(platform) ? std::wstring(platform) : std::wstring();
}

std::wstring UserSheetName(const std::wstring& platform) {
  return std::wstring(kSheetPrefix) + platform + std::wstring(kSheetSuffix);
}

std::wstring UserSheetPath(const std::wstring& localAppData, const std::wstring& platform) {
  return UserSheetFolder(localAppData) + L"\\" + UserSheetName(platform);
}

std::wstring SheetInFolder(const std::wstring& folder, const std::wstring& platform) {
#ifdef _WIN32
  constexpr wchar_t kSeparator = L'\\';
#else
  constexpr wchar_t kSeparator = L'/';
#endif
  const bool ends = !folder.empty() && (folder.back() == kSeparator || folder.back() == L'/');
  return (ends ? folder : folder + kSeparator) + UserSheetName(platform);
}

}  // namespace pathwright
