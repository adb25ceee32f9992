#include "ui/RestoreDlg.h"

#include <algorithm>
#include <climits>
#include <string>

#include "ui/UiLanguage.h"
#include "win/Centre.h"

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
  UiTranslate(m_hWnd);
  if (!m_prompt.empty()) SetDlgItemText(IDC_RESTORE_PROMPT, m_prompt);
  m_versionCombo = GetDlgItem(IDC_RESTORE_VERSION);
  FitPrompt();
  for (const std::wstring& entry : {std::wstring(L"Visual Studio 2010"), std::wstring(L"Visual Studio 2012"),
                                    UiText(text::kRestoreNewest)}) {
    ::SendMessageW(m_versionCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
  }
  ::SendMessageW(m_versionCombo, CB_SETCURSEL, static_cast<WPARAM>(m_version), 0);
  return TRUE;
}

void CRestoreDlg::WidenForLines(HWND prompt, HDC dc, const std::wstring& text) {
  // The paths stand on lines of their own: the box grows until the longest line fits, within the screen.
  LONG widest = 0;
  for (size_t start = 0; start <= text.size();) {
    const size_t end = std::min(text.find(L'\n', start), text.size());
    RECT line = {};
    ::DrawTextW(dc, text.c_str() + start, static_cast<int>(end - start), &line, DT_CALCRECT | DT_SINGLELINE);
    widest = std::max(widest, line.right);
    start = end + 1;
  }
  RECT place = {};
  ::GetWindowRect(prompt, &place);
  POINT promptLeft = {place.left, place.top};
  ::ScreenToClient(m_hWnd, &promptLeft);
  RECT window = {};
  ::GetWindowRect(m_hWnd, &window);
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  ::GetMonitorInfoW(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor);
  const LONG room = (monitor.rcWork.right - monitor.rcWork.left) * 3 / 4 - (window.right - window.left);
  const LONG grow = std::min(widest - (place.right - place.left), room);
  if (grow <= 0) return;
  // The lines from the left margin stretch, the buttons keep their place at the right.
  for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    RECT rect = {};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
    const bool stretches = rect.left <= promptLeft.x;
    // A combo box's size includes its list when dropped down.
    RECT dropped = rect;
    if (child == m_versionCombo) ::SendMessageW(child, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
    ::SetWindowPos(child, nullptr, rect.left + (stretches ? 0 : grow), rect.top,
                   rect.right - rect.left + (stretches ? grow : 0), dropped.bottom - dropped.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ::SetWindowPos(m_hWnd, nullptr, window.left - grow / 2, window.top, window.right - window.left + grow,
                 window.bottom - window.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CRestoreDlg::FitPrompt() {
  HWND prompt = GetDlgItem(IDC_RESTORE_PROMPT);
  const std::wstring text = GetDlgItemText(IDC_RESTORE_PROMPT);
  HDC dc = ::GetDC(prompt);
  if (!dc) return;
  const HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(prompt, WM_GETFONT, 0, 0)));
  WidenForLines(prompt, dc, text);
  RECT place = {};
  ::GetWindowRect(prompt, &place);
  ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&place), 2);
  RECT needed = {0, 0, place.right - place.left, 0};
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &needed, DT_CALCRECT | DT_WORDBREAK);
  ::SelectObject(dc, old);
  ::ReleaseDC(prompt, dc);
  const int shift = (needed.bottom - needed.top) - (place.bottom - place.top);
  if (shift == 0) return;
  ::SetWindowPos(prompt, nullptr, 0, 0, place.right - place.left, needed.bottom - needed.top,
                 SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
  // Everything else stands below the prompt.
  MakeRoomBelow(m_hWnd, LONG_MIN, shift, prompt);
}

LRESULT CRestoreDlg::OnCloseCmd(WORD id) {
  // Cancel stores the selection as well; only the result tells the caller whether to use it.
  const LRESULT selected = ::SendMessageW(m_versionCombo, CB_GETCURSEL, 0, 0);
  if (selected >= 0) m_version = static_cast<int>(selected);
  EndDialog(id);
  return 0;
}

}  // namespace pathwright
