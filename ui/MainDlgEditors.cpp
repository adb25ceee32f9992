// The main window's secondary dialogs: the About box behind "?" and the list editor behind the
// seven list buttons.
#include <cwchar>

#include "lang/Settings.h"
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
  editor.m_before = m_surroundings[kind].before;
  editor.m_after = m_surroundings[kind].after;
  editor.m_unusedNote = m_surroundings[kind].unusedNote;
  // "width x height" at 96 DPI; anything else opens the editor at its default size.
  const auto remembered = m_settingValues.find(kSettingEditorSize);
  const std::wstring size = remembered == m_settingValues.end() ? std::wstring() : remembered->second;
  if (std::swscanf(size.c_str(), L"%ldx%ld", &editor.m_size.cx, &editor.m_size.cy) != 2) editor.m_size = {};
  const INT_PTR closed = editor.DoModal(::GetActiveWindow());
  if (const std::wstring now = std::to_wstring(editor.m_size.cx) + L"x" + std::to_wstring(editor.m_size.cy);
      editor.m_size.cx > 0 && now != size) {
    m_settingValues[kSettingEditorSize] = now;
    m_settingsChanged = true;  // written when the window closes, as its width is
  }
  if (closed != IDOK) return;

  m_lastFolder = editor.m_lastFolder;
  m_lists[kind] = editor.m_paths;
  DoDataExchange(kFillControls, static_cast<UINT>(edit));
}

}  // namespace pathwright
