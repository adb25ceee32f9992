// The language manager on real dialogs built from the program's own templates, and string resources.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "WinTestSupport.h"
#include "lang/TextNumbers.h"
#include "win/LanguageManager.h"
#include "base/Utf8.h"
#include "res/resource.h"

namespace pathwright {
namespace {

using wintest::WindowText;

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

struct Dialog {  // from one of the program's templates, destroyed with the test
  HWND hwnd;
  explicit Dialog(int id)
      : hwnd(::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), nullptr, PlainDialogProc, 0)) {}
  ~Dialog() { ::DestroyWindow(hwnd); }
  std::wstring Item(int id) const { return WindowText(::GetDlgItem(hwnd, id)); }
};

void WriteLanguage(const wintest::ScratchDir& folder, const char* name, const std::string& lines) {
  wintest::WriteFileBytes(folder / DecodeUtf8(name) + L".lng", "<utf-8 encoding>\r\nLangID " + std::string(name) +
                                                                   "\r\n" + lines);
}

class LanguageManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // English lacks 2002; Deutsch lacks 2002 and 2003. Both have 64, which a list such as 64bit\lib reads as.
    WriteLanguage(files, "English", "2000 Title A\r\n2001 Sheet A\r\n2003 Choose A\r\n2004 Edit A\r\n2006 \r\n"
                                    "3000 List A\r\n3002 Add A\r\n64 Sixty-four A\r\n");
    WriteLanguage(files, "Deutsch", "2000 Titel B\r\n2001 Blatt B\r\n2006 Option B\r\n3000 Liste B\r\n64 V\r\n");
    WriteLanguage(files, "Long", "2000 " + std::string(249, 'x') + "\r\n");  // the longest a line can give
    WriteLanguage(files, "Empty", "2000 \r\n");
    WriteLanguage(files, "Astral", "2000 ab\xF0\x9F\x98\x80\r\n");
    manager.SetFolder(files.Path() + L"\\");
    manager.ScanLanguages();
    ASSERT_EQ(manager.Languages().size(), 5u);
  }
  wintest::ScratchDir files;
  CLanguageManager manager;
};

// Placeholders replaced, missing numbers kept, empty texts empty the caption; a later dialog's translation
// reaches the open ones through the registry and skips closed ones; edit lines are never touched.
TEST_F(LanguageManagerTest, TranslatesCaptionsAgainAfterASwitchButNeverUserText) {
  Dialog main(IDD_MAIN);
  const auto texts = [&] {
    std::wstring all = WindowText(main.hwnd);
    for (int id : {IDC_MAIN_SELECT_SHEET, IDC_MAIN_FIRST_BUTTON, IDC_MAIN_LAST_BUTTON, IDC_MAIN_HEADING,
                   IDC_MAIN_ENV_OPTION, IDC_MAIN_PLATFORM, IDOK, IDC_MAIN_SHEET_PATH, IDC_MAIN_FIRST_EDIT,
                   IDC_MAIN_LAST_EDIT})
      all += L"|" + main.Item(id);
    return all;
  };
  ASSERT_TRUE(manager.SelectLanguage(L"English"));
  manager.TranslateWindow(nullptr);
  ::SetDlgItemTextW(main.hwnd, IDC_MAIN_PLATFORM, L" 3002");  // a file name's part, never a text number
  ::SetDlgItemTextW(main.hwnd, IDC_MAIN_SHEET_PATH, L"2001");
  manager.TranslateWindow(main.hwnd);
  EXPECT_EQ(texts(), L"Title A|Choose A|Edit A|Edit A|2002|| 3002|OK|2001||");
  HWND closed = nullptr;
  {
    Dialog first(IDD_PATHLIST);
    manager.TranslateWindow(closed = first.hwnd);
    EXPECT_EQ(first.Item(IDC_LIST_ADD), L"Add A");
  }
  manager.TranslateWindow(closed);
  ::SetDlgItemTextW(main.hwnd, IDC_MAIN_FIRST_EDIT, L"64bit\\lib");  // typed by the time the language changes
  ::SetDlgItemTextW(main.hwnd, IDC_MAIN_LAST_EDIT, L"64;C:\\x");
  ASSERT_TRUE(manager.SelectLanguage(L"Deutsch"));  // it lacks 2003: the last text stays
  Dialog second(IDD_PATHLIST);
  manager.TranslateWindow(second.hwnd);
  EXPECT_EQ(WindowText(second.hwnd) + L"|" + second.Item(IDC_LIST_ADD), L"Liste B|3002");
  EXPECT_EQ(texts(), L"Titel B|Choose A|Edit A|Edit A|2002|Option B| 3002|OK|2001|64bit\\lib|64;C:\\x");
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
    for (HWND at = dialog.hwnd; at; at = ::GetWindow(at, at == dialog.hwnd ? GW_CHILD : GW_HWNDNEXT))
      EXPECT_EQ(LeadingNumber(WindowText(at)), 0u) << id << ": " << EncodeUtf8(WindowText(at));
  }
}

// In every shipped language each translated button and label carries a mnemonic that no other control of its dialog
// has; headings, the platform label and the caption the seven list buttons share carry none.
TEST(LanguageManagerShipped, MnemonicsAreUniqueInEachDialog) {
  CLanguageManager manager;
  manager.SetFolder(DecodeUtf8(PATHWRIGHT_SOURCE_DIR) + L"\\lang\\");
  manager.ScanLanguages();
  const std::set<uint32_t> without = {text::kAboutHeading, text::kMainHeading, text::kMainEditList,
                                      text::kMainPlatformLabel};
  for (const auto& [language, file] : manager.Languages()) {
    SCOPED_TRACE(EncodeUtf8(language));
    ASSERT_TRUE(manager.SelectLanguage(language));
    for (const int id : {IDD_ABOUT, IDD_MAIN, IDD_PATHLIST, IDD_RESTORE}) {
      Dialog dialog(id);
      std::map<HWND, uint32_t> numbers;
      for (HWND at = ::GetWindow(dialog.hwnd, GW_CHILD); at; at = ::GetWindow(at, GW_HWNDNEXT))
        numbers[at] = LeadingNumber(WindowText(at));
      manager.TranslateWindow(dialog.hwnd);
      std::map<wchar_t, std::wstring> keys;  // mnemonic -> caption
      for (const auto& [control, number] : numbers) {
        const std::wstring text = WindowText(control);
        const size_t amp = text.find(L'&');
        if (amp == std::wstring::npos || amp + 1 == text.size()) {
          EXPECT_TRUE(number == 0 || without.count(number)) << id << ": " << number << " has no mnemonic";
          continue;
        }
        const auto [known, fresh] = keys.emplace(wchar_t(towupper(text[amp + 1])), text);
        EXPECT_TRUE(fresh || known->second == text) << id << ": " << EncodeUtf8(text) << " / " << EncodeUtf8(known->second);
      }
    }
  }
}

// String 129 is "2000 Pathwright": the title in the loaded language, or as it stands; never past the buffer.
TEST_F(LanguageManagerTest, TitleStringWithAndWithoutText2000InAnyBuffer) {
  const struct { const wchar_t* language; int size, result; std::wstring text; } cases[] = {
      {L"English", 256, 7, L"Title A"}, {L"Empty", 256, 15, L"2000 Pathwright"}, {nullptr, 256, 15, L"2000 Pathwright"},
      {L"Long", 256, 249, std::wstring(249, L'x')}, {L"Long", 250, 249, std::wstring(249, L'x')},
      {L"Long", 249, 248, std::wstring(248, L'x')}, {L"Long", 2, 1, L"x"}, {L"Long", 1, 0, L""},
      {L"Astral", 4, 2, L"ab"},  // a cut never leaves half a surrogate pair
  };
  const HINSTANCE module = ::GetModuleHandleW(nullptr);
  for (const auto& c : cases) {
    if (!c.language) manager.LoadLanguage(L"missing.lng");  // nothing loaded
    ASSERT_TRUE(!c.language || manager.SelectLanguage(c.language));
    std::vector<wchar_t> buffer(300, L'#');
    EXPECT_EQ(manager.TranslatedLoadString(module, IDS_TITLE, buffer.data(), c.size), c.result) << c.size;
    EXPECT_EQ(std::wstring(buffer.data()), c.text) << c.size;
    EXPECT_EQ(std::count(buffer.begin() + c.size, buffer.end(), L'#'), 300 - c.size) << c.size;
  }
  wchar_t buffer[16] = {};
  EXPECT_EQ(manager.TranslatedLoadString(module, 12345, buffer, 16), 0);
  const wchar_t* resource = nullptr;  // the read-only pointer form goes to the system untouched
  EXPECT_EQ(manager.TranslatedLoadString(module, IDS_TITLE, reinterpret_cast<LPWSTR>(&resource), 0), 15);
  EXPECT_EQ(resource ? std::wstring(resource, 15) : L"", L"2000 Pathwright");

  CLanguageManager& global = LanguageManager();  // the one LoadResourceString goes through
  const std::wstring oldFolder = global.Folder();
  global.SetFolder(files.Path() + L"\\"), global.ScanLanguages();
  ASSERT_TRUE(global.SelectLanguage(L"English"));
  EXPECT_EQ(LoadResourceString(module, IDS_TITLE), L"Title A");
  global.LoadLanguage(L"missing.lng");
  EXPECT_EQ(LoadResourceString(module, IDS_TITLE), L"2000 Pathwright");
  global.SetFolder(oldFolder), global.ScanLanguages();
}

// Translated string resources rest on every load of the program going through LoadResourceString.
TEST(LanguageManagerGlobal, NoOtherSourceLoadsAStringResource) {
  for (const char* folder : {"app", "ui", "win", "lang", "model"}) {
    for (const auto& entry : std::filesystem::directory_iterator(DecodeUtf8(PATHWRIGHT_SOURCE_DIR) + L"/" +
                                                                 DecodeUtf8(folder))) {
      std::ifstream in(entry.path(), std::ios::binary);
      const std::string source((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      EXPECT_TRUE(entry.path().stem() == "LanguageManager" || source.find("LoadString") == std::string::npos)
          << entry.path().string();
    }
  }
}

}  // namespace
}  // namespace pathwright
