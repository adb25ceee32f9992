#include "Settings.h"

#include "lang/LanguageFile.h"
#include "base/Utf8.h"

namespace pathwright {

namespace {
// Two short lines; a larger file is not a settings file and is taken as unreadable.
constexpr size_t kMaxSettingsFileBytes = 64 * 1024;

// Only line feeds are stripped: CR LF has already become one line feed, and a lone CR is kept.
bool ReadSettingsLine(Utf8LineReader& reader, std::wstring& line) {
  if (!reader.ReadRaw(line, kSettingsLineLimit)) return false;
  while (!line.empty() && line.back() == L'\n') line.pop_back();
  return true;
}
}  // namespace

Settings ParseSettings(std::string_view bytes) {
  Settings settings;
  settings.found = true;
  Utf8LineReader reader(bytes);
  ReadSettingsLine(reader, settings.language);
  std::wstring line;
  settings.option = ReadSettingsLine(reader, line) && line == L"true" ? 1 : 0;
  while (ReadSettingsLine(reader, line)) {
    const size_t equals = line.find(L'=');
    // A line without a name is no setting; the first of two lines with one name stands.
    if (equals == std::wstring::npos || equals == 0) continue;
    settings.values.emplace(line.substr(0, equals), line.substr(equals + 1));
  }
  return settings;
}

std::string FormatSettings(std::wstring_view language, int option, const std::map<std::wstring, std::wstring>& values) {
  std::string bytes = "\xEF\xBB\xBF";
  bytes += EncodeUtf8(language);
  bytes += "\r\n";
  bytes += option != 0 ? "true\r\n" : "false\r\n";
  for (const auto& [name, value] : values) {
    // A line break in a value would make lines of its own when read back.
    if (name.empty() || name.find_first_of(L"=\r\n") != std::wstring::npos ||
        value.find_first_of(L"\r\n") != std::wstring::npos) {
      continue;
    }
    bytes += EncodeUtf8(name) + "=" + EncodeUtf8(value) + "\r\n";
  }
  return bytes;
}

Settings ReadSettingsFile(const std::wstring& path) {
  std::string bytes;
  if (!ReadFileBytes(path, bytes, {.maxFileSize = kMaxSettingsFileBytes})) return Settings{};
  return ParseSettings(bytes);
}

Result WriteSettingsFile(const std::wstring& path, std::wstring_view language, int option,
                         const std::map<std::wstring, std::wstring>& values) {
  return ReplaceFileAtomically(path, FormatSettings(language, option, values));
}

}  // namespace pathwright
