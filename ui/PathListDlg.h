// The list editor: one directory list as one line per entry, typed in place or picked with the folder
// dialog, each entry judged beside it (found, not found, variable not set, ...).
// The caller sets m_paths, m_kindTitle, m_lastFolder and m_substituteEnvironment (and what else is in
// force, and the size), runs DoModal, and after IDOK takes m_paths and m_lastFolder back; m_size
// after any close.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/EnvironmentBlock.h"
#include "res/resource.h"
#include "ui/ListInForce.h"
#include "ui/Platform.h"
#include "win/Dialog.h"
#include "win/Handle.h"
#include "win/UpdateUI.h"

namespace pathwright {

class CPathListDlg : public CDialogImpl<CPathListDlg>, public CUpdateUI<CPathListDlg> {
 public:
  static constexpr UINT IDD = IDD_PATHLIST;
  static constexpr UINT kFoldersChecked = WM_APP + 1;  // posted by the look-ups when answers wait
  static std::span<const int> UpdateUiMap() {
    static constexpr int kItems[] = {IDC_LIST_CHANGE, IDC_LIST_DELETE, IDC_LIST_CLEAR, IDC_LIST_UP, IDC_LIST_DOWN};
    return kItems;
  }

  std::wstring m_paths;       // the list text: handed in, rebuilt from the entries on close
  std::wstring m_kindTitle;   // the directory kind's name in the user's language, put into the heading
  std::wstring m_lastFolder;  // where Add's picker starts; every pick replaces it (before substitution)
  // A pick under the drive path of an environment variable is written with the variable.
  bool m_substituteEnvironment = true;
  // Entries in force that the list does not hold, as read-only lines around the user's entries, and
  // the line above the list when no path property uses it.
  std::vector<FixedLine> m_before;
  std::vector<FixedLine> m_after;
  std::wstring m_unusedNote;
  // The window's size at 96 DPI: the one to open with (zero: a default), the one it had when it closed.
  SIZE m_size = {};

  explicit CPathListDlg(PlatformServices& platform);
  ~CPathListDlg() override;

  BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                            DWORD mapId = 0) override;

 private:
  static constexpr UINT kReopenEdit = WM_APP + 2;  // posted when a typed text was refused
  static constexpr UINT_PTR kListSubclass = 1;

  PlatformServices& Platform() const { return m_platform; }
  LRESULT OnInitDialog();
  LRESULT OnCloseCmd(WORD id);
  LRESULT OnNotify(const NMHDR& header);
  void UpdateButtons();
  void LoadArrowImages(UINT dpi);
  void LoadStatusIcons(UINT dpi);
  void OnDpiApplied(UINT dpi) override;
  // Layout: the list and the expanded line grow with the window, the buttons keep to their edges.
  void TakeLayout();
  void ShowUnusedNote();
  void ApplyLayout();
  void FitColumns();

  // Keyboard and moves (PathListMoves.cpp). The list's own keys: typing, F2, Del, Alt+Up/Down,
  // Ctrl+C/V/A. True when the key was taken.
  bool OnListKey(UINT message, WPARAM key);
  static LRESULT CALLBACK ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self);
  void OnDelete();
  void OnClear();
  void MoveSelected(int offset);

  // The folder picker (PathListPicker.cpp).
  void OnAdd();
  void OnChange();
  bool BrowseForFolder(uint32_t titleNumber, const std::wstring& initialFolder, std::wstring& folder);
  // A fresh pick, substituted when the option is on; a name with ";" is refused with a message.
  bool TakePick(const std::wstring& folder);

  // Typing in place and the clipboard (PathListEditing.cpp).
  // Nothing when the text can be an entry; otherwise the reason to show (empty without a language).
  static std::optional<std::wstring> Refusal(const std::wstring& text);
  void StartEdit(int index, const std::wstring& typed, bool replace);
  bool EndEdit(const NMLVDISPINFOW& info);
  void ReopenRefusedEdit();
  void Copy();
  void Paste();

  // The items (PathListItems.cpp). The entries (the "New" line at the end is not one of them). The
  // list's items are the lines before, the entries, the "New" line and the lines after: an entry's
  // index is not its item's.
  int Count() const;
  int ItemOf(int entry) const { return static_cast<int>(m_before.size()) + entry; }
  // The entry (Count() for the "New" line) an item shows; -1 for a read-only line.
  int EntryOf(int item) const;
  int FocusedEntry() const;
  void InsertFixed(int item, const FixedLine& line);
  // Each line drawn as one bar, selected or not, with the status icon and words in the status column.
  LRESULT OnCustomDraw(const NMLVCUSTOMDRAW& draw) const;
  void DrawLine(HDC dc, int item) const;
  // The room on either side of a status icon.
  static int StatusGap(UINT dpi) { return ::MulDiv(4, static_cast<int>(dpi), 96); }
  std::wstring EntryText(int index) const;
  std::vector<int> SelectedEntries() const;
  void InsertEntry(int index, const std::wstring& text);
  void SetEntry(int index, const std::wstring& text);
  void SelectOnly(const std::vector<int>& indices, int focus);

  // The judgement of every entry, shown in the status column; folder look-ups run on workers
  // (PathListStatus.cpp).
  struct FolderCheck;
  void RefreshStatus();
  void OnFoldersChecked();
  void OnLookUpTimer();
  void ShowExpanded();
  void StopFolderCheck();

  PlatformServices& m_platform;
  EnvironmentBlock m_environment;  // what Visual Studio will see at its next start
  HWND m_list = nullptr;
  HWND m_upButton = nullptr;
  HWND m_downButton = nullptr;
  UniqueImageList m_upImages;  // shown by the arrow buttons until the dialog closes
  UniqueImageList m_downImages;
  UniqueImageList m_statusIcons;  // owned here: the list is told not to destroy it
  std::wstring m_picked;          // latest pick after substitution: the text Add and Change insert
  UINT m_dpi = 0;
  int m_editing = -1;             // the item whose text is being edited in place
  std::wstring m_refused;         // a refused text, offered again in the reopened edit
  int m_refusedIndex = -1;
  int m_statusWidth = 0;  // the status column's width at the current DPI
  struct Anchored {
    int id;
    RECT place;
    bool moveX, moveY, growX, growY;
  };
  std::vector<Anchored> m_layout;
  SIZE m_layoutClient = {};  // the client size m_layout was taken at
  SIZE m_minimum = {};       // the window's size from its template at the current DPI
  // Per folder key: the look-up's state; missing while no look-up has been asked for.
  struct LookUp {
    int state = 0;  // 0 pending, 1 folder, 2 absent, 3 no answer yet after the limit
    DWORD asked = 0;
  };
  std::map<std::wstring, LookUp> m_lookUps;
  std::unique_ptr<FolderCheck> m_check;
};

}  // namespace pathwright
