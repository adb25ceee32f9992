#include "SheetLocation.h"

namespace pathwright {

std::wstring UserSheetFolder(const std::wstring& localAppData) { return localAppData + L"\\Microsoft\\MSBuild\\v4.0"; }

std::wstring UserSheetName(const std::wstring& platform) { return L"Microsoft.Cpp." + platform + L".user.props"; }

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
