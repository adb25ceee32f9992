// The main window's language side: the start-up steps, the language combobox and the option
// check box.
#include <windows.h>

#include "ui/MainDlg.h"
#include "ui/Options.h"

namespace pathwright {

void CMainDlg::InitLanguage() {
  wchar_t directory[MAX_PATH] = {};
  const DWORD length = ::GetCurrentDirectoryW(MAX_PATH, directory);
  m_startDir.assign(directory, length < MAX_PATH ? length : 0);
  m_combo = GetDlgItem(IDC_MAIN_LANGUAGE);
}

void CMainDlg::OnLanguageChange() {}

void CMainDlg::OnOptionChanged() {
  g_environmentSubstitution = ::SendMessageW(GetDlgItem(IDC_MAIN_ENV_OPTION), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

}  // namespace pathwright
