#include "win/FileDialog.h"

#include <cwchar>

namespace pathwright {

namespace {
void CopyTruncated(wchar_t* buffer, size_t capacity, const std::wstring& text) {
  const size_t n = text.size() < capacity ? text.size() : capacity - 1;
  std::wmemcpy(buffer, text.data(), n);
  buffer[n] = L'\0';
}
}  // namespace

CFileDialog::CFileDialog(const Options& options)
    : m_open(options.open),
      m_filter(options.filter),
      m_defaultExtension(options.defaultExtension ? options.defaultExtension : L"") {
  // The filter list ends with an empty part; the string's own terminator provides one '\0'.
  if (!m_filter.empty() && m_filter.back() != L'\0') m_filter.push_back(L'\0');
  if (options.fileName) CopyTruncated(m_fileName, MAX_PATH, options.fileName);

  // The explorer style with a hook gives the resizable dialog that keeps the caller's window
  // disabled; the hook itself leaves every message to the dialog.
  m_ofn.lStructSize = sizeof(m_ofn);
  m_ofn.Flags = options.flags | OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ENABLESIZING;
  m_ofn.lpfnHook = &CFileDialog::HookProc;
}

UINT_PTR CALLBACK CFileDialog::HookProc(HWND, UINT, WPARAM, LPARAM) { return 0; }

void CFileDialog::SetResult(const std::wstring& path, const std::wstring& title) {
  CopyTruncated(m_fileName, MAX_PATH, path);
  CopyTruncated(m_fileTitle, 256, title);
}

INT_PTR CFileDialog::DoModal(HWND owner) {
  m_ofn.hwndOwner = owner;
  m_ofn.hInstance = nullptr;
  m_ofn.lpstrFilter = m_filter.empty() ? nullptr : m_filter.c_str();
  m_ofn.lpstrDefExt = m_defaultExtension.empty() ? nullptr : m_defaultExtension.c_str();
  m_ofn.lpstrInitialDir = m_initialFolder.empty() ? nullptr : m_initialFolder.c_str();
  m_ofn.lpstrFile = m_fileName;
  m_ofn.nMaxFile = MAX_PATH;
  m_ofn.lpstrFileTitle = m_fileTitle;
  m_ofn.nMaxFileTitle = 256;
  const BOOL chosen = m_open ? ::GetOpenFileNameW(&m_ofn) : ::GetSaveFileNameW(&m_ofn);
  return chosen ? IDOK : IDCANCEL;
}

}  // namespace pathwright
