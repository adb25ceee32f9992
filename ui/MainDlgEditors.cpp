// The main window's secondary dialogs: the About box behind "?" and the list editor behind the
// seven list buttons.
#include "lang/TextNumbers.h"
#include "model/DirectoryKinds.h"
#include "ui/AboutDlg.h"
#include "ui/MainDlg.h"
#include "ui/PathListDlg.h"
#include "ui/UiLanguage.h"

namespace pathwright {

void CMainDlg::OnAbout() {
  CAboutDlg about;
  about.DoModal(::GetActiveWindow());
}

void CMainDlg::OnEditDirectories(int id) {
  const int kind = id - IDC_MAIN_FIRST_BUTTON;
  if (kind < 0 || kind >= kKindCount) return;
  const int edit = IDC_MAIN_FIRST_EDIT + kind;

  // What the user typed is what the editor starts with; a failed read leaves the stored list.
  DoDataExchange(kSaveControls, static_cast<UINT>(edit));

  CPathListDlg editor(Platform());
  editor.m_paths = m_lists[kind];
  editor.m_kindTitle = UiText(text::kKindNames[kind]);
  editor.m_lastFolder = m_lastFolder;
  editor.m_substituteEnvironment = m_environmentSubstitution != 0;
  if (editor.DoModal(::GetActiveWindow()) != IDOK) return;

  m_lastFolder = editor.m_lastFolder;
  m_lists[kind] = editor.m_paths;
  DoDataExchange(kFillControls, static_cast<UINT>(edit));
}

}  // namespace pathwright
