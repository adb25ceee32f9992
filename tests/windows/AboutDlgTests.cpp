// The About box and its hyperlinks (the opener replaced, so no browser starts). Esc is tried end to end.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <tuple>
#include <string>
#include <vector>

#include "WinTestSupport.h"
#include "res/resource.h"
#include "ui/AboutDlg.h"
#include "ui/MainDlg.h"
#include "ui/PathListDlg.h"
#include "win/HyperLink.h"

namespace pathwright {
namespace {

using wintest::WindowText;

std::vector<std::wstring> g_opened;
INT_PTR g_answer = 42;  // what the shell reports (> 32: opened)
INT_PTR RecordOpen(const std::wstring& target) { return g_opened.push_back(target), g_answer; }

class AboutDlgTest : public ::testing::Test {
 protected:
  void SetUp() override { g_opened.clear(), g_answer = 42, Open(); }
  void Open() {  // modeless on the same template, shown so that the links can take the focus
    dlg = std::make_unique<CAboutDlg>();
    ASSERT_NE(dlg->Create(nullptr), nullptr);
    ::ShowWindow(dlg->m_hWnd, SW_SHOW);
  }
  HWND Item(int id) const { return dlg->GetDlgItem(id); }
  static void Click(HWND link, int x) {  // x pixels from the link's left edge
    ::SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 3));
    ::SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(x, 3));
  }
  LinkOpenerOverride opener{&RecordOpen};
  std::unique_ptr<CAboutDlg> dlg;
};

TEST_F(AboutDlgTest, TextsFontsAndColours) {
  EXPECT_EQ(WindowText(Item(IDC_ABOUT_VERSION)), L"v1.1.8 (64 bit)");
  EXPECT_EQ(WindowText(Item(IDC_ABOUT_AUTHOR)), L"Copyright \u00A9 2026 The Pathwright authors");
  const struct { CHyperLink* link; int id; const wchar_t *label, *target; } links[] = {
      {&dlg->m_wtlLink, IDC_ABOUT_WTL_LINK, L"Window layer modelled on WTL (Microsoft, open source)",
       L"https://sourceforge.net/projects/wtl/"},
      {&dlg->m_xmlLink, IDC_ABOUT_XML_LINK, L"XML library pugixml by Arseny Kapoulkine", L"https://pugixml.org"}};
  for (const auto& l : links) {
    RECT client = {};
    ::GetClientRect(Item(l.id), &client);
    EXPECT_EQ(l.link->Window(), Item(l.id));
    EXPECT_EQ(WindowText(Item(l.id)), l.label) << "the static says what the link shows";
    EXPECT_EQ(l.link->Label() + L"|" + l.link->Target(), l.label + (L"|" + std::wstring(l.target)));
    EXPECT_LT(l.link->LabelRect().right, client.right) << l.id << ": the label fits on one line";
  }
  // The title is bold and blue, version and copyright sit on white.
  LOGFONTW font = {};
  ASSERT_TRUE(::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(Item(IDC_ABOUT_TITLE), WM_GETFONT, 0, 0)),
                           sizeof(font), &font));
  EXPECT_EQ(font.lfWeight, FW_BOLD);
  HDC dc = ::CreateCompatibleDC(nullptr);
  const auto ask = [&](HWND control) {  // brush and text colour the dialog picks for a static
    ::SetTextColor(dc, RGB(1, 2, 3));
    auto brush = ::SendMessageW(dlg->m_hWnd, WM_CTLCOLORSTATIC, WPARAM(dc), LPARAM(control));
    return std::pair(reinterpret_cast<HGDIOBJ>(brush), ::GetTextColor(dc) == RGB(0, 0, 255));
  };
  for (int id : {IDC_ABOUT_VERSION, IDC_ABOUT_AUTHOR})
    EXPECT_EQ(ask(Item(id)), std::pair(::GetStockObject(WHITE_BRUSH), false)) << id;
  EXPECT_TRUE(ask(Item(IDC_ABOUT_TITLE)).second);
  ::DeleteDC(dc);
}

TEST_F(AboutDlgTest, ClicksAndKeysOpenTheTargetFocusToolTipAndCursor) {
  HWND xml = Item(IDC_ABOUT_XML_LINK), wtl = Item(IDC_ABOUT_WTL_LINK);
  Click(xml, dlg->m_xmlLink.LabelRect().right + 5);  // beside the label: nothing
  g_answer = 2;                                       // the shell fails: not visited
  Click(xml, 2);
  EXPECT_EQ(g_opened, std::vector<std::wstring>{L"https://pugixml.org"});
  EXPECT_TRUE(!dlg->m_xmlLink.IsVisited() && ::GetFocus() == xml) << "a click also focuses the link";
  g_answer = 33;
  Click(xml, 2);
  EXPECT_TRUE(dlg->m_xmlLink.IsVisited() && !dlg->m_wtlLink.IsVisited());

  ::SetFocus(wtl);
  for (WPARAM key : {VK_SPACE, VK_RETURN}) {  // through the dialog's keyboard handling, as in the modal loop
    g_opened.clear();
    MSG down = {wtl, WM_KEYDOWN, key, 0, 0, {}};
    if (!::IsDialogMessageW(dlg->m_hWnd, &down)) ::TranslateMessage(&down), ::DispatchMessageW(&down);
    wintest::PumpMessages();
    EXPECT_EQ(g_opened, std::vector<std::wstring>{L"https://sourceforge.net/projects/wtl/"}) << key;
    EXPECT_TRUE(::IsWindowVisible(dlg->m_hWnd)) << "Enter on a link is not the OK button";
  }
  EXPECT_TRUE(dlg->m_wtlLink.IsVisited());

  // Tab stops, a tool tip naming the target, the hand over the label.
  EXPECT_EQ(::GetNextDlgTabItem(dlg->m_hWnd, wtl, FALSE), xml);
  for (CHyperLink* link : {&dlg->m_wtlLink, &dlg->m_xmlLink}) {
    wchar_t text[128] = {};
    TOOLINFOW tool = {sizeof(tool), 0, link->Window(), 1, {}, nullptr, text, 0, nullptr};
    ::SendMessageW(link->ToolTip(), TTM_GETTEXTW, 128, LPARAM(&tool));
    EXPECT_EQ(std::to_wstring(::SendMessageW(link->ToolTip(), TTM_GETTOOLCOUNT, 0, 0)) + text, L"1" + link->Target());
  }
  POINT over = {dlg->m_wtlLink.LabelRect().left + 2, dlg->m_wtlLink.LabelRect().top + 2};
  ::ClientToScreen(wtl, &over);
  ASSERT_TRUE(::SetCursorPos(over.x, over.y));
  ::SetCursor(nullptr);
  EXPECT_TRUE(::SendMessageW(wtl, WM_SETCURSOR, WPARAM(wtl), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
  EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND));
}

TEST_F(AboutDlgTest, ClosingReleasesTheFontAndGivesTheStaticsBack) {
  for (int id : {IDOK, IDCANCEL}) {
    Open();
    HWND wtl = Item(IDC_ABOUT_WTL_LINK);
    EXPECT_TRUE(::GetWindowLongW(wtl, GWL_STYLE) & SS_NOTIFY);
    ::SendMessageW(dlg->m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    EXPECT_FALSE(dlg->m_boldFont) << id;
    for (CHyperLink* link : {&dlg->m_wtlLink, &dlg->m_xmlLink})
      EXPECT_TRUE(!link->Window() && !link->ToolTip() && !link->Label().empty()) << id;
    EXPECT_FALSE(::GetWindowLongW(wtl, GWL_STYLE) & SS_NOTIFY) << "a plain static again";
    Click(wtl, 2);
    EXPECT_TRUE(g_opened.empty());
  }
}

// A move to a monitor with another DPI: the fonts the dialogs make themselves, the pictures and the list's extent
// follow, whatever the dialog manager does with the rest.
TEST(DpiChangeTest, OwnFontsPicturesAndTheExtentFollowTheMonitor) {
  const auto height = [](HWND control) {
    LOGFONTW font = {};
    ::GetObjectW(HGDIOBJ(::SendMessageW(control, WM_GETFONT, 0, 0)), sizeof(font), &font);
    return std::abs(font.lfHeight);
  };
  const auto moveTo = [](HWND dialog, UINT dpi) {
    RECT place = {};
    ::GetWindowRect(dialog, &place);
    ::SendMessageW(dialog, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), LPARAM(&place));
    wintest::PumpMessages();
  };
  wintest::FakePlatform platform;
  PlatformOverride installed{platform};
  CAboutDlg about;
  CMainDlg main;
  CPathListDlg editor;
  editor.m_paths = L"C:\\a rather wide entry for the list box";
  ASSERT_TRUE(about.Create(nullptr) && main.Create(nullptr) && editor.Create(nullptr));
  const HWND title = about.GetDlgItem(IDC_ABOUT_TITLE), heading = main.GetDlgItem(IDC_MAIN_HEADING);
  const int titleAt96 = height(title), headingAt96 = height(heading), extentAt96 = editor.m_extent;
  const auto banner = [&] {
    BITMAP picture = {};
    ::GetObjectW(HGDIOBJ(::SendMessageW(about.GetDlgItem(IDC_ABOUT_BANNER), STM_GETIMAGE, IMAGE_BITMAP, 0)),
                 sizeof(picture), &picture);
    return picture.bmWidth;
  };
  const auto arrows = [&] {
    int cx = 0, cy = 0;
    ::ImageList_GetIconSize(editor.m_upImages.himl, &cx, &cy);
    return cx + cy * ::ImageList_GetImageCount(editor.m_downImages.himl);
  };
  EXPECT_EQ(std::tuple(banner(), arrows(), extentAt96 > 0), std::tuple(412, 16 + 16 * 5, true));
  for (HWND dialog : {about.m_hWnd, main.m_hWnd, editor.m_hWnd}) moveTo(dialog, 192);
  EXPECT_EQ(std::tuple(height(title), height(heading), banner(), arrows(), editor.m_extent),
            std::tuple(2 * titleAt96, 2 * headingAt96, 824, 32 + 32 * 5, 2 * extentAt96));
  moveTo(editor.m_hWnd, 144);
  EXPECT_EQ(std::tuple(arrows(), editor.m_extent), std::tuple(24 + 24 * 5, 3 * extentAt96 / 2));
}

TEST(HyperLinkTest, SubclassingTwiceOrANonWindowFails) {
  CHyperLink link;
  EXPECT_FALSE(link.SubclassWindow(nullptr));
  HWND first = ::CreateWindowExW(0, L"STATIC", L"caption", WS_POPUP, 0, 0, 200, 20, nullptr, nullptr, nullptr, nullptr);
  HWND second = ::CreateWindowExW(0, L"STATIC", L"other", WS_POPUP, 0, 0, 200, 20, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(link.SubclassWindow(first));
  EXPECT_FALSE(link.SubclassWindow(second));
  EXPECT_EQ(link.Label() + L"|" + link.Target(), L"caption|caption") << "without its own, the static's caption";
  ::DestroyWindow(first);  // a static that goes first lets go of its link
  EXPECT_EQ(link.Window(), nullptr);
  EXPECT_TRUE(link.SubclassWindow(second));
  link.UnsubclassWindow();
  ::DestroyWindow(second);
}

}  // namespace
}  // namespace pathwright
