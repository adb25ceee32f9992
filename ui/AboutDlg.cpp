#include "ui/AboutDlg.h"

#include "lang/TextFormat.h"
#include "ui/UiLanguage.h"
#include "win/AppModule.h"
#include "win/Dpi.h"
#include "win/Fonts.h"

namespace pathwright {

BOOL CAboutDlg::ProcessWindowMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result, DWORD) {
  switch (message) {
    case WM_INITDIALOG:
      result = OnInitDialog();
      return TRUE;
    case WM_CTLCOLORSTATIC: {
      bool handled = false;
      result = OnCtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), handled);
      return handled ? TRUE : FALSE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        result = OnCloseCmd(LOWORD(wParam));
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

LRESULT CAboutDlg::OnInitDialog() {
  CentreWindow(::GetParent(m_hWnd));
  UiTranslate(m_hWnd);

  SetDlgItemText(IDC_ABOUT_VERSION, FormatWithString(GetDlgItemText(IDC_ABOUT_VERSION), PATHWRIGHT_VERSION_WIDE));
  m_baseFont = FontOf(m_hWnd);
  m_baseDpi = WindowDpi(m_hWnd);
  OnDpiApplied(m_baseDpi);

  m_wtlLink.SetHyperLink(kWindowingHome);
  m_wtlLink.SubclassWindow(GetDlgItem(IDC_ABOUT_WTL_LINK));
  m_xmlLink.SetHyperLink(kXmlHome);
  m_xmlLink.SubclassWindow(GetDlgItem(IDC_ABOUT_XML_LINK));
  return TRUE;
}

void CAboutDlg::OnDpiApplied(UINT dpi) {
  if (UniqueFont font = CreateBoldFont(m_baseFont, m_baseDpi, dpi)) {
    ::SendDlgItemMessageW(m_hWnd, IDC_ABOUT_TITLE, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
    m_boldFont = std::move(font);
  }
  // The band keeps its place; the nearest drawing is stretched the little that remains to fill it.
  const UINT picture = PictureFor(dpi, IDB_BANNER, IDB_BANNER_150, IDB_BANNER_200);
  if (UniqueBitmap banner(static_cast<HBITMAP>(
          ::LoadImageW(CAppModule::GetResourceInstance(), MAKEINTRESOURCEW(picture), IMAGE_BITMAP, 0, 0, 0)));
      banner) {
    ::SendDlgItemMessageW(m_hWnd, IDC_ABOUT_BANNER, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(banner.Get()));
    m_banner = std::move(banner);
  }
}

LRESULT CAboutDlg::OnCtlColorStatic(HDC, HWND control, bool& handled) {
  // The version and copyright lines sit on the white of the banner and of the bottom band.
  switch (::GetDlgCtrlID(control)) {
    case IDC_ABOUT_VERSION:
    case IDC_ABOUT_AUTHOR:
      handled = true;
      return reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH));
    default:
      return 0;
  }
}

LRESULT CAboutDlg::OnCloseCmd(WORD id) {
  // The title line and the banner stop using the font and the picture before they go.
  ::SendDlgItemMessageW(m_hWnd, IDC_ABOUT_TITLE, WM_SETFONT, 0, FALSE);
  m_boldFont.Reset();
  ::SendDlgItemMessageW(m_hWnd, IDC_ABOUT_BANNER, STM_SETIMAGE, IMAGE_BITMAP, 0);
  m_banner.Reset();
  m_wtlLink.UnsubclassWindow();
  m_xmlLink.UnsubclassWindow();
  EndDialog(id);
  return 0;
}

}  // namespace pathwright
