// The language manager: the languages on offer, the loaded language's texts, and the windows whose
// captions were placeholders, so that a language change reaches every open dialog again.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

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

  // Loads the file the catalogue names for the display name. A name not in the catalogue changes
  // nothing and gives false; a file that fails to load leaves the table empty.
  bool SelectLanguage(const std::wstring& displayName);
  bool LoadLanguage(const std::wstring& fileName);

  std::wstring GetText(uint32_t number) const { return pathwright::GetText(m_texts, number); }

  // Every dialog calls this when it opens, before it sets captions of its own: numbered captions of
  // the window and its direct children are registered and replaced by their texts, and every window
  // registered earlier gets the text of the loaded language again.
  void TranslateWindow(HWND window);

  // LoadStringW's copying form, translated: a string resource "<number> <built-in text>" comes back
  // as the loaded language's text for the number, or as it stands when the language has none (or an
  // empty one). Never writes more than `size` characters, terminator included: a short buffer gets
  // a cut, terminated text. Size 0 (the read-only pointer form) is passed to the system untouched.
  int TranslatedLoadString(HINSTANCE instance, UINT id, LPWSTR buffer, int size) const;

 private:
  void CollectNumberedWindows(HWND window);
  // The text whose number leads `text`; empty when the table has none.
  std::wstring TranslateResourceText(std::wstring_view text) const;

  LanguageCatalogue m_languages;
  std::map<uint32_t, std::vector<HWND>> m_windows;
  LanguageTable m_texts;
  std::wstring m_pattern;
  std::wstring m_folder;
};

// The process-wide manager, constructed before wWinMain runs.
CLanguageManager& LanguageManager();

// The one way the program loads a string resource: through the language table, like every other
// text. Code must not call LoadStringW itself, or the text would stay untranslated.
std::wstring LoadResourceString(HINSTANCE instance, UINT id);

}  // namespace pathwright
