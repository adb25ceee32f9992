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

}  // namespace pathwright
