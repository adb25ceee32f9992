#include "SheetLocation.h"

namespace pathwright {

std::wstring UserSheetFolder(const std::wstring& localAppData) { return localAppData + L"\\Microsoft\\MSBuild\\v4.0"; }

std::wstring UserSheetName(const std::wstring& platform) { return L"Microsoft.Cpp." + platform + L".user.props"; }

std::wstring UserSheetPath(const std::wstring& localAppData, const std::wstring& platform) {
  return UserSheetFolder(localAppData) + L"\\" + UserSheetName(platform);
}

}  // namespace pathwright
