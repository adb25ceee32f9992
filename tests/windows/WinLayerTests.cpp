// The window layer: binding, modal runs, data exchange, update-UI, centring, handle owners, the chooser.
#include <windows.h>

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "WinTestSupport.h"
#include "res/resource.h"
#include "ui/RestoreDlg.h"
#include "ui/TextFormat.h"
#include "win/Centre.h"
#include "win/DataExchange.h"
#include "win/Handle.h"
#include "win/UpdateUI.h"

namespace pathwright {
namespace {

using wintest::WindowText;
constexpr int kFirst = IDC_MAIN_FIRST_EDIT, kSecond = IDC_MAIN_FIRST_EDIT + 1, kCheck = IDC_MAIN_ENV_OPTION;

// A hidden dialog on the main window's template that records its messages; with `endWith` set it ends
// itself as soon as it opens.
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
  int finalMessages = 0, check = 0;
  std::wstring first, second;

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
    return TransferCheck(save, kCheck, check) || (OnDataExchangeError(kCheck), false);
  }
};

struct MissingDlg : CDialogImpl<MissingDlg> {
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
    EXPECT_EQ(std::tuple(dialog.m_hWnd, dialog.finalMessages, dialog.finalWindow), std::tuple(HWND{}, 1, window))
        << "OnFinalMessage runs once, after m_hWnd is cleared";
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
    EXPECT_EQ(std::pair(modal.DoModal(nullptr), modal.m_hWnd), std::pair(INT_PTR{command}, HWND{}));
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
  }
  HWND Item(int id) { return dialog.GetDlgItem(id); }
  void Stubborn(int id, bool on) {
    HWND item = Item(id);
    if (!::GetPropW(item, L"original")) ::SetPropW(item, L"original", HANDLE(::GetWindowLongPtrW(item, GWLP_WNDPROC)));
    ::SetWindowLongPtrW(item, GWLP_WNDPROC, on ? LONG_PTR(&StubbornEdit) : LONG_PTR(::GetPropW(item, L"original")));
  }
  LRESULT Checked() { return ::SendMessageW(Item(kCheck), BM_GETCHECK, 0, 0); }
  ProbeDlg dialog;
};

TEST_F(DataExchangeTest, TextAndCheckGoBothWaysAndAnOddCheckValueIsKeptAsZero) {
  dialog.first = L"C:\\one;D:\\two", dialog.second = std::wstring(3000, L'x'), dialog.check = 1;
  ASSERT_TRUE(dialog.DoDataExchange(kFillControls));
  EXPECT_EQ(WindowText(Item(kFirst)) + WindowText(Item(kSecond)), dialog.first + dialog.second);
  EXPECT_EQ(Checked(), BST_CHECKED);
  ::SetWindowTextW(Item(kFirst), L"");
  ::SetWindowTextW(Item(kSecond), L"$(Tools)\\include");
  ::SendMessageW(Item(kCheck), BM_SETCHECK, BST_UNCHECKED, 0);
  ASSERT_TRUE(dialog.DoDataExchange(kSaveControls));
  EXPECT_EQ(dialog.first + L"|" + dialog.second + std::to_wstring(dialog.check), L"|$(Tools)\\include0");
  for (int value : {-1, 3}) {
    ::SendMessageW(Item(kCheck), BM_SETCHECK, BST_CHECKED, 0);
    dialog.check = value;
    ASSERT_TRUE(dialog.DoDataExchange(kFillControls));
    EXPECT_EQ(std::pair(dialog.check, Checked()), std::pair(0, LRESULT{BST_UNCHECKED})) << value;
  }
}

// A failed transfer stops the exchange, focuses its control and leaves the rest (control or member) as it was.
TEST_F(DataExchangeTest, AFailedTransferFocusesTheControlAndStopsTheExchange) {
  ::SetFocus(Item(IDOK));
  Stubborn(kFirst, true);
  ::SetWindowTextW(Item(kSecond), L"short");
  dialog.first = L"refused", dialog.second = L"never reached";
  EXPECT_FALSE(dialog.DoDataExchange(kFillControls));
  EXPECT_EQ(std::pair(::GetFocus(), WindowText(Item(kSecond))), std::pair(Item(kFirst), std::wstring(L"short")));
  ::SetFocus(Item(IDOK));
  Stubborn(kFirst, false), Stubborn(kSecond, true);
  ::SetWindowTextW(Item(kFirst), L"new first");
  EXPECT_FALSE(dialog.DoDataExchange(kSaveControls)) << "a short read fails";
  EXPECT_EQ(dialog.first + L"|" + dialog.second, L"new first|never reached");
  EXPECT_EQ(::GetFocus(), Item(kSecond));
}

TEST_F(DataExchangeTest, UpdateUiEnableStatesWaitUntilTheyAreAppliedTogether) {
  dialog.UIAddChildWindowContainer(dialog.m_hWnd);
  const auto enabled = [&] {
    std::string states;
    for (int id : {IDOK, IDC_MAIN_LANGUAGE, IDCANCEL}) states += ::IsWindowEnabled(Item(id)) ? '1' : '0';
    return states;
  };
  EXPECT_TRUE(dialog.UIEnable(IDOK, false) && dialog.UIEnable(IDC_MAIN_LANGUAGE, false));
  EXPECT_FALSE(dialog.UIEnable(IDCANCEL, false)) << "not in the map";
  EXPECT_EQ(enabled(), "111") << "nothing happens before the update";
  dialog.UIUpdateChildWindows();
  EXPECT_EQ(enabled(), "001");
  dialog.UIEnable(IDOK, true);
  dialog.UIUpdateChildWindows();
  EXPECT_EQ(enabled() + (dialog.UIIsEnabled(IDOK) ? "1" : "0") + (dialog.UIIsEnabled(IDC_MAIN_LANGUAGE) ? "1" : "0"),
            "10110");
}

TEST(CentreTest, TheWindowLandsInTheMiddleAndInsideTheWorkArea) {
  const struct { SIZE size; RECT target; POINT expected; } cases[] = {  // work area 1000 x 800
      {{200, 100}, {0, 0, 1000, 800}, {400, 350}}, {{200, 100}, {100, 100, 300, 300}, {100, 150}},  // centred
      {{200, 100}, {900, 700, 1100, 900}, {800, 700}}, {{200, 100}, {-300, -300, -100, -100}, {0, 0}},  // pushed in
      {{1200, 900}, {0, 0, 1000, 800}, {0, 0}}};  // larger than the work area: top-left stays visible
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
  ScopeExit(([&] { ++runs; })), ScopeExit([&] { runs += 10; }).Dismiss();
  EXPECT_EQ(runs, 1);
}

TEST(TextFormatTest, OnlyStringConversionsAreHonoured) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"The sheet %s was not found.", L"The sheet X.props was not found."}, {L"%ls", L"X.props"},
      {L"%S and %ws", L"X.props and "}, {L"100%% of %s", L"100% of X.props"}, {L"%d %n %x %s", L"%d %n %x X.props"},
      {L"no argument", L"no argument"}, {L"trailing %", L"trailing %"}, {L"", L""}};
  for (auto [format, expected] : cases) EXPECT_EQ(FormatWithString(format, L"X.props"), expected) << format;
}

// The real version chooser, answered from inside: record the entries and the selection, pick, press.
struct AnsweredRestoreDlg : CRestoreDlg {
  int pick = 0;
  WORD press = IDOK;
  std::wstring seen;
  BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                            DWORD id) override {
    const BOOL handled = CRestoreDlg::ProcessWindowMessage(window, message, wParam, lParam, result, id);
    if (message != WM_INITDIALOG) return handled;
    for (int i = 0; i < SendDlgItemMessageW(window, IDC_RESTORE_VERSION, CB_GETCOUNT, 0, 0); ++i) {
      wchar_t text[64] = {};
      SendDlgItemMessageW(window, IDC_RESTORE_VERSION, CB_GETLBTEXT, i, LPARAM(text));
      seen += text + std::wstring(L"|");
    }
    seen += std::to_wstring(SendDlgItemMessageW(window, IDC_RESTORE_VERSION, CB_GETCURSEL, 0, 0));
    SendDlgItemMessageW(window, IDC_RESTORE_VERSION, CB_SETCURSEL, pick, 0);
    return ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(press, BN_CLICKED), 0), handled;
  }
};

TEST(RestoreDlgTest, OffersThreeVersionsStartingAtTheFirstAndReportsTheChoice) {
  for (auto [pick, press] : {std::pair<int, WORD>{2, IDOK}, {1, IDCANCEL}, {0, IDOK}}) {
    AnsweredRestoreDlg chooser;
    chooser.pick = pick, chooser.press = press;
    EXPECT_EQ(chooser.DoModal(nullptr), press);
    EXPECT_EQ(chooser.seen, L"Visual Studio 2010|Visual Studio 2012|Visual Studio 2013|0");
    EXPECT_EQ(chooser.m_version, pick) << "kept for Cancel as well";
  }
}

}  // namespace
}  // namespace pathwright
