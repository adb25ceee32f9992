#include "ui/PathListDlg.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <tuple>
#include <vector>

#include "lang/TextFormat.h"
#include "lang/TextNumbers.h"
#include "model/DirectoryList.h"
#include "model/EnvironmentPaths.h"
#include "model/SheetEncoding.h"
#include "ui/UiLanguage.h"
#include "win/AppModule.h"
#include "win/Dpi.h"
#include "win/WindowText.h"

namespace pathwright {

namespace {
constexpr COLORREF kTransparent = RGB(255, 0, 255);
constexpr UINT kReopenEdit = WM_APP + 2;
constexpr UINT_PTR kListSubclass = 1;

std::wstring ItemText(HWND list, int index, int column = 0) {
  std::wstring text(512, L'\0');
  for (;;) {
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(text.size());
    const LRESULT got = ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    if (got < static_cast<LRESULT>(text.size()) - 1) {
      text.resize(got > 0 ? static_cast<size_t>(got) : 0);
      return text;
    }
    text.resize(text.size() * 2);
  }
}

// A pasted text as entries: separated by ";" or line breaks, spaces around each dropped, empty ones
// left out.
std::vector<std::wstring> PastedEntries(const std::wstring& text) {
  std::vector<std::wstring> entries;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = std::min(text.find_first_of(L";\r\n", start), text.size());
    std::wstring piece = text.substr(start, end - start);
    const size_t first = piece.find_first_not_of(L" \t");
    if (first != std::wstring::npos) entries.push_back(piece.substr(first, piece.find_last_not_of(L" \t") - first + 1));
    start = end + 1;
  }
  return entries;
}
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
      Platform().ShowMessageBox(m_hWnd, Refusal(m_refused).value_or(L""), UiText(text::kListTitle),
                                MB_OK | MB_ICONWARNING);
      StartEdit(m_refusedIndex, m_refused, true);
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
  if (!m_unusedNote.empty()) {
    // The note takes the top of the list's place.
    const HWND note = GetDlgItem(IDC_LIST_NOTE);
    SetDlgItemText(IDC_LIST_NOTE, m_unusedNote);
    ::ShowWindow(note, SW_SHOWNA);
    RECT noteRect = {}, listRect = {};
    ::GetWindowRect(note, &noteRect);
    ::GetWindowRect(m_list, &listRect);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&listRect), 2);
    const int below = listRect.top + (noteRect.bottom - noteRect.top) * 3 / 2;
    ::SetWindowPos(m_list, nullptr, listRect.left, below, listRect.right - listRect.left, listRect.bottom - below,
                   SWP_NOZORDER | SWP_NOACTIVATE);
  }

  RECT window = {};
  ::GetWindowRect(m_hWnd, &window);
  m_minimum = {window.right - window.left, window.bottom - window.top};
  TakeLayout();
  // Without a remembered size the editor opens wider than its smallest size, with room for long entries.
  const SIZE wanted = m_size.cx > 0 && m_size.cy > 0
                          ? SIZE{::MulDiv(m_size.cx, static_cast<int>(m_dpi), 96), ::MulDiv(m_size.cy, static_cast<int>(m_dpi), 96)}
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

LRESULT CALLBACK CPathListDlg::ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR self) {
  if ((message == WM_KEYDOWN || message == WM_SYSKEYDOWN || message == WM_CHAR) &&
      reinterpret_cast<CPathListDlg*>(self)->OnListKey(message, wParam)) {
    return 0;
  }
  return ::DefSubclassProc(list, message, wParam, lParam);
}

bool CPathListDlg::OnListKey(UINT message, WPARAM key) {
  const bool control = ::GetKeyState(VK_CONTROL) < 0;
  if (message == WM_SYSKEYDOWN) {
    if (key != VK_UP && key != VK_DOWN) return false;
    MoveSelected(key == VK_UP ? -1 : +1);
    return true;
  }
  if (message == WM_CHAR) {
    // Typing on the selection starts editing it with that character; on the "New" line, a new entry.
    // Ctrl is not asked: AltGr, which types the backslash on many keyboards, holds it down.
    if (key < L' ' || key == 0x7F) return false;
    const int focus = FocusedEntry();
    if (focus >= 0) StartEdit(focus, std::wstring(1, static_cast<wchar_t>(key)), true);
    return true;
  }
  if (key == VK_F2) {
    const int focus = FocusedEntry();
    if (focus >= 0) StartEdit(focus, {}, focus == Count());
    return true;
  }
  if (key == VK_DELETE) {
    OnDelete();
    return true;
  }
  if (!control) return false;
  switch (key) {
    case 'C':
      Copy();
      return true;
    case 'V':
      Paste();
      return true;
    case 'A':
      SelectOnly({}, -1);
      for (int i = 0; i < Count(); ++i) ListView_SetItemState(m_list, ItemOf(i), LVIS_SELECTED, LVIS_SELECTED);
      UpdateButtons();
      return true;
    default:
      return false;
  }
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
      return OnCustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(&header)));
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

void CPathListDlg::StartEdit(int index, const std::wstring& typed, bool replace) {
  if (index < 0 || index > Count()) return;
  ::SetFocus(m_list);
  SelectOnly({index}, index);
  const HWND edit = reinterpret_cast<HWND>(::SendMessageW(m_list, LVM_EDITLABELW, static_cast<WPARAM>(ItemOf(index)), 0));
  if (!edit || !replace) return;
  ::SetWindowTextW(edit, typed.c_str());
  ::SendMessageW(edit, EM_SETSEL, typed.size(), typed.size());
}

bool CPathListDlg::EndEdit(const NMLVDISPINFOW& info) {
  const int index = EntryOf(info.item.iItem);
  if (!info.item.pszText || index < 0) return false;  // cancelled
  const std::wstring text = info.item.pszText;
  const bool isNew = index == Count();
  if (isNew && text.empty()) return false;
  if (Refusal(text)) {
    // Said once the edit has gone, then offered again for correction.
    m_refused = text;
    m_refusedIndex = index;
    PostMessageW(m_hWnd, kReopenEdit, 0, 0);
    return false;
  }
  if (isNew) {
    InsertEntry(index, text);
    SelectOnly({index + 1}, index + 1);  // the "New" line again, for the next one
  } else {
    SetEntry(index, text);
  }
  RefreshStatus();
  UpdateButtons();
  return true;
}

std::optional<std::wstring> CPathListDlg::Refusal(const std::wstring& text) {
  if (text.find(L';') != std::wstring::npos) return UiText(text::kListSemicolonTyped);
  if (const std::optional<ForbiddenCharacter> found = FindForbiddenCharacter(text)) {
    return UiFormat(text::kListForbiddenTyped, CodePointName(found->code));
  }
  return std::nullopt;
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

bool CPathListDlg::BrowseForFolder(uint32_t titleNumber, const std::wstring& initialFolder, std::wstring& folder) {
  return Platform().BrowseForFolder(m_hWnd, UiText(titleNumber), initialFolder, folder);
}

bool CPathListDlg::TakePick(const std::wstring& folder) {
  if (folder.find(L';') != std::wstring::npos) {
    // The list would read it as two entries, neither of them the folder.
    Platform().ShowMessageBox(m_hWnd, UiFormat(text::kListSemicolonText, folder), UiText(text::kListTitle),
                              MB_OK | MB_ICONWARNING);
    return false;
  }
  m_picked = folder;
  m_lastFolder = folder;
  if (m_substituteEnvironment) m_picked = SubstituteEnvironment(m_picked, m_environment.Entries());
  return true;
}

void CPathListDlg::OnAdd() {
  std::wstring folder;
  if (!BrowseForFolder(text::kListBrowseAdd, m_lastFolder, folder) || !TakePick(folder)) return;
  const std::vector<int> selected = SelectedEntries();
  const int at = selected.empty() ? Count() : selected.back() + 1;
  InsertEntry(at, m_picked);
  SelectOnly({at}, at);
  RefreshStatus();
  UpdateButtons();
}

void CPathListDlg::OnChange() {
  const std::vector<int> selected = SelectedEntries();
  if (selected.empty()) return;
  const int index = selected.front();
  // An entry such as $(TOOLS)\lib opens the picker where it points now (or its nearest existing parent).
  const std::wstring initial = ExpandLeadingReference(
      EntryText(index), [this](const std::wstring& name) { return m_environment.Find(name); });
  std::wstring folder;
  if (!BrowseForFolder(text::kListBrowseChange, initial, folder) || !TakePick(folder)) return;
  SetEntry(index, m_picked);
  SelectOnly({index}, index);
  RefreshStatus();
  UpdateButtons();
}

void CPathListDlg::OnDelete() {
  const std::vector<int> selected = SelectedEntries();
  if (selected.empty()) return;
  for (auto at = selected.rbegin(); at != selected.rend(); ++at) {
    ::SendMessageW(m_list, LVM_DELETEITEM, static_cast<WPARAM>(ItemOf(*at)), 0);
  }
  const int next = selected.front() > 0 ? selected.front() - 1 : 0;
  SelectOnly(Count() > next ? std::vector<int>{next} : std::vector<int>{}, Count() > next ? next : -1);
  RefreshStatus();
  UpdateButtons();
}

void CPathListDlg::OnClear() {
  for (int i = Count() - 1; i >= 0; --i) ::SendMessageW(m_list, LVM_DELETEITEM, static_cast<WPARAM>(ItemOf(i)), 0);
  RefreshStatus();
  UpdateButtons();
}

void CPathListDlg::MoveSelected(int offset) {
  std::vector<int> selected = SelectedEntries();
  const bool possible = !selected.empty() && (offset < 0 ? selected.front() > 0 : selected.back() < Count() - 1);
  if (possible) {
    // Each selected entry swaps with its neighbour, nearest to the edge first.
    if (offset > 0) std::reverse(selected.begin(), selected.end());
    for (int& index : selected) {
      const std::wstring moving = EntryText(index);
      SetEntry(index, EntryText(index + offset));
      SetEntry(index + offset, moving);
      index += offset;
    }
    std::sort(selected.begin(), selected.end());
    SelectOnly(selected, offset < 0 ? selected.front() : selected.back());
    ::SendMessageW(m_list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(ItemOf(offset < 0 ? selected.front() : selected.back())),
                   FALSE);
    RefreshStatus();
  }
  UpdateButtons();
}

void CPathListDlg::Copy() {
  std::vector<std::wstring> entries;
  for (int index : SelectedEntries()) entries.push_back(EntryText(index));
  if (entries.empty()) return;
  // As the sheet writes a list, so it pastes back into the main window's row as well as here.
  const std::wstring text = JoinEntries(entries);
  if (!::OpenClipboard(m_hWnd)) return;
  ::EmptyClipboard();
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  if (HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes)) {
    std::memcpy(::GlobalLock(memory), text.c_str(), bytes);
    ::GlobalUnlock(memory);
    if (!::SetClipboardData(CF_UNICODETEXT, memory)) ::GlobalFree(memory);
  }
  ::CloseClipboard();
}

void CPathListDlg::Paste() {
  std::wstring text;
  if (!::OpenClipboard(m_hWnd)) return;
  if (HANDLE memory = ::GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(::GlobalLock(memory))) text = chars;
    ::GlobalUnlock(memory);
  }
  ::CloseClipboard();
  const std::vector<std::wstring> entries = PastedEntries(text);
  for (const std::wstring& entry : entries) {
    // Nothing is taken when one piece cannot be an entry: the user sees which and why.
    if (const std::optional<std::wstring> why = Refusal(entry)) {
      Platform().ShowMessageBox(m_hWnd, entry + L"\n" + *why, UiText(text::kListTitle), MB_OK | MB_ICONWARNING);
      return;
    }
  }
  if (entries.empty()) return;
  const std::vector<int> selected = SelectedEntries();
  int at = selected.empty() ? Count() : selected.back() + 1;
  std::vector<int> pasted;
  for (const std::wstring& entry : entries) {
    InsertEntry(at, entry);
    pasted.push_back(at++);
  }
  SelectOnly(pasted, pasted.back());
  RefreshStatus();
  UpdateButtons();
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

int CPathListDlg::Count() const {
  const int fixed = static_cast<int>(m_before.size() + m_after.size());
  const int items = static_cast<int>(::SendMessageW(m_list, LVM_GETITEMCOUNT, 0, 0));
  return std::max(0, items - 1 - fixed);
}

int CPathListDlg::EntryOf(int item) const {
  const int entry = item - static_cast<int>(m_before.size());
  return entry >= 0 && entry <= Count() ? entry : -1;
}

int CPathListDlg::FocusedEntry() const {
  // Nothing focused: the "New" line. A read-only line takes no typing.
  const int focus = static_cast<int>(::SendMessageW(m_list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
  return focus < 0 ? Count() : EntryOf(focus);
}

std::wstring CPathListDlg::EntryText(int index) const { return ItemText(m_list, ItemOf(index)); }

std::vector<int> CPathListDlg::SelectedEntries() const {
  std::vector<int> selected;
  const int count = Count();
  for (int i = -1; (i = static_cast<int>(::SendMessageW(m_list, LVM_GETNEXTITEM, static_cast<WPARAM>(i),
                                                         LVNI_SELECTED))) >= 0;) {
    if (const int entry = EntryOf(i); entry >= 0 && entry < count) selected.push_back(entry);
  }
  return selected;
}

void CPathListDlg::InsertFixed(int item, const FixedLine& line) {
  std::wstring entry = line.entry, where = line.where;
  LVITEMW inserted = {};
  inserted.mask = LVIF_TEXT | LVIF_IMAGE;
  inserted.iItem = item;
  inserted.pszText = entry.data();
  inserted.iImage = I_IMAGENONE;
  const int at = static_cast<int>(::SendMessageW(m_list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&inserted)));
  LVITEMW status = {};
  status.iSubItem = 1;
  status.pszText = where.data();
  ::SendMessageW(m_list, LVM_SETITEMTEXTW, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&status));
}

LRESULT CPathListDlg::OnCustomDraw(NMLVCUSTOMDRAW& draw) const {
  // Read-only lines in the colour of text that cannot be changed; they are never selected, so it stays readable.
  if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
  if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT && EntryOf(static_cast<int>(draw.nmcd.dwItemSpec)) < 0) {
    draw.clrText = ::GetSysColor(COLOR_GRAYTEXT);
  }
  return CDRF_DODEFAULT;
}

void CPathListDlg::InsertEntry(int index, const std::wstring& text) {
  std::wstring copy = text;
  LVITEMW item = {};
  item.mask = LVIF_TEXT | LVIF_IMAGE;
  item.iItem = ItemOf(index);
  item.pszText = copy.data();
  item.iImage = I_IMAGENONE;  // the icons belong to the status column
  ::SendMessageW(m_list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void CPathListDlg::SetEntry(int index, const std::wstring& text) {
  std::wstring copy = text;
  LVITEMW item = {};
  item.iSubItem = 0;
  item.pszText = copy.data();
  ::SendMessageW(m_list, LVM_SETITEMTEXTW, static_cast<WPARAM>(ItemOf(index)), reinterpret_cast<LPARAM>(&item));
}

void CPathListDlg::SelectOnly(const std::vector<int>& indices, int focus) {
  ListView_SetItemState(m_list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  for (int index : indices) ListView_SetItemState(m_list, ItemOf(index), LVIS_SELECTED, LVIS_SELECTED);
  if (focus >= 0) ListView_SetItemState(m_list, ItemOf(focus), LVIS_FOCUSED, LVIS_FOCUSED);
}

void CPathListDlg::TakeLayout() {
  struct Anchor {
    int id;
    bool moveX, moveY, growX, growY;
  };
  static constexpr Anchor kAnchors[] = {
      {IDC_LIST_LABEL, false, false, true, false},  {IDC_LIST_NOTE, false, false, true, false},
      {IDC_LIST_BOX, false, false, true, true},
      {IDC_LIST_EXPANDED, false, true, true, false}, {IDC_LIST_RULE, false, true, true, false},
      {IDC_LIST_ADD, true, false, false, false},    {IDC_LIST_CHANGE, true, false, false, false},
      {IDC_LIST_DELETE, true, false, false, false}, {IDC_LIST_CLEAR, true, false, false, false},
      {IDC_LIST_UP, true, false, false, false},     {IDC_LIST_DOWN, true, false, false, false},
      {IDOK, true, true, false, false},             {IDCANCEL, true, true, false, false}};
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
