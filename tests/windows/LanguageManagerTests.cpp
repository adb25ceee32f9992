// The language manager on real dialogs built from the program's own templates, and string resources.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "WinTestSupport.h"
#include "lang/LanguageManager.h"
#include "lang/Utf8.h"
#include "resource.h"

namespace pathwright {
namespace {

using wintest::WindowText;

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// A dialog from one of the program's templates, destroyed with the test.
struct Dialog {
  HWND hwnd;
  explicit Dialog(int id)
      : hwnd(::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), nullptr, PlainDialogProc, 0)) {}
  ~Dialog() { ::DestroyWindow(hwnd); }
  std::wstring Item(int id) const { return WindowText(::GetDlgItem(hwnd, id)); }
  void Set(int id, const wchar_t* text) const { ::SetDlgItemTextW(hwnd, id, text); }
};

void WriteLanguage(const wintest::ScratchDir& folder, const std::wstring& name, const std::string& display,
                   const std::string& lines) {
  wintest::WriteFileBytes(folder / name, "<utf-8 encoding>\r\nLangID " + display + "\r\n" + lines);
}

class LanguageManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // English lacks 2002; Deutsch lacks 2002 and 2003. Both have 64, which a list such as 64bit\lib reads as.
    WriteLanguage(files, L"a.lng", "English",
                  "2000 Title A\r\n2001 Sheet A\r\n2003 Choose A\r\n2004 Edit A\r\n2006 \r\n3000 List A\r\n"
                  "3002 Add A\r\n64 Sixty-four A\r\n");
    WriteLanguage(files, L"b.lng", "Deutsch", "2000 Titel B\r\n2001 Blatt B\r\n2006 Option B\r\n3000 Liste B\r\n64 V\r\n");
    // The longest text a line can give 2000: 254 characters less the number and its space.
    WriteLanguage(files, L"c.lng", "Long", "2000 " + std::string(249, 'x') + "\r\n");
    WriteLanguage(files, L"d.lng", "Empty", "2000 \r\n");
    WriteLanguage(files, L"e.lng", "Astral", "2000 ab\xF0\x9F\x98\x80\r\n");
    manager.SetFolder(files.Path() + L"\\");
    manager.ScanLanguages();
    ASSERT_EQ(manager.Languages().size(), 5u);
  }
  int Load(wchar_t* buffer, int size) const {
    return manager.TranslatedLoadString(::GetModuleHandleW(nullptr), IDS_TITLE, buffer, size);
  }

  wintest::ScratchDir files;
  CLanguageManager manager;
};

TEST_F(LanguageManagerTest, TranslatesCaptionsAgainAfterASwitchButNeverUserText) {
  ASSERT_TRUE(manager.SelectLanguage(L"English"));
  Dialog main(IDD_MAIN);
  main.Set(IDC_MAIN_PLATFORM, L" 3002");  // white space before the number still counts
  main.Set(IDC_MAIN_SHEET_PATH, L"2001");
  manager.TranslateWindow(main.hwnd);
  EXPECT_EQ(WindowText(main.hwnd), L"Title A");
  EXPECT_EQ(main.Item(IDC_MAIN_SELECT_SHEET), L"Choose A");
  for (int id = IDC_MAIN_FIRST_BUTTON; id <= IDC_MAIN_LAST_BUTTON; ++id) EXPECT_EQ(main.Item(id), L"Edit A") << id;
  EXPECT_EQ(main.Item(IDC_MAIN_HEADING), L"2002");  // missing number: placeholder stays
  EXPECT_EQ(main.Item(IDC_MAIN_ENV_OPTION), L"");   // present but empty text empties the caption
  EXPECT_EQ(main.Item(IDC_MAIN_PLATFORM), L"Add A");
  EXPECT_EQ(main.Item(IDOK), L"OK");
  EXPECT_EQ(main.Item(IDC_MAIN_SHEET_PATH), L"2001");

  main.Set(IDC_MAIN_FIRST_EDIT, L"64bit\\lib");  // typed by the time the language changes
  main.Set(IDC_MAIN_LAST_EDIT, L"64;C:\\x");
  ASSERT_TRUE(manager.SelectLanguage(L"Deutsch"));
  manager.TranslateWindow(main.hwnd);
  EXPECT_EQ(WindowText(main.hwnd), L"Titel B");
  EXPECT_EQ(main.Item(IDC_MAIN_SELECT_SHEET), L"Choose A");  // Deutsch lacks 2003: the last text stays
  EXPECT_EQ(main.Item(IDC_MAIN_ENV_OPTION), L"Option B");    // emptied once, still registered
  EXPECT_EQ(main.Item(IDC_MAIN_SHEET_PATH), L"2001");
  EXPECT_EQ(main.Item(IDC_MAIN_FIRST_EDIT), L"64bit\\lib");
  EXPECT_EQ(main.Item(IDC_MAIN_LAST_EDIT), L"64;C:\\x");
}

TEST_F(LanguageManagerTest, LaterDialogsRetranslateOpenOnesAndSkipClosedOnes) {
  ASSERT_TRUE(manager.SelectLanguage(L"English"));
  manager.TranslateWindow(nullptr);
  Dialog main(IDD_MAIN);
  manager.TranslateWindow(main.hwnd);
  HWND closed = nullptr;
  {
    Dialog first(IDD_PATHLIST);
    manager.TranslateWindow(closed = first.hwnd);
    EXPECT_EQ(first.Item(IDC_LIST_ADD), L"Add A");
  }
  manager.TranslateWindow(closed);
  ASSERT_TRUE(manager.SelectLanguage(L"Deutsch"));
  Dialog second(IDD_PATHLIST);
  manager.TranslateWindow(second.hwnd);
  EXPECT_EQ(WindowText(second.hwnd), L"Liste B");
  EXPECT_EQ(second.Item(IDC_LIST_ADD), L"3002");
  EXPECT_EQ(WindowText(main.hwnd), L"Titel B");  // reached through the registry, not through its own call
}

TEST(LanguageManagerShipped, EveryNumberedCaptionOfEveryTemplateIsTranslated) {
  CLanguageManager manager;
  manager.SetFolder(DecodeUtf8(PATHWRIGHT_SOURCE_DIR) + L"\\lang\\");
  manager.ScanLanguages();
  ASSERT_TRUE(manager.SelectLanguage(L"English"));
  for (const int id : {IDD_ABOUT, IDD_MAIN, IDD_PATHLIST, IDD_RESTORE}) {
    Dialog dialog(id);
    ASSERT_TRUE(dialog.hwnd) << id;
    manager.TranslateWindow(dialog.hwnd);
    EXPECT_EQ(LeadingNumber(WindowText(dialog.hwnd)), 0u) << id;
    for (HWND child = ::GetWindow(dialog.hwnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
      EXPECT_EQ(LeadingNumber(WindowText(child)), 0u) << id << ": " << EncodeUtf8(WindowText(child));
    }
  }
}

// String 129 is "2000 Pathwright": the title in the loaded language, or as it stands.
TEST_F(LanguageManagerTest, TitleStringWithAndWithoutText2000) {
  const std::pair<const wchar_t*, std::wstring> cases[] = {{L"English", L"Title A"},
                                                           {L"Empty", L"2000 Pathwright"},
                                                           {L"Long", std::wstring(249, L'x')},
                                                           {nullptr, L"2000 Pathwright"}};
  for (const auto& [language, expected] : cases) {
    if (language) {
      ASSERT_TRUE(manager.SelectLanguage(language));
    } else {
      manager.LoadLanguage(L"missing.lng");  // nothing loaded
    }
    wchar_t buffer[256] = {};
    EXPECT_EQ(Load(buffer, 256), static_cast<int>(expected.size()));
    EXPECT_EQ(std::wstring(buffer), expected);
  }
  wchar_t buffer[16] = {};
  EXPECT_EQ(manager.TranslatedLoadString(::GetModuleHandleW(nullptr), 12345, buffer, 16), 0);
}

TEST_F(LanguageManagerTest, NeverWritesPastTheBuffer) {
  ASSERT_TRUE(manager.SelectLanguage(L"Long"));
  for (const auto& [size, result] : {std::pair{256, 249}, {250, 249}, {249, 248}, {2, 1}, {1, 0}}) {
    std::vector<wchar_t> buffer(300, L'#');
    EXPECT_EQ(Load(buffer.data(), size), result) << size;
    EXPECT_EQ(std::wstring(buffer.data()), std::wstring(static_cast<size_t>(result), L'x')) << size;
    EXPECT_EQ(std::count(buffer.begin() + size, buffer.end(), L'#'), 300 - size) << size;
  }
  ASSERT_TRUE(manager.SelectLanguage(L"Astral"));
  wchar_t small[4] = {L'#', L'#', L'#', L'#'};
  EXPECT_EQ(Load(small, 4), 2) << "a cut never leaves half a surrogate pair";
  EXPECT_EQ(std::wstring(small), L"ab");

  const wchar_t* resource = nullptr;  // the read-only pointer form goes to the system untouched
  EXPECT_EQ(Load(reinterpret_cast<LPWSTR>(&resource), 0), 15);
  ASSERT_NE(resource, nullptr);
  EXPECT_EQ(std::wstring(resource, 15), L"2000 Pathwright");
}

TEST(LanguageManagerGlobal, LoadResourceStringGoesThroughTheProcessWideManager) {
  wintest::ScratchDir files;
  WriteLanguage(files, L"a.lng", "English", "2000 Global title\r\n");
  CLanguageManager& manager = LanguageManager();
  const std::wstring oldFolder = manager.Folder();
  manager.SetFolder(files.Path() + L"\\");
  manager.ScanLanguages();
  ASSERT_TRUE(manager.SelectLanguage(L"English"));
  EXPECT_EQ(LoadResourceString(::GetModuleHandleW(nullptr), IDS_TITLE), L"Global title");
  manager.LoadLanguage(L"missing.lng");
  EXPECT_EQ(LoadResourceString(::GetModuleHandleW(nullptr), IDS_TITLE), L"2000 Pathwright");
  manager.SetFolder(oldFolder);
  manager.ScanLanguages();
}

// Translated string resources rest on every load going through LoadResourceString.
TEST(LanguageManagerGlobal, NoProgramCodeCallsLoadStringDirectly) {
  const std::filesystem::path root(DecodeUtf8(PATHWRIGHT_SOURCE_DIR));
  for (const char* folder : {"app", "ui", "win", "lang", "model"}) {
    for (const auto& entry : std::filesystem::directory_iterator(root / folder)) {
      if (entry.path().stem() == "LanguageManager") continue;
      std::ifstream in(entry.path(), std::ios::binary);
      const std::string source((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      EXPECT_EQ(source.find("LoadString"), std::string::npos) << entry.path().string();
    }
  }
}

}  // namespace
}  // namespace pathwright
