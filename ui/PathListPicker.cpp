// The list editor's folder picker: Add and Change pick a folder, written with the environment variable
// it lies under when the option is on.
#include <string>
#include <vector>

#include "lang/TextNumbers.h"
#include "model/EnvironmentPaths.h"
#include "ui/PathListDlg.h"
#include "ui/UiLanguage.h"

namespace pathwright {

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
  const std::wstring initial =
      ExpandLeadingReference(EntryText(index), [this](const std::wstring& name) { return m_environment.Find(name); });
  std::wstring folder;
  if (!BrowseForFolder(text::kListBrowseChange, initial, folder) || !TakePick(folder)) return;
  SetEntry(index, m_picked);
  SelectOnly({index}, index);
  RefreshStatus();
  UpdateButtons();
}

}  // namespace pathwright
