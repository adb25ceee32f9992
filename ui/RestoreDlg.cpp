#include "ui/RestoreDlg.h"

#include <string>

#include "ui/UiLanguage.h"

namespace pathwright {

BOOL CRestoreDlg::ProcessWindowMessage(HWND, UINT message, WPARAM wParam, LPARAM, LRESULT& result, DWORD) {
  if (message == WM_INITDIALOG) {
    result = OnInitDialog();
    return TRUE;
  }
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    result = OnCloseCmd(LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

LRESULT CRestoreDlg::OnInitDialog() {
  CentreWindow(::GetParent(m_hWnd));
  // Another prompt goes in as its number, so the translation treats it like the template's own.
  if (m_prompt != text::kRestorePrompt) SetDlgItemText(IDC_RESTORE_PROMPT, std::to_wstring(m_prompt));
  UiTranslate(m_hWnd);
  m_versionCombo = GetDlgItem(IDC_RESTORE_VERSION);
  for (int year : {0, 2, 3}) {
    const std::wstring entry = L"Visual Studio 201" + std::to_wstring(year);
    ::SendMessageW(m_versionCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
  }
  ::SendMessageW(m_versionCombo, CB_SETCURSEL, static_cast<WPARAM>(m_version), 0);
  return TRUE;
}

LRESULT CRestoreDlg::OnCloseCmd(WORD id) {
  // Cancel stores the selection as well; only the result tells the caller whether to use it.
  const LRESULT selected = ::SendMessageW(m_versionCombo, CB_GETCURSEL, 0, 0);
  if (selected >= 0) m_version = static_cast<int>(selected);
  EndDialog(id);
  return 0;
}

}  // namespace pathwright
