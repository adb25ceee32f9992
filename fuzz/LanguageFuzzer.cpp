// Any bytes as a language file: the reader never fails in a bad way, and no stored text is longer
// than a line of the file can carry.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "lang/LanguageFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  pathwright::LanguageTable table;
  const bool valid = pathwright::ParseLanguage(bytes, table);
  if (!valid && !table.empty()) std::abort();
  for (const auto& [number, text] : table) {
    size_t units = 0;
    for (wchar_t c : text) units += static_cast<uint32_t>(c) > 0xFFFF ? 2 : 1;
    if (units > pathwright::kLanguageLineLimit - 2) std::abort();
  }

  pathwright::Utf8LineReader reader(bytes);
  std::wstring name;
  if (pathwright::ReadLanguageHeaderLines(reader, name) != valid) std::abort();
  if (valid && (name.empty() || name.find(L' ') != std::wstring::npos)) std::abort();
  return 0;
}
