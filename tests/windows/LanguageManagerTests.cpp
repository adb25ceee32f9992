// The language manager on real dialogs built from the program's own templates: placeholders,
// re-translation after a language change, closed dialogs, user text, and string resources.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "lang/LanguageManager.h"
#include "lang/Utf8.h"
#include "resource.h"

namespace pathwright {
namespace {

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// A dialog from one of the program's templates, destroyed with the test.
class Dialog {
 public:
  explicit Dialog(int id)
      : m_hwnd(CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), nullptr, PlainDialogProc, 0)) {}
  ~Dialog() { Close(); }
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;
  void Close() {
    if (m_hwnd) DestroyWindow(m_hwnd);
    m_hwnd = nullptr;
  }
  HWND Get() const { return m_hwnd; }
  std::wstring Caption() const { return Text(m_hwnd); }
  std::wstring Item(int id) const { return Text(GetDlgItem(m_hwnd, id)); }
  void SetItem(int id, const wchar_t* text) const { SetDlgItemTextW(m_hwnd, id, text); }

  static std::wstring Text(HWND window) {
    wchar_t buffer[512] = {};
    GetWindowTextW(window, buffer, ARRAYSIZE(buffer));
    return buffer;
  }

 private:
  HWND m_hwnd;
};

class TempLanguages {
 public:
  TempLanguages() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    m_folder = std::filesystem::path(temp) / (L"pathwright-lang-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                             std::to_wstring(++s_counter));
    std::filesystem::create_directories(m_folder);
  }
  ~TempLanguages() {
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
  }
  void Write(const std::wstring& name, const std::string& displayName, const std::string& lines) const {
    std::ofstream out(m_folder / name, std::ios::binary);
    out << "<utf-8 encoding>\r\nLangID " << displayName << "\r\n" << lines;
  }
  std::wstring Folder() const { return m_folder.wstring() + L"\\"; }

 private:
  static inline int s_counter = 0;
  std::filesystem::path m_folder;
};

class LanguageManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // English lacks 2002; Deutsch lacks 2002 and 2003. Both have 64, the number a relative folder
    // such as 64bit\lib would be read as.
    m_files.Write(L"a.lng", "English",
                  "2000 Title A\r\n2001 Sheet A\r\n2003 Choose A\r\n2004 Edit A\r\n2005 Platform A\r\n"
                  "2006 \r\n3000 List A\r\n3001 Entries A\r\n3002 Add A\r\n64 Sixty-four A\r\n");
    m_files.Write(L"b.lng", "Deutsch",
                  "2000 Titel B\r\n2001 Blatt B\r\n2006 Option B\r\n3000 Liste B\r\n64 Vierundsechzig B\r\n");
    m_manager.SetFolder(m_files.Folder());
    m_manager.ScanLanguages();
    ASSERT_EQ(m_manager.Languages().size(), 2u);
  }

  TempLanguages m_files;
  CLanguageManager m_manager;
};

TEST_F(LanguageManagerTest, TranslatesPlaceholdersAndKeepsWhatTheLanguageLacks) {
  ASSERT_TRUE(m_manager.SelectLanguage(L"English"));
  Dialog main(IDD_MAIN);
  ASSERT_TRUE(main.Get());
  main.SetItem(IDC_MAIN_PLATFORM, L" 3002");  // white space before the number still counts
  m_manager.TranslateWindow(main.Get());

  EXPECT_EQ(main.Caption(), L"Title A");
  EXPECT_EQ(main.Item(IDC_MAIN_SELECT_SHEET), L"Choose A");
  for (int id = IDC_MAIN_FIRST_BUTTON; id <= IDC_MAIN_LAST_BUTTON; ++id) EXPECT_EQ(main.Item(id), L"Edit A") << id;
  EXPECT_EQ(main.Item(IDC_MAIN_HEADING), L"2002");   // missing number: placeholder stays
  EXPECT_EQ(main.Item(IDC_MAIN_ENV_OPTION), L"");    // present but empty text empties the caption
  EXPECT_EQ(main.Item(IDC_MAIN_PLATFORM), L"Add A");
  EXPECT_EQ(main.Item(IDC_MAIN_ABOUT), L"?");
  EXPECT_EQ(main.Item(IDOK), L"OK");
  EXPECT_EQ(main.Item(IDCANCEL), L"Cancel");
}

TEST_F(LanguageManagerTest, LanguageChangeReachesEarlierCaptionsButNeverUserText) {
  ASSERT_TRUE(m_manager.SelectLanguage(L"English"));
  Dialog main(IDD_MAIN);
  main.SetItem(IDC_MAIN_SHEET_PATH, L"2001");
  m_manager.TranslateWindow(main.Get());
  EXPECT_EQ(main.Item(IDC_MAIN_SHEET_PATH), L"2001");

  // What the user typed by the time the language changes.
  main.SetItem(IDC_MAIN_FIRST_EDIT, L"64bit\\lib");
  main.SetItem(IDC_MAIN_LAST_EDIT, L"64;C:\\x");
  ASSERT_TRUE(m_manager.SelectLanguage(L"Deutsch"));
  m_manager.TranslateWindow(main.Get());

  EXPECT_EQ(main.Caption(), L"Titel B");
  EXPECT_EQ(main.Item(IDC_MAIN_SELECT_SHEET), L"Choose A");  // Deutsch lacks 2003: the last text stays
  EXPECT_EQ(main.Item(IDC_MAIN_ENV_OPTION), L"Option B");    // emptied once, still registered
  EXPECT_EQ(main.Item(IDC_MAIN_HEADING), L"2002");
  EXPECT_EQ(main.Item(IDC_MAIN_SHEET_PATH), L"2001");
  EXPECT_EQ(main.Item(IDC_MAIN_FIRST_EDIT), L"64bit\\lib");
  EXPECT_EQ(main.Item(IDC_MAIN_LAST_EDIT), L"64;C:\\x");

  ASSERT_TRUE(m_manager.SelectLanguage(L"English"));
  m_manager.TranslateWindow(main.Get());
  EXPECT_EQ(main.Caption(), L"Title A");
  EXPECT_EQ(main.Item(IDC_MAIN_ENV_OPTION), L"");
  EXPECT_EQ(main.Item(IDC_MAIN_FIRST_EDIT), L"64bit\\lib");
}

TEST_F(LanguageManagerTest, LaterDialogsRetranslateOpenOnesAndSkipClosedOnes) {
  ASSERT_TRUE(m_manager.SelectLanguage(L"English"));
  Dialog main(IDD_MAIN);
  m_manager.TranslateWindow(main.Get());
  {
    Dialog first(IDD_PATHLIST);
    m_manager.TranslateWindow(first.Get());
    EXPECT_EQ(first.Caption(), L"List A");
    EXPECT_EQ(first.Item(IDC_LIST_ADD), L"Add A");
  }
  ASSERT_TRUE(m_manager.SelectLanguage(L"Deutsch"));
  Dialog second(IDD_PATHLIST);
  m_manager.TranslateWindow(second.Get());
  EXPECT_EQ(second.Caption(), L"Liste B");
  EXPECT_EQ(second.Item(IDC_LIST_ADD), L"3002");
  EXPECT_EQ(main.Caption(), L"Titel B");  // reached through the registry, not through its own call
}

TEST_F(LanguageManagerTest, NullAndDestroyedWindowsAreIgnored) {
  ASSERT_TRUE(m_manager.SelectLanguage(L"English"));
  m_manager.TranslateWindow(nullptr);
  Dialog gone(IDD_RESTORE);
  const HWND handle = gone.Get();
  gone.Close();
  m_manager.TranslateWindow(handle);
  Dialog chooser(IDD_RESTORE);
  m_manager.TranslateWindow(chooser.Get());
  EXPECT_EQ(chooser.Caption(), L"4000");
}

TEST_F(LanguageManagerTest, SelectingAnUnknownNameChangesNothing) {
  ASSERT_TRUE(m_manager.SelectLanguage(L"English"));
  EXPECT_FALSE(m_manager.SelectLanguage(L"english"));
  EXPECT_EQ(m_manager.GetText(2000), L"Title A");
}

// With the shipped English file, no numbered caption of any template is left untranslated.
TEST(LanguageManagerShipped, EveryNumberedCaptionOfEveryTemplateIsTranslated) {
  CLanguageManager manager;
  manager.SetFolder(DecodeUtf8(PATHWRIGHT_SOURCE_DIR) + L"\\lang\\");
  manager.ScanLanguages();
  ASSERT_TRUE(manager.SelectLanguage(L"English"));
  for (const int id : {IDD_ABOUT, IDD_MAIN, IDD_PATHLIST, IDD_RESTORE}) {
    Dialog dialog(id);
    ASSERT_TRUE(dialog.Get()) << id;
    manager.TranslateWindow(dialog.Get());
    EXPECT_EQ(LeadingNumber(dialog.Caption()), 0u) << id << ": " << EncodeUtf8(dialog.Caption());
    for (HWND child = GetWindow(dialog.Get(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      const std::wstring text = Dialog::Text(child);
      EXPECT_EQ(LeadingNumber(text), 0u) << id << ": " << EncodeUtf8(text);
    }
  }
}

// String 129 is "2000 Pathwright": the title in the loaded language, or as it stands.
class ResourceStringTest : public LanguageManagerTest {
 protected:
  void SetUp() override {
    LanguageManagerTest::SetUp();
    // The longest text a line can give number 2000: 254 characters less the number and its space.
    m_files.Write(L"long.lng", "Long", "2000 " + std::string(249, 'x') + "\r\n");
    m_files.Write(L"empty.lng", "Empty", "2000 \r\n");
    m_files.Write(L"astral.lng", "Astral", "2000 ab\xF0\x9F\x98\x80\r\n");
    m_manager.ScanLanguages();
    ASSERT_EQ(m_manager.Languages().size(), 5u);
  }
  HINSTANCE Self() const { return GetModuleHandleW(nullptr); }
};

TEST_F(ResourceStringTest, TitleWithAndWithoutText2000) {
  struct Case {
    const wchar_t* language;
    std::wstring expected;
  } cases[] = {
      {L"English", L"Title A"},
      {L"Deutsch", L"Titel B"},
      {L"Empty", L"2000 Pathwright"},
      {L"Long", std::wstring(249, L'x')},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(m_manager.SelectLanguage(c.language));
    wchar_t buffer[256] = {};
    EXPECT_EQ(m_manager.TranslatedLoadString(Self(), IDS_TITLE, buffer, 256), static_cast<int>(c.expected.size()));
    EXPECT_EQ(std::wstring(buffer), c.expected) << EncodeUtf8(c.language);
  }
  m_manager.LoadLanguage(L"missing.lng");  // nothing loaded
  wchar_t buffer[256] = {};
  EXPECT_EQ(m_manager.TranslatedLoadString(Self(), IDS_TITLE, buffer, 256), 15);
  EXPECT_EQ(std::wstring(buffer), L"2000 Pathwright");
  EXPECT_EQ(m_manager.TranslatedLoadString(Self(), 12345, buffer, 256), 0);
}

TEST_F(ResourceStringTest, NeverWritesPastTheBuffer) {
  ASSERT_TRUE(m_manager.SelectLanguage(L"Long"));
  struct Case {
    int size;
    int result;
  } cases[] = {{256, 249}, {250, 249}, {249, 248}, {10, 9}, {2, 1}, {1, 0}};
  for (const Case& c : cases) {
    std::vector<wchar_t> buffer(300, L'#');
    EXPECT_EQ(m_manager.TranslatedLoadString(Self(), IDS_TITLE, buffer.data(), c.size), c.result) << c.size;
    EXPECT_EQ(std::wstring(buffer.data()), std::wstring(static_cast<size_t>(c.result), L'x')) << c.size;
    for (size_t i = static_cast<size_t>(c.size); i < buffer.size(); ++i) {
      ASSERT_EQ(buffer[i], L'#') << "size " << c.size << " wrote at " << i;
    }
  }

  // A cut never leaves half a surrogate pair behind.
  ASSERT_TRUE(m_manager.SelectLanguage(L"Astral"));
  wchar_t small[4] = {L'#', L'#', L'#', L'#'};
  EXPECT_EQ(m_manager.TranslatedLoadString(Self(), IDS_TITLE, small, 4), 2);
  EXPECT_EQ(std::wstring(small), L"ab");

  // The read-only pointer form goes to the system untouched.
  const wchar_t* resource = nullptr;
  EXPECT_EQ(m_manager.TranslatedLoadString(Self(), IDS_TITLE, reinterpret_cast<LPWSTR>(&resource), 0), 15);
  ASSERT_NE(resource, nullptr);
  EXPECT_EQ(std::wstring(resource, 15), L"2000 Pathwright");
}

TEST(LanguageManagerGlobal, LoadResourceStringGoesThroughTheProcessWideManager) {
  TempLanguages files;
  files.Write(L"a.lng", "English", "2000 Global title\r\n");
  CLanguageManager& manager = LanguageManager();
  const std::wstring oldFolder = manager.Folder();
  manager.SetFolder(files.Folder());
  manager.ScanLanguages();
  ASSERT_TRUE(manager.SelectLanguage(L"English"));
  EXPECT_EQ(LoadResourceString(GetModuleHandleW(nullptr), IDS_TITLE), L"Global title");
  manager.LoadLanguage(L"missing.lng");
  EXPECT_EQ(LoadResourceString(GetModuleHandleW(nullptr), IDS_TITLE), L"2000 Pathwright");
  manager.SetFolder(oldFolder);
  manager.ScanLanguages();
}

// Translation of string resources rests on every load going through LoadResourceString.
TEST(LanguageManagerGlobal, NoProgramCodeCallsLoadStringDirectly) {
  const std::filesystem::path root = std::filesystem::path(DecodeUtf8(PATHWRIGHT_SOURCE_DIR));
  for (const char* folder : {"app", "ui", "win", "lang", "model"}) {
    if (!std::filesystem::exists(root / folder)) continue;
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
