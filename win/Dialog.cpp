#include "win/Dialog.h"

#include "win/AppModule.h"
#include "win/Centre.h"
#include "win/Dpi.h"
#include "win/WindowText.h"

namespace pathwright {

CDialogBase::~CDialogBase() {
  if (m_hWnd && ::IsWindow(m_hWnd)) {
    // The derived part is gone: the window must not call back into it while it is destroyed.
    ::SetWindowLongPtrW(m_hWnd, DWLP_USER, 0);
    ::DestroyWindow(m_hWnd);
  }
}

bool CDialogBase::DestroyWindow() { return m_hWnd && ::DestroyWindow(m_hWnd) != FALSE; }

bool CDialogBase::CentreWindow(HWND over) { return pathwright::CentreWindow(m_hWnd, over); }

std::wstring CDialogBase::GetDlgItemText(int id) const { return GetWindowTextString(GetDlgItem(id)); }

HWND CDialogBase::CreateFromTemplate(UINT templateId, HWND parent, LPARAM initParam) {
  const CAppModule::Creating creating(g_module, this);
  return ::CreateDialogParamW(CAppModule::GetResourceInstance(), MAKEINTRESOURCEW(templateId), parent,
                              &CDialogBase::DialogProc, initParam);
}

INT_PTR CDialogBase::RunModal(UINT templateId, HWND owner, LPARAM initParam) {
  const CAppModule::Creating creating(g_module, this);
  return ::DialogBoxParamW(CAppModule::GetResourceInstance(), MAKEINTRESOURCEW(templateId), owner,
                           &CDialogBase::DialogProc, initParam);
}

INT_PTR CALLBACK CDialogBase::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<CDialogBase*>(::GetWindowLongPtrW(window, DWLP_USER));
  if (!self) {
    if (message == WM_NCDESTROY) return FALSE;
    self = g_module.ExtractCreateWndData();
    if (!self) return FALSE;
    self->m_hWnd = window;
    ::SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
  }

  // The dialog manager scales on WM_DPICHANGED when the procedure leaves it unhandled; the dialog's own
  // part follows once that is done.
  if (message == WM_DPICHANGED) ::PostMessageW(window, kDpiApplied, LOWORD(wParam), 0);
  if (message == kDpiApplied) {
    self->OnDpiApplied(static_cast<UINT>(wParam));
    return TRUE;
  }

  LRESULT result = 0;
  const BOOL handled = self->ProcessWindowMessage(window, message, wParam, lParam, result, 0);

  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrW(window, DWLP_USER, 0);
    self->m_hWnd = nullptr;
    return handled;
  }
  if (!handled) return FALSE;
  switch (message) {
    // These answer through the procedure's own result, not through DWLP_MSGRESULT.
    case WM_INITDIALOG:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      return static_cast<INT_PTR>(result);
    default:
      if (::IsWindow(window)) ::SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
      return TRUE;
  }
}

}  // namespace pathwright
