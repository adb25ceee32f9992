#include "ui/PathListDlg.h"

#include <stdlib.h>

#include <optional>
#include <vector>

#include "lang/TextNumbers.h"
#include "model/DirectoryList.h"
#include "model/EnvironmentPaths.h"
#include "ui/Options.h"
#include "lang/TextFormat.h"
#include "ui/UiLanguage.h"
#include "win/AppModule.h"
#include "win/Handle.h"
#include "ui/Platform.h"

namespace pathwright {

namespace {
constexpr COLORREF kTransparent = RGB(255, 0, 255);
constexpr int kArrowSize = 16;

// The process environment as "NAME=VALUE" entries in the C runtime's order, read afresh each call.
std::vector<std::wstring> ProcessEnvironment() {
  // The C runtime builds its wide table on first demand when the program did not start through wmain.
  if (!_wenviron) _wgetenv(L"PATH");
  std::vector<std::wstring> entries;
  if (!_wenviron) return entries;
  for (wchar_t** entry = _wenviron; *entry; ++entry) entries.emplace_back(*entry);
  return entries;
}
}  // namespace

BOOL CPathListDlg::ProcessWindowMessage(HWND, UINT message, WPARAM wParam, LPARAM, LRESULT& result, DWORD) {
  if (message == WM_INITDIALOG) {
    result = OnInitDialog();
    return TRUE;
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
  m_upButton = LoadArrowImages(IDB_ARROW_UP, IDC_LIST_UP, m_upImages);
  m_downButton = LoadArrowImages(IDB_ARROW_DOWN, IDC_LIST_DOWN, m_downImages);

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
  if (m_extent > 0) ::SendMessageW(m_listBox, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(m_extent), 0);

  UIAddChildWindowContainer(m_hWnd);
  UpdateButtons();
  return TRUE;  // the focus goes to the list box, with no entry selected
}

HWND CPathListDlg::LoadArrowImages(UINT bitmapId, int buttonId, UniqueImageList& images) {
  images.Reset(::ImageList_LoadImageW(CAppModule::GetResourceInstance(), MAKEINTRESOURCEW(bitmapId), kArrowSize, 0,
                                      kTransparent, IMAGE_BITMAP, 0));
  BUTTON_IMAGELIST shown = {};  // the button keeps a copy
  shown.himl = images.Get();
  shown.uAlign = BUTTON_IMAGELIST_ALIGN_CENTER;
  HWND button = GetDlgItem(buttonId);
  ::SendMessageW(button, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&shown));
  return button;
}

LRESULT CPathListDlg::OnCloseCmd(WORD id) {
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

void CPathListDlg::TakePick(const std::wstring& folder) {
  m_picked = folder;
  m_lastFolder = folder;
  if (g_environmentSubstitution != 0) m_picked = SubstituteEnvironment(m_picked, ProcessEnvironment());
}

void CPathListDlg::OnAdd() {
  std::wstring folder;
  if (!BrowseForFolder(text::kListBrowseAdd, m_lastFolder, folder)) return;
  TakePick(folder);
  ::SendMessageW(m_listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(m_picked.c_str()));
  WidenExtent(m_picked, true);
  UpdateButtons();
}

void CPathListDlg::OnChange() {
  const int selected = Selection();
  if (selected < 0) return;
  // An entry such as $(TOOLS)\lib opens the browser where it points now.
  const std::wstring initial =
      ExpandLeadingReference(EntryText(selected), [](const std::wstring& name) -> std::optional<std::wstring> {
        const wchar_t* value = _wgetenv(name.c_str());
        if (!value) return std::nullopt;
        return std::wstring(value);
      });
  std::wstring folder;
  if (!BrowseForFolder(text::kListBrowseChange, initial, folder)) return;
  TakePick(folder);
  ::SendMessageW(m_listBox, LB_DELETESTRING, static_cast<WPARAM>(selected), 0);
  ::SendMessageW(m_listBox, LB_INSERTSTRING, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(m_picked.c_str()));
  ::SendMessageW(m_listBox, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
  WidenExtent(m_picked, true);
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
  // The arrow just used becomes the default push button, so Enter repeats the move.
  HWND from = offset < 0 ? m_downButton : m_upButton;
  HWND to = offset < 0 ? m_upButton : m_downButton;
  const LONG fromStyle = ::GetWindowLongW(from, GWL_STYLE);
  if (fromStyle & BS_DEFPUSHBUTTON) ::SetWindowLongW(from, GWL_STYLE, fromStyle & ~BS_DEFPUSHBUTTON);
  const LONG toStyle = ::GetWindowLongW(to, GWL_STYLE);
  if (!(toStyle & BS_DEFPUSHBUTTON)) ::SetWindowLongW(to, GWL_STYLE, toStyle | BS_DEFPUSHBUTTON);

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
}

void CPathListDlg::UpdateButtons() {
  const int selected = Selection();
  const int count = Count();
  UIEnable(IDC_LIST_CHANGE, selected >= 0);
  UIEnable(IDC_LIST_DELETE, selected >= 0);
  UIEnable(IDC_LIST_CLEAR, count >= 1);
  UIEnable(IDC_LIST_UP, selected >= 1);
  UIEnable(IDC_LIST_DOWN, selected >= 0 && selected < count - 1);
  UIUpdateChildWindows();
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

}  // namespace pathwright
