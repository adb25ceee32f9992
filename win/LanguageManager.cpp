#include "win/LanguageManager.h"

#include <algorithm>

#include "win/WindowText.h"

namespace pathwright {

// String resources are translated by routing every load through LoadResourceString rather than by
// patching our module's import slot for LoadStringW. A patch has to make the import table writable
// at start-up, depends on how the linker spelled the DLL's name and on LoadStringW being imported at
// all (nothing imports it unless some code calls it), and would silently change every load in the
// test programs too. The program itself is the only code that loads its strings, so one routing
// function reaches every load and rewrites no memory.

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

bool CLanguageManager::SelectLanguage(const std::wstring& displayName) {
  const auto it = m_languages.find(displayName);
  if (it == m_languages.end()) return false;
  return LoadLanguage(it->second);
}

bool CLanguageManager::LoadLanguage(const std::wstring& fileName) {
  return pathwright::LoadLanguage(m_folder + fileName, m_texts);
}

void CLanguageManager::CollectNumberedWindows(HWND window) {
  const auto collect = [this](HWND w) {
    if (HoldsUserText(w)) return;
    const uint32_t number = LeadingNumber(GetWindowTextString(w));
    if (number == 0) return;
    std::vector<HWND>& handles = m_windows[number];
    if (std::find(handles.begin(), handles.end(), w) == handles.end()) handles.push_back(w);
  };
  collect(window);
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (!IsWindow(child)) break;
    collect(child);
  }
}

void CLanguageManager::TranslateWindow(HWND window) {
  if (!window || !IsWindow(window)) return;
  CollectNumberedWindows(window);
  for (auto& [number, handles] : m_windows) {
    // Windows of closed dialogs go: their handle could later name some other window.
    std::erase_if(handles, [](HWND w) { return !IsWindow(w); });
    const auto text = m_texts.find(number);
    if (text == m_texts.end()) continue;  // keeps the placeholder or the previous language's text
    for (HWND w : handles) {
      if (!HoldsUserText(w)) SetWindowTextW(w, text->second.c_str());
    }
  }
  UpdateWindow(window);
}

std::wstring CLanguageManager::TranslateResourceText(std::wstring_view text) const {
  return GetText(LeadingNumber(text));
}

int CLanguageManager::TranslatedLoadString(HINSTANCE instance, UINT id, LPWSTR buffer, int size) const {
  if (!buffer || size <= 0) return ::LoadStringW(instance, id, buffer, size);
  // Read the resource in place, so the number is taken from the whole string even when the
  // caller's buffer would cut it.
  const wchar_t* resource = nullptr;
  const int length = ::LoadStringW(instance, id, reinterpret_cast<LPWSTR>(&resource), 0);
  if (length <= 0 || !resource) return ::LoadStringW(instance, id, buffer, size);
  const std::wstring text = TranslateResourceText(std::wstring_view(resource, static_cast<size_t>(length)));
  if (text.empty()) return ::LoadStringW(instance, id, buffer, size);

  size_t count = std::min(text.size(), static_cast<size_t>(size) - 1);
  if (count > 0 && count < text.size() && text[count - 1] >= 0xD800 && text[count - 1] <= 0xDBFF) {
    --count;  // never leave half a surrogate pair at the cut
  }
  std::copy_n(text.data(), count, buffer);
  buffer[count] = L'\0';
  return static_cast<int>(count);
}

std::wstring LoadResourceString(HINSTANCE instance, UINT id) {
  std::wstring buffer;
  for (int size = 256;; size += 256) {
    buffer.assign(static_cast<size_t>(size), L'\0');
    const int n = LanguageManager().TranslatedLoadString(instance, id, buffer.data(), size);
    if (n <= 0) return {};
    // A full buffer may have cut the text (by one more unit when a surrogate pair was kept whole).
    if (n < size - 2) {
      buffer.resize(static_cast<size_t>(n));
      return buffer;
    }
  }
}

}  // namespace pathwright
