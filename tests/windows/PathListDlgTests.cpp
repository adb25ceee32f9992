// The list editor on its real template, folder picks answered through the platform seam, and once
// through the system's own folder browser.
#include <windows.h>
#include <commctrl.h>
#include <stdlib.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "WinTestSupport.h"
#include "lang/TextNumbers.h"
#include "res/resource.h"
#include "ui/Options.h"
#include "ui/PathListDlg.h"
#include "ui/UiLanguage.h"

namespace pathwright {
namespace {

using namespace std::string_literals;
using namespace wintest;

class PathListDlgTest : public ::testing::Test {
 protected:
  void TearDown() override {
    dlg.reset();
    g_environmentSubstitution = savedOption;
  }
  void Open(const std::wstring& paths, const std::wstring& lastFolder = L"") {  // modeless, same handlers
    dlg = std::make_unique<CPathListDlg>();
    dlg->m_paths = paths;
    dlg->m_kindTitle = L"Include Directories";
    dlg->m_lastFolder = lastFolder;
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
    for (auto [id, letter] : {std::pair{IDC_LIST_CHANGE, L'C'}, {IDC_LIST_DELETE, L'D'}, {IDC_LIST_CLEAR, L'L'},
                              {IDC_LIST_UP, L'U'}, {IDC_LIST_DOWN, L'N'}})
      state += ::IsWindowEnabled(dlg->GetDlgItem(id)) ? letter : L'-';
    for (auto [id, mark] : {std::pair{IDC_LIST_UP, L"^"}, {IDC_LIST_DOWN, L"v"}})
      state += ::GetWindowLongW(dlg->GetDlgItem(id), GWL_STYLE) & BS_DEFPUSHBUTTON ? mark : L"";
    return state;
  }

  FakePlatform platform;
  PlatformOverride installed{platform};
  std::unique_ptr<CPathListDlg> dlg;
  const int savedOption = g_environmentSubstitution;
};

// Empty entries and duplicates survive; Delete (none selected: nothing) selects the entry above the
// deleted one, or the new first.
TEST_F(PathListDlgTest, ListTextRoundTripsAndDeleteSelectsTheEntryAbove) {
  const struct { const wchar_t* in; int deleted; const wchar_t *state, *out; } cases[] = {
      {L"", -1, L" -1 -----", L""}, {L"C:\\a;;C:\\b;", -1, L"C:\\a||C:\\b| -1 --L--", L"C:\\a;;C:\\b"},
      {L"c:\\A;C:\\a;c:\\A", -1, L"c:\\A|C:\\a|c:\\A| -1 --L--", L"c:\\A;C:\\a;c:\\A"},
      {L"A;B;C", 0, L"B|C| 0 CDL-N", L"B;C"}, {L"A;B;C", 1, L"A|C| 0 CDL-N", L"A;C"},
      {L"A;B;C", 2, L"A|B| 1 CDLU-", L"A;B"}, {L"A", 0, L" -1 -----", L""}, {L";;", 1, L"| 0 CDL--", L""},
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

TEST_F(PathListDlgTest, ButtonStatesFollowEveryOperationAndTheArrowImagesGoOnClose) {
  platform.folderPicks = {L"D:\\added", L"D:\\changed"};
  g_environmentSubstitution = 0;
  Open(L"A;B;C", L"C:\\start");
  HIMAGELIST images[2] = {};
  for (int i : {0, 1}) {
    BUTTON_IMAGELIST shown = {};
    ::SendMessageW(dlg->GetDlgItem(i ? IDC_LIST_DOWN : IDC_LIST_UP), BCM_GETIMAGELIST, 0, LPARAM(&shown));
    images[i] = shown.himl;
    EXPECT_EQ(::ImageList_GetImageCount(images[i]), 5);
  }
  const struct { int select, id; const wchar_t* state; } steps[] = {
      {-1, IDC_LIST_CHANGE, L"A|B|C| -1 --L--"},  // nothing selected: nothing happens
      {-1, IDC_LIST_BOX, L"A|B|C| -1 --L--"},     // double-click, nothing selected
      {0, 0, L"A|B|C| 0 CDL-N"}, {1, 0, L"A|B|C| 1 CDLUN"}, {2, 0, L"A|B|C| 2 CDLU-"},
      {-1, IDC_LIST_ADD, L"A|B|C|D:\\added| 2 CDLUN"},
      {-1, IDC_LIST_BOX, L"A|B|D:\\changed|D:\\added| 2 CDLUN"},  // double-click: Change
      {-1, IDC_LIST_UP, L"A|D:\\changed|B|D:\\added| 1 CDLUN^"}, {-1, IDC_LIST_UP, L"D:\\changed|A|B|D:\\added| 0 CDL-N^"},
      {-1, IDC_LIST_UP, L"D:\\changed|A|B|D:\\added| 0 CDL-N^"},  // stray up at the top
      {-1, IDC_LIST_DELETE, L"A|B|D:\\added| 0 CDL-N^"}, {-1, IDC_LIST_DOWN, L"B|A|D:\\added| 1 CDLUNv"},
      {-1, IDC_LIST_DOWN, L"B|D:\\added|A| 2 CDLU-v"}, {-1, IDC_LIST_DOWN, L"B|D:\\added|A| 2 CDLU-v"},  // stray
      {-1, IDC_LIST_ADD, L"B|D:\\added|A| 2 CDLU-v"},  // cancelled add
      {-1, IDC_LIST_CLEAR, L" -1 -----v"},
  };
  for (const auto& s : steps) {
    if (s.select >= 0) Select(s.select);
    if (s.id) Click(s.id, s.id == IDC_LIST_BOX ? LBN_DBLCLK : BN_CLICKED);
    EXPECT_EQ(State(), s.state) << "step " << &s - steps;
  }
  ASSERT_EQ(platform.foldersAsked.size(), 3u) << "Change without a selection asks nothing";
  EXPECT_EQ(platform.foldersAsked[0].owner, dlg->m_hWnd);
  EXPECT_EQ(platform.foldersAsked[0].instruction, UiText(text::kListBrowseAdd));
  EXPECT_EQ(platform.foldersAsked[0].initialFolder + L"|" + platform.foldersAsked[2].initialFolder,
            L"C:\\start|D:\\changed") << "Add starts from the last pick";
  Click(IDCANCEL);
  for (const HIMAGELIST list : images) EXPECT_EQ(::ImageList_GetImageCount(list), 0) << "destroyed";
}

// The system's folder browser through the real platform services opens where an entry such as
// $(TOOLS)\include points now; the folder it gives back is written with the variable again, but only with
// the option on (the rules of substitution are the model's), and the last folder keeps it as it was.
TEST(PathListBrowserTest, ChangeOpensTheBrowserOnTheExpandedEntryAndSubstitutesThePick) {
  // Directly on C:, where no variable of the system points.
  const std::wstring root = L"C:\\pathwright-test-" + std::to_wstring(::GetCurrentProcessId());
  std::filesystem::create_directories(root + L"\\include");
  _wputenv_s(L"PWTEST_TOOLS", root.c_str());  // the C runtime's environment, which the editor reads
  const ScopeExit restore([option = g_environmentSubstitution, &root] {
    _wputenv_s(L"PWTEST_TOOLS", L"");
    g_environmentSubstitution = option;
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
  });
  for (const int option : {1, 0}) {
    g_environmentSubstitution = option;
    CPathListDlg dlg;
    dlg.m_paths = L"C:\\a;$(PWTEST_TOOLS)\\include;C:\\b";
    ASSERT_NE(dlg.Create(nullptr), nullptr);
    ::SendMessageW(dlg.GetDlgItem(IDC_LIST_BOX), LB_SETCURSEL, 1, 0);
    Command(dlg.m_hWnd, IDC_LIST_BOX, LBN_SELCHANGE);
    constexpr int kTree = 14145;  // the browser's folder tree
    ModalScript script(kTree, [](HWND browser) {
      if (!::SendMessageW(::GetDlgItem(browser, kTree), TVM_GETNEXTITEM, TVGN_CARET, 0)) return false;  // not yet
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
