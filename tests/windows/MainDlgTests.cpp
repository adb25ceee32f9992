// The main window with scripted platform answers: record states, recreate with backup, closing, failed saves.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
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
using namespace wintest;

constexpr const wchar_t* kSheetName = L"Microsoft.Cpp.Win32.user.props";
constexpr int kAlwaysEnabled[] = {IDC_MAIN_SHEET_PATH, IDC_MAIN_SELECT_SHEET, IDC_MAIN_ABOUT, IDC_MAIN_LANGUAGE,
                                  IDC_MAIN_ENV_OPTION, IDOK, IDCANCEL};

struct Shown { bool loaded; std::wstring path, platform; };  // for a record state; path "*": the default sheet

class MainDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Reset();
    MakeFolders(sheetFolder);
    std::filesystem::current_path(scratch.Path());  // the settings file stays in the scratch folder
  }
  void TearDown() override {
    dlg.reset(), TakeQuitCode();
    g_environmentSubstitution = savedOption, std::filesystem::current_path(savedDirectory);
  }
  void Open() {
    dlg = std::make_unique<CMainDlg>();
    ASSERT_NE(dlg->Create(nullptr), nullptr);
  }
  HWND Item(int id) const { return dlg->GetDlgItem(id); }
  std::wstring Text(int id) const { return WindowText(Item(id)); }
  void Command(int id) { ::SendMessageW(dlg->m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
  void Type(int id, const std::wstring& text) { ::SetWindowTextW(Item(id), text.c_str()); }
  void Reset(bool appDataKnown = true) {
    dlg.reset(), platform = {}, platform.appData = appDataKnown ? scratch.Path() : L"";
  }
  void ExpectShows(Shown shown, const std::string& where) {
    if (shown.path == L"*") shown.path = sheet;
    std::string on;  // the kinds' edit lines and buttons follow the record; the rest are always enabled
    for (int id = IDC_MAIN_FIRST_EDIT; id <= IDC_MAIN_LAST_BUTTON; ++id) on += ::IsWindowEnabled(Item(id)) ? '1' : '0';
    for (int id : kAlwaysEnabled) on += ::IsWindowEnabled(Item(id)) ? "" : "!";
    EXPECT_EQ(std::tuple(dlg->m_loaded, dlg->m_path, Text(IDC_MAIN_SHEET_PATH), Text(IDC_MAIN_PLATFORM), on),
              std::tuple(shown.loaded, shown.path, shown.path, shown.platform, std::string(14, "01"[shown.loaded])))
        << where;
  }

  ScratchDir scratch;
  const std::wstring sheetFolder = scratch / L"Microsoft\\MSBuild\\v4.0", sheet = sheetFolder + L"\\" + kSheetName;
  FakePlatform platform;
  PlatformOverride installed{platform};
  std::unique_ptr<CMainDlg> dlg;
  const int savedOption = g_environmentSubstitution;
  const std::filesystem::path savedDirectory = std::filesystem::current_path();
};

// The missing sheet's message texts are checked end to end; here that it comes while the window is hidden.
TEST_F(MainDlgTest, StartUpReachesEachRecordStateAndShowsIt) {
  const struct {
    const char* name;
    bool appDataKnown;
    std::optional<std::string> content;  // nullopt: no sheet file
    std::vector<ChooserAnswer> chooser;
    Shown shown;
  } cases[] = {
      {"open", true, SheetWithInclude("C:\\inc"), {}, {true, L"*", L"Win32"}},
      {"unread, chooser cancelled", true, "not a sheet", {{IDCANCEL, 0}}, {false, L"*", L"Win32"}},
      {"unread, chooser not opened", true, "<Project", {{-1, 0}}, {false, L"*", L"Win32"}},
      {"empty sheet recreated", true, "", {{IDOK, 2}}, {true, L"*", L"Win32"}},
      {"no folder known", false, SheetWithInclude("C:\\inc"), {}, {true, L"", L"---"}},
      {"missing", true, std::nullopt, {}, {false, L"", L"---"}},
  };
  for (const auto& c : cases) {
    Reset(c.appDataKnown);
    ::DeleteFileW(sheet.c_str());
    if (c.content) WriteFileBytes(sheet, *c.content);
    platform.chooserAnswers.assign(c.chooser.begin(), c.chooser.end());
    Open();
    ExpectShows(c.shown, c.name);
    EXPECT_EQ(platform.chooserVersionsOnEntry.size(), c.chooser.size()) << c.name;
    ASSERT_EQ(platform.messages.size(), c.content ? 0u : 1u) << c.name;
    EXPECT_TRUE(c.content || (platform.messages[0].owner == dlg->m_hWnd && !platform.messages[0].ownerVisible));
    if (!c.shown.loaded) {  // OK closes with 1 and writes nothing
      Type(IDC_MAIN_FIRST_EDIT, L"C:\\typed anyway");
      Command(IDOK);
      EXPECT_EQ(TakeQuitCode(), 1) << c.name;
      EXPECT_EQ(ReadFileBytes(sheet), c.content.value_or("<missing>")) << c.name;
    }
  }
}

TEST_F(MainDlgTest, AnUnreadableSheetIsOnlyReplacedOnceItsBytesAreKept) {
  const std::string unreadable = "\xEF\xBB\xBF<Project";
  WriteFileBytes(sheet, unreadable);
  WriteFileBytes(sheet + L".bak", "an older backup");
  InjectFileFault(FileFault::kFlush);  // the copy cannot be made yet
  platform.chooserAnswers = {{IDOK, 2}};
  Open();
  EXPECT_EQ(platform.chooserVersionsOnEntry, std::vector<int>{0}) << "the chooser opens on its first entry";
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].caption, UiText(text::kSaveFailedCaption));
  EXPECT_NE(platform.messages[0].text.find(sheet), std::wstring::npos);
  Command(IDOK);  // still no copy: stays open
  EXPECT_EQ(TakeQuitCode(), -1);
  EXPECT_EQ(ReadFileBytes(sheet), unreadable);
  InjectFileFault(FileFault::kNone);
  Command(IDOK);
  EXPECT_EQ(TakeQuitCode(), 1);
  EXPECT_EQ(ReadFileBytes(sheet + L".bak"), "an older backup") << "a backup is never overwritten";
  EXPECT_EQ(ReadFileBytes(sheet + L".bak.2"), unreadable);
  EXPECT_NE(ReadFileBytes(sheet).find("ToolsVersion=\"12.0\""), std::string::npos) << ReadFileBytes(sheet);
}

TEST_F(MainDlgTest, ThePlatformIsTheThirdOfExactlyFiveNamePieces) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"Microsoft.Cpp.x64.user.props", L"x64"},       {L"Microsoft..Cpp.x64.user.props", L"x64"},
      {L".Microsoft.Cpp.Win32.user.props.", L"Win32"}, {L"Cpp.Win32.user.props", L"---"},
      {L"Microsoft.Cpp.Win32.user.old.props", L"---"}, {L"", L"---"},
  };
  Open();
  for (const auto& [name, shown] : cases) {
    Type(IDC_MAIN_PLATFORM, L"before");
    dlg->ShowPlatform(name);
    EXPECT_EQ(Text(IDC_MAIN_PLATFORM), shown) << name;
  }
}

TEST_F(MainDlgTest, DataExchangeMovesPathListsAndOptionBothWays) {
  Open();
  dlg->m_path = L"C:\\some\\sheet.props";
  for (int k = 0; k < kKindCount; ++k) dlg->m_lists[k] = L"list " + std::to_wstring(k);
  g_environmentSubstitution = 7;
  ASSERT_TRUE(dlg->DoDataExchange(kFillControls));
  std::wstring shown = Text(IDC_MAIN_SHEET_PATH) + std::to_wstring(g_environmentSubstitution), saved;
  for (int k = 0; k < kKindCount; ++k)
    shown += L"|" + Text(IDC_MAIN_FIRST_EDIT + k), Type(IDC_MAIN_FIRST_EDIT + k, L"t" + std::to_wstring(k));
  EXPECT_EQ(shown, L"C:\\some\\sheet.props0|list 0|list 1|list 2|list 3|list 4|list 5|list 6") << "7 becomes 0";
  ::SendMessageW(Item(IDC_MAIN_ENV_OPTION), BM_SETCHECK, BST_CHECKED, 0);
  ASSERT_TRUE(dlg->DoDataExchange(kSaveControls));
  for (int k = 0; k < kKindCount; ++k) saved += dlg->m_lists[k];
  EXPECT_EQ(saved + std::to_wstring(g_environmentSubstitution), L"t0t1t2t3t4t5t61");
}

// Each selection first saves what is open (with the typed list), then leads to the pick's state. A save
// that fails (the old sheet held open elsewhere) is reported over the visible window, and the selection goes on.
TEST_F(MainDlgTest, EachSelectionSavesFirstAndLeadsToItsRecordState) {
  const std::wstring x64 = sheetFolder + L"\\Microsoft.Cpp.x64.user.props", odd = scratch / L"odd.props";
  const std::wstring broken = sheetFolder + L"\\Microsoft.Cpp.ARM.user.props";
  const struct {
    const char* name;
    int start;          // 0: no default sheet (the None state), 1: open, 2: open but held by another program
    std::wstring path;  // empty: the dialog is cancelled
    std::optional<std::string> content;
    std::vector<ChooserAnswer> chooser;
    Shown shown;
    std::wstring include;
  } cases[] = {
      {"cancelled", 1, L"", std::nullopt, {}, {true, L"*", L"Win32"}, L"D:\\typed"},
      {"the open sheet again", 1, sheet, std::nullopt, {}, {true, L"*", L"Win32"}, L"D:\\typed"},
      {"another platform", 1, x64, SheetWithInclude("C:\\x64"), {}, {true, x64, L"x64"}, L"C:\\x64"},
      {"two name pieces", 1, odd, SheetWithInclude("C:\\odd"), {}, {true, odd, L"---"}, L"C:\\odd"},
      {"unreadable, kept", 1, broken, "garbage", {{IDCANCEL, 1}}, {false, L"", L"---"}, L""},
      {"unreadable, recreated", 1, broken, "garbage", {{IDOK, 1}}, {true, broken, L"ARM"}, L""},
      {"from None", 0, x64, SheetWithInclude("C:\\x64"), {}, {true, x64, L"x64"}, L"C:\\x64"},
      {"old sheet not saved", 2, x64, SheetWithInclude("C:\\x64"), {}, {true, x64, L"x64"}, L"C:\\x64"},
  };
  for (const auto& c : cases) {
    Reset();
    ::DeleteFileW(sheet.c_str());
    if (c.start) WriteFileBytes(sheet, SheetWithInclude("C:\\inc"));
    if (c.content) WriteFileBytes(c.path, *c.content);
    platform.chooserAnswers.assign(c.chooser.begin(), c.chooser.end());
    if (!c.path.empty()) platform.fileAnswers = {{IDOK, c.path, c.path.substr(c.path.rfind(L'\\') + 1)}};
    Open();
    ::ShowWindow(dlg->m_hWnd, SW_SHOW);
    Type(IDC_MAIN_FIRST_EDIT + 1, L"D:\\typed");
    FileLock lock(c.start == 2 ? sheet : L"?");
    ASSERT_EQ(lock.Held(), c.start == 2);
    Command(IDC_MAIN_SELECT_SHEET);
    lock.Release();
    ExpectShows(c.shown, c.name);
    std::wstring lists;
    for (int k = 0; k < kKindCount; ++k) lists += Text(IDC_MAIN_FIRST_EDIT + k) + L";";
    EXPECT_EQ(lists, L";" + c.include + L";;;;;;") << c.name;
    EXPECT_EQ(ReadFileBytes(sheet), c.start ? SheetWithInclude(c.start == 1 ? "D:\\typed" : "C:\\inc") : "<missing>")
        << c.name << ": the open sheet is saved first";
    EXPECT_TRUE(c.shown.loaded || ReadFileBytes(c.path) == *c.content) << c.name << ": left untouched";
    ASSERT_EQ(platform.messages.size(), c.start == 1 ? 0u : 1u) << c.name;
    if (c.start != 2) continue;
    const ShownMessage& shown = platform.messages[0];
    EXPECT_EQ(std::tuple(shown.owner, shown.ownerVisible, shown.type & MB_ICONMASK, shown.caption),
              std::tuple(dlg->m_hWnd, true, UINT(MB_ICONERROR), UiText(text::kSaveFailedCaption)));
    const size_t reason = shown.text.find(sheet + L"\n");
    EXPECT_TRUE(reason != std::wstring::npos && shown.text.size() > reason + sheet.size() + 1)
        << "the sheet, then the system's reason";
  }
  // The file dialog asks for one existing .props file, in the MSBuild folder when there is one.
  const FileDialogSeen& seen = platform.fileDialogs.at(0);
  const DWORD wanted = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ENABLESIZING;
  EXPECT_EQ(std::tuple(seen.open, seen.initialFolder, seen.filter, seen.defaultExtension,
                       seen.flags & (wanted | OFN_ALLOWMULTISELECT)),
            std::tuple(true, sheetFolder, L"Visual C++ props file (*.props)\0*.props\0"s, L"props"s, wanted));
  Reset(false), Open(), Command(IDC_MAIN_SELECT_SHEET);
  EXPECT_EQ(platform.fileDialogs.at(0).initialFolder, L"") << "no MSBuild folder known";
}

VOID CALLBACK GiveUp(HWND, UINT, UINT_PTR, DWORD) { ::PostQuitMessage(99); }

// The real loop with the window as its message filter. OK, Enter, Cancel, Esc and the close box are driven
// end to end; Alt+F4 goes through the dialog manager here and leaves without saving.
TEST_F(MainDlgTest, FocusStartsInTheSheetPathAndAltF4EndsTheLoopWithoutSaving) {
  const std::string original = SheetWithInclude("C:\\inc");
  WriteFileBytes(sheet, original);
  CMessageLoop loop;
  ASSERT_TRUE(g_module.AddMessageLoop(&loop));
  Open();
  ::ShowWindow(dlg->m_hWnd, SW_SHOW);
  ::SetForegroundWindow(dlg->m_hWnd);
  PumpMessages();
  EXPECT_EQ(::GetFocus(), Item(IDC_MAIN_SHEET_PATH));
  Type(IDC_MAIN_FIRST_EDIT + 1, L"E:\\typed");
  ::PostMessageW(dlg->m_hWnd, WM_SYSKEYDOWN, VK_F4, LPARAM{1} << 29);
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 5000, &GiveUp);
  EXPECT_EQ(loop.Run(), 2);
  ::KillTimer(nullptr, timer);
  g_module.RemoveMessageLoop();
  EXPECT_TRUE(!dlg->m_hWnd && !dlg->m_font) << "closed, its font released";
  EXPECT_EQ(ReadFileBytes(sheet), original);
}

}  // namespace
}  // namespace pathwright
