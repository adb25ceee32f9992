// The list editor's typing: an entry edited in place, a text that cannot be an entry refused with
// the reason and offered again, and the clipboard.
#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "lang/TextNumbers.h"
#include "model/DirectoryList.h"
#include "model/SheetEncoding.h"
#include "ui/PathListDlg.h"
#include "ui/UiLanguage.h"

namespace pathwright {

namespace {
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

void CPathListDlg::StartEdit(int index, const std::wstring& typed, bool replace) {
  if (index < 0 || index > Count()) return;
  ::SetFocus(m_list);
  SelectOnly({index}, index);
  const HWND edit =
      reinterpret_cast<HWND>(::SendMessageW(m_list, LVM_EDITLABELW, static_cast<WPARAM>(ItemOf(index)), 0));
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

void CPathListDlg::ReopenRefusedEdit() {
  Platform().ShowMessageBox(m_hWnd, Refusal(m_refused).value_or(L""), UiText(text::kListTitle), MB_OK | MB_ICONWARNING);
  StartEdit(m_refusedIndex, m_refused, true);
}

std::optional<std::wstring> CPathListDlg::Refusal(const std::wstring& text) {
  if (text.find(L';') != std::wstring::npos) return UiText(text::kListSemicolonTyped);
  if (const std::optional<ForbiddenCharacter> found = FindForbiddenCharacter(text)) {
    return UiFormat(text::kListForbiddenTyped, CodePointName(found->code));
  }
  return std::nullopt;
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

}  // namespace pathwright
