#include "ui/PathListDlg.h"

#include <algorithm>
#include <tuple>
#include <vector>

#include "lang/TextFormat.h"
#include "lang/TextNumbers.h"
#include "model/DirectoryList.h"
#include "ui/UiLanguage.h"
#include "win/AppModule.h"
#include "win/Centre.h"
#include "win/Dpi.h"
#include "win/WindowText.h"

namespace pathwright {

namespace {
constexpr COLORREF kTransparent = RGB(255, 0, 255);
}  // namespace

BOOL CPathListDlg::ProcessWindowMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result, DWORD) {
  switch (message) {
    case WM_INITDIALOG:
      result = OnInitDialog();
      return TRUE;
    case WM_NOTIFY:
      if (wParam != IDC_LIST_BOX) return FALSE;
      result = OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
      return TRUE;
    case WM_SIZE:
      ApplyLayout();
      return FALSE;
    case WM_GETMINMAXINFO:
      reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {m_minimum.cx, m_minimum.cy};
      result = 0;
      return TRUE;
    case WM_TIMER:
      OnLookUpTimer();
      return TRUE;
    case kReopenEdit:
      ReopenRefusedEdit();
      return TRUE;
    case WM_DESTROY:
      StopFolderCheck();  // also when the window goes without OK or Cancel
      if (m_list) ::RemoveWindowSubclass(m_list, &CPathListDlg::ListProc, kListSubclass);
      return FALSE;
    case WM_COMMAND:
      break;
    case kFoldersChecked:
      OnFoldersChecked();
      return TRUE;
    default:
      return FALSE;
  }
  result = 0;
  switch (LOWORD(wParam)) {
    case IDOK:
    case IDCANCEL:
      result = OnCloseCmd(LOWORD(wParam));
      return TRUE;
    case IDC_LIST_ADD:
      OnAdd();
      return TRUE;
    case IDC_LIST_CHANGE:
      OnChange();
      return TRUE;
    case IDC_LIST_DELETE:
      OnDelete();
      return TRUE;
    case IDC_LIST_CLEAR:
      OnClear();
      return TRUE;
    case IDC_LIST_UP:
      MoveSelected(-1);
      return TRUE;
    case IDC_LIST_DOWN:
      MoveSelected(+1);
      return TRUE;
    default:
      return FALSE;
  }
}

LRESULT CPathListDlg::OnInitDialog() {
  CentreWindow(::GetParent(m_hWnd));
  UiTranslate(m_hWnd);
  m_environment = Platform().PersistentEnvironment();
  m_list = GetDlgItem(IDC_LIST_BOX);
  m_upButton = GetDlgItem(IDC_LIST_UP);
  m_downButton = GetDlgItem(IDC_LIST_DOWN);
  m_dpi = WindowDpi(m_hWnd);
  LoadArrowImages(m_dpi);

  // The heading's translated text is one sentence around the kind's name; only "%s" is honoured in it.
  SetDlgItemText(IDC_LIST_LABEL, FormatWithString(GetDlgItemText(IDC_LIST_LABEL), m_kindTitle));

  ::SendMessageW(m_list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES | LVS_EX_LABELTIP | LVS_EX_DOUBLEBUFFER);
  for (const auto& [column, number] : {std::pair{0, text::kListColumnEntry}, {1, text::kListColumnStatus}}) {
    std::wstring caption = UiText(number);
    LVCOLUMNW info = {};
    info.mask = LVCF_TEXT | LVCF_SUBITEM | LVCF_WIDTH;
    info.pszText = caption.data();
    info.iSubItem = column;
    info.cx = 100;
    ::SendMessageW(m_list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&info));
  }
  LoadStatusIcons(m_dpi);
  int item = 0;
  for (const FixedLine& line : m_before) InsertFixed(item++, line);
  InsertEntry(0, UiText(text::kListNewEntry));
  for (const FixedLine& line : m_after) InsertFixed(++item, line);
  const std::vector<std::wstring> entries = SplitEntries(m_paths);
  for (size_t i = 0; i < entries.size(); ++i) InsertEntry(static_cast<int>(i), entries[i]);
  ::SetWindowSubclass(m_list, &CPathListDlg::ListProc, kListSubclass, reinterpret_cast<DWORD_PTR>(this));
  if (!m_unusedNote.empty()) ShowUnusedNote();

  RECT window = {};
  ::GetWindowRect(m_hWnd, &window);
  m_minimum = {window.right - window.left, window.bottom - window.top};
  TakeLayout();
  // Without a remembered size the editor opens wider than its smallest size, with room for long entries.
  const SIZE wanted = m_size.cx > 0 && m_size.cy > 0 ? SIZE{::MulDiv(m_size.cx, static_cast<int>(m_dpi), 96),
                                                            ::MulDiv(m_size.cy, static_cast<int>(m_dpi), 96)}
                                                     : SIZE{m_minimum.cx * 3 / 2, m_minimum.cy * 5 / 4};
  // A size from the settings file is the user's, or anyone's: never larger than the screen it opens on.
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  ::GetMonitorInfoW(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor);
  const SIZE screen = {monitor.rcWork.right - monitor.rcWork.left, monitor.rcWork.bottom - monitor.rcWork.top};
  ::SetWindowPos(m_hWnd, nullptr, 0, 0, std::max(m_minimum.cx, std::min(wanted.cx, screen.cx)),
                 std::max(m_minimum.cy, std::min(wanted.cy, screen.cy)), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  CentreWindow(::GetParent(m_hWnd));
  ApplyLayout();
  RefreshStatus();

  UIAddChildWindowContainer(m_hWnd);
  UpdateButtons();
  return TRUE;  // the focus goes to the list, with no entry selected
}

LRESULT CPathListDlg::OnNotify(const NMHDR& header) {
  switch (header.code) {
    case LVN_ITEMCHANGING: {
      // A read-only line can take the focus (to be read) but never the selection, so no action reaches it.
      const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
      const bool selecting = (change.uChanged & LVIF_STATE) && (change.uNewState & LVIS_SELECTED);
      return selecting && change.iItem >= 0 && EntryOf(change.iItem) < 0 ? TRUE : FALSE;
    }
    case LVN_ITEMCHANGED:
      UpdateButtons();
      ShowExpanded();
      return 0;
    case NM_CUSTOMDRAW:
      return OnCustomDraw(reinterpret_cast<const NMLVCUSTOMDRAW&>(header));
    case NM_DBLCLK: {
      const auto& activate = reinterpret_cast<const NMITEMACTIVATE&>(header);
      const int entry = activate.iItem >= 0 ? EntryOf(activate.iItem) : -1;
      if (entry >= 0) StartEdit(entry, {}, entry == Count());
      return 0;
    }
    case LVN_BEGINLABELEDITW:
      m_editing = EntryOf(reinterpret_cast<const NMLVDISPINFOW&>(header).item.iItem);
      return m_editing < 0 ? TRUE : FALSE;
    case LVN_ENDLABELEDITW:
      EndEdit(reinterpret_cast<const NMLVDISPINFOW&>(header));
      m_editing = -1;
      return FALSE;  // the text is set here, or refused
    default:
      return 0;
  }
}

void CPathListDlg::LoadArrowImages(UINT dpi) {
  const int size = static_cast<int>(PictureFor(dpi, 16, 24, 32));
  const std::tuple<UINT, HWND, UniqueImageList*> arrows[] = {
      {PictureFor(dpi, IDB_ARROW_UP, IDB_ARROW_UP_150, IDB_ARROW_UP_200), m_upButton, &m_upImages},
      {PictureFor(dpi, IDB_ARROW_DOWN, IDB_ARROW_DOWN_150, IDB_ARROW_DOWN_200), m_downButton, &m_downImages}};
  for (const auto& [bitmap, button, images] : arrows) {
    UniqueImageList loaded(::ImageList_LoadImageW(CAppModule::GetResourceInstance(), MAKEINTRESOURCEW(bitmap), size, 0,
                                                  kTransparent, IMAGE_BITMAP, 0));
    BUTTON_IMAGELIST shown = {};  // the button keeps a copy
    shown.himl = loaded.Get();
    shown.uAlign = BUTTON_IMAGELIST_ALIGN_CENTER;
    ::SendMessageW(button, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&shown));
    *images = std::move(loaded);  // the button has let go of the images it showed before
  }
}

void CPathListDlg::OnDpiApplied(UINT dpi) {
  if (dpi == 0 || dpi == m_dpi) return;
  LoadArrowImages(dpi);
  m_minimum = {::MulDiv(m_minimum.cx, static_cast<int>(dpi), static_cast<int>(m_dpi)),
               ::MulDiv(m_minimum.cy, static_cast<int>(dpi), static_cast<int>(m_dpi))};
  m_dpi = dpi;
  LoadStatusIcons(dpi);
  TakeLayout();
  ApplyLayout();
}

LRESULT CPathListDlg::OnCloseCmd(WORD id) {
  StopFolderCheck();
  if (id == IDOK) {
    std::vector<std::wstring> entries;
    for (int i = 0; i < Count(); ++i) entries.push_back(EntryText(i));
    m_paths = JoinEntries(entries);
  }
  RECT window = {};
  if (::GetWindowRect(m_hWnd, &window) && m_dpi > 0) {
    m_size = {::MulDiv(window.right - window.left, 96, static_cast<int>(m_dpi)),
              ::MulDiv(window.bottom - window.top, 96, static_cast<int>(m_dpi))};
  }
  // The buttons let go of the image lists before these are destroyed.
  BUTTON_IMAGELIST none = {};
  for (HWND button : {m_upButton, m_downButton}) {
    if (button) ::SendMessageW(button, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&none));
  }
  m_upImages.Reset();
  m_downImages.Reset();
  m_upButton = nullptr;
  m_downButton = nullptr;
  EndDialog(id);
  return 0;
}

void CPathListDlg::UpdateButtons() {
  const std::vector<int> selected = SelectedEntries();
  const int count = Count();
  const bool any = !selected.empty();
  const std::pair<int, bool> states[] = {{IDC_LIST_CHANGE, selected.size() == 1},
                                         {IDC_LIST_DELETE, any},
                                         {IDC_LIST_CLEAR, count >= 1},
                                         {IDC_LIST_UP, any && selected.front() >= 1},
                                         {IDC_LIST_DOWN, any && selected.back() < count - 1}};
  // A focused button about to disable itself hands the focus to the list first: with the focus on no
  // control, the next Enter would press OK while another button still looked like the default.
  const HWND focus = ::GetFocus();
  for (const auto& [id, enabled] : states) {
    if (!enabled && focus && focus == GetDlgItem(id)) {
      ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_list), TRUE);
    }
  }
  for (const auto& [id, enabled] : states) UIEnable(id, enabled);
  UIUpdateChildWindows();
}

void CPathListDlg::ShowUnusedNote() {
  // The note gets a band of its own under the heading: the list, the buttons beside it and all below
  // move down together and the window grows by as much, so the list still starts level with Add....
  const HWND note = GetDlgItem(IDC_LIST_NOTE);
  SetDlgItemText(IDC_LIST_NOTE, m_unusedNote);
  ::ShowWindow(note, SW_SHOWNA);
  RECT noteRect = {}, listRect = {};
  ::GetWindowRect(note, &noteRect);
  ::GetWindowRect(m_list, &listRect);
  const int band = (noteRect.bottom - noteRect.top) * 3 / 2;
  MakeRoomBelow(m_hWnd, listRect.top, band, note);
}

void CPathListDlg::TakeLayout() {
  struct Anchor {
    int id;
    bool moveX, moveY, growX, growY;
  };
  static constexpr Anchor kAnchors[] = {
      {IDC_LIST_LABEL, false, false, true, false},  {IDC_LIST_NOTE, false, false, true, false},
      {IDC_LIST_BOX, false, false, true, true},     {IDC_LIST_EXPANDED, false, true, true, false},
      {IDC_LIST_RULE, false, true, true, false},    {IDC_LIST_ADD, true, false, false, false},
      {IDC_LIST_CHANGE, true, false, false, false}, {IDC_LIST_DELETE, true, false, false, false},
      {IDC_LIST_CLEAR, true, false, false, false},  {IDC_LIST_UP, true, false, false, false},
      {IDC_LIST_DOWN, true, false, false, false},   {IDOK, true, true, false, false},
      {IDCANCEL, true, true, false, false}};
  RECT client = {};
  ::GetClientRect(m_hWnd, &client);
  m_layoutClient = {client.right, client.bottom};
  m_layout.clear();
  for (const Anchor& anchor : kAnchors) {
    RECT place = {};
    const HWND control = GetDlgItem(anchor.id);
    ::GetWindowRect(control, &place);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&place), 2);
    m_layout.push_back({anchor.id, place, anchor.moveX, anchor.moveY, anchor.growX, anchor.growY});
  }
}

void CPathListDlg::ApplyLayout() {
  if (m_layout.empty()) return;
  RECT client = {};
  ::GetClientRect(m_hWnd, &client);
  const int dx = client.right - m_layoutClient.cx;
  const int dy = client.bottom - m_layoutClient.cy;
  for (const Anchored& control : m_layout) {
    RECT place = control.place;
    if (control.moveX) ::OffsetRect(&place, dx, 0);
    if (control.moveY) ::OffsetRect(&place, 0, dy);
    if (control.growX) place.right += dx;
    if (control.growY) place.bottom += dy;
    ::SetWindowPos(GetDlgItem(control.id), nullptr, place.left, place.top, place.right - place.left,
                   place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  FitColumns();
  ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CPathListDlg::FitColumns() {
  // The status column keeps its width at the right edge, inside the scroll bar when there is one, so
  // it never scrolls out of view; the entries take the rest (a long one shows whole in its tooltip).
  RECT inner = {};
  ::GetClientRect(m_list, &inner);
  const int status = std::min(m_statusWidth, static_cast<int>(inner.right) / 2);
  ::SendMessageW(m_list, LVM_SETCOLUMNWIDTH, 1, status);
  ::SendMessageW(m_list, LVM_SETCOLUMNWIDTH, 0, std::max(0, static_cast<int>(inner.right) - status));
}

}  // namespace pathwright
