// The languages on offer: display name (the second word of a file's LangID line) -> bare file name
// in the language folder. Ordered by code units, which is the order the language combobox shows.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace pathwright {

using LanguageCatalogue = std::map<std::wstring, std::wstring>;

// Reads the header of folder + fileName; when it is valid, enters its display name with the file
// name, replacing the file of an earlier entry of the same name. The text lines are not read.
bool ReadLanguageHeader(const std::wstring& folder, const std::wstring& fileName, LanguageCatalogue& catalogue);

// Empties the catalogue and reads the headers of the given names in the given order. A name whose
// header cannot be read or is not valid is skipped.
void ScanLanguages(const std::wstring& folder, const std::vector<std::wstring>& names, LanguageCatalogue& catalogue);

// The same over the folder's entries that match the pattern, in the order the folder lists them.
void ScanLanguages(const std::wstring& folder, const std::wstring& pattern, LanguageCatalogue& catalogue);

}  // namespace pathwright
