// The settings file programm.ini: line 1 the chosen language's display name, line 2 "true" or
// "false" for the environment substitution option, then any number of "name=value" lines (the
// platform in use, the window's width, the list editor's size). UTF-8 with a byte-order mark, CR LF line ends, always
// rewritten whole. Files of older versions end after line 2 and read as before; names this version
// does not know are kept when the file is rewritten.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>

#include "base/FileSystem.h"

namespace pathwright {

inline constexpr std::wstring_view kSettingsFileName = L"programm.ini";

// Longest line read from the settings file; the rest of a longer line is read as the next line.
inline constexpr size_t kSettingsLineLimit = 1023;

struct Settings {
  std::wstring language;  // line 1 as it stands; empty when the file has none
  int option = 0;         // 1 only when line 2 is exactly "true"
  bool found = false;     // false when the file could not be read: keep the option as it was
  std::map<std::wstring, std::wstring> values;  // the "name=value" lines after line 2
};

// Names of the "name=value" lines.
inline constexpr const wchar_t* kSettingPlatform = L"platform";  // the platform whose sheet was open last
inline constexpr const wchar_t* kSettingWidth = L"width";        // the main window's width at 96 dots per inch
inline constexpr const wchar_t* kSettingEditorSize = L"editor";  // the list editor's "width x height" at 96 dpi

Settings ParseSettings(std::string_view bytes);
std::string FormatSettings(std::wstring_view language, int option,
                           const std::map<std::wstring, std::wstring>& values = {});

// Reads the settings file at `path`.
Settings ReadSettingsFile(const std::wstring& path);

// Replaces the settings file at `path` in one step, so a failed write leaves the old file whole.
Result WriteSettingsFile(const std::wstring& path, std::wstring_view language, int option,
                         const std::map<std::wstring, std::wstring>& values = {});

}  // namespace pathwright
