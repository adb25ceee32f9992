// The real program from outside: the ways of leaving, start-up with a missing or damaged sheet, and a
// save that fails while the sheet is held open elsewhere.
#include <gtest/gtest.h>

#include <filesystem>

#include "Driver.h"
#include "lang/TextNumbers.h"
#include "res/resource.h"

namespace pathwright::e2e {
namespace {

constexpr int kIncludeEdit = IDC_MAIN_FIRST_EDIT + 1;
const std::wstring kList = L"C:\\inc;D:\\inc";
const std::string kSaved = SheetWithInclude("C:\\inc;D:\\inc");

using MainWindow = E2e;

TEST_F(MainWindow, OkAndEnterSaveCancelEscAndTheCloseBoxDoNot) {
  const struct {
    const char* name;
    void (*leave)(HWND main);
    DWORD code;
  } cases[] = {
      {"OK", [](HWND main) { PostCommand(main, IDOK); }, 1},
      {"Enter in an edit line", [](HWND main) { PostKey(::GetDlgItem(main, kIncludeEdit), VK_RETURN); }, 1},
      {"Cancel", [](HWND main) { PostCommand(main, IDCANCEL); }, 2},
      {"Esc in an edit line", [](HWND main) { PostKey(::GetDlgItem(main, kIncludeEdit), VK_ESCAPE); }, 2},
      {"close box", [](HWND main) { ::PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0); }, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(sheet, kSheet);
    App app(folder);
    HWND main = app.Wait(IsMainWindow);
    ASSERT_TRUE(main);
    EXPECT_EQ(Text(main, IDC_MAIN_SHEET_PATH), sheet);
    EXPECT_EQ(Text(main, IDC_MAIN_PLATFORM), L"Win32");
    EXPECT_EQ(Text(main, IDC_MAIN_FIRST_EDIT + 3), L"C:\\lib");
    for (int id = IDC_MAIN_FIRST_EDIT; id <= IDC_MAIN_LAST_BUTTON; ++id) EXPECT_TRUE(Enabled(main, id)) << id;
    ASSERT_TRUE(SetText(main, kIncludeEdit, kList));
    c.leave(main);
    EXPECT_EQ(app.WaitExit(), c.code);
    EXPECT_EQ(ReadBytes(sheet), c.code == 1 ? kSaved : kSheet);
  }
}

// As on a machine that only ever ran Visual Studio 2019 or later: no MSBuild folder at all. Three clicks make a sheet.
TEST_F(MainWindow, MissingSheetLeadsThroughTheChooserToANewSheetAndItsFolders) {
  const std::filesystem::path msbuild = std::filesystem::path(sheet).parent_path().parent_path();
  struct PutBack {
    std::filesystem::path folder, kept;
    ~PutBack() {
      std::error_code ignored;
      std::filesystem::remove_all(folder, ignored), std::filesystem::rename(kept, folder, ignored);
    }
  } putBack{msbuild, std::filesystem::path(msbuild) += ".e2e-kept"};
  std::filesystem::rename(putBack.folder, putBack.kept);
  App app(folder);
  HWND box = app.Wait(IsMessageBox);
  ASSERT_TRUE(box);
  EXPECT_FALSE(app.Wait(IsMainWindow, true, 0)) << "the main window is not on screen yet";
  EXPECT_EQ(Text(box), ShippedText(L"English.lng", text::kMissingSheetCaption));
  EXPECT_EQ(Text(box, 0xFFFF), ShippedText(L"English.lng", text::kMissingSheetText, L"Microsoft.Cpp.Win32.user.props"));
  PostCommand(box, IDOK);

  HWND chooser = app.Wait(IsVersionChooser);
  ASSERT_TRUE(chooser);
  EXPECT_EQ(Text(chooser, IDC_RESTORE_PROMPT), ShippedText(L"English.lng", text::kRestorePromptMissing));
  EXPECT_EQ(Send(::GetDlgItem(chooser, IDC_RESTORE_VERSION), CB_GETCURSEL), 2) << "the newest format first";
  PostCommand(chooser, IDOK);
  HWND main = app.Wait(IsMainWindow);
  ASSERT_TRUE(main);
  EXPECT_EQ(ReadBytes(sheet), kNew2013);
  EXPECT_EQ(Text(main, IDC_MAIN_SHEET_PATH), sheet);
  EXPECT_EQ(Text(main, IDC_MAIN_PLATFORM), L"Win32");
  EXPECT_TRUE(Enabled(main, kIncludeEdit));
  PostCommand(main, IDCANCEL);
  EXPECT_EQ(app.WaitExit(), 2u);
}

TEST_F(MainWindow, DamagedSheetOffersTheChooser) {
  const std::string damaged = "<Project><PropertyGroup></Project>";
  const struct {
    int choice;  // -1: the chooser is cancelled
    std::string after, bak;
  } cases[] = {{2, kNew2013, damaged}, {-1, damaged, ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.choice);
    WriteBytes(sheet, damaged);
    ::DeleteFileW(bak.c_str());
    App app(folder);
    HWND chooser = app.Wait(IsVersionChooser);
    ASSERT_TRUE(chooser);
    EXPECT_FALSE(app.Wait(IsMainWindow, true, 0));
    HWND combo = ::GetDlgItem(chooser, IDC_RESTORE_VERSION);
    EXPECT_EQ(ComboItems(combo), (std::vector<std::wstring>{L"Visual Studio 2010", L"Visual Studio 2012",
                                                            L"Visual Studio 2013"}));
    EXPECT_EQ(Send(combo, CB_GETCURSEL), 0);
    EXPECT_EQ(ReadBytes(sheet), damaged) << "nothing is written before the choice";
    Send(combo, CB_SETCURSEL, std::max(c.choice, 0));
    PostCommand(chooser, c.choice < 0 ? IDCANCEL : IDOK);

    HWND main = app.Wait(IsMainWindow);
    ASSERT_TRUE(main);
    EXPECT_EQ(ReadBytes(sheet), c.after);
    EXPECT_EQ(ReadBytes(bak), c.bak);
    EXPECT_EQ(Text(main, IDC_MAIN_SHEET_PATH), sheet);
    EXPECT_EQ(Enabled(main, kIncludeEdit), c.choice >= 0);
    PostCommand(main, c.choice < 0 ? IDOK : IDCANCEL);  // OK with an unreadable sheet writes nothing
    EXPECT_EQ(app.WaitExit(), c.choice < 0 ? 1u : 2u);
    EXPECT_EQ(ReadBytes(sheet), c.after);
  }
}

TEST_F(MainWindow, FailedSaveIsReportedAndTheWindowStaysForAnotherTry) {
  WriteBytes(sheet, kSheet);
  App app(folder);
  HWND main = app.Wait(IsMainWindow);
  ASSERT_TRUE(main);
  ASSERT_TRUE(SetText(main, kIncludeEdit, kList));
  // Held open without sharing, as an editor or a virus scanner might: writes to it fail.
  HANDLE lock = ::CreateFileW(sheet.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  PostCommand(main, IDOK);
  HWND box = app.Wait(IsMessageBox);
  ASSERT_TRUE(box);
  EXPECT_EQ(::GetWindow(box, GW_OWNER), main);
  EXPECT_EQ(Text(box), ShippedText(L"English.lng", text::kSaveFailedCaption));
  const std::wstring expected = ShippedText(L"English.lng", text::kSaveFailedText, sheet);
  const std::wstring shown = Text(box, 0xFFFF);
  EXPECT_EQ(shown.substr(0, expected.size()), expected);
  EXPECT_GT(shown.size(), expected.size() + 1) << "the system's description of the error follows";
  PostCommand(box, IDOK);
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(box); }));
  EXPECT_TRUE(app.Running());
  EXPECT_TRUE(::IsWindowVisible(main));
  EXPECT_EQ(Text(main, kIncludeEdit), kList) << "the edits are still there";

  ::CloseHandle(lock);
  EXPECT_EQ(ReadBytes(sheet), kSheet);
  PostCommand(main, IDOK);
  EXPECT_EQ(app.WaitExit(), 1u);
  EXPECT_EQ(ReadBytes(sheet), kSaved);
}

}  // namespace
}  // namespace pathwright::e2e
