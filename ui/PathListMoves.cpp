// The list editor's keyboard and the commands that remove and move entries.
#include <algorithm>
#include <string>
#include <vector>

#include "ui/PathListDlg.h"

namespace pathwright {

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
    ::SendMessageW(m_list, LVM_ENSUREVISIBLE,
                   static_cast<WPARAM>(ItemOf(offset < 0 ? selected.front() : selected.back())), FALSE);
    RefreshStatus();
  }
  UpdateButtons();
}

}  // namespace pathwright
