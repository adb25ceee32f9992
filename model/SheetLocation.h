// Where the current user's MSBuild property sheets live and what they are called: the one place
// that spells the folder below the local application data folder and the sheet's file name.
#pragma once

#include <string>

namespace pathwright {

// The platform whose sheet is opened when none is named.
inline constexpr const wchar_t* kDefaultPlatform = L"Win32";

// "<localAppData>\Microsoft\MSBuild\v4.0": the folder of the user's sheets.
std::wstring UserSheetFolder(const std::wstring& localAppData);

// "Microsoft.Cpp.<platform>.user.props".
std::wstring UserSheetName(const std::wstring& platform);

// The user's sheet for the platform: the folder, a backslash and the name.
std::wstring UserSheetPath(const std::wstring& localAppData, const std::wstring& platform);

// The sheet of the platform in a folder of sheets named by this system's own paths (a separator is
// put between them unless the folder ends with one).
std::wstring SheetInFolder(const std::wstring& folder, const std::wstring& platform);

}  // namespace pathwright
