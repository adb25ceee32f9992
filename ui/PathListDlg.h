// The list editor: one directory list as one entry per line, edited with the folder browser.
// The caller sets m_paths, m_kindTitle, m_lastFolder and m_substituteEnvironment, runs DoModal, and
// after IDOK takes m_paths and m_lastFolder back.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "res/resource.h"
#include "ui/Platform.h"
#include "win/Dialog.h"
#include "win/Handle.h"
#include "win/UpdateUI.h"

namespace pathwright {

class CPathListDlg : public CDialogImpl<CPathListDlg>, public CUpdateUI<CPathListDlg> {
 public:
  static constexpr UINT IDD = IDD_PATHLIST;
  static std::span<const int> UpdateUiMap() {
    static constexpr int kItems[] = {IDC_LIST_CHANGE, IDC_LIST_DELETE, IDC_LIST_CLEAR, IDC_LIST_UP, IDC_LIST_DOWN};
    return kItems;
  }

  std::wstring m_paths;       // the list text: handed in, rebuilt from the entries on close
  std::wstring m_kindTitle;   // English title of the directory kind, shown in the label
  std::wstring m_lastFolder;  // where Add's browser starts; every pick replaces it (before substitution)
  // A pick under the drive path of an environment variable is written with the variable.
  bool m_substituteEnvironment = true;

  explicit CPathListDlg(PlatformServices& platform);
  ~CPathListDlg() override;

  BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                            DWORD mapId = 0) override;

 private:
  PlatformServices& Platform() const { return m_platform; }
  LRESULT OnInitDialog();
  LRESULT OnCloseCmd(WORD id);
  void OnAdd();
  void OnChange();
  void OnDelete();
  void OnClear();
  void OnUp();
  void OnDown();
  void UpdateButtons();
  // The arrows drawn nearest to the DPI go onto the buttons; the images they had before are destroyed.
  void LoadArrowImages(UINT dpi);
  // The arrows, the font metrics and the extent for a new DPI.
  void OnDpiApplied(UINT dpi) override;
  // False when the browser was cancelled or gave no file-system folder.
  bool BrowseForFolder(uint32_t titleNumber, const std::wstring& initialFolder, std::wstring& folder);
  // Takes a fresh pick: remembered as the last folder, then substituted when the option is on. A
  // folder whose name holds ";" is refused with a message (false), and nothing changes.
  bool TakePick(const std::wstring& folder);
  // Widens m_extent for an entry; `apply` also tells the list box at once.
  void WidenExtent(const std::wstring& text, bool apply);
  void MoveSelected(int offset);
  void FocusControl(HWND control);
  int Count() const;
  int Selection() const;
  std::wstring EntryText(int index) const;
  // Existence checks run on a few worker threads, so a dead network share never stalls the window;
  // the answers come back with kFoldersChecked. The workers end with the dialog.
  struct FolderCheck;
  void StartFolderCheck(const std::vector<std::wstring>& entries);
  void OnFoldersChecked();
  void OnDrawItem(const DRAWITEMSTRUCT& item);
  void StopFolderCheck();

  PlatformServices& m_platform;
  TEXTMETRICW m_metrics = {};
  HFONT m_font = nullptr;  // the list box's own font
  HWND m_listBox = nullptr;
  HWND m_upButton = nullptr;
  HWND m_downButton = nullptr;
  UniqueImageList m_upImages;  // shown by the arrow buttons until the dialog closes
  UniqueImageList m_downImages;
  std::wstring m_picked;            // latest pick after substitution: the text Add and Change insert
  int m_extent = 0;                 // horizontal scroll extent in pixels; only ever grows at one DPI
  UINT m_dpi = 0;                   // the DPI the extent and the arrow images were made for
  std::set<std::wstring> m_absent;  // expanded folders a look-up found missing: drawn grey, marked
  std::unique_ptr<FolderCheck> m_check;
};

}  // namespace pathwright
