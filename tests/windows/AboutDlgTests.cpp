// The About box on its real template and the hyperlink it uses: texts and placeholders, colours and
// fonts, the links' look, activation by mouse and keyboard (with the opener replaced, so no browser
// starts), handing the statics back, and a modal run closed with Esc.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "WinTestSupport.h"
#include "res/resource.h"
#include "ui/AboutDlg.h"
#include "win/HyperLink.h"

namespace pathwright {
namespace {

using wintest::WindowText;

struct OpenerLog {
  static inline std::vector<std::wstring> opened;
  static inline INT_PTR answer = 42;  // what the shell reports (> 32: opened)
  static INT_PTR Open(const std::wstring& target) {
    opened.push_back(target);
    return answer;
  }
};

// Colours drawn by a window into a bitmap of its own size through WM_PRINTCLIENT.
class Rendering {
 public:
  explicit Rendering(HWND window) {
    RECT client = {};
    ::GetClientRect(window, &client);
    m_width = client.right;
    m_height = client.bottom;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, m_width, m_height);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
    for (int y = 0; y < m_height; ++y) {
      for (int x = 0; x < m_width; ++x) m_pixels.push_back(::GetPixel(memory, x, y));
    }
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
  }
  int Count(COLORREF colour) const {
    int n = 0;
    for (COLORREF pixel : m_pixels) n += pixel == colour;
    return n;
  }
  // Rightmost column that holds the colour, -1 when none does.
  int RightmostOf(COLORREF colour) const {
    int right = -1;
    for (size_t i = 0; i < m_pixels.size(); ++i) {
      if (m_pixels[i] == colour && static_cast<int>(i % m_width) > right) right = static_cast<int>(i % m_width);
    }
    return right;
  }
  bool operator==(const Rendering& other) const { return m_pixels == other.m_pixels; }

 private:
  int m_width = 0;
  int m_height = 0;
  std::vector<COLORREF> m_pixels;
};

int TextWidth(HWND window, HFONT font, const std::wstring& text) {
  HDC dc = ::GetDC(window);
  HGDIOBJ old = ::SelectObject(dc, font);
  SIZE size = {};
  ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  ::SelectObject(dc, old);
  ::ReleaseDC(window, dc);
  return size.cx;
}

class AboutDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    OpenerLog::opened.clear();
    OpenerLog::answer = 42;
  }
  void TearDown() override { dlg.reset(); }

  // Modeless on the same template: the handlers are the ones DoModal runs. Shown, so that the
  // links can take the focus.
  void Open() {
    dlg = std::make_unique<CAboutDlg>();
    ASSERT_NE(dlg->Create(nullptr), nullptr);
    ::ShowWindow(dlg->m_hWnd, SW_SHOW);
  }
  HWND Item(int id) const { return dlg->GetDlgItem(id); }
  void Close(int id) { ::SendMessageW(dlg->m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
  // A click at x pixels from the link's left edge, in the middle of its first line.
  void Click(HWND link, int x) {
    const LPARAM at = MAKELPARAM(x, 3);
    ::SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(link, WM_LBUTTONUP, 0, at);
  }

  LinkOpenerOverride opener{&OpenerLog::Open};
  std::unique_ptr<CAboutDlg> dlg;
};

TEST_F(AboutDlgTest, TextsReplaceEveryPlaceholder) {
  Open();
  EXPECT_EQ(WindowText(Item(IDC_ABOUT_VERSION)), L"v1.1.8 (64 bit)");
  EXPECT_EQ(WindowText(Item(IDC_ABOUT_AUTHOR)), L"(c) 2026 The Pathwright authors");
  const struct {
    CHyperLink* link;
    int id;
    const wchar_t* label;
    const wchar_t* target;
  } links[] = {
      {&dlg->m_wtlLink, IDC_ABOUT_WTL_LINK, L"Window layer modelled on WTL (Microsoft, open source)",
       L"https://sourceforge.net/projects/wtl/"},
      {&dlg->m_xmlLink, IDC_ABOUT_XML_LINK, L"XML library pugixml by Arseny Kapoulkine", L"https://pugixml.org"},
  };
  for (const auto& l : links) {
    SCOPED_TRACE(l.id);
    EXPECT_EQ(l.link->Window(), Item(l.id));
    EXPECT_EQ(l.link->Label(), l.label);
    EXPECT_EQ(l.link->Target(), l.target);
    // The link draws its label, in link blue, over the whole width the label takes, and no more.
    const Rendering drawn(Item(l.id));
    const RECT label = l.link->LabelRect();
    EXPECT_GT(drawn.Count(CHyperLink::kLinkColour), 0);
    EXPECT_LT(drawn.RightmostOf(CHyperLink::kLinkColour), label.right);
    EXPECT_GE(drawn.RightmostOf(CHyperLink::kLinkColour), label.right - 3);
    EXPECT_EQ(label.right - label.left, TextWidth(Item(l.id), l.link->LinkFont(), l.label));
    // The label fits its static on one line.
    RECT client = {};
    ::GetClientRect(Item(l.id), &client);
    EXPECT_LT(label.right, client.right);
  }
  // The copyright line fits its static in the dialog font.
  RECT author = {};
  ::GetClientRect(Item(IDC_ABOUT_AUTHOR), &author);
  const auto dialogFont = reinterpret_cast<HFONT>(::SendMessageW(dlg->m_hWnd, WM_GETFONT, 0, 0));
  EXPECT_LT(TextWidth(Item(IDC_ABOUT_AUTHOR), dialogFont, WindowText(Item(IDC_ABOUT_AUTHOR))), author.right);
}

TEST_F(AboutDlgTest, TheVersionLineIsTheProductVersionOfTheVersionRecord) {
  // The line is a constant of the program; the version record must not drift away from it.
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  DWORD ignored = 0;
  std::vector<BYTE> record(::GetFileVersionInfoSizeW(path, &ignored));
  ASSERT_FALSE(record.empty());
  ASSERT_TRUE(::GetFileVersionInfoW(path, 0, static_cast<DWORD>(record.size()), record.data()));
  struct Translation {
    WORD language;
    WORD codePage;
  }* translations = nullptr;
  UINT size = 0;
  ASSERT_TRUE(::VerQueryValueW(record.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations),
                               &size));
  wchar_t key[64] = {};
  swprintf(key, 64, L"\\StringFileInfo\\%04x%04x\\ProductVersion", translations[0].language,
           translations[0].codePage);
  wchar_t* product = nullptr;
  ASSERT_TRUE(::VerQueryValueW(record.data(), key, reinterpret_cast<void**>(&product), &size));
  EXPECT_EQ(std::wstring(L"v") + product, CAboutDlg::kVersionText);
}

TEST_F(AboutDlgTest, TitleIsBoldAndBlueVersionAndCopyrightSitOnWhite) {
  Open();
  const auto font = reinterpret_cast<HFONT>(::SendMessageW(Item(IDC_ABOUT_TITLE), WM_GETFONT, 0, 0));
  ASSERT_EQ(font, dlg->m_boldFont.Get());
  LOGFONTW description = {};
  ASSERT_TRUE(::GetObjectW(font, sizeof(description), &description));
  EXPECT_EQ(description.lfWeight, FW_BOLD);

  HDC dc = ::CreateCompatibleDC(nullptr);
  const auto askColour = [&](HWND control) {
    ::SetTextColor(dc, RGB(1, 2, 3));
    const LRESULT brush = ::SendMessageW(dlg->m_hWnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                         reinterpret_cast<LPARAM>(control));
    return reinterpret_cast<HGDIOBJ>(brush);
  };
  for (int id : {IDC_ABOUT_VERSION, IDC_ABOUT_AUTHOR}) {
    EXPECT_EQ(askColour(Item(id)), ::GetStockObject(WHITE_BRUSH)) << id;
    EXPECT_NE(::GetTextColor(dc), RGB(0, 0, 255)) << id;
  }
  const HGDIOBJ titleBrush = askColour(Item(IDC_ABOUT_TITLE));
  EXPECT_EQ(::GetTextColor(dc), RGB(0, 0, 255));
  EXPECT_NE(titleBrush, nullptr);
  EXPECT_NE(titleBrush, ::GetStockObject(WHITE_BRUSH));
  // The credit heading keeps the ordinary colours.
  HWND heading = nullptr;
  for (HWND child = ::GetWindow(dlg->m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (WindowText(child) == L"1002") heading = child;
  }
  ASSERT_NE(heading, nullptr);
  askColour(heading);
  EXPECT_NE(::GetTextColor(dc), RGB(0, 0, 255));
  ::DeleteDC(dc);
}

TEST_F(AboutDlgTest, ClicksSpaceAndEnterOpenTheTargetAndTurnTheLinkVisited) {
  Open();
  HWND xml = Item(IDC_ABOUT_XML_LINK);
  const RECT label = dlg->m_xmlLink.LabelRect();

  Click(xml, label.right + 5);  // beside the label: nothing
  EXPECT_TRUE(OpenerLog::opened.empty());
  EXPECT_FALSE(dlg->m_xmlLink.IsVisited());

  OpenerLog::answer = 2;  // the shell fails: not visited
  Click(xml, 2);
  EXPECT_EQ(OpenerLog::opened, (std::vector<std::wstring>{L"https://pugixml.org"}));
  EXPECT_FALSE(dlg->m_xmlLink.IsVisited());
  EXPECT_EQ(::GetFocus(), xml);  // a click also focuses the link

  OpenerLog::answer = 33;
  const Rendering before(xml);
  Click(xml, 2);
  EXPECT_TRUE(dlg->m_xmlLink.IsVisited());
  const Rendering after(xml);
  EXPECT_GT(before.Count(CHyperLink::kLinkColour), 0);
  EXPECT_EQ(after.Count(CHyperLink::kLinkColour), 0);
  EXPECT_GT(after.Count(CHyperLink::kVisitedColour), 0);
  EXPECT_FALSE(dlg->m_wtlLink.IsVisited());

  // Keys arrive through the dialog's keyboard handling, as in the modal loop.
  HWND wtl = Item(IDC_ABOUT_WTL_LINK);
  ::SetFocus(wtl);
  for (WPARAM key : {WPARAM(VK_SPACE), WPARAM(VK_RETURN)}) {
    OpenerLog::opened.clear();
    MSG down = {};
    down.hwnd = wtl;
    down.message = WM_KEYDOWN;
    down.wParam = key;
    if (!::IsDialogMessageW(dlg->m_hWnd, &down)) {
      ::TranslateMessage(&down);
      ::DispatchMessageW(&down);
    }
    wintest::PumpMessages();
    EXPECT_EQ(OpenerLog::opened, (std::vector<std::wstring>{L"https://sourceforge.net/projects/wtl/"})) << key;
    EXPECT_TRUE(::IsWindowVisible(dlg->m_hWnd)) << "Enter on a link is not the OK button";
  }
  EXPECT_TRUE(dlg->m_wtlLink.IsVisited());
}

TEST_F(AboutDlgTest, LinksAreTabStopsWithAFocusRectangleToolTipAndHandCursor) {
  Open();
  HWND wtl = Item(IDC_ABOUT_WTL_LINK);
  HWND xml = Item(IDC_ABOUT_XML_LINK);
  EXPECT_EQ(::GetNextDlgTabItem(dlg->m_hWnd, wtl, FALSE), xml);
  EXPECT_TRUE(::GetWindowLongW(wtl, GWL_STYLE) & WS_TABSTOP);

  ::SetFocus(Item(IDOK));
  const Rendering unfocused(wtl);
  ::SetFocus(wtl);
  ASSERT_EQ(::GetFocus(), wtl);
  const Rendering focused(wtl);
  EXPECT_FALSE(focused == unfocused);

  for (CHyperLink* link : {&dlg->m_wtlLink, &dlg->m_xmlLink}) {
    HWND tip = link->ToolTip();
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(::SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
    wchar_t text[128] = {};
    TOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    tool.hwnd = link->Window();
    tool.uId = 1;
    tool.lpszText = text;
    ::SendMessageW(tip, TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&tool));
    EXPECT_EQ(std::wstring(text), link->Target());
  }

  // The hand shows over the label only.
  const RECT label = dlg->m_wtlLink.LabelRect();
  POINT over = {label.left + 2, label.top + 2};
  ::ClientToScreen(wtl, &over);
  ASSERT_TRUE(::SetCursorPos(over.x, over.y));
  {
    ::SetCursor(nullptr);
    EXPECT_TRUE(::SendMessageW(wtl, WM_SETCURSOR, reinterpret_cast<WPARAM>(wtl), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32649)));
  }
}

TEST_F(AboutDlgTest, ClosingReleasesTheFontAndGivesTheStaticsBack) {
  for (int id : {IDOK, IDCANCEL}) {
    SCOPED_TRACE(id);
    Open();
    HWND wtl = Item(IDC_ABOUT_WTL_LINK);
    EXPECT_TRUE(::GetWindowLongW(wtl, GWL_STYLE) & SS_NOTIFY);
    Close(id);
    EXPECT_FALSE(dlg->m_boldFont);
    for (CHyperLink* link : {&dlg->m_wtlLink, &dlg->m_xmlLink}) {
      EXPECT_EQ(link->Window(), nullptr);
      EXPECT_EQ(link->ToolTip(), nullptr);
      EXPECT_FALSE(link->Label().empty());  // the link keeps its texts
    }
    // A plain static again: no notify style, clicks do nothing.
    EXPECT_FALSE(::GetWindowLongW(wtl, GWL_STYLE) & SS_NOTIFY);
    Click(wtl, 2);
    EXPECT_TRUE(OpenerLog::opened.empty());
  }
}

TEST(HyperLinkTest, SubclassingTwiceOrANonWindowFails) {
  CHyperLink link;
  EXPECT_FALSE(link.SubclassWindow(nullptr));
  HWND first = ::CreateWindowExW(0, L"STATIC", L"caption", WS_POPUP, 0, 0, 200, 20, nullptr, nullptr, nullptr, nullptr);
  HWND second = ::CreateWindowExW(0, L"STATIC", L"other", WS_POPUP, 0, 0, 200, 20, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(link.SubclassWindow(first));
  EXPECT_FALSE(link.SubclassWindow(second));
  // Without a label or target of its own, the link shows and opens the static's caption.
  EXPECT_EQ(link.Label(), L"caption");
  EXPECT_EQ(link.Target(), L"caption");
  // A static that goes first lets go of its link.
  ::DestroyWindow(first);
  EXPECT_EQ(link.Window(), nullptr);
  EXPECT_TRUE(link.SubclassWindow(second));
  link.UnsubclassWindow();
  ::DestroyWindow(second);
}

// --- modal ---------------------------------------------------------------------------------------

struct EscapeScript {
  static inline std::wstring version;
  static inline bool sent = false;
  static void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = nullptr;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
          if (::IsWindowVisible(window) && ::GetDlgItem(window, IDC_ABOUT_VERSION) &&
              ::GetDlgItem(window, IDC_ABOUT_XML_LINK)) {
            *reinterpret_cast<HWND*>(data) = window;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&box));
    if (!box || sent) return;
    ::KillTimer(nullptr, timer);
    sent = true;
    version = WindowText(::GetDlgItem(box, IDC_ABOUT_VERSION));
    HWND focus = ::GetFocus();
    ::PostMessageW(focus ? focus : box, WM_KEYDOWN, VK_ESCAPE, 0);
  }
};

TEST(AboutDlgModal, EscClosesItLikeCancel) {
  LinkOpenerOverride opener{&OpenerLog::Open};
  EscapeScript::sent = false;
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, &EscapeScript::Tick);
  CAboutDlg about;
  EXPECT_EQ(about.DoModal(nullptr), IDCANCEL);
  ::KillTimer(nullptr, timer);
  EXPECT_TRUE(EscapeScript::sent);
  EXPECT_EQ(EscapeScript::version, L"v1.1.8 (64 bit)");
  EXPECT_FALSE(about.m_boldFont);
  EXPECT_EQ(about.m_wtlLink.Window(), nullptr);
  EXPECT_EQ(about.m_xmlLink.Window(), nullptr);
}

}  // namespace
}  // namespace pathwright
