// The window layer: binding, modal runs, data exchange, centring, handle owners, the message format.
// (Update-UI is exercised through the list editor's buttons, the version chooser end to end.)
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "WinTestSupport.h"
#include "res/resource.h"
#include "lang/TextFormat.h"
#include "win/Centre.h"
#include "win/DataExchange.h"
#include "win/Dialog.h"
#include "win/Handle.h"

namespace pathwright {
namespace {

using wintest::WindowText;
constexpr int kFirst = IDC_MAIN_FIRST_EDIT, kSecond = IDC_MAIN_FIRST_EDIT + 1, kCheck = IDC_MAIN_ENV_OPTION;

// A hidden dialog on the main window's template that records its messages; with `endWith` set it ends
// itself as soon as it opens.
class ProbeDlg : public CDialogImpl<ProbeDlg>, public CWinDataExchange<ProbeDlg> {
 public:
  static constexpr UINT IDD = IDD_MAIN;
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

// Both ways, then a failed transfer: it stops the exchange, focuses its control and leaves the rest as it was.
TEST(DataExchangeTest, TextAndCheckGoBothWaysAndAFailedTransferFocusesItsControl) {
  ProbeDlg dialog;
  ASSERT_NE(dialog.Create(nullptr), nullptr);
  ::ShowWindow(dialog.m_hWnd, SW_SHOW);
  ::SetForegroundWindow(dialog.m_hWnd);
  const auto item = [&](int id) { return dialog.GetDlgItem(id); };
  dialog.first = L"C:\\one;D:\\two", dialog.second = std::wstring(3000, L'x'), dialog.check = 1;
  ASSERT_TRUE(dialog.DoDataExchange(kFillControls));
  EXPECT_EQ(WindowText(item(kFirst)) + WindowText(item(kSecond)), dialog.first + dialog.second);
  EXPECT_EQ(::SendMessageW(item(kCheck), BM_GETCHECK, 0, 0), BST_CHECKED);
  ::SetWindowTextW(item(kFirst), L"");
  ::SetWindowTextW(item(kSecond), L"$(Tools)\\include");
  ::SendMessageW(item(kCheck), BM_SETCHECK, BST_UNCHECKED, 0);
  ASSERT_TRUE(dialog.DoDataExchange(kSaveControls));
  EXPECT_EQ(dialog.first + L"|" + dialog.second + std::to_wstring(dialog.check), L"|$(Tools)\\include0");

  const auto stubborn = [&](int id, bool on) {
    HWND edit = item(id);
    if (!::GetPropW(edit, L"original")) ::SetPropW(edit, L"original", HANDLE(::GetWindowLongPtrW(edit, GWLP_WNDPROC)));
    ::SetWindowLongPtrW(edit, GWLP_WNDPROC, on ? LONG_PTR(&StubbornEdit) : LONG_PTR(::GetPropW(edit, L"original")));
  };
  ::SetFocus(item(IDOK));
  stubborn(kFirst, true);
  ::SetWindowTextW(item(kSecond), L"short");
  dialog.first = L"refused", dialog.second = L"never reached";
  EXPECT_FALSE(dialog.DoDataExchange(kFillControls));
  EXPECT_EQ(std::pair(::GetFocus(), WindowText(item(kSecond))), std::pair(item(kFirst), std::wstring(L"short")));
  ::SetFocus(item(IDOK));
  stubborn(kFirst, false), stubborn(kSecond, true);
  ::SetWindowTextW(item(kFirst), L"new first");
  EXPECT_FALSE(dialog.DoDataExchange(kSaveControls)) << "a short read fails";
  EXPECT_EQ(dialog.first + L"|" + dialog.second, L"new first|never reached");
  EXPECT_EQ(::GetFocus(), item(kSecond));
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

}  // namespace
}  // namespace pathwright
