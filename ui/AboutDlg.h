// The About box: banner, title, version, two credit links and the copyright line.
#pragma once

#include "base/Version.h"
#include "res/resource.h"
#include "win/Dialog.h"
#include "win/Handle.h"
#include "win/HyperLink.h"

namespace pathwright {

class CAboutDlg : public CDialogImpl<CAboutDlg> {
 public:
  static constexpr UINT IDD = IDD_ABOUT;

  BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                            DWORD mapId = 0) override;

 private:
  // Where the two credit links lead; their wording comes from the language file.
  static constexpr const wchar_t* kWindowingHome = L"https://sourceforge.net/projects/wtl/";
  static constexpr const wchar_t* kXmlHome = L"https://pugixml.org";

  UniqueFont m_boldFont;  // title line, from WM_INITDIALOG until the box closes
  UniqueBitmap m_banner;  // the banner drawn nearest to the box's DPI, shown by static 57714
  CHyperLink m_wtlLink;   // takes over static 1000: the windowing design
  CHyperLink m_xmlLink;   // takes over static 1003: the XML library

  LRESULT OnInitDialog();
  // The bold title font and the banner for the box's DPI.
  void OnDpiApplied(UINT dpi) override;
  LRESULT OnCtlColorStatic(HDC dc, HWND control, bool& handled);
  LRESULT OnCloseCmd(WORD id);

  LOGFONTW m_baseFont = {};  // the dialog's font as made at m_baseDpi, which the bold font follows
  UINT m_baseDpi = 0;
};

}  // namespace pathwright
