// The main window's language side: the start-up steps, the language combobox, the option check
// box and the settings file that remembers both.
#include <windows.h>

#include "base/FileSystem.h"
#include "model/DirectoryKinds.h"
#include "ui/Platform.h"
#include "win/LanguageManager.h"
#include "lang/Settings.h"
#include "lang/TextFormat.h"
#include "lang/TextNumbers.h"
#include "ui/MainDlg.h"
#include "ui/UiLanguage.h"

namespace pathwright {

namespace {
std::wstring SettingsPath(const std::wstring& startDir) { return startDir + L"\\" + std::wstring(kSettingsFileName); }

// The folder that holds the program itself; empty when the system cannot tell.
std::wstring ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);  // cut short: try again with more room
  }
  const size_t slash = path.find_last_of(L'\\');
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}
}  // namespace

void CMainDlg::InitLanguage() {
  wchar_t directory[MAX_PATH] = {};
  const DWORD length = ::GetCurrentDirectoryW(MAX_PATH, directory);
  m_startDir.assign(directory, length < MAX_PATH ? length : 0);
  // Started from a shortcut with another "Start in" folder, or from a console: the language files and
  // the settings file are the ones beside the program.
  if (!IsFolder(m_startDir + L"\\lang")) {
    if (std::wstring own = ProgramFolder(); !own.empty()) m_startDir = std::move(own);
  }
  m_combo = GetDlgItem(IDC_MAIN_LANGUAGE);

  CLanguageManager& languages = LanguageManager();
  languages.SetFolder(m_startDir + L"\\lang\\");
  languages.ScanLanguages();
  m_language = ReadSettings();
  // No texts are built in: "English" only names the language file to look for. A remembered language
  // whose file is gone (renamed, removed, a hand-edited settings file) gives way to English when it is
  // offered, else to the first language offered, rather than a window of bare text numbers.
  const LanguageCatalogue& offered = languages.Languages();
  if (m_language.empty() || (!offered.contains(m_language) && offered.contains(L"English"))) m_language = L"English";
  if (!offered.contains(m_language) && !offered.empty()) m_language = offered.begin()->first;
  const Result loaded = languages.SelectLanguage(m_language);
  for (const auto& [name, file] : languages.Languages()) {
    ::SendMessageW(m_combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  }
  ::SendMessageW(m_combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(m_language.c_str()));
  m_captions = NumberedCaptions(m_hWnd);
  m_captions.Translate(languages);
  NameListButtons();
  // A window of bare text numbers needs a word why.
  if (!loaded) ReportLanguageFailure(m_language, loaded);
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
  if (const Result loaded = LanguageManager().SelectLanguage(text); !loaded) {
    // The texts in force stay, and so do the language shown and the one remembered.
    ::SendMessageW(m_combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(m_language.c_str()));
    ReportLanguageFailure(text, loaded);
    return;
  }
  m_language = text;
  m_captions.Translate(LanguageManager());
  NameListButtons();
  ShowState();
  FillPlatforms();
  UpdateMarks();
  WriteSettings(m_language);
}

void CMainDlg::ReportLanguageFailure(const std::wstring& language, const Result& result) {
  // A file that is no language file is told in the words of the language in use; a failed read keeps
  // the system's own words.
  std::wstring why = result.why;
  const CLanguageManager& languages = LanguageManager();
  if (const auto file = languages.Languages().find(language);
      result.status == Result::Status::kInvalid && file != languages.Languages().end()) {
    if (const std::wstring told = UiText(text::kLanguageNotAFile); !told.empty()) {
      why = FormatWithString(told, languages.Folder() + file->second);
    }
  }
  Platform().ShowMessageBox(m_hWnd, UiFormat(text::kLanguageFailedText, language) + L"\n" + why,
                            UiText(text::kLanguageFailedCaption), MB_OK | MB_ICONWARNING);
}

void CMainDlg::NameListButtons() {
  std::wstring caption = GetDlgItemText(IDC_MAIN_FIRST_BUTTON);  // "&Edit..." reads "Edit"
  std::erase(caption, L'&');
  while (!caption.empty() && (caption.back() == L'.' || caption.back() == L' ')) caption.pop_back();
  for (int k = 0; k < kKindCount; ++k) {
    Platform().SetAccessibleName(GetDlgItem(IDC_MAIN_FIRST_BUTTON + k), caption + L" " + UiText(text::kKindNames[k]));
  }
}

void CMainDlg::RememberPlatform() {
  if (m_platformName.empty()) return;  // a sheet of another name: the platform in use stays
  std::wstring& remembered = m_settingValues[kSettingPlatform];
  if (remembered == m_platformName) return;
  remembered = m_platformName;
  WriteSettings(m_language);
}

void CMainDlg::OnOptionChanged() {
  m_environmentSubstitution = ::SendMessageW(GetDlgItem(IDC_MAIN_ENV_OPTION), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
  WriteSettings(m_language);
}

std::wstring CMainDlg::ReadSettings() {
  const Settings settings = ReadSettingsFile(SettingsPath(m_startDir));
  if (!settings.found) return {};  // the option and the check box stay as they are
  m_environmentSubstitution = settings.option;
  m_settingValues = settings.values;
  ::SendMessageW(GetDlgItem(IDC_MAIN_ENV_OPTION), BM_SETCHECK, settings.option ? BST_CHECKED : BST_UNCHECKED, 0);
  return settings.language;
}

void CMainDlg::WriteSettings(const std::wstring& language) {
  const std::wstring path = SettingsPath(m_startDir);
  const Result written = WriteSettingsFile(path, language, m_environmentSubstitution, m_settingValues);
  if (written) return;
  Platform().ShowMessageBox(m_hWnd, UiFormat(text::kSettingsFailedText, path) + L"\n" + written.why,
                            UiText(text::kSaveFailedCaption), MB_OK | MB_ICONWARNING);
}

}  // namespace pathwright
