#include "ui/PathListDlg.h"

#include <algorithm>
#include <mutex>
#include <tuple>
#include <vector>

#include "lang/TextNumbers.h"
#include "model/DirectoryList.h"
#include "model/EnvironmentPaths.h"
#include "model/SheetCheck.h"
#include "base/Environment.h"
#include "base/FileSystem.h"
#include "base/WorkerPool.h"
#include "lang/TextFormat.h"
#include "ui/UiLanguage.h"
#include "win/AppModule.h"
#include "win/Dpi.h"
#include "win/Handle.h"
#include "ui/Platform.h"

namespace pathwright {

namespace {
constexpr COLORREF kTransparent = RGB(255, 0, 255);
constexpr UINT kFoldersChecked = WM_APP + 1;
constexpr size_t kLookUpThreads = 4;

// The folder an entry names when it can be looked up at all: absolute after expansion, nothing
// left for a project to fill in. Empty otherwise.
std::wstring CheckableFolder(const std::wstring& entry) {
  Judgement judged = Prejudge(entry, EnvironmentVariable);
  return judged.status == EntryStatus::kOk ? judged.expanded : std::wstring();
}
}  // namespace

struct CPathListDlg::FolderCheck {
  std::mutex mutex;
  std::vector<std::pair<std::wstring, bool>> answers;  // folder, absent: not yet taken by the window
  WorkerPool workers{kLookUpThreads};                  // last: it ends before what its tasks use
};

CPathListDlg::CPathListDlg(PlatformServices& platform) : m_platform(platform) {}

CPathListDlg::~CPathListDlg() { StopFolderCheck(); }

BOOL CPathListDlg::ProcessWindowMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result, DWORD) {
  if (message == WM_INITDIALOG) {
    result = OnInitDialog();
    return TRUE;
  }
  if (message == WM_DRAWITEM && wParam == IDC_LIST_BOX) {
    OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    result = TRUE;
    return TRUE;
  }
  if (message == kFoldersChecked) {
    OnFoldersChecked();
    result = 0;
    return TRUE;
  }
  if (message == WM_DESTROY) {
    StopFolderCheck();  // also when the window goes without OK or Cancel
    return FALSE;
  }
  if (message != WM_COMMAND) return FALSE;
  result = 0;
  const int id = LOWORD(wParam);
  const int code = HIWORD(wParam);
  switch (id) {
    case IDOK:
    case IDCANCEL:
      result = OnCloseCmd(static_cast<WORD>(id));
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
      OnUp();
      return TRUE;
    case IDC_LIST_DOWN:
      OnDown();
      return TRUE;
    case IDC_LIST_BOX:
      if (code == LBN_DBLCLK) {
        OnChange();
        return TRUE;
      }
      if (code == LBN_SELCHANGE) {
        UpdateButtons();
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

LRESULT CPathListDlg::OnInitDialog() {
  CentreWindow(::GetParent(m_hWnd));
  UiTranslate(m_hWnd);
  m_listBox = GetDlgItem(IDC_LIST_BOX);
  m_upButton = GetDlgItem(IDC_LIST_UP);
  m_downButton = GetDlgItem(IDC_LIST_DOWN);
  m_dpi = WindowDpi(m_hWnd);
  LoadArrowImages(m_dpi);

  // The label's translated text is a format for the kind title; only "%s" is honoured in it.
  SetDlgItemText(IDC_LIST_LABEL, FormatWithString(GetDlgItemText(IDC_LIST_LABEL), m_kindTitle));

  {
    WindowDc dc(m_listBox);
    m_font = reinterpret_cast<HFONT>(::SendMessageW(m_listBox, WM_GETFONT, 0, 0));
    SelectedObject font(dc.Get(), m_font);
    if (dc) ::GetTextMetricsW(dc.Get(), &m_metrics);
    for (const std::wstring& entry : SplitEntries(m_paths)) {
      ::SendMessageW(m_listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
      WidenExtent(entry, false);
    }
  }
  if (m_metrics.tmHeight > 0) ::SendMessageW(m_listBox, LB_SETITEMHEIGHT, 0, m_metrics.tmHeight + 2);
  StartFolderCheck(SplitEntries(m_paths));
  if (m_extent > 0) ::SendMessageW(m_listBox, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(m_extent), 0);

  UIAddChildWindowContainer(m_hWnd);
  UpdateButtons();
  return TRUE;  // the focus goes to the list box, with no entry selected
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
  m_font = reinterpret_cast<HFONT>(::SendMessageW(m_listBox, WM_GETFONT, 0, 0));
  {
    WindowDc dc(m_listBox);
    SelectedObject font(dc.Get(), m_font);
    if (dc) ::GetTextMetricsW(dc.Get(), &m_metrics);
  }
  // The entries are as wide as before in the new pixels: the extent keeps its proportion.
  m_extent = ::MulDiv(m_extent, static_cast<int>(dpi), static_cast<int>(m_dpi));
  m_dpi = dpi;
  ::SendMessageW(m_listBox, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(m_extent), 0);
}

LRESULT CPathListDlg::OnCloseCmd(WORD id) {
  StopFolderCheck();
  std::vector<std::wstring> entries;
  const int count = Count();
  for (int i = 0; i < count; ++i) entries.push_back(EntryText(i));
  m_paths = JoinEntries(entries);

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
  if (m_substituteEnvironment) m_picked = SubstituteEnvironment(m_picked, EnvironmentEntries());
  return true;
}

void CPathListDlg::OnAdd() {
  std::wstring folder;
  if (!BrowseForFolder(text::kListBrowseAdd, m_lastFolder, folder) || !TakePick(folder)) return;
  ::SendMessageW(m_listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(m_picked.c_str()));
  WidenExtent(m_picked, true);
  StartFolderCheck({m_picked});
  UpdateButtons();
}

void CPathListDlg::OnChange() {
  const int selected = Selection();
  if (selected < 0) return;
  // An entry such as $(TOOLS)\lib opens the browser where it points now.
  const std::wstring initial = ExpandLeadingReference(EntryText(selected), EnvironmentVariable);
  std::wstring folder;
  if (!BrowseForFolder(text::kListBrowseChange, initial, folder) || !TakePick(folder)) return;
  ::SendMessageW(m_listBox, LB_DELETESTRING, static_cast<WPARAM>(selected), 0);
  ::SendMessageW(m_listBox, LB_INSERTSTRING, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(m_picked.c_str()));
  ::SendMessageW(m_listBox, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
  WidenExtent(m_picked, true);
  StartFolderCheck({m_picked});
  UpdateButtons();
}

void CPathListDlg::OnDelete() {
  const int selected = Selection();
  if (selected >= 0) {
    ::SendMessageW(m_listBox, LB_DELETESTRING, static_cast<WPARAM>(selected), 0);
    const int next = selected > 0 ? selected - 1 : 0;
    if (Count() > next) ::SendMessageW(m_listBox, LB_SETCURSEL, static_cast<WPARAM>(next), 0);
  }
  UpdateButtons();
}

void CPathListDlg::OnClear() {
  ::SendMessageW(m_listBox, LB_RESETCONTENT, 0, 0);
  UpdateButtons();
}

void CPathListDlg::OnUp() { MoveSelected(-1); }

void CPathListDlg::OnDown() { MoveSelected(+1); }

void CPathListDlg::MoveSelected(int offset) {
  const int selected = Selection();
  const int target = selected + offset;
  if (selected >= 0 && target >= 0 && target < Count()) {
    const std::wstring text = EntryText(selected);
    ::SendMessageW(m_listBox, LB_DELETESTRING, static_cast<WPARAM>(selected), 0);
    const LRESULT at =
        ::SendMessageW(m_listBox, LB_INSERTSTRING, static_cast<WPARAM>(target), reinterpret_cast<LPARAM>(text.c_str()));
    ::SendMessageW(m_listBox, LB_SETCURSEL, static_cast<WPARAM>(at), 0);
  }
  UpdateButtons();
  // The arrow just used keeps the focus, and with it the default frame, so Enter repeats the move;
  // one that has just disabled itself has handed both to the list.
  HWND used = offset < 0 ? m_upButton : m_downButton;
  if (::IsWindowEnabled(used)) FocusControl(used);
}

void CPathListDlg::UpdateButtons() {
  const int selected = Selection();
  const int count = Count();
  const std::pair<int, bool> states[] = {{IDC_LIST_CHANGE, selected >= 0},
                                         {IDC_LIST_DELETE, selected >= 0},
                                         {IDC_LIST_CLEAR, count >= 1},
                                         {IDC_LIST_UP, selected >= 1},
                                         {IDC_LIST_DOWN, selected >= 0 && selected < count - 1}};
  // A focused button about to disable itself hands the focus to the list first: with the focus on no
  // control, the next Enter would press OK while another button still looked like the default.
  const HWND focus = ::GetFocus();
  for (const auto& [id, enabled] : states) {
    if (!enabled && focus && focus == GetDlgItem(id)) FocusControl(m_listBox);
  }
  for (const auto& [id, enabled] : states) UIEnable(id, enabled);
  UIUpdateChildWindows();
}

void CPathListDlg::FocusControl(HWND control) {
  // Through the dialog manager, which also moves the default frame: to a push button that takes the
  // focus, back to OK for any other control.
  ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
}

void CPathListDlg::WidenExtent(const std::wstring& text, bool apply) {
  SIZE size = {};
  {
    WindowDc dc(m_listBox);
    SelectedObject font(dc.Get(), m_font);
    if (!dc || !::GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &size)) return;
  }
  const int wanted = static_cast<int>(size.cx) + static_cast<int>(m_metrics.tmAveCharWidth);
  if (wanted <= m_extent) return;
  m_extent = wanted;
  if (apply) ::SendMessageW(m_listBox, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(m_extent), 0);
}

int CPathListDlg::Count() const {
  const LRESULT count = ::SendMessageW(m_listBox, LB_GETCOUNT, 0, 0);
  return count > 0 ? static_cast<int>(count) : 0;
}

int CPathListDlg::Selection() const { return static_cast<int>(::SendMessageW(m_listBox, LB_GETCURSEL, 0, 0)); }

std::wstring CPathListDlg::EntryText(int index) const {
  const LRESULT length = ::SendMessageW(m_listBox, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length <= 0) return {};
  std::wstring text(static_cast<size_t>(length), L'\0');
  const LRESULT got =
      ::SendMessageW(m_listBox, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return text;
}

void CPathListDlg::StartFolderCheck(const std::vector<std::wstring>& entries) {
  std::vector<std::wstring> folders;
  for (const std::wstring& entry : entries) {
    if (std::wstring folder = CheckableFolder(entry); !folder.empty()) folders.push_back(std::move(folder));
  }
  if (folders.empty() || !m_hWnd) return;
  // Folders on other machines go last: one that never answers then holds a worker, not the answers
  // of the local ones.
  std::stable_partition(folders.begin(), folders.end(), [](const std::wstring& f) { return !IsNetworkPath(f); });
  if (!m_check) m_check = std::make_unique<FolderCheck>();
  for (std::wstring& folder : folders) {
    // Without a worker there is no mark: the list works as before.
    m_check->workers.Post([check = m_check.get(), window = m_hWnd, folder = std::move(folder)] {
      const bool absent = !IsFolder(folder);
      std::lock_guard lock(check->mutex);
      check->answers.emplace_back(folder, absent);
      // One message for the answers that gather until the window takes them.
      if (check->answers.size() == 1) ::PostMessageW(window, kFoldersChecked, 0, 0);
    });
  }
}

void CPathListDlg::OnFoldersChecked() {
  if (!m_check) return;
  std::vector<std::pair<std::wstring, bool>> answers;
  {
    std::lock_guard lock(m_check->mutex);
    answers.swap(m_check->answers);
  }
  for (const auto& [folder, absent] : answers) {
    if (absent) {
      m_absent.insert(folder);
    } else {
      m_absent.erase(folder);
    }
  }
  const std::wstring mark = L"  " + UiText(text::kListNotFound);
  for (int i = 0; i < Count(); ++i) {
    const std::wstring entry = EntryText(i);
    if (m_absent.contains(CheckableFolder(entry))) WidenExtent(entry + mark, true);
  }
  ::InvalidateRect(m_listBox, nullptr, TRUE);
}

void CPathListDlg::StopFolderCheck() {
  // Look-ups not started are dropped; one waiting for a server is cancelled and waited for.
  m_check.reset();
}

void CPathListDlg::OnDrawItem(const DRAWITEMSTRUCT& item) {
  if (item.itemID == static_cast<UINT>(-1)) return;
  const HDC dc = item.hDC;
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  const std::wstring entry = EntryText(static_cast<int>(item.itemID));
  const bool absent = m_absent.contains(CheckableFolder(entry));
  ::FillRect(dc, &item.rcItem, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  SelectedObject font(dc, m_font);
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : absent ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT));
  RECT area = item.rcItem;
  area.left += 2;
  constexpr UINT kFormat = DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER;
  ::DrawTextW(dc, entry.c_str(), static_cast<int>(entry.size()), &area, kFormat);
  if (absent) {
    // The mark is drawn after the entry, never part of its text.
    RECT measured = area;
    ::DrawTextW(dc, entry.c_str(), static_cast<int>(entry.size()), &measured, kFormat | DT_CALCRECT);
    area.left = measured.right + static_cast<LONG>(m_metrics.tmAveCharWidth) * 2;
    const std::wstring mark = UiText(text::kListNotFound);
    ::DrawTextW(dc, mark.c_str(), static_cast<int>(mark.size()), &area, kFormat);
  }
  if (item.itemState & ODS_FOCUS) ::DrawFocusRect(dc, &item.rcItem);
}

}  // namespace pathwright
