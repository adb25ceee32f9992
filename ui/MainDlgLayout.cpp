// The main window's geometry and marks: the fields stretch with the window's width, labels sit on
// their field's text line, the combo boxes match the buttons' height, and a row whose list has
// problems shows an icon whose tooltip names them.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "base/Environment.h"
#include "base/FileSystem.h"
#include "lang/LanguageFile.h"
#include "lang/TextNumbers.h"
#include "model/DirectoryKinds.h"
#include "model/SheetCheck.h"
#include "ui/MainDlg.h"
#include "win/AppModule.h"
#include "ui/StatusWords.h"
#include "ui/UiLanguage.h"
#include "win/Handle.h"
#include "win/TextLine.h"
#include "win/WindowText.h"

namespace pathwright {

namespace {
constexpr int kWarningIcon = 32515;  // the system's warning sign, as message boxes show it

enum class Anchor { kLeft, kStretch, kRight };

Anchor AnchorOf(int id) {
  if (id >= IDC_MAIN_FIRST_EDIT && id <= IDC_MAIN_LAST_EDIT) return Anchor::kStretch;
  if (id >= IDC_MAIN_FIRST_BUTTON && id <= IDC_MAIN_LAST_BUTTON) return Anchor::kRight;
  if (id >= IDC_MAIN_FIRST_MARK && id <= IDC_MAIN_LAST_MARK) return Anchor::kRight;
  switch (id) {
    case IDC_MAIN_SHEET_PATH:
    case IDC_MAIN_HEADING:
    case IDC_MAIN_RULE:
    case IDC_MAIN_ENV_OPTION:
      return Anchor::kStretch;
    case IDC_MAIN_PLATFORM_LABEL:
    case IDC_MAIN_PLATFORM:
    case IDC_MAIN_SELECT_SHEET:
    case IDOK:
    case IDCANCEL:
      return Anchor::kRight;
    default:
      return Anchor::kLeft;
  }
}

RECT ChildRect(HWND dialog, HWND child) {
  RECT rect = {};
  ::GetWindowRect(child, &rect);
  ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

int Scale(int value, UINT dpi, UINT base) { return ::MulDiv(value, static_cast<int>(dpi), static_cast<int>(base)); }

constexpr UINT_PTR kHeadingSubclass = 3;

// The heading, or the longer notice that takes its place while no sheet is open, stands in the
// middle of the band between the path and the first row, however many lines its language needs.
void PaintHeading(HWND heading, HDC dc) {
  RECT client = {};
  ::GetClientRect(heading, &client);
  auto brush = reinterpret_cast<HBRUSH>(::SendMessageW(::GetParent(heading), WM_CTLCOLORSTATIC,
                                                       reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(heading)));
  ::FillRect(dc, &client, brush ? brush : ::GetSysColorBrush(COLOR_3DFACE));
  SelectedObject font(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(heading, WM_GETFONT, 0, 0)));
  const std::wstring text = GetWindowTextString(heading);
  // Lines are broken a letter short of each edge: small bold glyphs may be drawn a few pixels wider
  // than they measure, and a line broken at the very edge would lose its last letters.
  SIZE letter = {};
  ::GetTextExtentPoint32W(dc, L"M", 1, &letter);
  const LONG margin = std::min<LONG>(letter.cx, client.right / 8);
  RECT needed = {0, 0, client.right - 2 * margin, 0};
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &needed, DT_CALCRECT | DT_WORDBREAK | DT_CENTER);
  RECT place = {margin, 0, client.right - margin, client.bottom};
  place.top = std::max<LONG>(0, (client.bottom - needed.bottom) / 2);
  ::SetBkMode(dc, TRANSPARENT);
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &place, DT_WORDBREAK | DT_CENTER);
}

LRESULT CALLBACK HeadingProc(HWND heading, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  switch (message) {
    case WM_NCDESTROY:
      ::RemoveWindowSubclass(heading, &HeadingProc, kHeadingSubclass);
      break;
    case WM_PAINT: {
      PAINTSTRUCT paint = {};
      if (HDC dc = ::BeginPaint(heading, &paint)) PaintHeading(heading, dc);
      ::EndPaint(heading, &paint);
      return 0;
    }
    case WM_PRINTCLIENT:
      PaintHeading(heading, reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT fills the whole band
    default:
      break;
  }
  return ::DefSubclassProc(heading, message, wParam, lParam);
}

}  // namespace

void CMainDlg::RecordLayout() {
  m_layoutDpi = WindowDpi(m_hWnd);
  RECT client = {};
  ::GetClientRect(m_hWnd, &client);
  m_layoutWidth = client.right;
  RECT window = {};
  ::GetWindowRect(m_hWnd, &window);
  m_minimumSize = {window.right - window.left, window.bottom - window.top};
  m_layout.clear();
  for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    m_layout.push_back({child, ::GetDlgCtrlID(child), ChildRect(m_hWnd, child)});
  }
}

void CMainDlg::ApplyLayout() {
  if (m_layout.empty()) return;
  const UINT dpi = WindowDpi(m_hWnd);
  RECT client = {};
  ::GetClientRect(m_hWnd, &client);
  const int extra = std::max(0, static_cast<int>(client.right) - Scale(m_layoutWidth, dpi, m_layoutDpi));
  HDWP positions = ::BeginDeferWindowPos(static_cast<int>(m_layout.size()));
  for (const LaidOut& control : m_layout) {
    RECT rect = {Scale(control.rect.left, dpi, m_layoutDpi), Scale(control.rect.top, dpi, m_layoutDpi),
                 Scale(control.rect.right, dpi, m_layoutDpi), Scale(control.rect.bottom, dpi, m_layoutDpi)};
    switch (AnchorOf(control.id)) {
      case Anchor::kStretch:
        rect.right += extra;
        break;
      case Anchor::kRight:
        rect.left += extra;
        rect.right += extra;
        break;
      case Anchor::kLeft:
        break;
    }
    // Combo boxes keep the height they chose for their font; only their place follows.
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    if (control.id == IDC_MAIN_PLATFORM || control.id == IDC_MAIN_LANGUAGE) flags |= SWP_NOSIZE;
    if (positions) {
      positions = ::DeferWindowPos(positions, control.window, nullptr, rect.left, rect.top, rect.right - rect.left,
                                   rect.bottom - rect.top, flags);
    }
  }
  if (positions) ::EndDeferWindowPos(positions);
  AlignLabels();
  FitRows();
}

void CMainDlg::AlignLabels() {
  // Each row label starts where its field's text starts, so both stand on one line at any DPI.
  for (int k = 0; k < kKindCount; ++k) {
    HWND edit = GetDlgItem(IDC_MAIN_FIRST_EDIT + k);
    HWND label = ::GetWindow(edit, GW_HWNDPREV);
    if (!edit || !label) continue;
    RECT text = {};
    ::SendMessageW(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
    POINT top = {0, text.top};
    ::MapWindowPoints(edit, m_hWnd, &top, 1);
    const RECT place = ChildRect(m_hWnd, label);
    ::SetWindowPos(label, nullptr, place.left, top.y, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
  }
  // The language label is centred on its combo box.
  HWND combo = GetDlgItem(IDC_MAIN_LANGUAGE);
  HWND label = GetDlgItem(IDC_MAIN_LANGUAGE_LABEL);
  if (combo && label) {
    const RECT box = ChildRect(m_hWnd, combo);
    const RECT place = ChildRect(m_hWnd, label);
    const int top = (box.top + box.bottom - (place.bottom - place.top)) / 2;
    ::SetWindowPos(label, nullptr, place.left, top, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
  }
}

void CMainDlg::ShapeTextLines() {
  ShapeTextLine(GetDlgItem(IDC_MAIN_SHEET_PATH), {.centred = true, .endInView = true});
  for (int k = 0; k < kKindCount; ++k) ShapeTextLine(GetDlgItem(IDC_MAIN_FIRST_EDIT + k), {.centred = true});
  ::SetWindowSubclass(GetDlgItem(IDC_MAIN_HEADING), &HeadingProc, kHeadingSubclass, 0);
}

void CMainDlg::MatchComboHeights() {
  // A drop-down list chooses its height from its font; the buttons beside it are taller at every DPI.
  const std::pair<int, int> pairs[] = {{IDC_MAIN_PLATFORM, IDC_MAIN_SELECT_SHEET}, {IDC_MAIN_LANGUAGE, IDOK}};
  for (const auto& [comboId, buttonId] : pairs) {
    HWND combo = GetDlgItem(comboId);
    HWND button = GetDlgItem(buttonId);
    if (!combo || !button) continue;
    const RECT wanted = ChildRect(m_hWnd, button);
    // The height asked for is corrected by what the box then has: some systems answer the height of
    // the selection field with a margin added to what was set, so the answer cannot be built on.
    LRESULT asked = ::SendMessageW(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    for (int attempt = 0; attempt < 3 && asked != CB_ERR; ++attempt) {
      const RECT now = ChildRect(m_hWnd, combo);
      const int difference = (wanted.bottom - wanted.top) - (now.bottom - now.top);
      if (difference == 0 || asked + difference <= 0) break;
      asked += difference;
      ::SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), asked);
    }
    const RECT now = ChildRect(m_hWnd, combo);
    ::SetWindowPos(combo, nullptr, now.left, wanted.top, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
  }
}

bool CMainDlg::DrawComboItem(const DRAWITEMSTRUCT& item) {
  if (item.CtlType != ODT_COMBOBOX) return false;
  std::wstring text;
  if (item.itemID != static_cast<UINT>(-1)) {
    const LRESULT length = ::SendMessageW(item.hwndItem, CB_GETLBTEXTLEN, item.itemID, 0);
    if (length > 0) {
      text.resize(static_cast<size_t>(length) + 1);
      const LRESULT copied = ::SendMessageW(item.hwndItem, CB_GETLBTEXT, item.itemID, reinterpret_cast<LPARAM>(text.data()));
      text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    }
  }
  const bool selected = item.itemState & ODS_SELECTED;
  const bool disabled = item.itemState & ODS_DISABLED;
  HDC dc = item.hDC;
  RECT place = item.rcItem;
  ::SetBkColor(dc, ::GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &place, nullptr, 0, nullptr);
  ::SetTextColor(dc, ::GetSysColor(disabled ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  ::SetBkMode(dc, TRANSPARENT);
  RECT textPlace = place;
  textPlace.left += 2;
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textPlace,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) ::DrawFocusRect(dc, &place);
  return true;
}

void CMainDlg::LimitSize(MINMAXINFO& limits) const {
  if (m_minimumSize.cx == 0) return;
  const UINT dpi = WindowDpi(m_hWnd);
  const LONG width = Scale(m_minimumSize.cx, dpi, m_layoutDpi);
  const LONG height = Scale(m_minimumSize.cy, dpi, m_layoutDpi);
  // The rows are one line each: only the width is the user's to choose.
  limits.ptMinTrackSize = {width, height};
  limits.ptMaxTrackSize.y = height;
  limits.ptMaxSize.y = height;
}

int CMainDlg::WidthAtDefaultDpi() const {
  RECT window = {};
  ::GetWindowRect(m_hWnd, &window);
  return Scale(window.right - window.left, kDefaultDpi, WindowDpi(m_hWnd));
}

void CMainDlg::ApplyRememberedWidth(int width) {
  if (width <= 0) return;
  const int wanted = Scale(width, WindowDpi(m_hWnd), kDefaultDpi);
  RECT window = {};
  ::GetWindowRect(m_hWnd, &window);
  if (wanted <= window.right - window.left) return;
  // No wider than the screen the window stands on.
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  ::GetMonitorInfoW(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor);
  const int fitting = std::min<int>(wanted, monitor.rcWork.right - monitor.rcWork.left);
  ::SetWindowPos(m_hWnd, nullptr, 0, 0, fitting, window.bottom - window.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
}

void CMainDlg::CreateMarks() {
  m_tooltip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr,
                                CAppModule::GetResourceInstance(), nullptr);
  if (!m_tooltip) return;
  ::SendMessageW(m_tooltip, TTM_SETMAXTIPWIDTH, 0, 600);
  for (int k = 0; k < kKindCount; ++k) {
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = m_hWnd;
    tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(IDC_MAIN_FIRST_MARK + k));
    tool.lpszText = const_cast<wchar_t*>(L"");
    ::SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  LoadMarkIcon(WindowDpi(m_hWnd));
}

void CMainDlg::LoadMarkIcon(UINT dpi) {
  const int size = Scale(16, dpi, kDefaultDpi);
  UniqueIcon icon(static_cast<HICON>(
      ::LoadImageW(nullptr, MAKEINTRESOURCEW(kWarningIcon), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
  if (!icon) return;
  for (int k = 0; k < kKindCount; ++k) {
    ::SendDlgItemMessageW(m_hWnd, IDC_MAIN_FIRST_MARK + k, STM_SETICON, reinterpret_cast<WPARAM>(icon.Get()), 0);
  }
  m_markIcon = std::move(icon);
}

std::wstring CMainDlg::ListProblems(const std::wstring& list) {
  std::vector<std::wstring> seen;
  std::wstring problems;
  for (const std::wstring& entry : SplitString(list, L";")) {
    if (entry.empty()) continue;
    Judgement judged = Prejudge(entry, EnvironmentVariable);
    if (judged.status == EntryStatus::kOk) {
      const std::wstring key = FolderKey(judged.expanded);
      if (std::find(seen.begin(), seen.end(), key) != seen.end()) {
        judged.status = EntryStatus::kDuplicate;
      } else {
        seen.push_back(key);
        // Only a local folder is asked here: a network share may keep the window waiting.
        if (!IsNetworkPath(judged.expanded) && !IsFolder(judged.expanded)) judged.status = EntryStatus::kMissing;
      }
    }
    if (!IsProblem(judged.status)) continue;
    if (!problems.empty()) problems += L"\r\n";
    problems += entry + L": " + UiText(ShownFor(judged.status).words);
  }
  return problems;
}

void CMainDlg::UpdateMark(int kind) {
  HWND mark = GetDlgItem(IDC_MAIN_FIRST_MARK + kind);
  if (!mark) return;
  std::wstring problems = m_loaded ? ListProblems(GetDlgItemText(IDC_MAIN_FIRST_EDIT + kind)) : L"";
  if (const std::wstring& note = m_surroundings[kind].unusedNote; m_loaded && !note.empty()) {
    problems = problems.empty() ? note : note + L"\r\n" + problems;
  }
  if (m_tooltip) {
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    tool.hwnd = m_hWnd;
    tool.uId = reinterpret_cast<UINT_PTR>(mark);
    tool.lpszText = const_cast<wchar_t*>(problems.c_str());
    ::SendMessageW(m_tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  ::ShowWindow(mark, problems.empty() ? SW_HIDE : SW_SHOWNA);
}

void CMainDlg::UpdateMarks() {
  for (int k = 0; k < kKindCount; ++k) UpdateMark(k);
}

}  // namespace pathwright
