// The secondary dialogs of the real program: the list editor with the system's folder browser and the
// environment substitution, and the About box.
#include <gtest/gtest.h>

#include "Driver.h"  // <windows.h> first: commctrl.h builds on it

#include <commctrl.h>

#include <filesystem>

#include "lang/TextNumbers.h"
#include "res/resource.h"

namespace pathwright::e2e {
namespace {

using Dialogs = E2e;

TEST_F(Dialogs, ChangeTakesTheBrowsedFolderWithItsVariableIntoTheSavedSheet) {
  // A real folder below one an inherited variable names (with a trailing backslash), directly on C:,
  // where no variable of the system points.
  const std::wstring root = L"C:\\pathwright-e2e-" + std::to_wstring(::GetCurrentProcessId());
  const std::wstring include = root + L"\\include";
  std::filesystem::create_directories(include);
  ::SetEnvironmentVariableW(L"PATHWRIGHT_E2E_TOOLS", (root + L"\\").c_str());
  struct Cleanup {
    std::wstring root;
    ~Cleanup() {
      std::error_code ignored;
      std::filesystem::remove_all(root, ignored);
    }
  } cleanup{root};
  WriteBytes(sheet, kSheet);
  App app(folder);
  ::SetEnvironmentVariableW(L"PATHWRIGHT_E2E_TOOLS", nullptr);
  HWND main = app.Wait(IsMainWindow);
  ASSERT_TRUE(main);
  // Typed, not saved: the editor starts from what the edit line holds.
  ASSERT_TRUE(SetText(main, IDC_MAIN_FIRST_EDIT + 1, L"C:\\a;" + include + L";C:\\b"));

  PostCommand(main, IDC_MAIN_FIRST_BUTTON + 1);
  HWND editor = app.Wait(IsListEditor);
  ASSERT_TRUE(editor);
  EXPECT_FALSE(::IsWindowEnabled(main)) << "the editor is modal";
  HWND list = ::GetDlgItem(editor, IDC_LIST_BOX);
  const std::vector<std::wstring> entries = {L"C:\\a", include, L"C:\\b"};
  EXPECT_EQ(ListItems(list), entries);
  EXPECT_EQ(Text(editor, IDC_LIST_LABEL), ShippedText(L"English.lng", text::kListLabel, L"Include Directories"));

  // Select the middle entry as a click would: the selection, then the notification.
  Send(list, LB_SETCURSEL, 1);
  PostCommand(editor, IDC_LIST_BOX, LBN_SELCHANGE);
  ASSERT_TRUE(WaitUntil([&] { return Enabled(editor, IDC_LIST_CHANGE); }));
  // Wine's browser sometimes comes up without its initial selection on its first opening in a fresh
  // Wine server; a cancelled browser changes nothing, so it may be opened again.
  HWND browser = nullptr;
  bool selected = false;
  for (int opening = 0; !selected && opening < 3; ++opening) {
    PostCommand(editor, IDC_LIST_CHANGE);
    browser = app.Wait(IsFolderBrowser);
    ASSERT_TRUE(browser);
    selected = WaitUntil([&] { return Send(::GetDlgItem(browser, 14145), TVM_GETNEXTITEM, TVGN_CARET) != 0; }, 3000);
    if (!selected) {
      PostCommand(browser, IDCANCEL);
      ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(browser); }));
      EXPECT_EQ(ListItems(list), entries) << "a cancelled browser changes nothing";
    }
  }
  ASSERT_TRUE(selected) << "the browser never showed the entry's folder";
  PostCommand(browser, IDOK);  // accept the initial selection as it stands

  const std::wstring substituted = L"$(PATHWRIGHT_E2E_TOOLS)\\include";
  ASSERT_TRUE(WaitUntil([&] { return ListItems(list) == std::vector<std::wstring>{L"C:\\a", substituted, L"C:\\b"}; }))
      << ::testing::PrintToString(ListItems(list));
  PostCommand(editor, IDOK);
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(editor); }));
  EXPECT_EQ(Text(main, IDC_MAIN_FIRST_EDIT + 1), L"C:\\a;" + substituted + L";C:\\b");
  PostCommand(main, IDOK);
  EXPECT_EQ(app.WaitExit(), 1u);
  EXPECT_EQ(ReadBytes(sheet), SheetWithInclude("C:\\a;$(PATHWRIGHT_E2E_TOOLS)\\include;C:\\b"));
}

TEST_F(Dialogs, AboutBoxShowsTheVersionAndEscClosesIt) {
  WriteBytes(sheet, kSheet);
  App app(folder);
  HWND main = app.Wait(IsMainWindow);
  ASSERT_TRUE(main);
  PostCommand(main, IDC_MAIN_ABOUT);
  HWND about = app.Wait(IsAboutBox);
  ASSERT_TRUE(about);
  EXPECT_EQ(Text(about, IDC_ABOUT_VERSION), L"v1.1.8 (64 bit)");
  EXPECT_EQ(Text(about), ShippedText(L"English.lng", text::kAboutTitle));
  EXPECT_FALSE(::IsWindowEnabled(main)) << "the About box is modal";
  PostKey(about, VK_ESCAPE);
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(about); }));
  EXPECT_TRUE(app.Running()) << "Esc closes the About box, not the program";
  EXPECT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(main) != FALSE; }));
  PostCommand(main, IDCANCEL);
  EXPECT_EQ(app.WaitExit(), 2u);
}

}  // namespace
}  // namespace pathwright::e2e
