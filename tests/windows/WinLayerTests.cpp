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

// A dialog on the main window's template (created hidden, so closing it is quick under Wine) that
// records what reached its message map.
class ProbeDlg : public CDialogImpl<ProbeDlg>, public CWinDataExchange<ProbeDlg>, public CUpdateUI<ProbeDlg> {
 public:
  static constexpr UINT IDD = IDD_MAIN;
  static std::span<const int> UpdateUiMap() {
    static constexpr int kItems[] = {IDOK, IDC_MAIN_LANGUAGE};
    return kItems;
  }

  std::vector<UINT> seen;
  HWND boundAtInit = nullptr;
  INT_PTR endWith = 0;  // when set, the dialog ends itself as soon as it opens
  int finalMessages = 0;
  HWND finalWindow = nullptr;

  BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM, LPARAM, LRESULT& result, DWORD) override {
    seen.push_back(message);
    if (message == WM_INITDIALOG) {
      boundAtInit = m_hWnd == window ? window : nullptr;
      if (endWith) ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(endWith, BN_CLICKED), 0);
      result = TRUE;
      return TRUE;
    }
    return FALSE;
  }
  void OnFinalMessage(HWND window) override {
    ++finalMessages;
    finalWindow = m_hWnd ? nullptr : window;
  }
};

// Same template through a template id that does not exist.
class MissingDlg : public CDialogImpl<MissingDlg> {
 public:
  static constexpr UINT IDD = 9999;
  BOOL ProcessWindowMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&, DWORD) override { return FALSE; }
};

TEST(DialogTest, TheObjectIsBoundBeforeWmInitDialogAndReleasedAfterTheLastMessage) {
  ProbeDlg dialog;
  HWND window = dialog.Create(nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(dialog.m_hWnd, window);
  EXPECT_EQ(dialog.boundAtInit, window);
  ASSERT_FALSE(dialog.seen.empty());
  EXPECT_EQ(dialog.seen.front(), static_cast<UINT>(WM_SETFONT)) << "even the font message reaches the object";

  EXPECT_TRUE(dialog.DestroyWindow());
  EXPECT_EQ(dialog.m_hWnd, nullptr);
  EXPECT_EQ(dialog.finalMessages, 1);
  EXPECT_EQ(dialog.finalWindow, window) << "OnFinalMessage runs after m_hWnd is cleared";
}

TEST(DialogTest, AMissingTemplateLeavesNoStaleEntryBehind) {
  MissingDlg missing;
  EXPECT_EQ(missing.Create(nullptr), nullptr);
  EXPECT_EQ(missing.DoModal(nullptr), -1);
  // The next dialog must be bound to its own object, not to the one whose window never came.
  ProbeDlg dialog;
  ASSERT_NE(dialog.Create(nullptr), nullptr);
  EXPECT_EQ(dialog.boundAtInit, dialog.m_hWnd);
  EXPECT_EQ(missing.m_hWnd, nullptr);
}

TEST(DialogTest, DoModalReturnsTheCommandThatEndedIt) {
  for (INT_PTR command : {IDOK, IDCANCEL}) {
    // ProbeDlg leaves OK and Cancel to the default handling, which ends a modal dialog with the id.
    class Ending : public ProbeDlg {
     public:
      BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                                DWORD id) override {
        if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
          EndDialog(LOWORD(wParam));
          return TRUE;
        }
        return ProbeDlg::ProcessWindowMessage(window, message, wParam, lParam, result, id);
      }
    } dialog;
    dialog.endWith = command;
    EXPECT_EQ(dialog.DoModal(nullptr), command);
    EXPECT_EQ(dialog.m_hWnd, nullptr);
  }
}

TEST(DialogTest, AnObjectDestroyedFirstTakesItsWindowAlong) {
  HWND window = nullptr;
  {
    ProbeDlg dialog;
    window = dialog.Create(nullptr);
    ASSERT_NE(window, nullptr);
  }
  EXPECT_FALSE(::IsWindow(window));
}

// An edit line that refuses WM_SETTEXT, or announces more text than it gives.
LRESULT CALLBACK StubbornEdit(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto original = reinterpret_cast<WNDPROC>(::GetPropW(window, L"original"));
  if (message == WM_SETTEXT) return FALSE;
  if (message == WM_GETTEXTLENGTH) return 50;
  return ::CallWindowProcW(original, window, message, wParam, lParam);
}

void MakeStubborn(HWND control) {
  ::SetPropW(control, L"original", reinterpret_cast<HANDLE>(::GetWindowLongPtrW(control, GWLP_WNDPROC)));
  ::SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&StubbornEdit));
}

class ExchangeDlg : public CDialogImpl<ExchangeDlg>, public CWinDataExchange<ExchangeDlg> {
 public:
  static constexpr UINT IDD = IDD_MAIN;
  std::wstring first, second;
  int check = 0;
  BOOL ProcessWindowMessage(HWND, UINT message, WPARAM, LPARAM, LRESULT& result, DWORD) override {
    if (message != WM_INITDIALOG) return FALSE;
    result = TRUE;
    return TRUE;
  }
  bool DoDataExchange(bool save) {
    for (auto [id, value] : {std::pair{IDC_MAIN_FIRST_EDIT, &first}, std::pair{IDC_MAIN_FIRST_EDIT + 1, &second}}) {
      if (!TransferText(save, id, *value)) {
        OnDataExchangeError(id);
        return false;
      }
    }
    if (!TransferCheck(save, IDC_MAIN_ENV_OPTION, check)) {
      OnDataExchangeError(IDC_MAIN_ENV_OPTION);
      return false;
    }
    return true;
  }
};

class DataExchangeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(dialog.Create(nullptr), nullptr);
    ::ShowWindow(dialog.m_hWnd, SW_SHOW);
    ::SetForegroundWindow(dialog.m_hWnd);
    ::SetFocus(dialog.GetDlgItem(IDOK));
  }
  ExchangeDlg dialog;
};

TEST_F(DataExchangeTest, TextAndCheckGoBothWays) {
  dialog.first = L"C:\\one;D:\\two";
  dialog.second = std::wstring(3000, L'x');
  dialog.check = 1;
  ASSERT_TRUE(dialog.DoDataExchange(kFillControls));
  EXPECT_EQ(wintest::WindowText(dialog.GetDlgItem(IDC_MAIN_FIRST_EDIT)), dialog.first);
  EXPECT_EQ(::SendMessageW(dialog.GetDlgItem(IDC_MAIN_ENV_OPTION), BM_GETCHECK, 0, 0), BST_CHECKED);

  ::SetWindowTextW(dialog.GetDlgItem(IDC_MAIN_FIRST_EDIT), L"");
  ::SetWindowTextW(dialog.GetDlgItem(IDC_MAIN_FIRST_EDIT + 1), L"$(Tools)\\include");
  ::SendMessageW(dialog.GetDlgItem(IDC_MAIN_ENV_OPTION), BM_SETCHECK, BST_UNCHECKED, 0);
  ASSERT_TRUE(dialog.DoDataExchange(kSaveControls));
  EXPECT_EQ(dialog.first, L"");
  EXPECT_EQ(dialog.second, L"$(Tools)\\include");
  EXPECT_EQ(dialog.check, 0);
}

TEST_F(DataExchangeTest, ACheckValueOutOfRangeIsShownAndKeptAsZero) {
  for (int value : {-1, 3, 1000}) {
    ::SendMessageW(dialog.GetDlgItem(IDC_MAIN_ENV_OPTION), BM_SETCHECK, BST_CHECKED, 0);
    dialog.check = value;
    ASSERT_TRUE(dialog.DoDataExchange(kFillControls));
    EXPECT_EQ(dialog.check, 0) << value;
    EXPECT_EQ(::SendMessageW(dialog.GetDlgItem(IDC_MAIN_ENV_OPTION), BM_GETCHECK, 0, 0), BST_UNCHECKED) << value;
  }
}

TEST_F(DataExchangeTest, AFailedFillFocusesTheControlAndStopsTheExchange) {
  MakeStubborn(dialog.GetDlgItem(IDC_MAIN_FIRST_EDIT));
  ::SetWindowTextW(dialog.GetDlgItem(IDC_MAIN_FIRST_EDIT + 1), L"before");
  dialog.first = L"refused";
  dialog.second = L"never reached";
  EXPECT_FALSE(dialog.DoDataExchange(kFillControls));
  EXPECT_EQ(::GetFocus(), dialog.GetDlgItem(IDC_MAIN_FIRST_EDIT));
  EXPECT_EQ(wintest::WindowText(dialog.GetDlgItem(IDC_MAIN_FIRST_EDIT + 1)), L"before");
}

TEST_F(DataExchangeTest, AShortReadFailsTheSaveAndKeepsTheMember) {
  ::SetWindowTextW(dialog.GetDlgItem(IDC_MAIN_FIRST_EDIT + 1), L"short");
  MakeStubborn(dialog.GetDlgItem(IDC_MAIN_FIRST_EDIT + 1));
  dialog.first = L"old first";
  dialog.second = L"old second";
  ::SetWindowTextW(dialog.GetDlgItem(IDC_MAIN_FIRST_EDIT), L"new first");
  EXPECT_FALSE(dialog.DoDataExchange(kSaveControls));
  EXPECT_EQ(dialog.first, L"new first");
  EXPECT_EQ(dialog.second, L"old second");
  EXPECT_EQ(::GetFocus(), dialog.GetDlgItem(IDC_MAIN_FIRST_EDIT + 1));
}

TEST(UpdateUiTest, EnableStatesWaitUntilTheyAreAppliedTogether) {
  ProbeDlg dialog;
  ASSERT_NE(dialog.Create(nullptr), nullptr);
  dialog.UIAddChildWindowContainer(dialog.m_hWnd);
  HWND ok = dialog.GetDlgItem(IDOK);
  HWND combo = dialog.GetDlgItem(IDC_MAIN_LANGUAGE);

  EXPECT_TRUE(dialog.UIEnable(IDOK, false));
  EXPECT_TRUE(dialog.UIEnable(IDC_MAIN_LANGUAGE, false));
  EXPECT_FALSE(dialog.UIEnable(IDCANCEL, false)) << "not in the map";
  EXPECT_TRUE(::IsWindowEnabled(ok)) << "nothing happens before the update";
  dialog.UIUpdateChildWindows();
  EXPECT_FALSE(::IsWindowEnabled(ok));
  EXPECT_FALSE(::IsWindowEnabled(combo));
  EXPECT_TRUE(::IsWindowEnabled(dialog.GetDlgItem(IDCANCEL)));

  dialog.UIEnable(IDOK, true);
  dialog.UIUpdateChildWindows();
  EXPECT_TRUE(::IsWindowEnabled(ok));
  EXPECT_FALSE(::IsWindowEnabled(combo));
  EXPECT_TRUE(dialog.UIIsEnabled(IDOK));
  EXPECT_FALSE(dialog.UIIsEnabled(IDC_MAIN_LANGUAGE));
}

TEST(CentreTest, TheWindowLandsInTheMiddleAndInsideTheWorkArea) {
  const RECT work = {0, 0, 1000, 800};
  const struct {
    SIZE size;
    RECT target;
    POINT expected;
  } cases[] = {
      {{200, 100}, {0, 0, 1000, 800}, {400, 350}},        // centred on the work area
      {{200, 100}, {100, 100, 300, 300}, {100, 150}},     // centred on an owner
      {{200, 100}, {900, 700, 1100, 900}, {800, 700}},    // owner near the corner: pushed back in
      {{200, 100}, {-300, -300, -100, -100}, {0, 0}},     // owner off the top-left
      {{1200, 900}, {0, 0, 1000, 800}, {0, 0}},           // larger than the work area: top-left stays visible
  };
  for (const auto& c : cases) {
    const POINT at = CentredPosition(c.size, c.target, work);
    EXPECT_EQ(at.x, c.expected.x) << c.target.left << "," << c.target.top;
    EXPECT_EQ(at.y, c.expected.y) << c.target.left << "," << c.target.top;
  }
}

TEST(HandleTest, OwnersMoveReleaseOnceAndKeepTheLastError) {
  LOGFONTW description = {};
  ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(description), &description);
  UniqueFont font(::CreateFontIndirectW(&description));
  ASSERT_TRUE(font);
  const HFONT raw = font.Get();

  UniqueFont moved(std::move(font));
  EXPECT_FALSE(font);
  EXPECT_EQ(moved.Get(), raw);

  ::SetLastError(ERROR_SHARING_VIOLATION);
  moved.Reset();
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_FALSE(moved);
  EXPECT_EQ(::GetObjectType(raw), 0u) << "the font was deleted";

  int runs = 0;
  {
    ScopeExit once([&] { ++runs; });
    ScopeExit dismissed([&] { runs += 10; });
    dismissed.Dismiss();
  }
  EXPECT_EQ(runs, 1);
}

TEST(TextFormatTest, OnlyStringConversionsAreHonoured) {
  const struct {
    const wchar_t* format;
    const wchar_t* expected;
  } cases[] = {
      {L"The sheet %s was not found.", L"The sheet X.props was not found."},
      {L"%ls", L"X.props"},
      {L"%S and %ws", L"X.props and "},
      {L"100%% of %s", L"100% of X.props"},
      {L"%d %n %x %s", L"%d %n %x X.props"},
      {L"no argument", L"no argument"},
      {L"trailing %", L"trailing %"},
      {L"", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatWithString(c.format, L"X.props"), c.expected) << c.format;
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
    if (message == WM_INITDIALOG) {
      HWND combo = GetDlgItem(IDC_RESTORE_VERSION);
      for (int i = 0; i < ::SendMessageW(combo, CB_GETCOUNT, 0, 0); ++i) {
        wchar_t text[64] = {};
        ::SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        entries.push_back(text);
      }
      selectedAtStart = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
      ::SendMessageW(combo, CB_SETCURSEL, pick, 0);
      ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(press, BN_CLICKED), 0);
    }
    return handled;
  }
};

TEST(RestoreDlgTest, OffersThreeVersionsStartingAtTheFirstAndReportsTheChoice) {
  const struct {
    int pick;
    WORD press;
  } cases[] = {{2, IDOK}, {1, IDCANCEL}, {0, IDOK}};
  for (const auto& c : cases) {
    AnsweredRestoreDlg chooser;
    chooser.pick = c.pick;
    chooser.press = c.press;
    EXPECT_EQ(chooser.DoModal(nullptr), c.press);
    EXPECT_EQ(chooser.entries,
              (std::vector<std::wstring>{L"Visual Studio 2010", L"Visual Studio 2012", L"Visual Studio 2013"}));
    EXPECT_EQ(chooser.selectedAtStart, 0);
    EXPECT_EQ(chooser.m_version, c.pick) << "kept for Cancel as well";
  }
}

}  // namespace
}  // namespace pathwright
