// The list editor on its real template: entries typed, pasted and moved from the keyboard, the
// buttons, the status column and the folder picks answered through the platform seam.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <stdlib.h>

#include <cstring>
#include <tuple>
#include <memory>
#include <string>
#include <vector>

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
  void Open(const std::wstring& paths, const std::wstring& lastFolder = L"", std::vector<FixedLine> before = {},
            std::vector<FixedLine> after = {}, SIZE size = {}, const std::wstring& note = L"") {  // modeless

    dlg = std::make_unique<CPathListDlg>(platform);
    dlg->m_paths = paths;
    dlg->m_before = std::move(before);
    dlg->m_after = std::move(after);
    dlg->m_size = size;
    dlg->m_unusedNote = note;
    dlg->m_kindTitle = L"Include Directories";
    dlg->m_lastFolder = lastFolder;
    dlg->m_substituteEnvironment = false;
    ASSERT_NE(dlg->Create(nullptr), nullptr);
    ::SetFocus(List());
  }
  HWND List() const { return dlg->GetDlgItem(IDC_LIST_BOX); }
  int Items() const { return int(::SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0)); }
  std::wstring Cell(int item, int column) const {
    wchar_t text[512] = {};
    LVITEMW cell = {};
    cell.iSubItem = column, cell.pszText = text, cell.cchTextMax = 512;
    ::SendMessageW(List(), LVM_GETITEMTEXTW, WPARAM(item), LPARAM(&cell));
    return text;
  }
  void Select(std::initializer_list<int> indices) {  // what clicks in the list do
    ListView_SetItemState(List(), -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    for (int i : indices) ListView_SetItemState(List(), i, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  }
  // As the message loop delivers it: through the dialog manager to the focused control.
  void Deliver(UINT message, WPARAM key) {
    MSG msg = {::GetFocus(), message, key, 1, 0, {}};
    if (!::IsDialogMessageW(dlg->m_hWnd, &msg)) ::DispatchMessageW(&msg);
    for (MSG waiting = {}; ::PeekMessageW(&waiting, nullptr, 0, 0, PM_REMOVE);) {
      if (!::IsDialogMessageW(dlg->m_hWnd, &waiting)) ::TranslateMessage(&waiting), ::DispatchMessageW(&waiting);
    }
  }
  void Press(WPARAM key, BYTE modifier = 0) {
    BYTE keys[256] = {};
    if (modifier) keys[modifier] = 0x80;
    ::SetKeyboardState(keys);
    Deliver(modifier == VK_MENU ? WM_SYSKEYDOWN : WM_KEYDOWN, key);
    std::memset(keys, 0, sizeof(keys));
    ::SetKeyboardState(keys);
  }
  void Type(const std::wstring& text) {
    for (wchar_t c : text) Deliver(WM_CHAR, c);
  }
  // "entry|entry| selected items, then Change/Delete/Clear/Up/Down as a letter when enabled, "-" when not.
  // A read-only line shows as "[entry]" (the tests' places start with "@"); the "New" line is the last other one.
  std::wstring State() const {
    std::wstring state;
    int newLine = Items() - 1;
    while (newLine > 0 && Cell(newLine, 1).starts_with(L"@")) --newLine;
    for (int i = 0; i < Items(); ++i) {
      if (Cell(i, 1).starts_with(L"@")) state += L"[" + Cell(i, 0) + L"]|";
      else if (i != newLine) state += Cell(i, 0) + L"|";
    }
    state += L" ";
    for (int i = -1; (i = int(::SendMessageW(List(), LVM_GETNEXTITEM, WPARAM(i), LVNI_SELECTED))) >= 0;) {
      state += std::to_wstring(i);
    }
    state += L" ";
    for (auto [id, letter] : {std::pair{IDC_LIST_CHANGE, L'C'},
                              {IDC_LIST_DELETE, L'D'},
                              {IDC_LIST_CLEAR, L'L'},
                              {IDC_LIST_UP, L'U'},
                              {IDC_LIST_DOWN, L'N'}})
      state += ::IsWindowEnabled(dlg->GetDlgItem(id)) ? letter : L'-';
    return state;
  }

  FakePlatform platform;
  std::unique_ptr<CPathListDlg> dlg;
};

// Empty entries and duplicates survive; Delete (none selected: nothing) selects the entry above the
// first deleted one, or the new first; several selected go at once. Lines in force from elsewhere stand
// around the entries and are never selected, deleted or handed back.
TEST_F(PathListDlgTest, ListTextRoundTripsAndDeleteSelectsTheEntryAbove) {
  const std::vector<FixedLine> inline1 = {{L"C:\\inline", L"@IncludePath"}};
  const std::vector<FixedLine> inherited = {{L"$(IncludePath)", L"@inherited"}, {L"D:\\later", L"@second"}};
  const struct {
    const wchar_t* in;
    std::initializer_list<int> deleted;
    const wchar_t *state, *out;
    std::vector<FixedLine> before = {}, after = {};
  } cases[] = {
      {L"", {}, L"  -----", L""},
      {L"C:\\a;;C:\\b;", {}, L"C:\\a||C:\\b|  --L--", L"C:\\a;;C:\\b"},
      {L"c:\\A;C:\\a;c:\\A", {}, L"c:\\A|C:\\a|c:\\A|  --L--", L"c:\\A;C:\\a;c:\\A"},
      {L"A;B;C", {0}, L"B|C| 0 CDL-N", L"B;C"},
      {L"A;B;C", {1}, L"A|C| 0 CDL-N", L"A;C"},
      {L"A;B;C", {2}, L"A|B| 1 CDLU-", L"A;B"},
      {L"A;B;C;D", {1, 3}, L"A|C| 0 CDL-N", L"A;C"},
      {L"A;B", {2}, L"A|B| 2 --L--", L"A;B"},  // the "New" line is no entry
      {L"A", {0}, L"  -----", L""},
      {L";;", {1}, L"| 0 CDL--", L""},
      {L"A;B;C", {2}, L"[C:\\inline]|A|C| 1 CDL-N", L"A;C", inline1},
      {L"A;B", {0, 1, 2, 4}, L"[C:\\inline]|[$(IncludePath)]|[D:\\later]|  -----", L"", inline1, inherited},
      {L"", {0, 1, 2}, L"[$(IncludePath)]|[D:\\later]| 0 -----", L"", {}, inherited},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << ::testing::PrintToString(std::wstring(c.in)));
    Open(c.in, L"", c.before, c.after);
    Select(c.deleted);
    Command(dlg->m_hWnd, IDC_LIST_DELETE);
    EXPECT_EQ(State(), c.state);
    Command(dlg->m_hWnd, IDOK);
    EXPECT_EQ(dlg->m_paths, c.out);
  }
}

// Typing, F2, Del, Alt+Up/Down, Ctrl+A/C/V from the keyboard, through the dialog manager as a user's
// keys go; a refused text is said and offered again.
TEST_F(PathListDlgTest, EntriesAreTypedPastedAndMovedFromTheKeyboard) {
  Open(L"A;B;C");
  const struct {
    const char* name = "";
    std::initializer_list<int> select = {};  // empty: as it is
    const wchar_t* typed = nullptr;
    WPARAM key = 0;
    BYTE modifier = 0;
    const wchar_t* state = L"";
  } steps[] = {
      {.name = "typing replaces the selected entry", .select = {1}, .typed = L"x:\\new", .key = VK_RETURN,
       .state = L"A|x:\\new|C| 1 CDLUN"},
      {.name = "F2 edits it, \";\" refused", .key = VK_F2, .state = L"A|x:\\new|C| 1 CDLUN"},
      {.name = "", .typed = L"a;b", .key = VK_RETURN, .state = L"A|x:\\new|C| 1 CDLUN"},
      {.name = "Escape leaves it", .key = VK_ESCAPE, .state = L"A|x:\\new|C| 1 CDLUN"},
      {.name = "Alt+Up", .key = VK_UP, .modifier = VK_MENU, .state = L"x:\\new|A|C| 0 CDL-N"},
      {.name = "Ctrl+A", .key = 'A', .modifier = VK_CONTROL, .state = L"x:\\new|A|C| 012 -DL--"},
      {.name = "Ctrl+C", .key = 'C', .modifier = VK_CONTROL, .state = L"x:\\new|A|C| 012 -DL--"},
      {.name = "Del", .key = VK_DELETE, .state = L"  -----"},
      {.name = "Ctrl+V", .key = 'V', .modifier = VK_CONTROL, .state = L"x:\\new|A|C| 012 -DL--"},
      {.name = "Alt+Down moves several", .select = {0, 1}, .key = VK_DOWN, .modifier = VK_MENU,
       .state = L"C|x:\\new|A| 12 -DLU-"},
      {.name = "typing on the New line adds", .select = {3}, .typed = L"E:\\z", .key = VK_RETURN,
       .state = L"C|x:\\new|A|E:\\z| 4 --L--"},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.name);
    if (s.select.size()) Select(s.select);
    if (s.typed) Type(s.typed);
    if (s.key) Press(s.key, s.modifier);
    EXPECT_EQ(State(), s.state);
  }
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, UiText(text::kListSemicolonTyped));
  // A list from elsewhere: ";" and line breaks separate, blanks around an entry go, empty ones too.
  ASSERT_TRUE(::OpenClipboard(dlg->m_hWnd));
  ::EmptyClipboard();
  const std::wstring pasted = L" D:\\one \r\nD:\\two;;D:\\three\r\n";
  HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, (pasted.size() + 1) * sizeof(wchar_t));
  std::memcpy(::GlobalLock(memory), pasted.c_str(), (pasted.size() + 1) * sizeof(wchar_t));
  ::GlobalUnlock(memory), ::SetClipboardData(CF_UNICODETEXT, memory), ::CloseClipboard();
  Select({0});
  Press('V', VK_CONTROL);
  EXPECT_EQ(State(), L"C|D:\\one|D:\\two|D:\\three|x:\\new|A|E:\\z| 123 -DLUN");
  Command(dlg->m_hWnd, IDOK);
  EXPECT_EQ(dlg->m_paths, L"C;D:\\one;D:\\two;D:\\three;x:\\new;A;E:\\z");
}

// Add inserts after the selection (or at the end), Change replaces the one selected; picks start where the last
// pick was, or where the selected entry points in the environment Visual Studio will see, and are written with its
// variables when the option is on. A variable of this process alone is never used.
TEST_F(PathListDlgTest, PicksUseThePersistentEnvironment) {
  platform.environment.variables = {{L"PWTEST_TOOLS", L"D:\\Tools"}};
  _wputenv_s(L"PWTEST_SHELL", L"D:\\Tools");  // first in order: chosen if the process's environment counted
  const ScopeExit unset([] { _wputenv_s(L"PWTEST_SHELL", L""); });
  const struct {
    bool option;
    const wchar_t* out;
  } cases[] = {{true, L"$(PWTEST_TOOLS)\\inc;C:\\b;$(PWTEST_TOOLS)\\lib"},
               {false, L"D:\\Tools\\inc;C:\\b;D:\\Tools\\lib"}};
  for (const auto& c : cases) {
    platform.folderPicks = {L"D:\\Tools\\inc", L"D:\\Tools\\lib", L"D:\\a;b"};
    platform.foldersAsked.clear();
    Open(L"$(PWTEST_TOOLS)\\x;C:\\b", L"C:\\start");
    dlg->m_substituteEnvironment = c.option;
    Select({0});
    Command(dlg->m_hWnd, IDC_LIST_CHANGE);
    Select({});
    Command(dlg->m_hWnd, IDC_LIST_ADD);
    Command(dlg->m_hWnd, IDC_LIST_ADD);  // refused: the name holds ";"
    Command(dlg->m_hWnd, IDC_LIST_ADD);  // cancelled
    Command(dlg->m_hWnd, IDOK);
    EXPECT_EQ(dlg->m_paths, c.out);
    ASSERT_EQ(platform.foldersAsked.size(), 4u);
    EXPECT_EQ(platform.foldersAsked[0].initialFolder + L"|" + platform.foldersAsked[1].initialFolder,
              L"D:\\Tools\\x|D:\\Tools\\inc");
    EXPECT_EQ(dlg->m_lastFolder, L"D:\\Tools\\lib");
  }
}

// Each entry's judgement in words and icon, against the persistent environment; the selected entry's expansion
// under the list.
TEST_F(PathListDlgTest, TheStatusColumnJudgesEveryEntry) {
  platform.environment.variables = {{L"PWTEST_WIN", L"C:\\windows"}};
  Open(L"$(PWTEST_WIN);C:\\pw-no-such-folder;$(SolutionDir)x;%TEMP%;$(PWTEST_NONE)\\x;c:\\Windows\\");
  const struct {
    uint32_t words;
    int icon;
  } expected[] = {{text::kListStatusFound, I_IMAGENONE},     {text::kListStatusMissing, 0},
                  {text::kListStatusProject, 2},             {text::kListStatusPercent, 1},
                  {text::kListStatusUnresolved, 0},          {text::kListStatusDuplicate, 1}};
  const std::wstring checking = UiText(text::kListStatusChecking);
  for (int i = 0; i < 300 && (Cell(0, 1) == checking || Cell(1, 1) == checking); ++i) PumpMessages(), ::Sleep(10);
  for (int i = 0; i < 6; ++i) {
    LVITEMW item = {};
    item.mask = LVIF_IMAGE, item.iItem = i, item.iSubItem = 1;
    ::SendMessageW(List(), LVM_GETITEMW, 0, LPARAM(&item));
    EXPECT_EQ(Cell(i, 1) + L"/" + std::to_wstring(item.iImage),
              UiText(expected[i].words) + L"/" + std::to_wstring(expected[i].icon))
        << "entry " << i;
  }
  Select({0});
  EXPECT_NE(dlg->GetDlgItemText(IDC_LIST_EXPANDED).find(L"C:\\windows"), std::wstring::npos);
}

// The window can grow: the list takes the room, the buttons keep to their edges, and the size is handed back for
// the next editor to open as large. A note above the list moves the buttons with it, clear of the lines below.
TEST_F(PathListDlgTest, ResizingMovesTheControlsAndTheSizeIsHandedBack) {
  const auto place = [&](int id) {
    RECT r = {};
    ::GetWindowRect(dlg->GetDlgItem(id), &r);
    return r;
  };
  RECT window = {};
  for (const wchar_t* note : {L"defined, but IncludePath does not use it", L""}) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(note)));
    Open(L"A", L"", {}, {}, {}, note);
    ::GetWindowRect(dlg->m_hWnd, &window);
    const RECT list = place(IDC_LIST_BOX), ok = place(IDOK), add = place(IDC_LIST_ADD);
    const bool noteShown = ::IsWindowVisible(dlg->GetDlgItem(IDC_LIST_NOTE));
    EXPECT_EQ(std::tuple(list.top, noteShown == (*note != 0) && (!noteShown || place(IDC_LIST_NOTE).bottom <= list.top),
                         place(IDC_LIST_DOWN).bottom <= place(IDC_LIST_RULE).top),
              std::tuple(add.top, true, true));
    ::SetWindowPos(dlg->m_hWnd, nullptr, 0, 0, window.right - window.left + 100, window.bottom - window.top + 50,
                   SWP_NOMOVE | SWP_NOZORDER);
    const RECT grown = place(IDC_LIST_BOX), okMoved = place(IDOK), addMoved = place(IDC_LIST_ADD);
    EXPECT_EQ(std::tuple(grown.right - list.right, grown.bottom - list.bottom, okMoved.left - ok.left,
                         okMoved.top - ok.top, addMoved.left - add.left, addMoved.top - add.top),
              std::tuple(100, 50, 100, 50, 100, 0));
  }
  Command(dlg->m_hWnd, IDCANCEL);
  EXPECT_EQ(dlg->m_size.cx, window.right - window.left + 100);  // at 96 DPI
  Open(L"", L"", {}, {}, dlg->m_size);
  RECT reopened = {};
  ::GetWindowRect(dlg->m_hWnd, &reopened);
  EXPECT_EQ(reopened.right - reopened.left, window.right - window.left + 100);
  Command(dlg->m_hWnd, IDCANCEL);
  Open(L"", L"", {}, {}, {100000, 100000});  // from a settings file anyone can write
  ::GetWindowRect(dlg->m_hWnd, &reopened);
  EXPECT_LE(reopened.right - reopened.left, ::GetSystemMetrics(SM_CXVIRTUALSCREEN));
}

}  // namespace
}  // namespace pathwright
