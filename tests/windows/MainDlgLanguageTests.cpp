// The main window's start-up from the settings file with the shipped language files. Switching
// languages and the settings file bytes are checked end to end.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

#include "win/LanguageManager.h"
#include "base/Utf8.h"
#include "res/resource.h"
#include "ui/MainDlg.h"
#include "ui/Options.h"
#include "WinTestSupport.h"

namespace pathwright {
namespace {

const std::string kBom = "\xEF\xBB\xBF";

std::wstring Text(HWND window) {
  wchar_t buffer[512] = {};
  ::GetWindowTextW(window, buffer, 512);
  return buffer;
}

class MainDlgLanguageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform.appData = scratch / L"appdata";
    const std::wstring sheets = platform.appData + L"\\Microsoft\\MSBuild\\v4.0";
    wintest::MakeFolders(sheets);
    wintest::WriteFileBytes(sheets + L"\\Microsoft.Cpp.Win32.user.props", wintest::SheetWithInclude("64bit\\lib"));
    wintest::MakeFolders(scratch / L"lang");
    for (const wchar_t* name : {L"English.lng", L"Deutsch.lng", L"Fran\u00E7ais.lng"}) {
      const std::wstring source = DecodeUtf8(PATHWRIGHT_SOURCE_DIR) + L"\\lang\\" + name;
      ASSERT_TRUE(::CopyFileW(source.c_str(), (scratch / (std::wstring(L"lang\\") + name)).c_str(), FALSE)) << name;
    }
    savedOption = g_environmentSubstitution;
    wchar_t directory[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, directory);
    savedDirectory = directory;
    ::SetCurrentDirectoryW(scratch.Path().c_str());
  }
  void TearDown() override {
    dlg.reset();
    g_environmentSubstitution = savedOption;
    ::SetCurrentDirectoryW(savedDirectory.c_str());
    LanguageManager().LoadLanguage(L"no such language file");  // later tests start without texts
  }

  void Open() {
    dlg = std::make_unique<CMainDlg>();
    ASSERT_NE(dlg->Create(nullptr), nullptr);
  }
  HWND Item(int id) const { return dlg->GetDlgItem(id); }
  wintest::ScratchDir scratch;
  wintest::FakePlatform platform;
  PlatformOverride installed{platform};
  std::unique_ptr<CMainDlg> dlg;
  int savedOption = 1;
  std::wstring savedDirectory;
};

struct StartCase {
  const char* name;
  std::string settings;  // empty: no settings file
  std::wstring title;    // the window's caption after start-up
  std::wstring selected;
  bool option;
};

TEST_F(MainDlgLanguageTest, StartUpFollowsTheSettingsFile) {
  const StartCase cases[] = {
      {"no settings file: English, option on", "", L"Pathwright", L"English", true},
      {"German, option off", kBom + "Deutsch\r\nfalse\r\n", L"Pathwright", L"Deutsch", false},
      {"one line only: option off", kBom + "Fran\xC3\xA7" "ais\r\n", L"Pathwright", L"Fran\u00E7ais", false},
      {"a name no file declares gives English", kBom + "english\r\ntrue\r\n", L"Pathwright", L"English", true},
      {"so does an unknown language", "Klingon\ntrue\n", L"Pathwright", L"English", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ::DeleteFileW((scratch / L"programm.ini").c_str());
    if (!c.settings.empty()) wintest::WriteFileBytes(scratch / L"programm.ini", c.settings);
    LanguageManager().LoadLanguage(L"no such language file");
    Open();
    EXPECT_EQ(Text(dlg->m_hWnd), c.title);
    EXPECT_EQ(Text(Item(IDC_MAIN_LANGUAGE)), c.selected);
    EXPECT_EQ(::SendMessageW(Item(IDC_MAIN_ENV_OPTION), BM_GETCHECK, 0, 0) == BST_CHECKED, c.option);
    // The combobox lists the languages in ordinal order of their names.
    HWND combo = Item(IDC_MAIN_LANGUAGE);
    ASSERT_EQ(::SendMessageW(combo, CB_GETCOUNT, 0, 0), 3);
    wchar_t first[32] = {};
    ::SendMessageW(combo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
    EXPECT_STREQ(first, L"Deutsch");
    dlg.reset();
  }
  ::DeleteFileW((scratch / L"lang\\English.lng").c_str());  // without English: the first language offered
  Open();
  EXPECT_EQ(Text(Item(IDC_MAIN_LANGUAGE)) + L"|" + Text(dlg->m_hWnd), L"Deutsch|Pathwright");
  EXPECT_EQ(platform.accessibleNames[Item(IDC_MAIN_FIRST_BUTTON + 4)], L"Bearbeiten Library WinRT Directories");
}

}  // namespace
}  // namespace pathwright
