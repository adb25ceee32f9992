// The real program from outside: every way of leaving it, its exit code and what each does to the sheet.
#include <gtest/gtest.h>

#include "Driver.h"
#include "res/resource.h"

namespace pathwright::e2e {
namespace {

constexpr int kIncludeEdit = IDC_MAIN_FIRST_EDIT + 1;

void PostKey(HWND window, WPARAM key, UINT message = WM_KEYDOWN) {
  const LPARAM alt = message == WM_SYSKEYDOWN ? LPARAM{1} << 29 : 0;
  ::PostMessageW(window, message, key, 1 | LPARAM(::MapVirtualKeyW(UINT(key), MAPVK_VK_TO_VSC)) << 16 | alt);
}

using MainWindow = E2e;

TEST_F(MainWindow, OkAndEnterSaveCancelEscAltF4AndTheCloseBoxDoNot) {
  const struct {
    const char* name;
    void (*leave)(HWND main);
    DWORD code;
  } cases[] = {
      {"OK", [](HWND main) { ::PostMessageW(main, WM_COMMAND, IDOK, 0); }, 1},
      {"Enter in an edit line", [](HWND main) { PostKey(::GetDlgItem(main, kIncludeEdit), VK_RETURN); }, 1},
      {"Cancel", [](HWND main) { ::PostMessageW(main, WM_COMMAND, IDCANCEL, 0); }, 2},
      {"Esc in an edit line", [](HWND main) { PostKey(::GetDlgItem(main, kIncludeEdit), VK_ESCAPE); }, 2},
      {"Alt+F4", [](HWND main) { PostKey(main, VK_F4, WM_SYSKEYDOWN); }, 2},
      {"close box", [](HWND main) { ::PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0); }, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(sheet, Sheet());
    std::wstring shown;
    const DWORD code = Run([&](HWND main) {
      shown = Text(main, IDC_MAIN_SHEET_PATH) + L"|" + Text(main, IDC_MAIN_PLATFORM) + L"|" +
              Text(main, IDC_MAIN_FIRST_EDIT + 3);
      if (SetText(main, kIncludeEdit, L"C:\\inc;D:\\inc")) c.leave(main);
    });
    EXPECT_EQ(shown, sheet + L"|Win32|C:\\lib");
    EXPECT_EQ(code, c.code);
    EXPECT_EQ(ReadBytes(sheet), c.code == 1 ? Sheet("C:\\inc;D:\\inc") : Sheet());
  }
}

}  // namespace
}  // namespace pathwright::e2e
