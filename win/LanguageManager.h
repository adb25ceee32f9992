// The language manager: the languages on offer and the loaded language's texts; and the numbered
// captions of a dialog, which the dialog keeps to translate itself again when the language changes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "base/FileSystem.h"
#include "lang/Catalogue.h"
#include "lang/LanguageFile.h"

namespace pathwright {

class CLanguageManager {
 public:
  CLanguageManager();
  CLanguageManager(const CLanguageManager&) = delete;
  CLanguageManager& operator=(const CLanguageManager&) = delete;

  // The folder the language files are read from; a missing final backslash is added.
  void SetFolder(std::wstring folder);
  const std::wstring& Folder() const { return m_folder; }

  // Rebuilds the catalogue from the folder's "*.lng" files, in listing order; a file with a bad
  // header is skipped.
  void ScanLanguages();
  const LanguageCatalogue& Languages() const { return m_languages; }

  // Loads the file the catalogue names for the display name. When that fails (the name offered by
  // no file included) the texts in force stay, and the result names the file and says why.
  Result SelectLanguage(const std::wstring& displayName);

  std::wstring GetText(uint32_t number) const { return pathwright::GetText(m_texts, number); }

  // Replaces the numbered captions of a dialog that opens, once.
  void TranslateWindow(HWND window) const;

 private:
  friend class NumberedCaptions;

  LanguageCatalogue m_languages;
  LanguageTable m_texts;
  std::wstring m_pattern;
  std::wstring m_folder;
};

// The captions of a dialog and its direct children that its template gives as text numbers, with
// their windows. A dialog collects them when it opens, before it sets captions of its own; after
// the first translation they no longer show their numbers, so a dialog that changes language keeps
// them for as long as its windows live. User data (edit lines, lists, the platform field) is never
// taken for a number.
class NumberedCaptions {
 public:
  NumberedCaptions() = default;
  explicit NumberedCaptions(HWND dialog);

  // Each caption gets the loaded language's text; one the language has no text for keeps what it
  // shows (its number, or the previous language's text).
  void Translate(const CLanguageManager& languages) const;

 private:
  HWND m_dialog = nullptr;
  std::vector<std::pair<HWND, uint32_t>> m_captions;
};

// The process-wide manager, constructed before wWinMain runs.
CLanguageManager& LanguageManager();

}  // namespace pathwright
