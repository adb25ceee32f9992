#include "Catalogue.h"

#include "lang/LanguageFile.h"
#include "base/FileSystem.h"

namespace pathwright {

namespace {
// The header lies within the first bytes of a file: the mark, the encoding line and the first 254
// characters of the LangID line (at most three bytes each) are all a header check ever reads.
constexpr size_t kLanguageHeaderBytes = 4096;
}  // namespace

bool ReadLanguageHeader(const std::wstring& folder, const std::wstring& fileName, LanguageCatalogue& catalogue) {
  std::string bytes;
  if (!ReadFileBytes(folder + fileName, bytes,
                     {.maxFileSize = kMaxLanguageFileBytes, .maxRead = kLanguageHeaderBytes})) {
    return false;
  }
  Utf8LineReader reader(bytes);
  std::wstring displayName;
  if (!ReadLanguageHeaderLines(reader, displayName)) return false;
  catalogue[displayName] = fileName;
  return true;
}

void ScanLanguages(const std::wstring& folder, const std::vector<std::wstring>& names, LanguageCatalogue& catalogue) {
  catalogue.clear();
  // One file that cannot be read or is no language file hides nothing listed after it.
  for (const std::wstring& name : names) ReadLanguageHeader(folder, name, catalogue);
}

void ScanLanguages(const std::wstring& folder, const std::wstring& pattern, LanguageCatalogue& catalogue) {
  ScanLanguages(folder, ListMatchingEntries(folder, pattern), catalogue);
}

}  // namespace pathwright
