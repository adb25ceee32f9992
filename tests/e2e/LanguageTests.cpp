// The interface language of the real program: the one the settings file names at start, a switch in the
// combobox that translates at once and rewrites the settings file, and the option check box.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "Driver.h"
#include "lang/TextNumbers.h"
#include "res/resource.h"

namespace pathwright::e2e {
namespace {

const std::string kBom = "\xEF\xBB\xBF", kFrench = "Fran\xC3\xA7" "ais";

// The numbered captions of the main window that every language replaces (id 0: the title).
void ExpectCaptionsOf(HWND main, const std::wstring& languageFile) {
  const std::pair<int, uint32_t> captions[] = {
      {0, text::kMainTitle}, {IDC_MAIN_HEADING, text::kMainHeading}, {IDC_MAIN_SELECT_SHEET, text::kMainSelectSheet},
      {IDC_MAIN_FIRST_BUTTON, text::kMainEditList}, {IDC_MAIN_LAST_BUTTON, text::kMainEditList},
      {IDC_MAIN_ENV_OPTION, text::kMainEnvOption}};
  for (const auto& [id, number] : captions) {
    ASSERT_NE(ShippedText(languageFile, number), L"") << number;
    EXPECT_EQ(Text(main, id), ShippedText(languageFile, number)) << "text " << number;
  }
}

std::wstring SelectedLanguage(HWND main) {
  HWND combo = ::GetDlgItem(main, IDC_MAIN_LANGUAGE);
  const std::vector<std::wstring> items = ComboItems(combo);
  const size_t index = static_cast<size_t>(Send(combo, CB_GETCURSEL));
  return index < items.size() ? items[index] : L"";
}

bool IsChecked(HWND main) { return Send(::GetDlgItem(main, IDC_MAIN_ENV_OPTION), BM_GETCHECK) == BST_CHECKED; }

using Language = E2e;

TEST_F(Language, NoSettingsFileGivesEnglishWithTheOptionOnAndWritesNothing) {
  WriteBytes(sheet, kSheet);
  App app(folder);
  HWND main = app.Wait(IsMainWindow);
  ASSERT_TRUE(main);
  ExpectCaptionsOf(main, L"English.lng");
  EXPECT_EQ(SelectedLanguage(main), L"English");
  EXPECT_TRUE(IsChecked(main));
  PostCommand(main, IDCANCEL);
  EXPECT_EQ(app.WaitExit(), 2u);
  EXPECT_EQ(Exists(settings), false) << "leaving writes no settings";
}

TEST_F(Language, AStartFolderWithoutLanguageFilesUsesTheProgramsOwn) {
  WriteBytes(sheet, kSheet);
  std::filesystem::remove_all(folder + L"\\lang");  // as a shortcut's "Start in" or a console would have it
  App app(folder);
  HWND main = app.Wait(IsMainWindow);
  ASSERT_TRUE(main);
  ExpectCaptionsOf(main, L"English.lng");
  EXPECT_EQ(ComboItems(::GetDlgItem(main, IDC_MAIN_LANGUAGE)).size(), 3u);
  PostCommand(main, IDCANCEL);
  EXPECT_EQ(app.WaitExit(), 2u);
}

TEST_F(Language, GermanStartThenFrenchAndTheOptionRewriteTheSettingsAtOnce) {
  WriteBytes(sheet, kSheet);
  WriteBytes(settings, kBom + "Deutsch\r\nfalse\r\n");
  App app(folder);
  HWND main = app.Wait(IsMainWindow);
  ASSERT_TRUE(main);
  ExpectCaptionsOf(main, L"Deutsch.lng");
  EXPECT_EQ(SelectedLanguage(main), L"Deutsch");
  EXPECT_FALSE(IsChecked(main));
  HWND combo = ::GetDlgItem(main, IDC_MAIN_LANGUAGE);
  const std::vector<std::wstring> items = ComboItems(combo);
  EXPECT_EQ(items.size(), 3u);
  const auto french = std::find(items.begin(), items.end(), L"Fran\u00E7ais");
  ASSERT_NE(french, items.end());

  // What the user typed looks like a text number; a new language must not replace it.
  ASSERT_TRUE(SetText(main, IDC_MAIN_FIRST_EDIT + 1, L"2003"));
  Send(combo, CB_SETCURSEL, static_cast<WPARAM>(french - items.begin()));
  PostCommand(main, IDC_MAIN_LANGUAGE, CBN_SELCHANGE);
  const std::wstring frenchButton = ShippedText(L"Fran\u00E7ais.lng", text::kMainSelectSheet);
  ASSERT_TRUE(WaitUntil([&] { return Text(main, IDC_MAIN_SELECT_SHEET) == frenchButton; }));
  ExpectCaptionsOf(main, L"Fran\u00E7ais.lng");
  EXPECT_EQ(Text(main, IDC_MAIN_FIRST_EDIT + 1), L"2003");
  EXPECT_EQ(Text(main, IDC_MAIN_SHEET_PATH), sheet);
  EXPECT_TRUE(WaitUntil([&] { return ReadBytes(settings) == kBom + kFrench + "\r\nfalse\r\n"; }))
      << ::testing::PrintToString(ReadBytes(settings));

  Send(::GetDlgItem(main, IDC_MAIN_ENV_OPTION), BM_CLICK);  // as the mouse would: toggles, then tells the window
  EXPECT_TRUE(IsChecked(main));
  EXPECT_TRUE(WaitUntil([&] { return ReadBytes(settings) == kBom + kFrench + "\r\ntrue\r\n"; }))
      << ::testing::PrintToString(ReadBytes(settings));
  PostCommand(main, IDCANCEL);
  EXPECT_EQ(app.WaitExit(), 2u);
  EXPECT_EQ(ReadBytes(settings), kBom + kFrench + "\r\ntrue\r\n") << "Cancel keeps both choices";
  EXPECT_EQ(ReadBytes(sheet), kSheet);
}

}  // namespace
}  // namespace pathwright::e2e
