// The language manager on real dialogs built from the program's own templates, and the version record
// and manifest, which carry the version the build was configured with.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "WinTestSupport.h"
#include "base/Utf8.h"
#include "base/Version.h"
#include "lang/TextNumbers.h"
#include "res/resource.h"
#include "win/LanguageManager.h"

namespace pathwright {
namespace {

using namespace wintest;

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

struct Dialog {  // from one of the program's templates, destroyed with the test
  HWND hwnd;
  explicit Dialog(int id)
      : hwnd(::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), nullptr, PlainDialogProc, 0)) {}
  ~Dialog() { ::DestroyWindow(hwnd); }
  std::wstring Item(int id) const { return ItemText(hwnd, id); }
};

class LanguageManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // English lacks 2002; Deutsch lacks 2002 and 2003. Both have 64, which a list such as 64bit\lib reads as.
    for (const auto& [name, lines] :
         {std::pair<std::string, std::string>{"English",
                                              "2000 Title A\r\n2001 Sheet A\r\n2003 Choose A\r\n"
                                              "2004 Edit A\r\n2006 \r\n3002 Add A\r\n64 Sixty-four A\r\n"},
          {"Deutsch", "2000 Titel B\r\n2001 Blatt B\r\n2006 Option B\r\n3000 Liste B\r\n64 V\r\n"},
          {"Broken", "2000 Kaputt\r\n"}}) {
      WriteBytes(files.Path(name + ".lng"), "<utf-8 encoding>\r\nLangID " + name + "\r\n" + lines);
    }
    manager.SetFolder(files.Root().wstring());
    manager.ScanLanguages();
    ASSERT_EQ(manager.Languages().size(), 3u);
    WriteBytes(files.Path("Broken.lng"), "edited since the scan: no header");
  }
  ScratchFolder files;
  CLanguageManager manager;
};

// Placeholders replaced, missing numbers kept, empty texts empty the caption; the captions a dialog collected
// take the next language too; a language that cannot be loaded changes nothing; edit lines are never touched.
TEST_F(LanguageManagerTest, TranslatesCaptionsAgainAfterASwitchButNeverUserText) {
  Dialog main(IDD_MAIN);
  const auto texts = [&] {
    std::wstring all = GetWindowTextString(main.hwnd);
    for (int id :
         {IDC_MAIN_SELECT_SHEET, IDC_MAIN_FIRST_BUTTON, IDC_MAIN_LAST_BUTTON, IDC_MAIN_HEADING, IDC_MAIN_ENV_OPTION,
          IDOK, IDC_MAIN_SHEET_PATH, IDC_MAIN_FIRST_EDIT, IDC_MAIN_LAST_EDIT})
      all += L"|" + main.Item(id);
    return all;
  };
  ASSERT_TRUE(manager.SelectLanguage(L"English"));
  manager.TranslateWindow(nullptr);
  ::SetDlgItemTextW(main.hwnd, IDC_MAIN_SHEET_PATH, L"2001");  // a path, never a text number
  const NumberedCaptions captions(main.hwnd);
  captions.Translate(manager);
  EXPECT_EQ(texts(), L"Title A|Choose A|Edit A|Edit A|2002||5000|2001||");
  for (const wchar_t* failing : {L"Broken", L"Klingon"}) {  // a file gone bad, a language no file offers
    const Result failed = manager.SelectLanguage(failing);
    EXPECT_FALSE(failed);
    EXPECT_NE(failed.why.find(files.Root().wstring()), std::wstring::npos) << EncodeUtf8(failed.why);
  }
  EXPECT_EQ(manager.GetText(2000), L"Title A") << "the texts in force stay";
  ::SetDlgItemTextW(main.hwnd, IDC_MAIN_FIRST_EDIT, L"64bit\\lib");  // typed by the time the language changes
  ::SetDlgItemTextW(main.hwnd, IDC_MAIN_LAST_EDIT, L"64;C:\\x");
  ASSERT_TRUE(manager.SelectLanguage(L"Deutsch"));  // it lacks 2003: the last text stays
  captions.Translate(manager);
  EXPECT_EQ(texts(), L"Titel B|Choose A|Edit A|Edit A|2002|Option B|5000|2001|64bit\\lib|64;C:\\x");
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
      EXPECT_EQ(LeadingNumber(GetWindowTextString(at)), 0u) << id << ": " << EncodeUtf8(GetWindowTextString(at));
  }
}

// In every shipped language each translated button and label carries a mnemonic that no other control of its dialog
// has; headings, the platform label, the caption the seven list buttons share, OK, Cancel and the About box's lines
// carry none.
TEST(LanguageManagerShipped, MnemonicsAreUniqueInEachDialog) {
  CLanguageManager manager;
  manager.SetFolder(DecodeUtf8(PATHWRIGHT_SOURCE_DIR) + L"\\lang\\");
  manager.ScanLanguages();
  const std::set<uint32_t> without = {text::kAboutHeading,      text::kAboutWindowingCredit, text::kAboutXmlCredit,
                                      text::kAboutVersion,      text::kAboutCopyright,       text::kMainHeading,
                                      text::kMainEditList,      text::kMainPlatformLabel,    text::kButtonOk,
                                      text::kButtonCancel};
  for (const auto& [language, file] : manager.Languages()) {
    SCOPED_TRACE(EncodeUtf8(language));
    ASSERT_TRUE(manager.SelectLanguage(language));
    for (const int id : {IDD_ABOUT, IDD_MAIN, IDD_PATHLIST, IDD_RESTORE}) {
      Dialog dialog(id);
      std::map<HWND, uint32_t> numbers;
      for (HWND at = ::GetWindow(dialog.hwnd, GW_CHILD); at; at = ::GetWindow(at, GW_HWNDNEXT))
        numbers[at] = LeadingNumber(GetWindowTextString(at));
      manager.TranslateWindow(dialog.hwnd);
      std::map<wchar_t, std::wstring> keys;  // mnemonic -> caption
      for (const auto& [control, number] : numbers) {
        const std::wstring text = GetWindowTextString(control);
        const size_t amp = text.find(L'&');
        if (amp == std::wstring::npos || amp + 1 == text.size()) {
          EXPECT_TRUE(number == 0 || without.count(number)) << id << ": " << number << " has no mnemonic";
          continue;
        }
        const auto [known, fresh] = keys.emplace(wchar_t(towupper(text[amp + 1])), text);
        EXPECT_TRUE(fresh || known->second == text)
            << id << ": " << EncodeUtf8(text) << " / " << EncodeUtf8(known->second);
      }
    }
  }
}

std::vector<BYTE> Load(int id, LPCWSTR type) {  // a writable copy: VerQueryValueW wants one
  HRSRC info = FindResourceW(nullptr, MAKEINTRESOURCEW(id), type);
  if (!info) return {};
  const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, info)));
  return std::vector<BYTE>(data, data + SizeofResource(nullptr, info));
}

TEST(Resources, VersionRecordAndManifestCarryTheConfiguredVersion) {
  std::vector<BYTE> record = Load(VS_VERSION_INFO, RT_VERSION);
  const auto query = [&](const std::wstring& path) {
    void* value = nullptr;
    UINT length = 0;
    return !record.empty() && VerQueryValueW(record.data(), path.c_str(), &value, &length) ? value : nullptr;
  };
  const auto* fixed = static_cast<VS_FIXEDFILEINFO*>(query(L"\\"));
  ASSERT_TRUE(fixed);
  const DWORD high = PATHWRIGHT_VERSION_MAJOR << 16 | PATHWRIGHT_VERSION_MINOR, low = PATHWRIGHT_VERSION_PATCH << 16;
  EXPECT_EQ(
      std::tie(fixed->dwFileVersionMS, fixed->dwFileVersionLS, fixed->dwProductVersionMS, fixed->dwProductVersionLS),
      std::tie(high, low, high, low));
  std::wstring texts;
  for (const wchar_t* name : {L"ProductVersion", L"FileVersion", L"OriginalFilename"}) {
    const auto* value = static_cast<const wchar_t*>(query(L"\\StringFileInfo\\040904b0\\" + std::wstring(name)));
    texts += std::wstring(name) + L"=" + (value ? value : L"<none>") + L"|";
  }
  EXPECT_EQ(texts, L"ProductVersion=" PATHWRIGHT_VERSION_WIDE L" (64 bit)|FileVersion=" PATHWRIGHT_VERSION_WIDE
                   L".0|OriginalFilename=Pathwright.exe|");

  const std::vector<BYTE> manifest = Load(IDR_MANIFEST, RT_MANIFEST);
  const std::string xml(manifest.begin(), manifest.end());
  for (const char* part :
       {"name=\"Microsoft.Windows.Common-Controls\"", "version=\"6.0.0.0\"", "level=\"asInvoker\"",
        "version=\"" PATHWRIGHT_VERSION_FULL "\"", ">true</dpiAware>", ">PerMonitorV2, System</dpiAwareness>"})
    EXPECT_NE(xml.find(part), std::string::npos) << part;
}

}  // namespace
}  // namespace pathwright
