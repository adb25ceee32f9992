#include "win/LanguageManager.h"

#include "win/WindowText.h"

namespace pathwright {

namespace {
CLanguageManager g_languageManager;

// Controls whose text belongs to the user or to the program's data, never to the language: a
// directory list such as "64bit\lib" in an edit line must not be taken for text number 64, nor the
// platform part of a sheet named Microsoft.Cpp.2003.user.props for text number 2003. A static drawn
// without mnemonic prefixes shows data: every translated caption may carry a mnemonic.
bool HoldsUserText(HWND window) {
  wchar_t name[32] = {};
  if (!GetClassNameW(window, name, ARRAYSIZE(name))) return false;
  if (lstrcmpiW(name, L"Static") == 0) return (GetWindowLongW(window, GWL_STYLE) & SS_NOPREFIX) != 0;
  for (const wchar_t* dataClass : {L"Edit", L"ComboBox", L"ComboBoxEx32", L"ListBox"}) {
    if (lstrcmpiW(name, dataClass) == 0) return true;
  }
  return _wcsnicmp(name, L"RichEdit", 8) == 0;
}
}  // namespace

CLanguageManager& LanguageManager() { return g_languageManager; }

CLanguageManager::CLanguageManager() : m_pattern(L"*.lng"), m_folder(L".\\") {}

void CLanguageManager::SetFolder(std::wstring folder) {
  if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
  m_folder = std::move(folder);
}

void CLanguageManager::ScanLanguages() { pathwright::ScanLanguages(m_folder, m_pattern, m_languages); }

Result CLanguageManager::SelectLanguage(const std::wstring& displayName) {
  const auto it = m_languages.find(displayName);
  if (it == m_languages.end()) {
    Result missing = Result::NotFound();
    missing.why = L"no language file in " + m_folder + L" offers it";
    return missing;
  }
  LanguageTable texts;
  Result loaded = LoadLanguage(m_folder + it->second, texts);
  if (!loaded) {
    loaded.why = m_folder + it->second + L": " + loaded.why;
    return loaded;
  }
  m_texts = std::move(texts);
  return loaded;
}

void CLanguageManager::TranslateWindow(HWND window) const { NumberedCaptions(window).Translate(*this); }

NumberedCaptions::NumberedCaptions(HWND dialog) : m_dialog(dialog) {
  if (!dialog || !IsWindow(dialog)) return;
  const auto collect = [this](HWND w) {
    if (HoldsUserText(w)) return;
    if (const uint32_t number = LeadingNumber(GetWindowTextString(w)); number != 0) m_captions.emplace_back(w, number);
  };
  collect(dialog);
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) collect(child);
}

void NumberedCaptions::Translate(const CLanguageManager& languages) const {
  for (const auto& [window, number] : m_captions) {
    const auto text = languages.m_texts.find(number);
    if (text != languages.m_texts.end()) SetWindowTextW(window, text->second.c_str());
  }
  if (m_dialog) UpdateWindow(m_dialog);
}

}  // namespace pathwright
