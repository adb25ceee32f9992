// The list editor on its real template, folder picks answered through the platform seam, and the
// main window's handing over and taking back.
#include <windows.h>
#include <commctrl.h>
#include <stdlib.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "WinTestSupport.h"
#include "model/DirectoryKinds.h"
#include "res/resource.h"
#include "ui/MainDlg.h"
#include "ui/Options.h"
#include "ui/PathListDlg.h"
#include "ui/UiLanguage.h"

namespace pathwright {
namespace {

using wintest::WindowText;
using Entries = std::vector<std::wstring>;

// Answers the folder browser from a script (nullopt or none left: cancelled) and records how it was asked.
struct FolderPlatform : wintest::FakePlatform {
  struct Asked { HWND owner; std::wstring instruction, initialFolder; };
  std::deque<std::optional<std::wstring>> picks;
  std::vector<Asked> asked;
  bool BrowseForFolder(HWND owner, const std::wstring& instruction, const std::wstring& initial,
                       std::wstring& folder) override {
    asked.push_back({owner, instruction, initial});
    std::optional<std::wstring> pick;
    if (!picks.empty()) pick = picks.front(), picks.pop_front();
    return pick && (folder = *pick, true);
  }
};

// Variables in the C runtime's environment, which the editor reads; unset at the end of the scope.
struct EnvironmentScope : std::vector<std::pair<const wchar_t*, const wchar_t*>> {
  EnvironmentScope(std::initializer_list<value_type> vars) : vector(vars) { for (auto [n, v] : *this) _wputenv_s(n, v); }
  ~EnvironmentScope() { for (auto [name, value] : *this) _wputenv_s(name, L""); }
};

void Click(HWND dialog, int id, int code = BN_CLICKED) {
  ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, code), LPARAM(::GetDlgItem(dialog, id)));
}

class PathListDlgTest : public ::testing::Test {
 protected:
  void TearDown() override { dlg.reset(), g_environmentSubstitution = savedOption; }
  void Open(const std::wstring& paths, const std::wstring& lastFolder = L"") {  // modeless, same handlers
    dlg = std::make_unique<CPathListDlg>();
    dlg->m_paths = paths, dlg->m_kindTitle = L"Include Directories", dlg->m_lastFolder = lastFolder;
    ASSERT_NE(dlg->Create(nullptr), nullptr);
  }
  HWND List() const { return dlg->GetDlgItem(IDC_LIST_BOX); }
  void Command(int id, int code = BN_CLICKED) { Click(dlg->m_hWnd, id, code); }
  void Select(int index) {  // what a click in the list does
    ::SendMessageW(List(), LB_SETCURSEL, WPARAM(index), 0);
    Command(IDC_LIST_BOX, LBN_SELCHANGE);
  }
  int ListExtent() const { return int(::SendMessageW(List(), LB_GETHORIZONTALEXTENT, 0, 0)); }
  // "entry|entry| selection letters": Change/Delete/Clear/Up/Down as a letter when enabled, "-" when not,
  // then "^" or "v" when the up or the down arrow is the default push button.
  std::wstring State() const {
    std::wstring state, entry;
    for (WPARAM i = 0; i < WPARAM(::SendMessageW(List(), LB_GETCOUNT, 0, 0)); ++i, state += entry + L"|") {
      entry.resize(size_t(::SendMessageW(List(), LB_GETTEXTLEN, i, 0)));
      ::SendMessageW(List(), LB_GETTEXT, i, LPARAM(entry.data()));
    }
    state += L" " + std::to_wstring(::SendMessageW(List(), LB_GETCURSEL, 0, 0)) + L" ";
    for (auto [id, letter] : {std::pair{IDC_LIST_CHANGE, L'C'}, {IDC_LIST_DELETE, L'D'}, {IDC_LIST_CLEAR, L'L'},
                              {IDC_LIST_UP, L'U'}, {IDC_LIST_DOWN, L'N'}})
      state += ::IsWindowEnabled(dlg->GetDlgItem(id)) ? letter : L'-';
    for (auto [id, mark] : {std::pair{IDC_LIST_UP, L"^"}, {IDC_LIST_DOWN, L"v"}})
      state += ::GetWindowLongW(dlg->GetDlgItem(id), GWL_STYLE) & BS_DEFPUSHBUTTON ? mark : L"";
    return state;
  }

  FolderPlatform platform;
  PlatformOverride installed{platform};
  std::unique_ptr<CPathListDlg> dlg;
  const int savedOption = g_environmentSubstitution;
};

// Blanks, empty entries and duplicates survive; Delete (none selected: nothing) selects the entry above
// the deleted one, or the new first.
TEST_F(PathListDlgTest, ListTextRoundTripsAndDeleteSelectsTheEntryAbove) {
  const struct { const wchar_t* in; int deleted; const wchar_t *state, *out; } cases[] = {
      {L"", -1, L" -1 -----", L""}, {L"C:\\a;;C:\\b", -1, L"C:\\a||C:\\b| -1 --L--", L"C:\\a;;C:\\b"},
      {L"C:\\a;C:\\b;", -1, L"C:\\a|C:\\b| -1 --L--", L"C:\\a;C:\\b"}, {L";C:\\a", -1, L"|C:\\a| -1 --L--", L";C:\\a"},
      {L";", -1, L"| -1 --L--", L""}, {L";;", -1, L"|| -1 --L--", L";"},
      {L"C:\\a ; C:\\b", -1, L"C:\\a | C:\\b| -1 --L--", L"C:\\a ; C:\\b"},
      {L"c:\\A;C:\\a;c:\\A", -1, L"c:\\A|C:\\a|c:\\A| -1 --L--", L"c:\\A;C:\\a;c:\\A"},
      {L"A;B;C", 0, L"B|C| 0 CDL-N", L"B;C"}, {L"A;B;C", 1, L"A|C| 0 CDL-N", L"A;C"},
      {L"A;B;C", 2, L"A|B| 1 CDLU-", L"A;B"}, {L"A", 0, L" -1 -----", L""}, {L";;", 1, L"| 0 CDL--", L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << testing::PrintToString(std::wstring(c.in)) << " delete " << c.deleted);
    Open(c.in);
    if (c.deleted >= 0) Select(c.deleted);
    Command(IDC_LIST_DELETE);
    EXPECT_EQ(State(), c.state);
    Command(IDOK);
    EXPECT_EQ(dlg->m_paths, c.out);
  }
}

TEST_F(PathListDlgTest, ButtonStatesFollowEveryOperationAndTheArrowImagesGoOnClose) {
  platform.picks = {L"D:\\added", L"D:\\changed"};
  g_environmentSubstitution = 0;
  Open(L"A;B;C", L"C:\\start");
  const HIMAGELIST images[] = {dlg->m_upImages.himl, dlg->m_downImages.himl};
  const struct { int select, id; const wchar_t* state; } steps[] = {
      {-1, IDC_LIST_CHANGE, L"A|B|C| -1 --L--"},  // nothing selected: nothing happens
      {-1, IDC_LIST_BOX, L"A|B|C| -1 --L--"},     // double-click, nothing selected
      {0, 0, L"A|B|C| 0 CDL-N"}, {1, 0, L"A|B|C| 1 CDLUN"}, {2, 0, L"A|B|C| 2 CDLU-"},
      {-1, IDC_LIST_ADD, L"A|B|C|D:\\added| 2 CDLUN"},
      {-1, IDC_LIST_CHANGE, L"A|B|D:\\changed|D:\\added| 2 CDLUN"},
      {-1, IDC_LIST_UP, L"A|D:\\changed|B|D:\\added| 1 CDLUN^"}, {-1, IDC_LIST_UP, L"D:\\changed|A|B|D:\\added| 0 CDL-N"},
      {-1, IDC_LIST_UP, L"D:\\changed|A|B|D:\\added| 0 CDL-N"},  // stray up at the top
      {-1, IDC_LIST_DELETE, L"A|B|D:\\added| 0 CDL-N"}, {-1, IDC_LIST_DOWN, L"B|A|D:\\added| 1 CDLUNv"},
      {-1, IDC_LIST_DOWN, L"B|D:\\added|A| 2 CDLU-"}, {-1, IDC_LIST_DOWN, L"B|D:\\added|A| 2 CDLU-"},  // stray
      {-1, IDC_LIST_ADD, L"B|D:\\added|A| 2 CDLU-"},  // cancelled add
      {-1, IDC_LIST_CLEAR, L" -1 -----"},
  };
  for (const auto& s : steps) {
    if (s.select >= 0) Select(s.select);
    if (s.id) Command(s.id, s.id == IDC_LIST_BOX ? LBN_DBLCLK : BN_CLICKED);
    EXPECT_EQ(State(), s.state) << "step " << &s - steps;
  }
  ASSERT_EQ(platform.asked.size(), 3u) << "Change without a selection asks nothing";
  EXPECT_EQ(platform.asked[0].owner, dlg->m_hWnd);
  EXPECT_EQ(platform.asked[0].instruction, UiText(3005));
  EXPECT_EQ(platform.asked[0].initialFolder + L"|" + platform.asked[2].initialFolder, L"C:\\start|D:\\changed")
      << "Add starts from the last pick";
  for (int id : {IDC_LIST_ADD, IDOK, IDCANCEL}) EXPECT_TRUE(::IsWindowEnabled(dlg->GetDlgItem(id))) << id;
  for (const HIMAGELIST list : images) EXPECT_EQ(::ImageList_GetImageCount(list), 5);
  Command(IDCANCEL);
  EXPECT_TRUE(!dlg->m_upImages.himl && !dlg->m_downImages.himl);
  for (const HIMAGELIST list : images) EXPECT_EQ(::ImageList_GetImageCount(list), 0) << "destroyed";
}

// The keyboard trap: a focused button that disables itself hands the focus to the list, and the button that looks
// like the default is always the one Enter presses.
TEST_F(PathListDlgTest, FocusNeverEndsOnADisabledButtonAndEnterPressesTheDefaultShown) {
  Open(L"A;B;C");
  const std::pair<int, const wchar_t*> names[] = {{IDC_LIST_BOX, L"list"}, {IDC_LIST_UP, L"up"},
      {IDC_LIST_DOWN, L"down"}, {IDC_LIST_DELETE, L"delete"}, {IDC_LIST_CLEAR, L"clear"}, {IDOK, L"OK"}};
  const auto keys = [&] {  // the focused control, then every button that shows the default frame
    std::wstring focus = L"none", defaults;
    for (auto [id, name] : names) {
      if (::GetFocus() == dlg->GetDlgItem(id)) focus = name;
      if (id != IDC_LIST_BOX && ::GetWindowLongW(dlg->GetDlgItem(id), GWL_STYLE) & BS_DEFPUSHBUTTON) defaults += name;
    }
    return focus + L"|" + defaults;
  };
  const struct { int select, button; const wchar_t *entries, *keys; } steps[] = {
      {1, IDC_LIST_DOWN, L"A|C|B| 2 CDLU-", L"list|OK"},  // moved to the bottom: Down disabled itself
      {-1, IDC_LIST_UP, L"A|B|C| 1 CDLUN^", L"up|up"},     // Enter would move it again
      {-1, IDC_LIST_UP, L"B|A|C| 0 CDL-N", L"list|OK"},
      {-1, IDC_LIST_DELETE, L"A|C| 0 CDL-N", L"delete|delete"},
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
  EXPECT_EQ(dlg->m_upButton, nullptr) << "Enter pressed OK, the default shown";
}

TEST_F(PathListDlgTest, TheHorizontalExtentOnlyGrows) {
  platform.picks = {L"D:\\s", L"D:\\a much longer folder name than any other one in this list\\sub\\x64"};
  g_environmentSubstitution = 0;
  const std::wstring wide = L"C:\\a rather wide entry for the list box";
  Open(wide);
  const int initial = ListExtent();
  Open(L"C:\\x;" + wide + L";C:\\y");
  EXPECT_TRUE(initial > 0 && ListExtent() == initial) << "the widest entry counts";
  Select(1), Command(IDC_LIST_DELETE), Select(0), Command(IDC_LIST_CHANGE), Command(IDC_LIST_CLEAR);
  EXPECT_EQ(ListExtent(), initial) << "not shrunk by delete, a shorter change or clear";
  Command(IDC_LIST_ADD);
  EXPECT_GT(ListExtent(), initial) << "a wider pick widens at once";
  Open(L"");
  EXPECT_EQ(ListExtent(), 0);
}

// Add and Change both substitute (the rules are the model's) while the option is on; a folder whose name holds
// ";" is refused with a message and changes nothing.
TEST_F(PathListDlgTest, PicksAreSubstitutedWithTheOptionOnAndNeverSplitBySemicolons) {
  const EnvironmentScope environment{{L"PWTEST_TOOLS", L"D:\\Tools\\"}};
  const struct { int option; const wchar_t *picked, *entry; } cases[] = {
      {1, L"D:\\Tools\\lib", L"$(PWTEST_TOOLS)\\lib"}, {0, L"D:\\Tools\\lib", L"D:\\Tools\\lib"},
      {2, L"D:\\Tools\\lib", L"$(PWTEST_TOOLS)\\lib"},  // on: anything but 0
      {1, L"D:\\a;b", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.option << " " << testing::PrintToString(std::wstring(c.picked)));
    g_environmentSubstitution = c.option;
    platform.picks = {c.picked, c.picked};
    platform.messages.clear();
    Open(L"C:\\old", L"C:\\last");
    Command(IDC_LIST_ADD);
    Select(0), Command(IDC_LIST_CHANGE);
    const std::wstring entry = c.entry ? c.entry : L"C:\\old";
    EXPECT_EQ(State() + dlg->m_lastFolder, entry + (c.entry ? L"|" + entry + L"| 0 CDL-N" : L"| 0 CDL--") +
                                               (c.entry ? c.picked : L"C:\\last"));  // the raw pick, for the next browser
    ASSERT_EQ(platform.messages.size(), c.entry ? 0u : 2u);
    EXPECT_TRUE(c.entry || platform.messages[0].text == c.picked) << "no language: the bare folder";
  }
}

TEST_F(PathListDlgTest, ChangeOpensOnTheExpandedEntryAndReplacesItInPlace) {
  const EnvironmentScope environment{{L"PWTEST_LIB", L"D:\\Tools"}};
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {  // entry, initial folder
      {L"$(PWTEST_LIB)\\lib", L"D:\\Tools\\lib"},
      {L"$(PWTEST_LIB)\\x\\$(PWTEST_LIB)", L"D:\\Tools\\x\\D:\\Tools"},  // every occurrence
      {L"$(PWTEST_UNSET)\\lib", L"\\lib"},                                // not set: replaced by nothing
      {L"$(PWTEST_LIB\\lib", L"$(PWTEST_LIB\\lib"},                       // no ")": as it stands
      {L"C:\\$(PWTEST_LIB)", L"C:\\$(PWTEST_LIB)"},                       // only a leading reference
      {L"", L""},
  };
  g_environmentSubstitution = 0;
  for (const auto& [entry, initial] : cases) {
    platform.asked.clear();
    platform.picks = {std::nullopt, L"D:\\picked"};
    Open(std::wstring(L"A;") + entry + L";B", L"C:\\last");
    Select(1), Command(IDC_LIST_CHANGE);  // cancelled: the entry stays as written
    ASSERT_EQ(platform.asked.size(), 1u) << testing::PrintToString(std::wstring(entry));
    EXPECT_EQ(platform.asked[0].initialFolder + L"|" + platform.asked[0].instruction, initial + (L"|" + UiText(3006)));
    EXPECT_EQ(State() + dlg->m_lastFolder, L"A|" + (entry + std::wstring(L"|B| 1 CDLUNC:\\last")));
    Command(IDC_LIST_BOX, LBN_DBLCLK);  // a double-click changes too
    EXPECT_EQ(State() + dlg->m_lastFolder, L"A|D:\\picked|B| 1 CDLUND:\\picked");
  }
}

// From the main window, modally: `g_script` answers the list editor once it is up in the modal loop.
std::function<void(HWND)> g_script;
void CALLBACK RunScript(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND editor = nullptr;
  ::EnumThreadWindows(::GetCurrentThreadId(), [](HWND window, LPARAM found) -> BOOL {
    const bool isEditor = ::IsWindowVisible(window) && ::GetDlgItem(window, IDC_LIST_BOX);
    return isEditor ? (*reinterpret_cast<HWND*>(found) = window, FALSE) : TRUE;
  }, LPARAM(&editor));
  if (editor && g_script) ::KillTimer(nullptr, timer), std::exchange(g_script, nullptr)(editor);
}

TEST(EditorFromMainTest, OnlyOkTakesTheListAndTheLastFolderBackForThatKind) {
  wintest::ScratchDir scratch;
  FolderPlatform platform;
  PlatformOverride installed{platform};
  platform.appData = scratch.Path();
  wintest::MakeFolders(scratch / L"Microsoft\\MSBuild\\v4.0");
  wintest::WriteFileBytes(scratch / L"Microsoft\\MSBuild\\v4.0\\Microsoft.Cpp.Win32.user.props",
                          wintest::SheetWithInclude("C:\\inc"));
  const ScopeExit restore([option = g_environmentSubstitution, folder = std::filesystem::current_path()] {
    g_environmentSubstitution = option, std::filesystem::current_path(folder), wintest::TakeQuitCode();
  });
  g_environmentSubstitution = 0;
  std::filesystem::current_path(scratch.Path());  // the settings file stays in the scratch folder
  CMainDlg main;
  ASSERT_NE(main.Create(nullptr), nullptr);
  const auto edit = [&](int kind) { return main.GetDlgItem(IDC_MAIN_FIRST_EDIT + kind); };
  const auto press = [&](int kind, std::function<void(HWND)> script) {  // false: the editor never came up
    g_script = std::move(script);
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, &RunScript);
    Click(main.m_hWnd, IDC_MAIN_FIRST_BUTTON + kind);
    ::KillTimer(nullptr, timer);
    return !std::exchange(g_script, nullptr);
  };

  ::SetWindowTextW(edit(1), L"C:\\typed;;C:\\b;");  // handed over as typed, not as last saved
  main.m_lastFolder = L"C:\\before";
  platform.picks = {L"D:\\new"};
  EXPECT_TRUE(press(1, [](HWND editor) {
    for (int id : {IDC_LIST_ADD, IDC_LIST_CLEAR, IDCANCEL}) Click(editor, id);
  }));
  EXPECT_EQ(platform.asked.at(0).initialFolder, L"C:\\before");
  EXPECT_EQ(WindowText(edit(1)) + L"|" + main.m_lastFolder, L"C:\\typed;;C:\\b;|C:\\before") << "Cancel: unchanged";

  for (int kind = 0; kind < kKindCount; ++kind) {
    const std::wstring picked = L"D:\\kind" + std::to_wstring(kind), expected = L"C:\\t;" + picked;
    std::wstring title;
    ::SetWindowTextW(edit(kind), L"C:\\t;");  // a final ";" gives no entry
    platform.picks = {picked};
    EXPECT_TRUE(press(kind, [&](HWND editor) {
      const auto* object = dynamic_cast<CPathListDlg*>(reinterpret_cast<CDialogBase*>(
          ::GetWindowLongPtrW(editor, DWLP_USER)));
      title = object ? object->m_kindTitle : L"<none>";
      for (int id : {IDC_LIST_ADD, IDOK}) Click(editor, id);
    }));
    EXPECT_EQ(title + L"|" + main.m_lists[kind] + L"|" + WindowText(edit(kind)) + L"|" + main.m_lastFolder,
              kKindTitles[kind] + (L"|" + expected + L"|" + expected + L"|" + picked)) << kind;
  }
  EXPECT_EQ(platform.asked.back().initialFolder, L"D:\\kind5") << "the next opening starts where the last ended";
}

// The worker's answer marks what is missing; only what can be looked up is, and the entries stay as they are.
TEST_F(PathListDlgTest, MissingFoldersAreMarkedAndTheEntriesStay) {
  const EnvironmentScope environment{{L"PWTEST_WIN", L"C:\\windows"}};
  Open(L"$(PWTEST_WIN);C:\\pw-no-such-folder;$(SolutionDir)x;relative;%TEMP%");
  for (int i = 0; i < 300 && dlg->m_absent.empty(); ++i) wintest::PumpMessages(), ::Sleep(10);
  EXPECT_EQ(dlg->m_absent, std::set<std::wstring>{L"C:\\pw-no-such-folder"});
  EXPECT_EQ(State(), L"$(PWTEST_WIN)|C:\\pw-no-such-folder|$(SolutionDir)x|relative|%TEMP%| -1 --L--");
  EXPECT_NE(::GetWindowLongW(List(), GWL_STYLE) & LBS_OWNERDRAWFIXED, 0);
}

}  // namespace
}  // namespace pathwright
