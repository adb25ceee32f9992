// The list editor's items: the read-only lines before, the entries, the "New" line and the read-only
// lines after, and the mapping between an entry's index and its item's.
#include <algorithm>
#include <string>
#include <vector>

#include "ui/PathListDlg.h"

namespace pathwright {

namespace {
std::wstring ItemText(HWND list, int index, int column = 0) {
  std::wstring text(512, L'\0');
  for (;;) {
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(text.size());
    const LRESULT got =
        ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    if (got < static_cast<LRESULT>(text.size()) - 1) {
      text.resize(got > 0 ? static_cast<size_t>(got) : 0);
      return text;
    }
    text.resize(text.size() * 2);
  }
}
}  // namespace

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
  for (int i = -1;
       (i = static_cast<int>(::SendMessageW(m_list, LVM_GETNEXTITEM, static_cast<WPARAM>(i), LVNI_SELECTED))) >= 0;) {
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
  // Set as the entries' words are, without an icon, so both kinds of words start in one column.
  LVITEMW status = {};
  status.mask = LVIF_TEXT | LVIF_IMAGE;
  status.iItem = at;
  status.iSubItem = 1;
  status.pszText = where.data();
  status.iImage = I_IMAGENONE;
  ::SendMessageW(m_list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&status));
}

LRESULT CPathListDlg::OnCustomDraw(const NMLVCUSTOMDRAW& draw) const {
  // Each line is drawn here whole: the list's own drawing tints the status icon on the selection,
  // leaves the row's left end white and boxes an icon alone when focused.
  if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
  if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
  DrawLine(draw.nmcd.hdc, static_cast<int>(draw.nmcd.dwItemSpec));
  return CDRF_SKIPDEFAULT;
}

void CPathListDlg::DrawLine(HDC dc, int item) const {
  // Read-only lines in the colour of text that cannot be changed; they are never selected, so it stays
  // readable. A selection while the list has no focus in the quieter colours lists use for it.
  const bool focused = ::GetFocus() == m_list;
  COLORREF text = ::GetSysColor(EntryOf(item) < 0 ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT);
  COLORREF back = ::GetSysColor(COLOR_WINDOW);
  if (::SendMessageW(m_list, LVM_GETITEMSTATE, static_cast<WPARAM>(item), LVIS_SELECTED) != 0) {
    text = ::GetSysColor(focused ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT);
    back = ::GetSysColor(focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE);
  }
  RECT row = {};
  row.left = LVIR_BOUNDS;
  ::SendMessageW(m_list, LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&row));
  ::SetDCBrushColor(dc, back);
  ::FillRect(dc, &row, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
  const SelectedObject font(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(m_list, WM_GETFONT, 0, 0)));
  ::SetTextColor(dc, text);
  ::SetBkMode(dc, TRANSPARENT);
  constexpr UINT kFormat = DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;

  // The status: every word starts at one edge, with or without an icon before it, and the icon keeps
  // clear of the column's divider and of its words.
  RECT cell = {};
  cell.top = 1;
  cell.left = LVIR_BOUNDS;
  ::SendMessageW(m_list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&cell));
  LVITEMW image = {};
  image.mask = LVIF_IMAGE;
  image.iItem = item;
  image.iSubItem = 1;
  ::SendMessageW(m_list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&image));
  const int gap = StatusGap(m_dpi);
  int width = 0, height = 0;
  ::ImageList_GetIconSize(m_statusIcons.Get(), &width, &height);
  if (image.iImage >= 0) {
    ::ImageList_Draw(m_statusIcons.Get(), image.iImage, dc, cell.left + gap, (cell.top + cell.bottom - height) / 2,
                     ILD_TRANSPARENT);
  }

  // The entry where the list puts its label, so the text stays in place when it is edited.
  RECT entry = {};
  entry.left = LVIR_LABEL;
  ::SendMessageW(m_list, LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&entry));
  entry.left += 2 * ::GetSystemMetrics(SM_CXEDGE);
  entry.right = std::min(entry.right, cell.left - gap);
  const std::wstring words = ItemText(m_list, item, 0);
  ::DrawTextW(dc, words.c_str(), static_cast<int>(words.size()), &entry, kFormat);

  const std::wstring status = ItemText(m_list, item, 1);
  cell.left += gap + width + gap;
  cell.right -= gap;
  ::DrawTextW(dc, status.c_str(), static_cast<int>(status.size()), &cell, kFormat);
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

}  // namespace pathwright
