// The window layer: dialogs bound to their objects before WM_INITDIALOG, modal runs, data exchange
// both ways and its failure path, update-UI states, centring, handle owners, the version chooser.
#include <windows.h>

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

#include "WinTestSupport.h"
#include "res/resource.h"
#include "ui/RestoreDlg.h"
#include "ui/TextFormat.h"
#include "win/AppModule.h"
#include "win/Centre.h"
#include "win/DataExchange.h"
#include "win/Dialog.h"
#include "win/Handle.h"
#include "win/UpdateUI.h"

namespace pathwright {
namespace {

using wintest::WindowText;
constexpr int kFirst = IDC_MAIN_FIRST_EDIT, kSecond = IDC_MAIN_FIRST_EDIT + 1, kCheck = IDC_MAIN_ENV_OPTION;

// A dialog on the main window's template (hidden, so closing it is quick under Wine) that records
// what reached its message map; with `endWith` set it ends itself as soon as it opens.
class ProbeDlg : public CDialogImpl<ProbeDlg>, public CWinDataExchange<ProbeDlg>, public CUpdateUI<ProbeDlg> {
 public:
  static constexpr UINT IDD = IDD_MAIN;
  static std::span<const int> UpdateUiMap() {
    static constexpr int kItems[] = {IDOK, IDC_MAIN_LANGUAGE};
    return kItems;
  }
  std::vector<UINT> seen;
  HWND boundAtInit = nullptr, finalWindow = nullptr;
  WORD endWith = 0;
  int finalMessages = 0;
  std::wstring first, second;
  int check = 0;

  BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM, LRESULT& result, DWORD) override {
    seen.push_back(message);
    if (message == WM_COMMAND && endWith && LOWORD(wParam) == endWith) return EndDialog(endWith), TRUE;
    if (message != WM_INITDIALOG) return FALSE;
    boundAtInit = m_hWnd == window ? window : nullptr;
    if (endWith) ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(endWith, BN_CLICKED), 0);
    return result = TRUE, TRUE;
  }
  void OnFinalMessage(HWND window) override { ++finalMessages, finalWindow = m_hWnd ? nullptr : window; }
  bool DoDataExchange(bool save) {
    for (auto [id, value] : {std::pair{kFirst, &first}, std::pair{kSecond, &second}})
      if (!TransferText(save, id, *value)) return OnDataExchangeError(id), false;
    if (!TransferCheck(save, kCheck, check)) return OnDataExchangeError(kCheck), false;
    return true;
  }
};

class MissingDlg : public CDialogImpl<MissingDlg> {
 public:
  static constexpr UINT IDD = 9999;  // no such template
  BOOL ProcessWindowMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&, DWORD) override { return FALSE; }
};

TEST(DialogTest, TheObjectIsBoundBeforeWmInitDialogAndReleasedAfterTheLastMessage) {
  HWND window = nullptr;
  {
    ProbeDlg dialog;
    ASSERT_NE(window = dialog.Create(nullptr), nullptr);
    EXPECT_EQ(dialog.boundAtInit, window);
    EXPECT_EQ(dialog.seen.at(0), UINT(WM_SETFONT)) << "even the font message reaches the object";
    EXPECT_TRUE(dialog.DestroyWindow());
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    EXPECT_EQ(dialog.finalMessages, 1);
    EXPECT_EQ(dialog.finalWindow, window) << "OnFinalMessage runs after m_hWnd is cleared";
    ASSERT_NE(window = dialog.Create(nullptr), nullptr);
  }
  EXPECT_FALSE(::IsWindow(window)) << "an object destroyed first takes its window along";

  MissingDlg missing;
  EXPECT_EQ(missing.Create(nullptr), nullptr);
  EXPECT_EQ(missing.DoModal(nullptr), -1);
  ProbeDlg next;  // bound to its own object, not to the one whose window never came
  ASSERT_NE(next.Create(nullptr), nullptr);
  EXPECT_EQ(next.boundAtInit, next.m_hWnd);

  for (WORD command : {IDOK, IDCANCEL}) {
    ProbeDlg modal;
    modal.endWith = command;
    EXPECT_EQ(modal.DoModal(nullptr), command);
    EXPECT_EQ(modal.m_hWnd, nullptr);
  }
}

// An edit line that refuses WM_SETTEXT and announces more text than it gives.
LRESULT CALLBACK StubbornEdit(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETTEXT) return FALSE;
  if (message == WM_GETTEXTLENGTH) return 50;
  return ::CallWindowProcW(WNDPROC(::GetPropW(window, L"original")), window, message, wParam, lParam);
}

class DataExchangeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(dialog.Create(nullptr), nullptr);
    ::ShowWindow(dialog.m_hWnd, SW_SHOW);
    ::SetForegroundWindow(dialog.m_hWnd);
    ::SetFocus(Item(IDOK));
  }
  HWND Item(int id) { return dialog.GetDlgItem(id); }
  void MakeStubborn(int id) {
    ::SetPropW(Item(id), L"original", HANDLE(::GetWindowLongPtrW(Item(id), GWLP_WNDPROC)));
    ::SetWindowLongPtrW(Item(id), GWLP_WNDPROC, LONG_PTR(&StubbornEdit));
  }
  ProbeDlg dialog;
};

TEST_F(DataExchangeTest, TextAndCheckGoBothWaysAndAnOddCheckValueIsKeptAsZero) {
  dialog.first = L"C:\\one;D:\\two", dialog.second = std::wstring(3000, L'x'), dialog.check = 1;
  ASSERT_TRUE(dialog.DoDataExchange(kFillControls));
  EXPECT_EQ(WindowText(Item(kFirst)) + WindowText(Item(kSecond)), dialog.first + dialog.second);
  EXPECT_EQ(::SendMessageW(Item(kCheck), BM_GETCHECK, 0, 0), BST_CHECKED);

  ::SetWindowTextW(Item(kFirst), L"");
  ::SetWindowTextW(Item(kSecond), L"$(Tools)\\include");
  ::SendMessageW(Item(kCheck), BM_SETCHECK, BST_UNCHECKED, 0);
  ASSERT_TRUE(dialog.DoDataExchange(kSaveControls));
  EXPECT_EQ(dialog.first + L"|" + dialog.second, L"|$(Tools)\\include");
  EXPECT_EQ(dialog.check, 0);

  for (int value : {-1, 3, 1000}) {
    ::SendMessageW(Item(kCheck), BM_SETCHECK, BST_CHECKED, 0);
    dialog.check = value;
    ASSERT_TRUE(dialog.DoDataExchange(kFillControls));
    EXPECT_EQ(dialog.check, 0) << value;
    EXPECT_EQ(::SendMessageW(Item(kCheck), BM_GETCHECK, 0, 0), BST_UNCHECKED) << value;
  }
}

// A failed transfer stops the exchange, focuses its control and leaves the rest as it was.
TEST_F(DataExchangeTest, AFailedFillFocusesTheControlAndStopsTheExchange) {
  MakeStubborn(kFirst);
  ::SetWindowTextW(Item(kSecond), L"before");
  dialog.first = L"refused", dialog.second = L"never reached";
  EXPECT_FALSE(dialog.DoDataExchange(kFillControls));
  EXPECT_EQ(::GetFocus(), Item(kFirst));
  EXPECT_EQ(WindowText(Item(kSecond)), L"before");
}

TEST_F(DataExchangeTest, AShortReadFailsTheSaveAndKeepsTheMember) {
  ::SetWindowTextW(Item(kFirst), L"new first");
  ::SetWindowTextW(Item(kSecond), L"short");
  MakeStubborn(kSecond);
  dialog.second = L"old second";
  EXPECT_FALSE(dialog.DoDataExchange(kSaveControls));
  EXPECT_EQ(dialog.first + L"|" + dialog.second, L"new first|old second");
  EXPECT_EQ(::GetFocus(), Item(kSecond));
}

TEST(UpdateUiTest, EnableStatesWaitUntilTheyAreAppliedTogether) {
  ProbeDlg dialog;
  ASSERT_NE(dialog.Create(nullptr), nullptr);
  dialog.UIAddChildWindowContainer(dialog.m_hWnd);
  const auto enabled = [&] {
    std::string states;
    for (int id : {IDOK, IDC_MAIN_LANGUAGE, IDCANCEL}) states += ::IsWindowEnabled(dialog.GetDlgItem(id)) ? '1' : '0';
    return states;
  };
  EXPECT_TRUE(dialog.UIEnable(IDOK, false) && dialog.UIEnable(IDC_MAIN_LANGUAGE, false));
  EXPECT_FALSE(dialog.UIEnable(IDCANCEL, false)) << "not in the map";
  EXPECT_EQ(enabled(), "111") << "nothing happens before the update";
  dialog.UIUpdateChildWindows();
  EXPECT_EQ(enabled(), "001");
  dialog.UIEnable(IDOK, true);
  dialog.UIUpdateChildWindows();
  EXPECT_EQ(enabled(), "101");
  EXPECT_TRUE(dialog.UIIsEnabled(IDOK) && !dialog.UIIsEnabled(IDC_MAIN_LANGUAGE));
}

TEST(CentreTest, TheWindowLandsInTheMiddleAndInsideTheWorkArea) {
  const struct { SIZE size; RECT target; POINT expected; } cases[] = {
      {{200, 100}, {0, 0, 1000, 800}, {400, 350}},      // centred on the work area
      {{200, 100}, {100, 100, 300, 300}, {100, 150}},   // centred on an owner
      {{200, 100}, {900, 700, 1100, 900}, {800, 700}},  // owner near the corner: pushed back in
      {{200, 100}, {-300, -300, -100, -100}, {0, 0}},   // owner off the top-left
      {{1200, 900}, {0, 0, 1000, 800}, {0, 0}}};        // larger than the work area: top-left stays visible
  for (const auto& c : cases) {
    const POINT at = CentredPosition(c.size, c.target, RECT{0, 0, 1000, 800});
    EXPECT_EQ(std::pair(at.x, at.y), std::pair(c.expected.x, c.expected.y)) << c.target.left << "," << c.target.top;
  }
}

TEST(HandleTest, OwnersMoveReleaseOnceAndKeepTheLastError) {
  LOGFONTW description = {};
  ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(description), &description);
  UniqueFont font(::CreateFontIndirectW(&description));
  const HFONT raw = font.Get();
  UniqueFont moved(std::move(font));
  EXPECT_TRUE(!font && moved.Get() == raw && raw);
  ::SetLastError(ERROR_SHARING_VIOLATION);
  moved.Reset();
  EXPECT_EQ(::GetLastError(), DWORD(ERROR_SHARING_VIOLATION));
  EXPECT_TRUE(!moved && ::GetObjectType(raw) == 0) << "released, and the font deleted";
  int runs = 0;
  {
    ScopeExit once([&] { ++runs; });
    ScopeExit dismissed([&] { runs += 10; });
    dismissed.Dismiss();
  }
  EXPECT_EQ(runs, 1);
}

TEST(TextFormatTest, OnlyStringConversionsAreHonoured) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"The sheet %s was not found.", L"The sheet X.props was not found."}, {L"%ls", L"X.props"},
      {L"%S and %ws", L"X.props and "}, {L"100%% of %s", L"100% of X.props"}, {L"%d %n %x %s", L"%d %n %x X.props"},
      {L"no argument", L"no argument"}, {L"trailing %", L"trailing %"}, {L"", L""}};
  for (auto [format, expected] : cases) EXPECT_EQ(FormatWithString(format, L"X.props"), expected) << format;
}

// The real version chooser, answered from inside: pick an entry, then press a button.
class AnsweredRestoreDlg : public CRestoreDlg {
 public:
  int pick = 0;
  WORD press = IDOK;
  std::vector<std::wstring> entries;
  LRESULT selectedAtStart = -2;
  BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                            DWORD id) override {
    const BOOL handled = CRestoreDlg::ProcessWindowMessage(window, message, wParam, lParam, result, id);
    if (message != WM_INITDIALOG) return handled;
    HWND combo = GetDlgItem(IDC_RESTORE_VERSION);
    for (int i = 0; i < ::SendMessageW(combo, CB_GETCOUNT, 0, 0); ++i) {
      wchar_t text[64] = {};
      ::SendMessageW(combo, CB_GETLBTEXT, i, LPARAM(text));
      entries.push_back(text);
    }
    selectedAtStart = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
    ::SendMessageW(combo, CB_SETCURSEL, pick, 0);
    ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(press, BN_CLICKED), 0);
    return handled;
  }
};

TEST(RestoreDlgTest, OffersThreeVersionsStartingAtTheFirstAndReportsTheChoice) {
  for (auto [pick, press] : {std::pair<int, WORD>{2, IDOK}, {1, IDCANCEL}, {0, IDOK}}) {
    AnsweredRestoreDlg chooser;
    chooser.pick = pick, chooser.press = press;
    EXPECT_EQ(chooser.DoModal(nullptr), press);
    EXPECT_EQ(chooser.entries,
              (std::vector<std::wstring>{L"Visual Studio 2010", L"Visual Studio 2012", L"Visual Studio 2013"}));
    EXPECT_EQ(chooser.selectedAtStart, 0);
    EXPECT_EQ(chooser.m_version, pick) << "kept for Cancel as well";
  }
}

}  // namespace
}  // namespace pathwright
