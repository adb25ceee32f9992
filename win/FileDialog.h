// The common open/save file dialog with the buffers it fills: the full path (MAX_PATH characters)
// and the file name alone (256 characters).
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <string>

namespace pathwright {

class CFileDialog {
 public:
  struct Options {
    bool open = true;
    const wchar_t* defaultExtension = nullptr;  // without the dot
    const wchar_t* fileName = nullptr;          // initial name, or none
    DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    // Description and pattern pairs, each part ended by '\0' (an embedded one; the string's own
    // terminator ends the list).
    std::wstring filter;
  };

  explicit CFileDialog(const Options& options);
  CFileDialog(const CFileDialog&) = delete;
  CFileDialog& operator=(const CFileDialog&) = delete;

  // IDOK when a file was chosen, IDCANCEL otherwise (also when the dialog failed).
  INT_PTR DoModal(HWND owner = ::GetActiveWindow());

  // Folder the dialog starts in; empty leaves the choice to the system.
  void SetInitialFolder(std::wstring folder) { m_initialFolder = std::move(folder); }
  const std::wstring& InitialFolder() const { return m_initialFolder; }

  // What the dialog returned (or what a test puts there in its stead).
  std::wstring FilePath() const { return m_fileName; }
  std::wstring FileTitle() const { return m_fileTitle; }
  void SetResult(const std::wstring& path, const std::wstring& title);

  OPENFILENAMEW m_ofn = {};
  wchar_t m_fileName[MAX_PATH] = {};
  wchar_t m_fileTitle[256] = {};

 private:
  static UINT_PTR CALLBACK HookProc(HWND, UINT, WPARAM, LPARAM);

  bool m_open;
  std::wstring m_filter;
  std::wstring m_defaultExtension;
  std::wstring m_initialFolder;
};

}  // namespace pathwright
