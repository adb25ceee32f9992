// The real program from outside: every way of leaving it, its exit code and what each does to the sheet; a
// user without a sheet or its folders; a start from a folder without language files.
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "Driver.h"
#include "lang/TextFormat.h"
#include "lang/TextNumbers.h"
#include "res/resource.h"

namespace pathwright::e2e {
namespace {

constexpr int kIncludeEdit = IDC_MAIN_FIRST_EDIT + 1;

// The platform field's entry for a platform whose sheet exists.
std::wstring Present(const std::wstring& platform) {
  return FormatWithString(EnglishText(text::kMainPlatformPresent), platform);
}

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
    EXPECT_EQ(shown, sheet + L"|" + Present(L"Win32") + L"|C:\\lib");
    EXPECT_EQ(code, c.code);
    EXPECT_EQ(ReadBytes(sheet), c.code == 1 ? Sheet("C:\\inc;D:\\inc") : Sheet());
  }
}

// As on a machine that only ever ran Visual Studio 2019 or later: no MSBuild folder at all. One question
// naming the sheet, and Yes makes it in the newest format with its folders.
TEST_F(MainWindow, MissingSheetIsOneQuestionAndYesMakesItWithItsFolders) {
  std::filesystem::remove_all(std::filesystem::path(sheet).parent_path().parent_path());
  std::wstring caption, question, shown;
  const DWORD code = Run(
      [&](HWND box) {
        caption = Text(box);
        question = Text(box, 0xFFFF);
        PostCommand(box, IDYES);
        HWND main = WaitFor(IsMainWindow);
        if (!main) return;
        shown = Text(main, IDC_MAIN_SHEET_PATH) + L"|" + Text(main, IDC_MAIN_PLATFORM);
        PostCommand(main, IDCANCEL);
      },
      IsMessageBox);
  EXPECT_EQ(caption, EnglishText(text::kMissingSheetCaption));
  EXPECT_NE(question.find(sheet), std::wstring::npos) << "the full path";
  EXPECT_EQ(shown, sheet + L"|" + Present(L"Win32"));
  EXPECT_EQ(code, 2u);
  EXPECT_EQ(ReadBytes(sheet), NewSheet(2013));
}

// x64 without an x64 sheet: chosen in the platform field, created after Yes, saved with what was typed, and
// opened again at the next start.
TEST_F(MainWindow, SwitchingToAPlatformWithoutASheetCreatesItAndKeepsIt) {
  const std::wstring x64 = std::filesystem::path(sheet).replace_filename(L"Microsoft.Cpp.x64.user.props").wstring();
  ::DeleteFileW(x64.c_str());
  WriteBytes(sheet, Sheet());
  std::wstring asked, reopened;
  DWORD code = Run([&](HWND main) {
    HWND combo = ::GetDlgItem(main, IDC_MAIN_PLATFORM);
    Send(combo, CB_SETCURSEL, 1);  // Win32, x64, ARM64, ARM64EC
    ::PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDC_MAIN_PLATFORM, CBN_SELCHANGE), LPARAM(combo));
    HWND box = WaitFor(IsMessageBox);
    if (!box) return;
    asked = Text(box, 0xFFFF);
    PostCommand(box, IDYES);
    for (int i = 0; i < 250 && Text(main, IDC_MAIN_SHEET_PATH) != x64; ++i) ::Sleep(20);
    if (SetText(main, kIncludeEdit, L"C:\\x64inc")) PostCommand(main, IDOK);
  });
  EXPECT_EQ(code, 1u);
  EXPECT_NE(asked.find(x64), std::wstring::npos);
  EXPECT_EQ(ReadBytes(sheet), Sheet()) << "the Win32 sheet saved as it was";
  EXPECT_NE(ReadBytes(x64).find("<UserInclude>C:\\x64inc</UserInclude>"), std::string::npos);
  code = Run([&](HWND main) {
    reopened = Text(main, IDC_MAIN_SHEET_PATH) + L"|" + Text(main, IDC_MAIN_PLATFORM);
    PostCommand(main, IDCANCEL);
  });
  EXPECT_EQ(reopened, x64 + L"|" + Present(L"x64"));
  ::DeleteFileW(x64.c_str());
}

// A sheet deleted while the window is open: OK says so and writes it anew with every list the window holds.
TEST_F(MainWindow, ASheetDeletedWhileOpenIsWrittenAnewOnOk) {
  WriteBytes(sheet, Sheet());
  std::wstring told;
  const DWORD code = Run([&](HWND main) {
    if (!SetText(main, kIncludeEdit, L"D:\\typed")) return;
    ::DeleteFileW(sheet.c_str());
    PostCommand(main, IDOK);
    HWND box = WaitFor(IsMessageBox);
    if (!box) return;
    told = Text(box, 0xFFFF);
    PostCommand(box, IDOK);
  });
  EXPECT_EQ(code, 1u);
  EXPECT_NE(told.find(sheet), std::wstring::npos);
  const std::string written = ReadBytes(sheet);
  EXPECT_NE(written.find("<UserInclude>D:\\typed</UserInclude>"), std::string::npos) << written;
  EXPECT_NE(written.find("<UserLibrary>C:\\lib</UserLibrary>"), std::string::npos) << written;
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
