// Dialogs from the program's templates: a modeless Create and a modal DoModal, both through one
// static dialog procedure that binds the window to its object on the window's first message, so
// WM_SETFONT and WM_INITDIALOG already reach the object's message map.
#pragma once

#include <windows.h>

#include <string>

namespace pathwright {

class CDialogBase {
 public:
  HWND m_hWnd = nullptr;

  CDialogBase() = default;
  CDialogBase(const CDialogBase&) = delete;
  CDialogBase& operator=(const CDialogBase&) = delete;

  // The message map: true when the message was handled, its result in `result`.
  virtual BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                                    DWORD mapId = 0) = 0;
  // A window still open when its object goes is destroyed without reaching the object again.
  virtual ~CDialogBase();

  HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
  bool EndDialog(INT_PTR result) { return ::EndDialog(m_hWnd, result) != FALSE; }
  bool DestroyWindow();
  bool CentreWindow(HWND over = nullptr);
  bool SetDlgItemText(int id, const std::wstring& text) { return ::SetDlgItemTextW(m_hWnd, id, text.c_str()) != FALSE; }
  std::wstring GetDlgItemText(int id) const;

  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 protected:
  HWND CreateFromTemplate(UINT templateId, HWND parent, LPARAM initParam);
  // After the dialog manager has scaled the window and its font to a new DPI: what the dialog draws
  // itself (fonts, pictures, extents) is made again for `dpi`.
  virtual void OnDpiApplied(UINT /*dpi*/) {}
  INT_PTR RunModal(UINT templateId, HWND owner, LPARAM initParam);
};

// T names its template as `static constexpr UINT IDD`.
template <class T>
class CDialogImpl : public CDialogBase {
 public:
  HWND Create(HWND parent, LPARAM initParam = 0) { return CreateFromTemplate(T::IDD, parent, initParam); }
  // 1 or 2 (or what the dialog ended with); -1 when the dialog could not be made.
  INT_PTR DoModal(HWND owner = ::GetActiveWindow(), LPARAM initParam = 0) { return RunModal(T::IDD, owner, initParam); }
};

}  // namespace pathwright
