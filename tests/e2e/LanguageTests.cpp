// The interface language of the real program: the one the settings file names at start, a switch in
// the combobox that translates at once and rewrites the settings file, and the option check box.
#include <gtest/gtest.h>

#include <algorithm>

#include "Driver.h"
#include "Sheets.h"
#include "lang/TextNumbers.h"
#include "res/resource.h"

namespace pathwright::e2e {
namespace {

const std::string kBom = "\xEF\xBB\xBF";
const std::wstring kFrenchFile = L"Fran\u00E7ais.lng";
const std::wstring kFrench = L"Fran\u00E7ais";
const std::string kFrenchUtf8 = "Fran\xC3\xA7" "ais";
constexpr int kIncludeEdit = IDC_MAIN_FIRST_EDIT + 1;

// The numbered captions of the main window that every language must replace.
struct Caption {
  int id;  // 0: the window's own title
  uint32_t number;
};
constexpr Caption kCaptions[] = {
    {0, text::kMainTitle},
    {IDC_MAIN_HEADING, text::kMainHeading},
    {IDC_MAIN_SELECT_SHEET, text::kMainSelectSheet},
    {IDC_MAIN_FIRST_BUTTON, text::kMainEditList},
    {IDC_MAIN_LAST_BUTTON, text::kMainEditList},
    {IDC_MAIN_ENV_OPTION, text::kMainEnvOption},
};

void ExpectCaptionsOf(HWND main, const std::wstring& languageFile) {
  for (const Caption& c : kCaptions) {
    const std::wstring expected = ShippedText(languageFile, c.number);
    ASSERT_FALSE(expected.empty()) << c.number;
    EXPECT_EQ(c.id == 0 ? WindowText(main) : ItemText(main, c.id), expected) << "text " << c.number;
  }
}

std::wstring SelectedLanguage(HWND main) {
  HWND combo = ::GetDlgItem(main, IDC_MAIN_LANGUAGE);
  const LRESULT index = Send(combo, CB_GETCURSEL);
  const std::vector<std::wstring> items = ComboItems(combo);
  return index >= 0 && static_cast<size_t>(index) < items.size() ? items[static_cast<size_t>(index)] : L"";
}

bool IsChecked(HWND main) { return Send(::GetDlgItem(main, IDC_MAIN_ENV_OPTION), BM_GETCHECK) == BST_CHECKED; }

class Language : public ::testing::Test {
 protected:
  SheetSlot sheet;
  StartFolder folder;
};

TEST_F(Language, NoSettingsFileGivesEnglishWithTheOptionOnAndWritesNothing) {
  sheet.Write(kSheet);
  App app(folder);
  HWND main = app.WaitMainWindow();
  ASSERT_TRUE(main);
  ExpectCaptionsOf(main, L"English.lng");
  EXPECT_EQ(SelectedLanguage(main), L"English");
  EXPECT_TRUE(IsChecked(main));
  PostCommand(main, IDCANCEL);
  EXPECT_EQ(app.WaitExit(), 2u);
  EXPECT_FALSE(FileExists(folder.SettingsPath())) << "leaving does not write the settings file";
}

TEST_F(Language, SettingsFileChoosesTheLanguageAndComboboxSwitchesAndRewritesIt) {
  sheet.Write(kSheet);
  ASSERT_TRUE(WriteFileBytes(folder.SettingsPath(), kBom + "Deutsch\r\nfalse\r\n"));
  App app(folder);
  HWND main = app.WaitMainWindow();
  ASSERT_TRUE(main);
  ExpectCaptionsOf(main, L"Deutsch.lng");
  EXPECT_EQ(SelectedLanguage(main), L"Deutsch");
  EXPECT_FALSE(IsChecked(main));
  HWND combo = ::GetDlgItem(main, IDC_MAIN_LANGUAGE);
  const std::vector<std::wstring> items = ComboItems(combo);
  EXPECT_EQ(items.size(), 3u);
  const auto french = std::find(items.begin(), items.end(), kFrench);
  ASSERT_NE(french, items.end());

  // What the user typed looks like a text number; a new language must not replace it.
  ASSERT_TRUE(SetItemText(main, kIncludeEdit, L"2003"));
  Send(combo, CB_SETCURSEL, static_cast<WPARAM>(french - items.begin()));
  ::PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDC_MAIN_LANGUAGE, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
  const std::wstring frenchButton = ShippedText(kFrenchFile, text::kMainSelectSheet);
  ASSERT_TRUE(WaitUntil([&] { return ItemText(main, IDC_MAIN_SELECT_SHEET) == frenchButton; }));
  ExpectCaptionsOf(main, kFrenchFile);
  EXPECT_EQ(ItemText(main, kIncludeEdit), L"2003");
  EXPECT_EQ(ItemText(main, IDC_MAIN_SHEET_PATH), sheet.Path());
  ASSERT_TRUE(WaitUntil([&] { return ReadFileBytes(folder.SettingsPath()) == kBom + kFrenchUtf8 + "\r\nfalse\r\n"; }))
      << testing::PrintToString(ReadFileBytes(folder.SettingsPath()));

  // A click on the option (as the mouse would: the box toggles, then tells the window).
  Send(::GetDlgItem(main, IDC_MAIN_ENV_OPTION), BM_CLICK);
  EXPECT_TRUE(IsChecked(main));
  ASSERT_TRUE(WaitUntil([&] { return ReadFileBytes(folder.SettingsPath()) == kBom + kFrenchUtf8 + "\r\ntrue\r\n"; }))
      << testing::PrintToString(ReadFileBytes(folder.SettingsPath()));

  PostCommand(main, IDCANCEL);
  EXPECT_EQ(app.WaitExit(), 2u);
  EXPECT_EQ(ReadFileBytes(folder.SettingsPath()), kBom + kFrenchUtf8 + "\r\ntrue\r\n") << "Cancel keeps both choices";
  EXPECT_EQ(sheet.Read(), kSheet);
}

TEST_F(Language, NextStartUsesTheRememberedLanguage) {
  sheet.Write(kSheet);
  ASSERT_TRUE(WriteFileBytes(folder.SettingsPath(), kBom + kFrenchUtf8 + "\r\ntrue\r\n"));
  App app(folder);
  HWND main = app.WaitMainWindow();
  ASSERT_TRUE(main);
  ExpectCaptionsOf(main, kFrenchFile);
  EXPECT_EQ(SelectedLanguage(main), kFrench);
  EXPECT_TRUE(IsChecked(main));
  PostCommand(main, IDOK);
  EXPECT_EQ(app.WaitExit(), 1u);
}

}  // namespace
}  // namespace pathwright::e2e
