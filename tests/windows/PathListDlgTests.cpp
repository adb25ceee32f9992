// The list editor on its real template: list text in and out, button states, the moves, the
// horizontal extent, folder picks through the platform seam with and without the environment
// substitution, and the main window's handing over and taking back.
#include <windows.h>
#include <commctrl.h>
#include <stdlib.h>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
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

// Answers the folder browser from a script and records how it was asked.
class FolderPlatform : public wintest::FakePlatform {
 public:
  struct Asked {
    HWND owner;
    std::wstring instruction;
    std::wstring initialFolder;
  };
  std::deque<std::optional<std::wstring>> picks;  // nullopt: the user cancels
  std::vector<Asked> asked;

  bool BrowseForFolder(HWND owner, const std::wstring& instruction, const std::wstring& initialFolder,
                       std::wstring& folder) override {
    asked.push_back({owner, instruction, initialFolder});
    if (picks.empty()) return false;
    const std::optional<std::wstring> pick = picks.front();
    picks.pop_front();
    if (!pick) return false;
    folder = *pick;
    return true;
  }
};

// Sets environment variables (through the C runtime, which the editor reads) for a scope.
class EnvironmentScope {
 public:
  EnvironmentScope() = default;
  EnvironmentScope(const EnvironmentScope&) = delete;
  EnvironmentScope& operator=(const EnvironmentScope&) = delete;
  ~EnvironmentScope() {
    for (const std::wstring& name : m_names) _wputenv_s(name.c_str(), L"");
  }
  void Set(const std::wstring& name, const std::wstring& value) {
    m_names.push_back(name);
    _wputenv_s(name.c_str(), value.c_str());
  }

 private:
  std::vector<std::wstring> m_names;
};

std::vector<std::wstring> ListEntries(HWND list) {
  std::vector<std::wstring> entries;
  const int count = static_cast<int>(::SendMessageW(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    std::wstring text(static_cast<size_t>(::SendMessageW(list, LB_GETTEXTLEN, i, 0)), L'\0');
    ::SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    entries.push_back(text);
  }
  return entries;
}

// Enable states of Change, Delete, Clear, Up, Down: the letter when enabled, "-" when not.
std::string ButtonStates(HWND dialog) {
  const std::pair<int, char> buttons[] = {
      {IDC_LIST_CHANGE, 'C'}, {IDC_LIST_DELETE, 'D'}, {IDC_LIST_CLEAR, 'L'}, {IDC_LIST_UP, 'U'}, {IDC_LIST_DOWN, 'N'}};
  std::string states;
  for (const auto& [id, letter] : buttons) states += ::IsWindowEnabled(::GetDlgItem(dialog, id)) ? letter : '-';
  return states;
}

int TextWidth(HWND list, const std::wstring& text) {
  HDC dc = ::GetDC(list);
  HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(list, WM_GETFONT, 0, 0)));
  SIZE size = {};
  ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  TEXTMETRICW metrics = {};
  ::GetTextMetricsW(dc, &metrics);
  ::SelectObject(dc, old);
  ::ReleaseDC(list, dc);
  return static_cast<int>(size.cx + metrics.tmAveCharWidth);
}

class PathListDlgTest : public ::testing::Test {
 public:  // the step tables call the helpers
  void SetUp() override { savedOption = g_environmentSubstitution; }
  void TearDown() override {
    dlg.reset();
    g_environmentSubstitution = savedOption;
  }

  // Modeless on the same template: the handlers are the ones DoModal runs.
  void Open(const std::wstring& paths, const std::wstring& lastFolder = L"") {
    dlg = std::make_unique<CPathListDlg>();
    dlg->m_paths = paths;
    dlg->m_kindTitle = L"Include Directories";
    dlg->m_lastFolder = lastFolder;
    ASSERT_NE(dlg->Create(nullptr), nullptr);
  }
  HWND List() const { return dlg->GetDlgItem(IDC_LIST_BOX); }
  std::vector<std::wstring> Entries() const { return ListEntries(List()); }
  int Selection() const { return static_cast<int>(::SendMessageW(List(), LB_GETCURSEL, 0, 0)); }
  std::string States() const { return ButtonStates(dlg->m_hWnd); }
  void Command(int id, int code = BN_CLICKED) {
    ::SendMessageW(dlg->m_hWnd, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(dlg->GetDlgItem(id)));
  }
  // What a click in the list does: select, then the notification.
  void Select(int index) {
    ::SendMessageW(List(), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    Command(IDC_LIST_BOX, LBN_SELCHANGE);
  }
  LONG Style(int id) const { return ::GetWindowLongW(dlg->GetDlgItem(id), GWL_STYLE); }
  int ListExtent() const { return static_cast<int>(::SendMessageW(List(), LB_GETHORIZONTALEXTENT, 0, 0)); }

  FolderPlatform platform;
  PlatformOverride installed{platform};
  std::unique_ptr<CPathListDlg> dlg;
  int savedOption = 1;
};

// --- list text in and out ---------------------------------------------------------------------

TEST_F(PathListDlgTest, ListTextRoundTripsKeepBlanksEmptiesAndDuplicates) {
  const struct {
    const wchar_t* in;
    std::vector<std::wstring> entries;
    const wchar_t* out;
  } cases[] = {
      {L"", {}, L""},
      {L"C:\\a", {L"C:\\a"}, L"C:\\a"},
      {L"C:\\a;;C:\\b", {L"C:\\a", L"", L"C:\\b"}, L"C:\\a;;C:\\b"},
      {L"C:\\a;C:\\b;", {L"C:\\a", L"C:\\b"}, L"C:\\a;C:\\b"},
      {L";C:\\a", {L"", L"C:\\a"}, L";C:\\a"},
      {L";", {L""}, L""},
      {L";;", {L"", L""}, L";"},
      {L"C:\\a ; C:\\b", {L"C:\\a ", L" C:\\b"}, L"C:\\a ; C:\\b"},
      {L"c:\\A;C:\\a;c:\\A", {L"c:\\A", L"C:\\a", L"c:\\A"}, L"c:\\A;C:\\a;c:\\A"},
      {L"$(VCInstallDir)lib;%PATH%", {L"$(VCInstallDir)lib", L"%PATH%"}, L"$(VCInstallDir)lib;%PATH%"},
  };
  for (const auto& c : cases) {
    for (int id : {IDOK, IDCANCEL}) {
      SCOPED_TRACE(testing::Message() << "list text \"" << testing::PrintToString(std::wstring(c.in)) << "\" "
                                      << (id == IDOK ? "OK" : "Cancel"));
      Open(c.in);
      EXPECT_EQ(Entries(), c.entries);
      EXPECT_EQ(Selection(), -1);
      EXPECT_EQ(States(), c.entries.empty() ? "-----" : "--L--");
      Command(id);
      EXPECT_EQ(dlg->m_paths, c.out);
    }
  }
}

TEST_F(PathListDlgTest, LabelGetsTheKindTitleOnlyThroughItsStringConversion) {
  // Without a language the label keeps its bare number, which has no "%s" to fill.
  Open(L"C:\\a");
  const std::wstring label = WindowText(dlg->GetDlgItem(IDC_LIST_LABEL));
  const std::wstring translated = UiText(3001);
  if (translated.empty()) {
    EXPECT_EQ(label, L"3001");
  } else {
    EXPECT_NE(label.find(L"Include Directories"), std::wstring::npos) << label;
  }
}

// --- buttons ----------------------------------------------------------------------------------

TEST_F(PathListDlgTest, ButtonStatesFollowEveryOperation) {
  platform.picks = {L"D:\\added", L"D:\\changed"};
  g_environmentSubstitution = 0;
  Open(L"A;B;C");
  const struct {
    const char* step;
    std::function<void(PathListDlgTest&)> action;
    std::vector<std::wstring> entries;
    int selection;
    const char* states;
  } steps[] = {
      {"select first", [](PathListDlgTest& t) { t.Select(0); }, {L"A", L"B", L"C"}, 0, "CDL-N"},
      {"select middle", [](PathListDlgTest& t) { t.Select(1); }, {L"A", L"B", L"C"}, 1, "CDLUN"},
      {"select last", [](PathListDlgTest& t) { t.Select(2); }, {L"A", L"B", L"C"}, 2, "CDLU-"},
      {"add", [](PathListDlgTest& t) { t.Command(IDC_LIST_ADD); }, {L"A", L"B", L"C", L"D:\\added"}, 2, "CDLUN"},
      {"change", [](PathListDlgTest& t) { t.Command(IDC_LIST_CHANGE); }, {L"A", L"B", L"D:\\changed", L"D:\\added"},
       2, "CDLUN"},
      {"up", [](PathListDlgTest& t) { t.Command(IDC_LIST_UP); }, {L"A", L"D:\\changed", L"B", L"D:\\added"}, 1,
       "CDLUN"},
      {"up to the top", [](PathListDlgTest& t) { t.Command(IDC_LIST_UP); }, {L"D:\\changed", L"A", L"B", L"D:\\added"},
       0, "CDL-N"},
      {"delete first", [](PathListDlgTest& t) { t.Command(IDC_LIST_DELETE); }, {L"A", L"B", L"D:\\added"}, 0,
       "CDL-N"},
      {"down", [](PathListDlgTest& t) { t.Command(IDC_LIST_DOWN); }, {L"B", L"A", L"D:\\added"}, 1, "CDLUN"},
      {"down to the bottom", [](PathListDlgTest& t) { t.Command(IDC_LIST_DOWN); }, {L"B", L"D:\\added", L"A"}, 2,
       "CDLU-"},
      {"cancelled add", [](PathListDlgTest& t) { t.Command(IDC_LIST_ADD); }, {L"B", L"D:\\added", L"A"}, 2, "CDLU-"},
      {"clear", [](PathListDlgTest& t) { t.Command(IDC_LIST_CLEAR); }, {}, -1, "-----"},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.step);
    s.action(*this);
    EXPECT_EQ(Entries(), s.entries);
    EXPECT_EQ(Selection(), s.selection);
    EXPECT_EQ(States(), s.states);
  }
  // Add, OK and Cancel are never disabled.
  for (int id : {IDC_LIST_ADD, IDOK, IDCANCEL}) EXPECT_TRUE(::IsWindowEnabled(dlg->GetDlgItem(id))) << id;
}

TEST_F(PathListDlgTest, DeleteSelectsTheEntryAboveOrTheNewFirst) {
  const struct {
    const wchar_t* list;
    int selected;  // -1: nothing selected
    std::vector<std::wstring> entries;
    int selection;
    const char* states;
  } cases[] = {
      {L"A;B;C", 0, {L"B", L"C"}, 0, "CDL-N"},
      {L"A;B;C", 1, {L"A", L"C"}, 0, "CDL-N"},
      {L"A;B;C", 2, {L"A", L"B"}, 1, "CDLU-"},
      {L"A", 0, {}, -1, "-----"},
      {L"A;B", -1, {L"A", L"B"}, -1, "--L--"},
      {L";;", 1, {L""}, 0, "CDL--"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << testing::PrintToString(std::wstring(c.list)) << " delete " << c.selected);
    Open(c.list);
    if (c.selected >= 0) Select(c.selected);
    Command(IDC_LIST_DELETE);
    EXPECT_EQ(Entries(), c.entries);
    EXPECT_EQ(Selection(), c.selection);
    EXPECT_EQ(States(), c.states);
  }
}

TEST_F(PathListDlgTest, TheArrowUsedLastCarriesTheDefaultStyle) {
  Open(L"A;B;C");
  EXPECT_FALSE(Style(IDC_LIST_UP) & BS_DEFPUSHBUTTON);
  EXPECT_FALSE(Style(IDC_LIST_DOWN) & BS_DEFPUSHBUTTON);
  Select(1);
  Command(IDC_LIST_UP);
  EXPECT_EQ(Entries(), (std::vector<std::wstring>{L"B", L"A", L"C"}));
  EXPECT_TRUE(Style(IDC_LIST_UP) & BS_DEFPUSHBUTTON);
  EXPECT_FALSE(Style(IDC_LIST_DOWN) & BS_DEFPUSHBUTTON);
  Command(IDC_LIST_DOWN);
  EXPECT_EQ(Entries(), (std::vector<std::wstring>{L"A", L"B", L"C"}));
  EXPECT_EQ(Selection(), 1);
  EXPECT_FALSE(Style(IDC_LIST_UP) & BS_DEFPUSHBUTTON);
  EXPECT_TRUE(Style(IDC_LIST_DOWN) & BS_DEFPUSHBUTTON);
  EXPECT_EQ(Style(IDC_LIST_DOWN) & BS_TYPEMASK, BS_DEFPUSHBUTTON);  // no other type bits disturbed

  // A move past either end (the buttons are disabled then, but a stray command may come) keeps the list.
  Select(2);
  Command(IDC_LIST_DOWN);
  Select(0);
  Command(IDC_LIST_UP);
  EXPECT_EQ(Entries(), (std::vector<std::wstring>{L"A", L"B", L"C"}));
  EXPECT_EQ(Selection(), 0);
}

TEST_F(PathListDlgTest, ArrowButtonsShowTheirStripsAndLetThemGoOnClose) {
  Open(L"A");
  const HIMAGELIST up = dlg->m_upImages.himl;
  const HIMAGELIST down = dlg->m_downImages.himl;
  ASSERT_NE(up, nullptr);
  ASSERT_NE(down, nullptr);
  EXPECT_EQ(dlg->m_upButton, dlg->GetDlgItem(IDC_LIST_UP));
  EXPECT_EQ(dlg->m_downButton, dlg->GetDlgItem(IDC_LIST_DOWN));
  for (const auto& [button, list] : {std::pair{IDC_LIST_UP, up}, std::pair{IDC_LIST_DOWN, down}}) {
    EXPECT_EQ(::ImageList_GetImageCount(list), 5);
    int cx = 0;
    int cy = 0;
    ::ImageList_GetIconSize(list, &cx, &cy);
    EXPECT_EQ(cx, 16);
    EXPECT_EQ(cy, 16);
    BUTTON_IMAGELIST shown = {};
    ::SendMessageW(dlg->GetDlgItem(button), BCM_GETIMAGELIST, 0, reinterpret_cast<LPARAM>(&shown));
    EXPECT_EQ(shown.himl, list);
    EXPECT_EQ(shown.uAlign, static_cast<UINT>(BUTTON_IMAGELIST_ALIGN_CENTER));
  }
  Command(IDCANCEL);
  EXPECT_EQ(dlg->m_upImages.himl, nullptr);
  EXPECT_EQ(dlg->m_downImages.himl, nullptr);
  EXPECT_EQ(dlg->m_upButton, nullptr);
  EXPECT_EQ(dlg->m_downButton, nullptr);
  // Destroyed lists are no longer valid image lists.
  EXPECT_EQ(::ImageList_GetImageCount(up), 0);
  EXPECT_EQ(::ImageList_GetImageCount(down), 0);
}

// --- horizontal extent --------------------------------------------------------------------------

TEST_F(PathListDlgTest, TheHorizontalExtentOnlyGrows) {
  platform.picks = {L"D:\\s", L"D:\\a much longer folder name than any other one in this list\\sub\\x64"};
  g_environmentSubstitution = 0;
  const std::wstring wide = L"C:\\a rather wide entry for the list box";
  Open(L"C:\\x;" + wide + L";C:\\y");
  const int initial = TextWidth(List(), wide);
  EXPECT_EQ(dlg->m_extent, initial);
  EXPECT_EQ(ListExtent(), initial);

  Select(1);
  Command(IDC_LIST_DELETE);
  EXPECT_EQ(ListExtent(), initial);
  Select(0);
  Command(IDC_LIST_CHANGE);  // to the short D:\s
  EXPECT_EQ(ListExtent(), initial);
  Command(IDC_LIST_CLEAR);
  EXPECT_EQ(ListExtent(), initial);
  Command(IDC_LIST_ADD);  // wider than anything before: at once
  const int wider = TextWidth(List(), Entries().back());
  EXPECT_GT(wider, initial);
  EXPECT_EQ(dlg->m_extent, wider);
  EXPECT_EQ(ListExtent(), wider);

  Open(L"");
  EXPECT_EQ(dlg->m_extent, 0);
  EXPECT_EQ(ListExtent(), 0);
}

// --- folder picks ---------------------------------------------------------------------------------

TEST_F(PathListDlgTest, AddAsksFromTheLastFolderAndAppendsWithoutSelecting) {
  platform.picks = {L"D:\\one", std::nullopt, L"D:\\one"};
  g_environmentSubstitution = 0;
  Open(L"A", L"C:\\start");
  Select(0);
  Command(IDC_LIST_ADD);
  Command(IDC_LIST_ADD);  // cancelled: nothing changes
  Command(IDC_LIST_ADD);  // the same folder again: a second equal entry
  ASSERT_EQ(platform.asked.size(), 3u);
  EXPECT_EQ(platform.asked[0].owner, dlg->m_hWnd);
  EXPECT_EQ(platform.asked[0].initialFolder, L"C:\\start");
  EXPECT_EQ(platform.asked[0].instruction, UiText(3005));
  EXPECT_EQ(platform.asked[1].initialFolder, L"D:\\one");
  EXPECT_EQ(platform.asked[2].initialFolder, L"D:\\one");
  EXPECT_EQ(Entries(), (std::vector<std::wstring>{L"A", L"D:\\one", L"D:\\one"}));
  EXPECT_EQ(Selection(), 0);
  EXPECT_EQ(dlg->m_lastFolder, L"D:\\one");
  Command(IDOK);
  EXPECT_EQ(dlg->m_paths, L"A;D:\\one;D:\\one");
}

TEST_F(PathListDlgTest, PicksAreSubstitutedOnlyAtAFolderBoundaryAndOnlyWithTheOptionOn) {
  EnvironmentScope environment;
  environment.Set(L"PWTEST_TOOLS", L"D:\\Tools\\");
  environment.Set(L"PWTEST_TRAIL", L"E:\\Kits\\\\\\");
  environment.Set(L"PWTEST_MANY", L"F:\\one;F:\\two");
  environment.Set(L"PWTEST_BARE", L"G:");
  environment.Set(L"PWTEST_ROOT", L"H:\\");
  const struct {
    int option;
    const wchar_t* picked;
    const wchar_t* entry;
  } cases[] = {
      {1, L"D:\\Tools\\lib", L"$(PWTEST_TOOLS)\\lib"},
      {1, L"D:\\TOOLS\\Lib\\x64", L"$(PWTEST_TOOLS)\\Lib\\x64"},  // any case; the rest keeps its own
      {1, L"d:\\tools", L"$(PWTEST_TOOLS)"},
      {1, L"D:\\Tools2\\x", L"D:\\Tools2\\x"},  // not the folder D:\Tools: left as picked
      {1, L"D:\\Toolsx", L"D:\\Toolsx"},
      {0, L"D:\\Tools\\lib", L"D:\\Tools\\lib"},
      {2, L"D:\\Tools\\lib", L"$(PWTEST_TOOLS)\\lib"},  // any non-zero option is on
      {1, L"E:\\Kits\\10", L"$(PWTEST_TRAIL)\\10"},     // trailing backslashes of the value ignored
      {1, L"F:\\one\\x", L"F:\\one\\x"},                // a value with several drive paths is never used
      {1, L"G:\\x", L"G:\\x"},                          // nor one without a backslash
      {1, L"H:\\x", L"$(PWTEST_ROOT)\\x"},
      {1, L"X:\\D:\\Tools", L"X:\\D:\\Tools"},  // the value must start the path
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "option " << c.option << ", picked "
                                    << testing::PrintToString(std::wstring(c.picked)));
    g_environmentSubstitution = c.option;
    platform.picks = {c.picked, c.picked};
    Open(L"C:\\old");
    Command(IDC_LIST_ADD);
    EXPECT_EQ(Entries().back(), c.entry);
    EXPECT_EQ(dlg->m_picked, c.entry);
    EXPECT_EQ(dlg->m_lastFolder, c.picked);  // the raw pick, for the next browser
    Select(0);
    Command(IDC_LIST_CHANGE);
    EXPECT_EQ(Entries().front(), c.entry);
  }
}

TEST_F(PathListDlgTest, TheFirstQualifyingVariableOfTheEnvironmentWins) {
  EnvironmentScope environment;
  environment.Set(L"PWTEST_OUTER", L"D:\\Nest");
  environment.Set(L"PWTEST_INNER", L"D:\\Nest\\inner");
  const std::vector<std::wstring> table = ProcessEnvironment();
  size_t outer = table.size();
  size_t inner = table.size();
  for (size_t i = 0; i < table.size(); ++i) {
    if (table[i].rfind(L"PWTEST_OUTER=", 0) == 0) outer = i;
    if (table[i].rfind(L"PWTEST_INNER=", 0) == 0) inner = i;
  }
  ASSERT_LT(outer, table.size());
  ASSERT_LT(inner, table.size());
  platform.picks = {L"D:\\Nest\\inner\\x"};
  Open(L"");
  Command(IDC_LIST_ADD);
  EXPECT_EQ(Entries().back(), outer < inner ? L"$(PWTEST_OUTER)\\inner\\x" : L"$(PWTEST_INNER)\\x");
}

TEST_F(PathListDlgTest, ChangeOpensOnTheExpandedEntryAndReplacesItInPlace) {
  EnvironmentScope environment;
  environment.Set(L"PWTEST_LIB", L"D:\\Tools");
  const struct {
    const wchar_t* entry;
    const wchar_t* initial;
  } cases[] = {
      {L"$(PWTEST_LIB)\\lib", L"D:\\Tools\\lib"},
      {L"$(PWTEST_LIB)\\x\\$(PWTEST_LIB)", L"D:\\Tools\\x\\D:\\Tools"},  // every occurrence
      {L"$(PWTEST_UNSET)\\lib", L"\\lib"},                                // not set: replaced by nothing
      {L"$(PWTEST_LIB\\lib", L"$(PWTEST_LIB\\lib"},                       // no ")": as it stands
      {L"C:\\$(PWTEST_LIB)", L"C:\\$(PWTEST_LIB)"},                       // only a leading reference
      {L"", L""},
  };
  g_environmentSubstitution = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.entry)));
    platform.asked.clear();
    platform.picks = {std::nullopt, L"D:\\picked"};
    Open(std::wstring(L"A;") + c.entry + L";B", L"C:\\last");
    Select(1);
    Command(IDC_LIST_CHANGE);  // cancelled: the entry stays as written
    ASSERT_EQ(platform.asked.size(), 1u);
    EXPECT_EQ(platform.asked[0].initialFolder, c.initial);
    EXPECT_EQ(platform.asked[0].instruction, UiText(3006));
    EXPECT_EQ(Entries(), (std::vector<std::wstring>{L"A", c.entry, L"B"}));
    EXPECT_EQ(dlg->m_lastFolder, L"C:\\last");

    Command(IDC_LIST_BOX, LBN_DBLCLK);  // a double-click changes too
    EXPECT_EQ(Entries(), (std::vector<std::wstring>{L"A", L"D:\\picked", L"B"}));
    EXPECT_EQ(Selection(), 1);
    EXPECT_EQ(dlg->m_lastFolder, L"D:\\picked");
  }
}

TEST_F(PathListDlgTest, ChangeWithoutASelectionAsksNothing) {
  platform.picks = {L"D:\\x"};
  Open(L"A;B");
  Command(IDC_LIST_CHANGE);
  Command(IDC_LIST_BOX, LBN_DBLCLK);
  EXPECT_TRUE(platform.asked.empty());
  EXPECT_EQ(Entries(), (std::vector<std::wstring>{L"A", L"B"}));
}

// --- from the main window, modally --------------------------------------------------------------

// Runs `script` on the list editor once it is up in the modal loop of the code under test.
class ModalScript {
 public:
  explicit ModalScript(std::function<void(HWND)> script) {
    s_script = std::move(script);
    s_ran = false;
    m_timer = ::SetTimer(nullptr, 0, 20, &ModalScript::Tick);
  }
  ModalScript(const ModalScript&) = delete;
  ModalScript& operator=(const ModalScript&) = delete;
  ~ModalScript() {
    ::KillTimer(nullptr, m_timer);
    s_script = nullptr;
  }
  static bool Ran() { return s_ran; }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND editor = FindEditor();
    if (!editor || s_ran) return;
    ::KillTimer(nullptr, timer);
    s_ran = true;
    s_script(editor);
  }
  static HWND FindEditor() {
    HWND found = nullptr;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
          HWND list = ::GetDlgItem(window, IDC_LIST_BOX);
          wchar_t name[32] = {};
          if (list && ::IsWindowVisible(window) && ::GetClassNameW(list, name, 32) &&
              lstrcmpiW(name, L"ListBox") == 0) {
            *reinterpret_cast<HWND*>(data) = window;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
  }

  UINT_PTR m_timer;
  static inline std::function<void(HWND)> s_script;
  static inline bool s_ran = false;
};

class EditorFromMainTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform.appData = scratch.Path();
    const std::wstring folder = scratch / L"Microsoft\\MSBuild\\v4.0";
    wintest::MakeFolders(folder);
    wintest::WriteFileBytes(folder + L"\\Microsoft.Cpp.Win32.user.props", wintest::SheetWithInclude("C:\\inc"));
    savedOption = g_environmentSubstitution;
    g_environmentSubstitution = 0;
    wchar_t directory[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, directory);
    savedDirectory = directory;
    ::SetCurrentDirectoryW(scratch.Path().c_str());
    main = std::make_unique<CMainDlg>();
    ASSERT_NE(main->Create(nullptr), nullptr);
    ASSERT_TRUE(main->m_loaded);
  }
  void TearDown() override {
    main.reset();
    wintest::TakeQuitCode();
    g_environmentSubstitution = savedOption;
    ::SetCurrentDirectoryW(savedDirectory.c_str());
  }
  HWND Edit(int kind) const { return main->GetDlgItem(IDC_MAIN_FIRST_EDIT + kind); }
  void Press(int kind) {
    const int id = IDC_MAIN_FIRST_BUTTON + kind;
    ::SendMessageW(main->m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(main->GetDlgItem(id)));
  }

  wintest::ScratchDir scratch;
  FolderPlatform platform;
  PlatformOverride installed{platform};
  std::unique_ptr<CMainDlg> main;
  int savedOption = 1;
  std::wstring savedDirectory;
};

CPathListDlg* EditorObject(HWND editor) {
  return dynamic_cast<CPathListDlg*>(reinterpret_cast<CDialogBase*>(::GetWindowLongPtrW(editor, DWLP_USER)));
}

void Click(HWND dialog, int id) {
  ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

TEST_F(EditorFromMainTest, CancelLeavesTheTypedListAndTheLastFolderAlone) {
  ::SetWindowTextW(Edit(1), L"C:\\typed;;C:\\b;");
  main->m_lastFolder = L"C:\\before";
  platform.picks = {L"D:\\new"};
  std::vector<std::wstring> shown;
  std::wstring title;
  ModalScript script([&](HWND editor) {
    shown = ListEntries(::GetDlgItem(editor, IDC_LIST_BOX));
    if (CPathListDlg* object = EditorObject(editor)) title = object->m_kindTitle;
    Click(editor, IDC_LIST_ADD);
    Click(editor, IDC_LIST_CLEAR);
    Click(editor, IDCANCEL);
  });
  Press(1);
  ASSERT_TRUE(ModalScript::Ran());
  EXPECT_EQ(shown, (std::vector<std::wstring>{L"C:\\typed", L"", L"C:\\b"}));
  EXPECT_EQ(title, L"Include Directories");
  ASSERT_EQ(platform.asked.size(), 1u);
  EXPECT_EQ(platform.asked[0].initialFolder, L"C:\\before");
  EXPECT_EQ(WindowText(Edit(1)), L"C:\\typed;;C:\\b;");
  EXPECT_EQ(main->m_lastFolder, L"C:\\before");
}

TEST_F(EditorFromMainTest, OkTakesTheListAndTheLastFolderBackForThatKindOnly) {
  for (int kind = 0; kind < kKindCount; ++kind) {
    SCOPED_TRACE(kind);
    const std::wstring before = WindowText(Edit(kind));
    const std::wstring picked = L"D:\\kind" + std::to_wstring(kind);
    platform.picks = {picked};
    std::wstring title;
    ModalScript script([&](HWND editor) {
      if (CPathListDlg* object = EditorObject(editor)) title = object->m_kindTitle;
      Click(editor, IDC_LIST_ADD);
      Click(editor, IDOK);
    });
    Press(kind);
    ASSERT_TRUE(ModalScript::Ran());
    EXPECT_EQ(title, kKindTitles[kind]);
    const std::wstring expected = before.empty() ? picked : before + L";" + picked;
    EXPECT_EQ(WindowText(Edit(kind)), expected);
    EXPECT_EQ(main->m_lists[kind], expected);
    EXPECT_EQ(main->m_lastFolder, picked);
  }
  // The next opening starts where the last one left off.
  EXPECT_EQ(platform.asked.back().initialFolder, L"D:\\kind5");
}

}  // namespace
}  // namespace pathwright
