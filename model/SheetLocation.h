// Where the current user's MSBuild property sheets live and what they are called: the one place
// that spells the folder below the local application data folder and the sheet's file name.
#pragma once

#include <string>
#include <string_view>

namespace pathwright {

// The platform whose sheet is opened when none is named.
inline constexpr const wchar_t* kDefaultPlatform = L"Win32";

// "<localAppData>\Microsoft\MSBuild\v4.0": the folder of the user's sheets.
std::wstring UserSheetFolder(const std::wstring& localAppData);

// Whether the name can be a platform's: ASCII letters, digits, "_" and "-", nothing else (no blank,
// no dot, no separator, no control character). The name becomes part of a file name, so the one
// rule holds wherever a platform is named: on the command line, in a config, in a folder's names.
bool IsPlatformName(std::wstring_view name);

// The platform a user sheet's file name names ("Microsoft.Cpp.x64.user.props" names x64; prefix
// and suffix in any letter case, as Windows matches file names); empty for any other file name.
std::wstring PlatformOfSheetName(std::wstring_view fileName);

// "Microsoft.Cpp.<platform>.user.props".
std::wstring UserSheetName(const std::wstring& platform);

// The user's sheet for the platform: the folder, a backslash and the name.
std::wstring UserSheetPath(const std::wstring& localAppData, const std::wstring& platform);

// The sheet of the platform in a folder of sheets named by this system's own paths (a separator is
// put between them unless the folder ends with one).
std::wstring SheetInFolder(const std::wstring& folder, const std::wstring& platform);

}  // namespace pathwright
