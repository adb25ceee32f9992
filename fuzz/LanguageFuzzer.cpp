// Any bytes as a language file: the reader never fails in a bad way, and no stored text is longer
// than a line of the file can carry. Every text read is also used as a format: the argument goes in
// at most once, and a text whose '%' are all doubled comes back exactly as it was.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "lang/LanguageFile.h"
#include "lang/TextFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  pathwright::LanguageTable table;
  const bool valid = pathwright::ParseLanguage(bytes, table);
  if (!valid && !table.empty()) std::abort();
  for (const auto& [number, text] : table) {
    size_t units = 0;
    for (wchar_t c : text) units += static_cast<uint32_t>(c) > 0xFFFF ? 2 : 1;
    if (units > pathwright::kLanguageLineLimit - 2) std::abort();

    const std::wstring_view argument = L"C:\\100%\\%s";
    const std::wstring formatted = pathwright::FormatWithString(text, argument);
    const size_t bare = pathwright::FormatWithString(text, L"").size();
    if (bare > text.size() || (formatted.size() != bare && formatted.size() != bare + argument.size())) std::abort();
    if (text.find(L'%') == std::wstring::npos && formatted != text) std::abort();
    std::wstring escaped;
    for (wchar_t c : text) escaped += c == L'%' ? L"%%" : std::wstring(1, c);
    if (pathwright::FormatWithString(escaped, argument) != text) std::abort();
  }

  pathwright::Utf8LineReader reader(bytes);
  std::wstring name;
  if (pathwright::ReadLanguageHeaderLines(reader, name) != valid) std::abort();
  if (valid && (name.empty() || name.find(L' ') != std::wstring::npos)) std::abort();
  return 0;
}
