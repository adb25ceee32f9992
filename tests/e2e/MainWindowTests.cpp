// The real program from outside: every way of leaving it, its exit code and what each does to the sheet; a
// user without a sheet or its folders; a start from a folder without language files.
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "Driver.h"
#include "lang/TextNumbers.h"
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

// As on a machine that only ever ran Visual Studio 2019 or later: no MSBuild folder at all. Three clicks make a sheet.
TEST_F(MainWindow, MissingSheetLeadsThroughTheChooserToANewSheetAndItsFolders) {
  std::filesystem::remove_all(std::filesystem::path(sheet).parent_path().parent_path());
  std::wstring caption, prompt, shown;
  LRESULT version = -1;
  const DWORD code = Run(
      [&](HWND box) {
        caption = Text(box);
        PostCommand(box, IDOK);
        HWND chooser = WaitFor(IsVersionChooser);
        if (!chooser) return;
        prompt = Text(chooser, IDC_RESTORE_PROMPT);
        version = Send(::GetDlgItem(chooser, IDC_RESTORE_VERSION), CB_GETCURSEL);
        PostCommand(chooser, IDOK);
        HWND main = WaitFor(IsMainWindow);
        if (!main) return;
        shown = Text(main, IDC_MAIN_SHEET_PATH) + L"|" + Text(main, IDC_MAIN_PLATFORM);
        PostCommand(main, IDCANCEL);
      },
      IsMessageBox);
  EXPECT_EQ(caption, EnglishText(text::kMissingSheetCaption));
  EXPECT_EQ(std::tuple(prompt, version), std::tuple(EnglishText(text::kRestorePromptMissing), 2))
      << "the newest format";
  EXPECT_EQ(shown, sheet + L"|Win32");
  EXPECT_EQ(code, 2u);
  EXPECT_EQ(ReadBytes(sheet), NewSheet(2013));
}

// Started from a folder without language files, as a shortcut's "Start in" or a console may: the program's own.
TEST_F(MainWindow, AStartFolderWithoutLanguageFilesUsesTheProgramsOwn) {
  WriteBytes(sheet, Sheet());
  std::filesystem::remove_all(startUp.Path("lang"));
  std::wstring title, select;
  LRESULT languages = 0;
  const DWORD code = Run([&](HWND main) {
    title = Text(main), select = Text(main, IDC_MAIN_SELECT_SHEET);
    languages = Send(::GetDlgItem(main, IDC_MAIN_LANGUAGE), CB_GETCOUNT);
    PostCommand(main, IDCANCEL);
  });
  EXPECT_EQ(std::tuple(title, select, languages),
            std::tuple(EnglishText(text::kMainTitle), EnglishText(text::kMainSelectSheet), 3));
  EXPECT_EQ(code, 2u);
}

// A sheet another program holds open at start-up is still the user's: the reason is shown, no new sheet
// is offered, and OK leaves it byte for byte.
TEST_F(MainWindow, ASheetHeldOpenAtStartUpIsReportedAndNeverReplaced) {
  WriteBytes(sheet, Sheet("C:\\held"));
  UniqueFile held = HoldWithoutSharing(sheet);
  ASSERT_TRUE(held);
  std::wstring caption;
  bool chooser = true, editable = true;
  const DWORD code = Run(
      [&](HWND box) {
        caption = Text(box);
        PostCommand(box, IDOK);
        HWND next = WaitFor([](HWND w) { return IsMainWindow(w) || IsVersionChooser(w); });
        if (!next) return;
        chooser = IsVersionChooser(next);
        editable = ::IsWindowEnabled(::GetDlgItem(next, kIncludeEdit));
        PostCommand(next, chooser ? IDCANCEL : IDOK);
      },
      IsMessageBox);
  held.Reset();
  EXPECT_EQ(caption, EnglishText(text::kUnreadableCaption));
  EXPECT_EQ(std::tuple(chooser, editable, code), std::tuple(false, false, 1u));
  EXPECT_EQ(ReadBytes(sheet), Sheet("C:\\held"));
  EXPECT_FALSE(std::filesystem::exists(sheet + L".bak"));
}

// When the save before Choose... fails, the selection ends there: no file dialog, the typed list kept.
TEST_F(MainWindow, AFailedSaveBeforeChooseKeepsTheEdit) {
  WriteBytes(sheet, Sheet());
  UniqueFile held;
  std::wstring caption, kept;
  bool enabled = false;
  const DWORD code = Run([&](HWND main) {
    if (!SetText(main, kIncludeEdit, L"C:\\typed")) return;
    held = HoldWithoutSharing(sheet);
    PostCommand(main, IDC_MAIN_SELECT_SHEET);
    HWND box = WaitFor(IsMessageBox);
    if (!box) return;
    caption = Text(box);
    PostCommand(box, IDOK);
    ::Sleep(1000);  // a file dialog, had one opened, would now disable the window
    enabled = ::IsWindowEnabled(main);
    kept = Text(main, kIncludeEdit);
    PostCommand(main, IDCANCEL);
  });
  held.Reset();
  EXPECT_EQ(std::tuple(caption, enabled, kept, code),
            std::tuple(EnglishText(text::kSaveFailedCaption), true, std::wstring(L"C:\\typed"), 2u));
  EXPECT_EQ(ReadBytes(sheet), Sheet());
}

}  // namespace
}  // namespace pathwright::e2e
