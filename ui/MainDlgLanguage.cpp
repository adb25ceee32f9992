// The main window's language side: the start-up steps, the language combobox, the option check
// box and the settings file that remembers both.
#include <windows.h>

#include "win/LanguageManager.h"
#include "lang/Settings.h"
#include "ui/MainDlg.h"
#include "ui/Options.h"

namespace pathwright {

namespace {
std::wstring SettingsPath(const std::wstring& startDir) { return startDir + L"\\" + std::wstring(kSettingsFileName); }
}  // namespace

void CMainDlg::InitLanguage() {
  wchar_t directory[MAX_PATH] = {};
  const DWORD length = ::GetCurrentDirectoryW(MAX_PATH, directory);
  m_startDir.assign(directory, length < MAX_PATH ? length : 0);
  m_combo = GetDlgItem(IDC_MAIN_LANGUAGE);

  CLanguageManager& languages = LanguageManager();
  languages.SetFolder(m_startDir + L"\\lang\\");
  languages.ScanLanguages();
  m_language = ReadSettings();
  // No texts are built in: "English" only names the language file to look for.
  if (m_language.empty()) m_language = L"English";
  languages.SelectLanguage(m_language);
  for (const auto& [name, file] : languages.Languages()) {
    ::SendMessageW(m_combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  }
  ::SendMessageW(m_combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(m_language.c_str()));
  languages.TranslateWindow(m_hWnd);
}

void CMainDlg::OnLanguageChange() {
  const LRESULT index = ::SendMessageW(m_combo, CB_GETCURSEL, 0, 0);
  if (index == CB_ERR) return;
  const LRESULT length = ::SendMessageW(m_combo, CB_GETLBTEXTLEN, index, 0);
  if (length == CB_ERR) return;
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT got = ::SendMessageW(m_combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
  text.resize(got == CB_ERR ? 0 : static_cast<size_t>(got));
  if (text == m_language) return;
  m_language = text;
  LanguageManager().SelectLanguage(m_language);
  LanguageManager().TranslateWindow(m_hWnd);
  WriteSettings(m_language);
}

void CMainDlg::OnOptionChanged() {
  g_environmentSubstitution = ::SendMessageW(GetDlgItem(IDC_MAIN_ENV_OPTION), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
  WriteSettings(m_language);
}

std::wstring CMainDlg::ReadSettings() {
  const Settings settings = ReadSettingsFile(SettingsPath(m_startDir));
  if (!settings.found) return {};  // the option and the check box stay as they are
  g_environmentSubstitution = settings.option;
  ::SendMessageW(GetDlgItem(IDC_MAIN_ENV_OPTION), BM_SETCHECK, settings.option ? BST_CHECKED : BST_UNCHECKED, 0);
  return settings.language;
}

void CMainDlg::WriteSettings(const std::wstring& language) {
  // A settings file that cannot be written only means the choice lasts for this run.
  WriteSettingsFile(SettingsPath(m_startDir), language, g_environmentSubstitution);
}

}  // namespace pathwright
