// The list editor on its real template, folder picks answered through the platform seam, and once
// through the system's own folder browser.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <stdlib.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>

#include "WinTestSupport.h"
#include "lang/TextNumbers.h"
#include "res/resource.h"
#include "ui/PathListDlg.h"
#include "ui/UiLanguage.h"

namespace pathwright {
namespace {

using namespace std::string_literals;
using namespace wintest;

class PathListDlgTest : public ::testing::Test {
 protected:
  void TearDown() override { dlg.reset(); }
  void Open(const std::wstring& paths, const std::wstring& lastFolder = L"") {  // modeless, same handlers
    dlg = std::make_unique<CPathListDlg>(platform);
    dlg->m_paths = paths;
    dlg->m_kindTitle = L"Include Directories";
    dlg->m_lastFolder = lastFolder;
    dlg->m_substituteEnvironment = false;
    ASSERT_NE(dlg->Create(nullptr), nullptr);
  }
  HWND List() const { return dlg->GetDlgItem(IDC_LIST_BOX); }
  void Click(int id, int code = BN_CLICKED) { Command(dlg->m_hWnd, id, code); }
  void Select(int index) {  // what a click in the list does
    ::SendMessageW(List(), LB_SETCURSEL, WPARAM(index), 0);
    Click(IDC_LIST_BOX, LBN_SELCHANGE);
  }
  // "entry|entry| selection letters": Change/Delete/Clear/Up/Down as a letter when enabled, "-" when not,
  // then "^" or "v" when the up or the down arrow is the default push button.
  std::wstring State() const {
    std::wstring state;
    for (WPARAM i = 0; i < WPARAM(::SendMessageW(List(), LB_GETCOUNT, 0, 0)); ++i) {
      std::wstring entry(size_t(::SendMessageW(List(), LB_GETTEXTLEN, i, 0)), L'\0');
      ::SendMessageW(List(), LB_GETTEXT, i, LPARAM(entry.data()));
      state += entry + L"|";
    }
    state += L" " + std::to_wstring(::SendMessageW(List(), LB_GETCURSEL, 0, 0)) + L" ";
    for (auto [id, letter] : {std::pair{IDC_LIST_CHANGE, L'C'},
                              {IDC_LIST_DELETE, L'D'},
                              {IDC_LIST_CLEAR, L'L'},
                              {IDC_LIST_UP, L'U'},
                              {IDC_LIST_DOWN, L'N'}})
      state += ::IsWindowEnabled(dlg->GetDlgItem(id)) ? letter : L'-';
    for (auto [id, mark] : {std::pair{IDC_LIST_UP, L"^"}, {IDC_LIST_DOWN, L"v"}})
      state += ::GetWindowLongW(dlg->GetDlgItem(id), GWL_STYLE) & BS_DEFPUSHBUTTON ? mark : L"";
    return state;
  }

  FakePlatform platform;
  std::unique_ptr<CPathListDlg> dlg;
};

// Empty entries and duplicates survive; Delete (none selected: nothing) selects the entry above the
// deleted one, or the new first.
TEST_F(PathListDlgTest, ListTextRoundTripsAndDeleteSelectsTheEntryAbove) {
  const struct {
    const wchar_t* in;
    int deleted;
    const wchar_t *state, *out;
  } cases[] = {
      {L"", -1, L" -1 -----", L""},
      {L"C:\\a;;C:\\b;", -1, L"C:\\a||C:\\b| -1 --L--", L"C:\\a;;C:\\b"},
      {L"c:\\A;C:\\a;c:\\A", -1, L"c:\\A|C:\\a|c:\\A| -1 --L--", L"c:\\A;C:\\a;c:\\A"},
      {L"A;B;C", 0, L"B|C| 0 CDL-N", L"B;C"},
      {L"A;B;C", 1, L"A|C| 0 CDL-N", L"A;C"},
      {L"A;B;C", 2, L"A|B| 1 CDLU-", L"A;B"},
      {L"A", 0, L" -1 -----", L""},
      {L";;", 1, L"| 0 CDL--", L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << ::testing::PrintToString(std::wstring(c.in)) << " delete " << c.deleted);
    Open(c.in);
    if (c.deleted >= 0) Select(c.deleted);
    Click(IDC_LIST_DELETE);
    EXPECT_EQ(State(), c.state);
    Click(IDOK);
    EXPECT_EQ(dlg->m_paths, c.out);
  }
}

// A picked folder whose name holds ";" is refused with a message: the list would read it as two entries.
TEST_F(PathListDlgTest, ButtonStatesFollowEveryOperationAndTheArrowImagesGoOnClose) {
  platform.folderPicks = {L"D:\\added", L"D:\\changed", L"D:\\a;b"};
  Open(L"A;B;C", L"C:\\start");
  HIMAGELIST images[2] = {};
  for (int i : {0, 1}) {
    BUTTON_IMAGELIST shown = {};
    ::SendMessageW(dlg->GetDlgItem(i ? IDC_LIST_DOWN : IDC_LIST_UP), BCM_GETIMAGELIST, 0, LPARAM(&shown));
    images[i] = shown.himl;
    EXPECT_EQ(::ImageList_GetImageCount(images[i]), 5);
  }
  const struct {
    int select, id;
    const wchar_t* state;
  } steps[] = {
      {-1, IDC_LIST_CHANGE, L"A|B|C| -1 --L--"},  // nothing selected: nothing happens
      {-1, IDC_LIST_BOX, L"A|B|C| -1 --L--"},     // double-click, nothing selected
      {0, 0, L"A|B|C| 0 CDL-N"},
      {1, 0, L"A|B|C| 1 CDLUN"},
      {2, 0, L"A|B|C| 2 CDLU-"},
      {-1, IDC_LIST_ADD, L"A|B|C|D:\\added| 2 CDLUN"},
      {-1, IDC_LIST_BOX, L"A|B|D:\\changed|D:\\added| 2 CDLUN"},  // double-click: Change
      {-1, IDC_LIST_UP, L"A|D:\\changed|B|D:\\added| 1 CDLUN^"},
      {-1, IDC_LIST_UP, L"D:\\changed|A|B|D:\\added| 0 CDL-N"},
      {-1, IDC_LIST_UP, L"D:\\changed|A|B|D:\\added| 0 CDL-N"},  // stray up at the top
      {-1, IDC_LIST_DELETE, L"A|B|D:\\added| 0 CDL-N"},
      {-1, IDC_LIST_DOWN, L"B|A|D:\\added| 1 CDLUNv"},
      {-1, IDC_LIST_DOWN, L"B|D:\\added|A| 2 CDLU-"},
      {-1, IDC_LIST_DOWN, L"B|D:\\added|A| 2 CDLU-"},  // stray
      {-1, IDC_LIST_ADD, L"B|D:\\added|A| 2 CDLU-"},   // refused: D:\a;b
      {-1, IDC_LIST_ADD, L"B|D:\\added|A| 2 CDLU-"},   // cancelled add
      {-1, IDC_LIST_CLEAR, L" -1 -----"},
  };
  for (const auto& s : steps) {
    if (s.select >= 0) Select(s.select);
    if (s.id) Click(s.id, s.id == IDC_LIST_BOX ? LBN_DBLCLK : BN_CLICKED);
    EXPECT_EQ(State(), s.state) << "step " << &s - steps;
  }
  ASSERT_EQ(platform.foldersAsked.size(), 4u) << "Change without a selection asks nothing";
  EXPECT_EQ(platform.foldersAsked[0].owner, dlg->m_hWnd);
  EXPECT_EQ(platform.foldersAsked[0].instruction, UiText(text::kListBrowseAdd));
  EXPECT_EQ(platform.foldersAsked[0].initialFolder + L"|" + platform.foldersAsked[3].initialFolder,
            L"C:\\start|D:\\changed")
      << "Add starts from the last pick taken";
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_NE(platform.messages[0].text.find(L"D:\\a;b"), std::wstring::npos) << "it names the folder";
  Click(IDCANCEL);
  for (const HIMAGELIST list : images) EXPECT_EQ(::ImageList_GetImageCount(list), 0) << "destroyed";
}

// The keyboard trap: a focused button that disables itself hands the focus to the list, and the button that looks
// like the default is always the one Enter presses.
TEST_F(PathListDlgTest, FocusNeverEndsOnADisabledButtonAndEnterPressesTheDefaultShown) {
  Open(L"A;B;C");
  const std::pair<int, const wchar_t*> names[] = {{IDC_LIST_BOX, L"list"},    {IDC_LIST_UP, L"up"},
                                                  {IDC_LIST_DOWN, L"down"},   {IDC_LIST_DELETE, L"delete"},
                                                  {IDC_LIST_CLEAR, L"clear"}, {IDOK, L"OK"}};
  const auto keys = [&] {  // the focused control, then every button that shows the default frame
    std::wstring focus = L"none", defaults;
    for (auto [id, name] : names) {
      if (::GetFocus() == dlg->GetDlgItem(id)) focus = name;
      if (id != IDC_LIST_BOX && ::GetWindowLongW(dlg->GetDlgItem(id), GWL_STYLE) & BS_DEFPUSHBUTTON) defaults += name;
    }
    return focus + L"|" + defaults;
  };
  const struct {
    int select, button;
    const wchar_t *entries, *keys;
  } steps[] = {
      {1, IDC_LIST_DOWN, L"A|C|B| 2 CDLU-", L"list|OK"},  // moved to the bottom: Down disabled itself
      {-1, IDC_LIST_UP, L"A|B|C| 1 CDLUN^", L"up|up"},    // Enter would move it again
      {-1, IDC_LIST_UP, L"B|A|C| 0 CDL-N", L"list|OK"},  {-1, IDC_LIST_DELETE, L"A|C| 0 CDL-N", L"delete|delete"},
      {-1, IDC_LIST_CLEAR, L" -1 -----", L"list|OK"},
  };
  for (const auto& s : steps) {
    if (s.select >= 0) Select(s.select);
    ::SendMessageW(dlg->m_hWnd, WM_NEXTDLGCTL, WPARAM(dlg->GetDlgItem(s.button)), TRUE);
    ::SendMessageW(dlg->GetDlgItem(s.button), BM_CLICK, 0, 0);
    EXPECT_EQ(State() + L"/" + keys(), s.entries + (L"/" + std::wstring(s.keys))) << "step " << &s - steps;
  }
  MSG enter = {::GetFocus(), WM_KEYDOWN, VK_RETURN, 1, 0, {}};
  EXPECT_TRUE(::IsDialogMessageW(dlg->m_hWnd, &enter));
  EXPECT_EQ(dlg->m_paths, L"") << "Enter pressed OK, the default shown: the emptied list is taken";
}

// A folder look-up's answer draws the entries whose folder is missing in grey (with a mark, never part of the
// entry); entries a project fills in, relative ones and %NAME% are not looked up.
TEST_F(PathListDlgTest, MissingFoldersAreDrawnGreyAndTheEntriesStay) {
  _wputenv_s(L"PWTEST_WIN", L"C:\\windows");
  const ScopeExit unset([] { _wputenv_s(L"PWTEST_WIN", L""); });
  Open(L"$(PWTEST_WIN);C:\\pw-no-such-folder;$(SolutionDir)x;relative;%TEMP%");
  const auto drawnGrey = [&](int index) {  // no pixel in the window's text colour
    const RECT area = {0, 0, 400, 20};
    BITMAPINFO info = {{sizeof(BITMAPINFOHEADER), area.right, -area.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    void* bits = nullptr;
    const HDC dc = ::CreateCompatibleDC(nullptr);
    const HBITMAP picture = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ previous = ::SelectObject(dc, picture);
    DRAWITEMSTRUCT item = {ODT_LISTBOX, IDC_LIST_BOX, UINT(index), ODA_DRAWENTIRE, 0, List(), dc, area, 0};
    ::SendMessageW(dlg->m_hWnd, WM_DRAWITEM, IDC_LIST_BOX, LPARAM(&item));
    const COLORREF ink = ::GetSysColor(COLOR_WINDOWTEXT);
    const DWORD wanted = DWORD(GetRValue(ink)) << 16 | DWORD(GetGValue(ink)) << 8 | GetBValue(ink);
    const auto* pixels = static_cast<const DWORD*>(bits);
    const bool grey =
        std::none_of(pixels, pixels + area.right * area.bottom, [&](DWORD p) { return (p & 0xFFFFFF) == wanted; });
    ::SelectObject(dc, previous), ::DeleteObject(picture), ::DeleteDC(dc);
    return grey;
  };
  for (int i = 0; i < 300 && !drawnGrey(1); ++i) PumpMessages(), ::Sleep(10);
  std::wstring drawn;
  for (int i = 0; i < 5; ++i) drawn += drawnGrey(i) ? L'g' : L'-';
  EXPECT_EQ(drawn, L"-g---");
  EXPECT_EQ(State(), L"$(PWTEST_WIN)|C:\\pw-no-such-folder|$(SolutionDir)x|relative|%TEMP%| -1 --L--");
}

// The system's folder browser through the real platform services opens where an entry such as
// $(TOOLS)\include points now; the folder it gives back is written with the variable again, but only with
// the option on (the rules of substitution are the model's), and the last folder keeps it as it was.
TEST(PathListBrowserTest, ChangeOpensTheBrowserOnTheExpandedEntryAndSubstitutesThePick) {
  // Directly on C:, where no variable of the system points.
  const std::wstring root = L"C:\\pathwright-test-" + std::to_wstring(::GetCurrentProcessId());
  std::filesystem::create_directories(root + L"\\include");
  _wputenv_s(L"PWTEST_TOOLS", root.c_str());  // the C runtime's environment, which the editor reads
  const ScopeExit restore([&root] {
    _wputenv_s(L"PWTEST_TOOLS", L"");
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
  });
  for (const bool option : {true, false}) {
    CPathListDlg dlg(SystemPlatform());
    dlg.m_paths = L"C:\\a;$(PWTEST_TOOLS)\\include;C:\\b";
    dlg.m_substituteEnvironment = option;
    ASSERT_NE(dlg.Create(nullptr), nullptr);
    ::SendMessageW(dlg.GetDlgItem(IDC_LIST_BOX), LB_SETCURSEL, 1, 0);
    Command(dlg.m_hWnd, IDC_LIST_BOX, LBN_SELCHANGE);
    constexpr int kTree = 14145;  // the browser's folder tree
    int ticks = 0;
    ModalScript script(kTree, [&ticks, &root](HWND browser) {
      if (!::SendMessageW(::GetDlgItem(browser, kTree), TVM_GETNEXTITEM, TVGN_CARET, 0)) {
        // Wine's tree now and then is not filled yet when the program selects the folder at start;
        // after two seconds the same selection is asked for again.
        if (++ticks == 100) {
          const std::wstring folder = root + L"\\include";
          ::SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, LPARAM(folder.c_str()));
        }
        return false;  // not yet
      }
      ::PostMessageW(browser, WM_COMMAND, IDOK, 0);
      return true;
    });
    Command(dlg.m_hWnd, IDC_LIST_CHANGE);
    ASSERT_TRUE(script.Done());
    Command(dlg.m_hWnd, IDOK);
    EXPECT_EQ(dlg.m_lastFolder, root + L"\\include") << "the browser gave back the folder it opened on";
    EXPECT_EQ(dlg.m_paths, L"C:\\a;" + (option ? L"$(PWTEST_TOOLS)"s : root) + L"\\include;C:\\b");
  }
}

}  // namespace
}  // namespace pathwright
