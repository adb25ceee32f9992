// The main window on the real template with scripted platform answers: the four record states at
// start-up and after a selection, the recreate path, data exchange, OK/Cancel and the keyboard, and
// a save that fails.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "WinTestSupport.h"
#include "lang/TextNumbers.h"
#include "model/DirectoryKinds.h"
#include "res/resource.h"
#include "ui/MainDlg.h"
#include "ui/Options.h"
#include "ui/UiLanguage.h"
#include "win/AppModule.h"

namespace pathwright {
namespace {

using namespace std::string_literals;
using wintest::ChooserAnswer;
using wintest::FileDialogAnswer;
using wintest::WindowText;

constexpr const wchar_t* kSheetName = L"Microsoft.Cpp.Win32.user.props";
constexpr int kAlwaysEnabled[] = {IDC_MAIN_SHEET_PATH, IDC_MAIN_SELECT_SHEET, IDC_MAIN_ABOUT, IDC_MAIN_LANGUAGE,
                                  IDC_MAIN_ENV_OPTION, IDOK, IDCANCEL};

// What the window shows for a record state.
struct Shown {
  bool loaded;
  std::wstring path;
  std::wstring platform;
};

class MainDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform.appData = scratch.Path();
    sheetFolder = scratch / L"Microsoft\\MSBuild\\v4.0";
    wintest::MakeFolders(sheetFolder);
    sheet = sheetFolder + L"\\" + kSheetName;
    savedOption = g_environmentSubstitution;
    wchar_t directory[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, directory);
    savedDirectory = directory;
    // Whatever the window reads or writes beside the program stays in the scratch folder.
    ::SetCurrentDirectoryW(scratch.Path().c_str());
  }
  void TearDown() override {
    dlg.reset();
    wintest::TakeQuitCode();
    g_environmentSubstitution = savedOption;
    ::SetCurrentDirectoryW(savedDirectory.c_str());
  }

  void Open() {
    dlg = std::make_unique<CMainDlg>();
    ASSERT_NE(dlg->Create(nullptr), nullptr);
  }
  HWND Item(int id) const { return dlg->GetDlgItem(id); }
  std::wstring Text(int id) const { return WindowText(Item(id)); }
  void Command(int id) { ::SendMessageW(dlg->m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
  void Type(int id, const std::wstring& text) { ::SetWindowTextW(Item(id), text.c_str()); }

  void ExpectShows(const Shown& shown, const std::string& where) {
    SCOPED_TRACE(where);
    EXPECT_EQ(dlg->m_loaded, shown.loaded);
    EXPECT_EQ(dlg->m_path, shown.path);
    EXPECT_EQ(Text(IDC_MAIN_SHEET_PATH), shown.path);
    EXPECT_EQ(Text(IDC_MAIN_PLATFORM), shown.platform);
    for (int id = IDC_MAIN_FIRST_EDIT; id <= IDC_MAIN_LAST_BUTTON; ++id) {
      EXPECT_EQ(::IsWindowEnabled(Item(id)) != FALSE, shown.loaded) << id;
    }
    for (int id : kAlwaysEnabled) EXPECT_TRUE(::IsWindowEnabled(Item(id))) << id;
  }

  wintest::ScratchDir scratch;
  wintest::FakePlatform platform;
  PlatformOverride installed{platform};
  std::wstring sheetFolder;
  std::wstring sheet;
  std::unique_ptr<CMainDlg> dlg;
  int savedOption = 1;
  std::wstring savedDirectory;
};

// --- start-up -------------------------------------------------------------------------------

TEST_F(MainDlgTest, StartUpReachesEachRecordStateAndShowsIt) {
  const struct {
    const char* name;
    bool appDataKnown;
    std::optional<std::string> content;  // nullopt: no sheet file
    std::vector<ChooserAnswer> chooser;
    Shown shown;
    size_t chooserRuns;
    size_t messages;
  } cases[] = {
      {"open", true, wintest::SheetWithInclude("C:\\inc"), {}, {true, L"<sheet>", L"Win32"}, 0, 0},
      {"unread, chooser cancelled", true, "not a sheet", {{IDCANCEL, 0}}, {false, L"<sheet>", L"Win32"}, 1, 0},
      {"unread, chooser not opened", true, "<Project", {{-1, 0}}, {false, L"<sheet>", L"Win32"}, 1, 0},
      {"empty sheet recreated", true, "", {{IDOK, 2}}, {true, L"<sheet>", L"Win32"}, 1, 0},
      {"none, enabled", false, wintest::SheetWithInclude("C:\\inc"), {}, {true, L"", L"---"}, 0, 0},
      {"none", true, std::nullopt, {}, {false, L"", L"---"}, 0, 1},
  };
  for (const auto& c : cases) {
    platform = {};
    platform.appData = c.appDataKnown ? scratch.Path() : L"";
    ::DeleteFileW(sheet.c_str());
    ::DeleteFileW((sheet + L".bak").c_str());
    if (c.content) wintest::WriteFileBytes(sheet, *c.content);
    platform.chooserAnswers.assign(c.chooser.begin(), c.chooser.end());

    Open();
    Shown shown = c.shown;
    if (shown.path == L"<sheet>") shown.path = sheet;
    ExpectShows(shown, c.name);
    EXPECT_EQ(platform.chooserVersionsOnEntry.size(), c.chooserRuns) << c.name;
    EXPECT_EQ(platform.messages.size(), c.messages) << c.name;
    dlg.reset();
  }
}

TEST_F(MainDlgTest, AnOpenSheetFillsTheSevenEditLinesAndTheOption) {
  wintest::WriteFileBytes(sheet, wintest::SheetWithInclude("C:\\inc;$(Tools)\\include"));
  g_environmentSubstitution = 0;
  Open();
  for (int k = 0; k < kKindCount; ++k) {
    EXPECT_EQ(Text(IDC_MAIN_FIRST_EDIT + k), k == 1 ? L"C:\\inc;$(Tools)\\include" : L"") << k;
  }
  EXPECT_EQ(::SendMessageW(Item(IDC_MAIN_ENV_OPTION), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(MainDlgTest, AMissingSheetIsReportedWhileTheWindowIsStillHidden) {
  Open();
  ASSERT_EQ(platform.messages.size(), 1u);
  const wintest::ShownMessage& shown = platform.messages[0];
  EXPECT_EQ(shown.owner, dlg->m_hWnd);
  EXPECT_FALSE(shown.ownerVisible);
  EXPECT_EQ(shown.type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
  EXPECT_EQ(shown.type & MB_TYPEMASK, static_cast<UINT>(MB_OK));
  EXPECT_EQ(shown.caption, UiText(text::kMissingSheetCaption));
  if (!UiText(text::kMissingSheetText).empty()) {
    EXPECT_NE(shown.text.find(kSheetName), std::wstring::npos);
  }
  EXPECT_FALSE(wintest::FileExists(sheet)) << "a missing sheet is not created";
}

TEST_F(MainDlgTest, RecreatingAnUnreadableSheetKeepsItsBytesAsBackup) {
  wintest::WriteFileBytes(sheet + L".bak", "an older backup");
  wintest::WriteFileBytes(sheet, "<Project><broken");
  platform.chooserAnswers = {{IDOK, 2}};
  Open();
  EXPECT_EQ(platform.chooserVersionsOnEntry, std::vector<int>{0}) << "the chooser opens on its first entry";
  const std::string written = wintest::ReadFileBytes(sheet);
  EXPECT_NE(written.find("ToolsVersion=\"12.0\""), std::string::npos) << written;
  EXPECT_EQ(wintest::ReadFileBytes(sheet + L".bak"), "<Project><broken");
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(MainDlgTest, ARecreateWhoseBackupFailsLeavesTheSheetAndSaysSo) {
  const std::string unreadable = "\xEF\xBB\xBF<Project";
  wintest::WriteFileBytes(sheet, unreadable);
  wintest::WriteFileBytes(sheet + L".bak", "held");
  wintest::FileLock lock(sheet + L".bak");
  ASSERT_TRUE(lock.Held());
  platform.chooserAnswers = {{IDOK, 0}};
  Open();
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].caption, UiText(text::kSaveFailedCaption));
  EXPECT_NE(platform.messages[0].text.find(sheet), std::wstring::npos) << "names the sheet";
  EXPECT_EQ(wintest::ReadFileBytes(sheet), unreadable) << "nothing unreadable is replaced without its copy";

  // OK tries again, still cannot keep the copy, and stays open.
  Command(IDOK);
  EXPECT_TRUE(::IsWindow(dlg->m_hWnd));
  EXPECT_EQ(wintest::TakeQuitCode(), -1);
  EXPECT_EQ(wintest::ReadFileBytes(sheet), unreadable);

  lock.Release();
  Command(IDOK);
  EXPECT_EQ(wintest::TakeQuitCode(), 1);
  EXPECT_EQ(wintest::ReadFileBytes(sheet + L".bak"), unreadable);
  EXPECT_NE(wintest::ReadFileBytes(sheet).find("<Project"), std::string::npos);
}

TEST_F(MainDlgTest, TheWindowCarriesBoldTextAndBothIcons) {
  wintest::WriteFileBytes(sheet, wintest::SheetWithInclude(""));
  Open();
  for (int id : {IDC_MAIN_HEADING, IDC_MAIN_PLATFORM}) {
    auto font = reinterpret_cast<HFONT>(::SendMessageW(Item(id), WM_GETFONT, 0, 0));
    EXPECT_EQ(font, dlg->m_font.Get()) << id;
    LOGFONTW description = {};
    ASSERT_NE(::GetObjectW(font, sizeof(description), &description), 0) << id;
    EXPECT_EQ(description.lfWeight, FW_BOLD) << id;
  }
  EXPECT_NE(::SendMessageW(dlg->m_hWnd, WM_GETICON, ICON_BIG, 0), 0);
  EXPECT_NE(::SendMessageW(dlg->m_hWnd, WM_GETICON, ICON_SMALL, 0), 0);
}

TEST_F(MainDlgTest, TheFocusStartsInTheSheetPath) {
  wintest::WriteFileBytes(sheet, wintest::SheetWithInclude(""));
  Open();
  ::ShowWindow(dlg->m_hWnd, SW_SHOW);
  ::SetForegroundWindow(dlg->m_hWnd);
  wintest::PumpMessages();
  EXPECT_EQ(::GetFocus(), Item(IDC_MAIN_SHEET_PATH));
}

// --- pieces -----------------------------------------------------------------------------------

TEST_F(MainDlgTest, ThePlatformIsTheThirdOfExactlyFiveNamePieces) {
  const struct {
    const wchar_t* name;
    const wchar_t* platform;
  } cases[] = {
      {L"Microsoft.Cpp.Win32.user.props", L"Win32"},
      {L"Microsoft.Cpp.x64.user.props", L"x64"},
      {L"Microsoft.Cpp.ARM64.user.props", L"ARM64"},
      {L"Microsoft..Cpp.x64.user.props", L"x64"},
      {L".Microsoft.Cpp.Win32.user.props.", L"Win32"},
      {L"Cpp.Win32.user.props", L"---"},
      {L"Microsoft.Cpp.Win32.user.old.props", L"---"},
      {L"user.props", L"---"},
      {L"", L"---"},
  };
  Open();
  for (const auto& c : cases) {
    ::SetWindowTextW(Item(IDC_MAIN_PLATFORM), L"before");
    dlg->ShowPlatform(c.name);
    EXPECT_EQ(Text(IDC_MAIN_PLATFORM), c.platform) << c.name;
  }
}

TEST_F(MainDlgTest, EnableDirectoryControlsFollowsTheLoadedFlagOnly) {
  Open();
  for (bool loaded : {true, false, true}) {
    dlg->m_loaded = loaded;
    dlg->EnableDirectoryControls();
    for (int id = IDC_MAIN_FIRST_EDIT; id <= IDC_MAIN_LAST_BUTTON; ++id) {
      EXPECT_EQ(::IsWindowEnabled(Item(id)) != FALSE, loaded) << id;
    }
    for (int id : kAlwaysEnabled) EXPECT_TRUE(::IsWindowEnabled(Item(id))) << id;
  }
}

TEST_F(MainDlgTest, DataExchangeMovesPathListsAndOptionBothWays) {
  Open();
  dlg->m_path = L"C:\\some\\sheet.props";
  for (int k = 0; k < kKindCount; ++k) dlg->m_lists[k] = L"list " + std::to_wstring(k);
  g_environmentSubstitution = 7;
  ASSERT_TRUE(dlg->DoDataExchange(kFillControls));
  EXPECT_EQ(Text(IDC_MAIN_SHEET_PATH), L"C:\\some\\sheet.props");
  for (int k = 0; k < kKindCount; ++k) EXPECT_EQ(Text(IDC_MAIN_FIRST_EDIT + k), L"list " + std::to_wstring(k));
  EXPECT_EQ(g_environmentSubstitution, 0) << "an option out of range becomes 0";

  for (int k = 0; k < kKindCount; ++k) Type(IDC_MAIN_FIRST_EDIT + k, L"typed " + std::to_wstring(k));
  ::SendMessageW(Item(IDC_MAIN_ENV_OPTION), BM_SETCHECK, BST_CHECKED, 0);
  ASSERT_TRUE(dlg->DoDataExchange(kSaveControls));
  for (int k = 0; k < kKindCount; ++k) EXPECT_EQ(dlg->m_lists[k], L"typed " + std::to_wstring(k));
  EXPECT_EQ(g_environmentSubstitution, 1);

  // One control alone.
  Type(IDC_MAIN_FIRST_EDIT + 3, L"only this");
  Type(IDC_MAIN_FIRST_EDIT + 4, L"not this");
  ASSERT_TRUE(dlg->DoDataExchange(kSaveControls, IDC_MAIN_FIRST_EDIT + 3));
  EXPECT_EQ(dlg->m_lists[3], L"only this");
  EXPECT_EQ(dlg->m_lists[4], L"typed 4");
}

// --- sheet selection --------------------------------------------------------------------------

TEST_F(MainDlgTest, TheFileDialogAsksForAnExistingPropsFileInTheMsBuildFolder) {
  for (bool appDataKnown : {true, false}) {
    platform = {};
    platform.appData = appDataKnown ? scratch.Path() : L"";
    Open();
    Command(IDC_MAIN_SELECT_SHEET);
    ASSERT_EQ(platform.fileDialogs.size(), 1u);
    const wintest::FileDialogSeen& seen = platform.fileDialogs[0];
    EXPECT_TRUE(seen.open);
    EXPECT_EQ(seen.initialFolder, appDataKnown ? sheetFolder : L"");
    EXPECT_EQ(seen.filter, L"Visual C++ props file (*.props)\0*.props\0"s);
    EXPECT_EQ(seen.defaultExtension, L"props");
    const DWORD wanted = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ENABLESIZING;
    EXPECT_EQ(seen.flags & wanted, wanted);
    EXPECT_EQ(seen.flags & OFN_ALLOWMULTISELECT, 0u);
    dlg.reset();
  }
}

TEST_F(MainDlgTest, SelectionSavesTheOpenSheetFirstEvenWhenCancelled) {
  wintest::WriteFileBytes(sheet, wintest::SheetWithInclude("C:\\inc"));
  Open();
  Type(IDC_MAIN_FIRST_EDIT, L"C:\\bin");
  Command(IDC_MAIN_SELECT_SHEET);  // no answer: the dialog is cancelled
  const std::string written = wintest::ReadFileBytes(sheet);
  EXPECT_NE(written.find("<UserExecutable>C:\\bin</UserExecutable>"), std::string::npos) << written;
  ExpectShows({true, sheet, L"Win32"}, "unchanged after cancel");
}

TEST_F(MainDlgTest, EachPickedFileLeadsToItsRecordState) {
  const std::wstring x64 = sheetFolder + L"\\Microsoft.Cpp.x64.user.props";
  const std::wstring broken = sheetFolder + L"\\Microsoft.Cpp.ARM.user.props";
  const std::wstring odd = scratch / L"odd.props";
  const struct {
    const char* name;
    std::wstring path;
    std::string content;
    std::vector<ChooserAnswer> chooser;
    Shown shown;
    std::wstring include;
  } cases[] = {
      {"another platform", x64, wintest::SheetWithInclude("C:\\x64"), {}, {true, x64, L"x64"}, L"C:\\x64"},
      {"a name of two pieces", odd, wintest::SheetWithInclude("C:\\odd"), {}, {true, odd, L"---"}, L"C:\\odd"},
      {"unreadable, chooser cancelled", broken, "garbage", {{IDCANCEL, 1}}, {false, L"", L"---"}, L""},
      {"unreadable, recreated", broken, "garbage", {{IDOK, 1}}, {true, broken, L"ARM"}, L""},
  };
  for (const auto& c : cases) {
    wintest::WriteFileBytes(sheet, wintest::SheetWithInclude("C:\\inc"));
    wintest::WriteFileBytes(c.path, c.content);
    platform = {};
    platform.appData = scratch.Path();
    platform.chooserAnswers.assign(c.chooser.begin(), c.chooser.end());
    const std::wstring title = c.path.substr(c.path.rfind(L'\\') + 1);
    platform.fileAnswers = {{IDOK, c.path, title}};
    Open();
    Command(IDC_MAIN_SELECT_SHEET);
    ExpectShows(c.shown, c.name);
    EXPECT_EQ(Text(IDC_MAIN_FIRST_EDIT + 1), c.include) << c.name;
    for (int k = 0; k < kKindCount; ++k) {
      if (k != 1) {
        EXPECT_EQ(Text(IDC_MAIN_FIRST_EDIT + k), L"") << c.name << " " << k;
      }
    }
    if (!c.shown.loaded) {
      EXPECT_EQ(wintest::ReadFileBytes(c.path), c.content) << "left untouched";
    }
    dlg.reset();
  }
}

TEST_F(MainDlgTest, SelectingFromTheNoneStateWritesNothingAndOpensThePick) {
  const std::wstring x64 = sheetFolder + L"\\Microsoft.Cpp.x64.user.props";
  wintest::WriteFileBytes(x64, wintest::SheetWithInclude("C:\\x64"));
  platform.fileAnswers = {{IDOK, x64, L"Microsoft.Cpp.x64.user.props"}};
  Open();  // no default sheet: the None state
  ExpectShows({false, L"", L"---"}, "before");
  Command(IDC_MAIN_SELECT_SHEET);
  ExpectShows({true, x64, L"x64"}, "after");
  EXPECT_FALSE(wintest::FileExists(sheet));
  EXPECT_EQ(platform.messages.size(), 1u) << "only the start-up report";
}

TEST_F(MainDlgTest, SelectingTheOpenSheetWritesItAndReadsItBack) {
  wintest::WriteFileBytes(sheet, wintest::SheetWithInclude("C:\\inc"));
  platform.fileAnswers = {{IDOK, sheet, kSheetName}};
  Open();
  Type(IDC_MAIN_FIRST_EDIT + 1, L"D:\\new;E:\\more");
  Command(IDC_MAIN_SELECT_SHEET);
  EXPECT_EQ(dlg->m_lists[1], L"D:\\new;E:\\more");
  EXPECT_EQ(Text(IDC_MAIN_FIRST_EDIT + 1), L"D:\\new;E:\\more");
  ExpectShows({true, sheet, L"Win32"}, "reopened");
}

TEST_F(MainDlgTest, AFailedSaveBeforeTheSelectionIsReportedAndTheDialogStillOpens) {
  const std::string original = wintest::SheetWithInclude("C:\\inc");
  wintest::WriteFileBytes(sheet, original);
  Open();
  Type(IDC_MAIN_FIRST_EDIT + 1, L"D:\\lost");
  {
    wintest::FileLock lock(sheet);
    ASSERT_TRUE(lock.Held());
    Command(IDC_MAIN_SELECT_SHEET);
  }
  ASSERT_EQ(platform.messages.size(), 1u);
  const wintest::ShownMessage& shown = platform.messages[0];
  EXPECT_EQ(shown.owner, dlg->m_hWnd);
  EXPECT_EQ(shown.type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
  EXPECT_EQ(shown.caption, UiText(text::kSaveFailedCaption));
  const size_t path = shown.text.find(sheet);
  ASSERT_NE(path, std::wstring::npos) << "names the sheet";
  const size_t newline = shown.text.find(L'\n', path);
  ASSERT_NE(newline, std::wstring::npos);
  EXPECT_GT(shown.text.size(), newline + 1) << "followed by the system's reason";
  EXPECT_EQ(platform.fileDialogs.size(), 1u) << "the selection goes on";
  EXPECT_EQ(wintest::ReadFileBytes(sheet), original);
}

// --- closing ----------------------------------------------------------------------------------

TEST_F(MainDlgTest, OkSavesClosesAndQuitsWithOne) {
  wintest::WriteFileBytes(sheet, wintest::SheetWithInclude("C:\\inc"));
  Open();
  Type(IDC_MAIN_FIRST_EDIT + 1, L"C:\\inc;D:\\added");
  Command(IDOK);
  EXPECT_EQ(wintest::TakeQuitCode(), 1);
  EXPECT_EQ(dlg->m_hWnd, nullptr);
  EXPECT_FALSE(dlg->m_font) << "the bold font is released";
  EXPECT_NE(wintest::ReadFileBytes(sheet).find("<UserInclude>C:\\inc;D:\\added</UserInclude>"), std::string::npos);
}

TEST_F(MainDlgTest, OkWritesNothingUnlessASheetIsOpen) {
  // None (missing sheet) and Unread, kept (chooser cancelled): both close with 1 and touch nothing.
  for (bool present : {false, true}) {
    ::DeleteFileW(sheet.c_str());
    if (present) wintest::WriteFileBytes(sheet, "garbage");
    platform.chooserAnswers = {{IDCANCEL, 0}};
    Open();
    Type(IDC_MAIN_FIRST_EDIT, L"C:\\typed anyway");
    Command(IDOK);
    EXPECT_EQ(wintest::TakeQuitCode(), 1) << present;
    EXPECT_EQ(wintest::ReadFileBytes(sheet), present ? "garbage" : "<missing>");
    dlg.reset();
  }
}

TEST_F(MainDlgTest, AFailedSaveKeepsTheWindowOpenUntilOkWorks) {
  const std::string original = wintest::SheetWithInclude("C:\\inc");
  wintest::WriteFileBytes(sheet, original);
  Open();
  ::ShowWindow(dlg->m_hWnd, SW_SHOW);
  Type(IDC_MAIN_FIRST_EDIT + 1, L"D:\\keep me");
  {
    wintest::FileLock lock(sheet);
    ASSERT_TRUE(lock.Held());
    Command(IDOK);
    EXPECT_EQ(wintest::TakeQuitCode(), -1) << "no quit after a failed save";
    EXPECT_TRUE(::IsWindow(dlg->m_hWnd));
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].owner, dlg->m_hWnd);
    EXPECT_TRUE(platform.messages[0].ownerVisible);
    EXPECT_NE(platform.messages[0].text.find(sheet + L"\n"), std::wstring::npos) << "path, then the reason";
    EXPECT_EQ(Text(IDC_MAIN_FIRST_EDIT + 1), L"D:\\keep me") << "the edits are still there";
    EXPECT_TRUE(dlg->m_font) << "the window still shows its bold text";
  }
  EXPECT_EQ(wintest::ReadFileBytes(sheet), original);
  Command(IDOK);
  EXPECT_EQ(wintest::TakeQuitCode(), 1);
  EXPECT_NE(wintest::ReadFileBytes(sheet).find("<UserInclude>D:\\keep me</UserInclude>"), std::string::npos);
}

TEST_F(MainDlgTest, CancelWritesNothingAndQuitsWithTwo) {
  const std::string original = wintest::SheetWithInclude("C:\\inc");
  wintest::WriteFileBytes(sheet, original);
  Open();
  Type(IDC_MAIN_FIRST_EDIT + 1, L"D:\\discarded");
  Command(IDCANCEL);
  EXPECT_EQ(wintest::TakeQuitCode(), 2);
  EXPECT_EQ(dlg->m_hWnd, nullptr);
  EXPECT_EQ(wintest::ReadFileBytes(sheet), original);
}

VOID CALLBACK GiveUp(HWND, UINT, UINT_PTR, DWORD) { ::PostQuitMessage(99); }

// The real loop with the window as its message filter: keys go through the dialog manager.
TEST_F(MainDlgTest, KeysAndTheCloseBoxEndTheLoopWithTheirExitCodes) {
  const struct {
    const char* name;
    UINT message;
    WPARAM key;
    LPARAM flags;
    bool toEditLine;
    int code;
    bool saves;
  } cases[] = {
      {"Enter in an edit line", WM_KEYDOWN, VK_RETURN, 0, true, 1, true},
      {"Esc", WM_KEYDOWN, VK_ESCAPE, 0, true, 2, false},
      {"Alt+F4", WM_SYSKEYDOWN, VK_F4, LPARAM{1} << 29, false, 2, false},
      {"close box", WM_SYSCOMMAND, SC_CLOSE, 0, false, 2, false},
  };
  for (const auto& c : cases) {
    const std::string original = wintest::SheetWithInclude("C:\\inc");
    wintest::WriteFileBytes(sheet, original);
    CMessageLoop loop;
    ASSERT_TRUE(g_module.AddMessageLoop(&loop));
    Open();
    ::ShowWindow(dlg->m_hWnd, SW_SHOW);
    ::SetForegroundWindow(dlg->m_hWnd);
    HWND edit = Item(IDC_MAIN_FIRST_EDIT + 1);
    ::SetFocus(edit);
    Type(IDC_MAIN_FIRST_EDIT + 1, L"E:\\typed");
    ::PostMessageW(c.toEditLine ? edit : dlg->m_hWnd, c.message, c.key, c.flags);
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 5000, &GiveUp);
    const int code = loop.Run();
    ::KillTimer(nullptr, timer);
    g_module.RemoveMessageLoop();

    EXPECT_EQ(code, c.code) << c.name;
    EXPECT_EQ(dlg->m_hWnd, nullptr) << c.name;
    const std::string written = wintest::ReadFileBytes(sheet);
    EXPECT_EQ(written.find("E:\\typed") != std::string::npos, c.saves) << c.name;
    if (!c.saves) {
      EXPECT_EQ(written, original) << c.name;
    }
    dlg.reset();
  }
}

}  // namespace
}  // namespace pathwright
