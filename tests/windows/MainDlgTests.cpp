// The main window with scripted platform answers and the shipped language files in its start-up
// folder: record states, languages, sheet selection, recreation with backup, failed saves and the
// list editor's hand-over.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "WinTestSupport.h"
#include "base/Utf8.h"
#include "lang/LanguageFile.h"
#include "lang/TextNumbers.h"
#include "model/DirectoryKinds.h"
#include "res/resource.h"
#include "ui/MainDlg.h"
#include "ui/Options.h"
#include "ui/UiLanguage.h"
#include "win/HyperLink.h"
#include "win/LanguageManager.h"

namespace pathwright {
namespace {

using namespace std::string_literals;
using namespace wintest;
namespace fs = std::filesystem;

const std::string kBom = "\xEF\xBB\xBF", kFrench = "Fran\xC3\xA7" "ais";
const std::string kSheet = SavedSheet(Include("C:\\inc"));

struct Shown { bool loaded; std::wstring path, platform; };  // path "*": the default sheet

class MainDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(sheetFolder);
    fs::create_directory(scratch.Path("lang"));
    for (const fs::directory_entry& file : fs::directory_iterator(DecodeUtf8(PATHWRIGHT_SOURCE_DIR "/lang")))
      fs::copy_file(file.path(), scratch.Path("lang") / file.path().filename());
    fs::current_path(scratch.Root());  // the start-up folder: lang\ and the settings file
    Reset();
  }
  void TearDown() override {
    dlg.reset();
    TakeQuitCode();
    g_environmentSubstitution = savedOption;
    fs::current_path(savedDirectory);
    LanguageManager().LoadLanguage(L"no such file");  // later tests start without texts
  }
  void Reset(bool appDataKnown = true) {
    dlg.reset();
    platform = {};
    platform.appData = appDataKnown ? scratch.Root().wstring() : L"";
  }
  void Open() {
    LanguageManager().LoadLanguage(L"no such file");
    dlg = std::make_unique<CMainDlg>();
    main = dlg->Create(nullptr);
    ASSERT_NE(main, nullptr);
  }
  HWND Item(int id) const { return ::GetDlgItem(main, id); }
  std::wstring Text(int id) const { return ItemText(main, id); }
  void Type(int id, const std::wstring& text) { ::SetWindowTextW(Item(id), text.c_str()); }
  std::wstring Shipped(const std::wstring& file, uint32_t number) const {
    LanguageTable table;
    LoadLanguage(scratch.Path("lang").wstring() + L"\\" + file, table);
    return GetText(table, number);
  }
  void ExpectShows(Shown shown, const char* where) {
    std::string on;  // the kinds' edit lines and buttons follow the record
    for (int id = IDC_MAIN_FIRST_EDIT; id <= IDC_MAIN_LAST_BUTTON; ++id) on += ::IsWindowEnabled(Item(id)) ? '1' : '0';
    EXPECT_EQ(std::tuple(Text(IDC_MAIN_SHEET_PATH), Text(IDC_MAIN_PLATFORM), on),
              std::tuple(shown.path == L"*" ? sheet : shown.path, shown.platform, std::string(14, "01"[shown.loaded])))
        << where;
  }

  ScratchFolder scratch;
  const std::wstring sheetFolder = scratch.WidePath("Microsoft\\MSBuild\\v4.0");
  const std::wstring sheet = sheetFolder + L"\\Microsoft.Cpp.Win32.user.props";
  const std::wstring settings = scratch.WidePath("programm.ini");
  FakePlatform platform;
  PlatformOverride installed{platform};
  std::unique_ptr<CMainDlg> dlg;
  HWND main = nullptr;
  const int savedOption = g_environmentSubstitution;
  const fs::path savedDirectory = fs::current_path();
};

TEST_F(MainDlgTest, StartUpReachesEachRecordStateAndShowsIt) {
  const struct {
    const char* name;
    bool appDataKnown;
    std::optional<std::string> content;  // nullopt: no sheet file
    std::vector<ChooserAnswer> chooser;
    Shown shown;
  } cases[] = {
      {"open", true, kSheet, {}, {true, L"*", L"Win32"}},
      {"unread, chooser cancelled", true, "not a sheet", {{IDCANCEL, 0}}, {false, L"*", L"Win32"}},
      {"unread, chooser not opened", true, "<Project", {{-1, 0}}, {false, L"*", L"Win32"}},
      {"empty sheet recreated", true, "", {{IDOK, 2}}, {true, L"*", L"Win32"}},
      {"no folder known", false, kSheet, {}, {true, L"", L"---"}},
      {"missing", true, std::nullopt, {}, {false, L"", L"---"}},
  };
  for (const auto& c : cases) {
    Reset(c.appDataKnown);
    ::DeleteFileW(sheet.c_str());
    if (c.content) WriteBytes(sheet, *c.content);
    platform.chooserAnswers.assign(c.chooser.begin(), c.chooser.end());
    Open();
    ExpectShows(c.shown, c.name);
    EXPECT_EQ(platform.chooserVersionsOnEntry, std::vector<int>(c.chooser.size(), 0)) << c.name;
    ASSERT_EQ(platform.messages.size(), c.content ? 0u : 1u) << c.name;
    if (!c.content) {  // told while the window is still hidden, in the loaded language
      const ShownMessage& box = platform.messages[0];
      EXPECT_EQ(std::tuple(box.owner, box.ownerVisible, box.caption),
                std::tuple(main, false, Shipped(L"English.lng", text::kMissingSheetCaption)));
      EXPECT_NE(box.text.find(L" Microsoft.Cpp.Win32.user.props"), std::wstring::npos) << EncodeUtf8(box.text);
    }
    if (!c.shown.loaded) {  // OK closes with 1 and writes nothing
      Type(IDC_MAIN_FIRST_EDIT, L"C:\\typed anyway");
      Command(main, IDOK);
      EXPECT_EQ(TakeQuitCode(), 1) << c.name;
      EXPECT_EQ(ReadBytes(sheet), c.content.value_or("")) << c.name;
    }
  }
}

// The language and the option come from the settings file; a language chosen later translates at once
// and, like the option, is written back straight away (Cancel keeps both). A typed list that looks like a
// text number stays as it is.
TEST_F(MainDlgTest, TheLanguageAndTheOptionFollowTheSettingsFileAndAreKept) {
  const struct { const char* name; std::string settings; const wchar_t* file; std::wstring selected; bool option; } cases[] = {
      {"no settings file: English, option on", "", L"English.lng", L"English", true},
      {"one line only: option off", kBom + kFrench + "\r\n", L"Fran\u00E7ais.lng", L"Fran\u00E7ais", false},
      {"wrong letter case loads nothing but selects the entry", kBom + "english\r\ntrue\r\n", nullptr, L"English", true},
      {"unknown language loads nothing", "Klingon\ntrue\n", nullptr, L"", true},
      {"German, option off", kBom + "Deutsch\r\nfalse\r\n", L"Deutsch.lng", L"Deutsch", false},  // then chosen
  };
  WriteBytes(sheet, kSheet);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ::DeleteFileW(settings.c_str());
    if (!c.settings.empty()) WriteBytes(settings, c.settings);
    Open();
    EXPECT_EQ(Text(IDC_MAIN_SELECT_SHEET), c.file ? Shipped(c.file, text::kMainSelectSheet) : L"2003");
    EXPECT_EQ(Text(IDC_MAIN_LANGUAGE), c.selected);
    EXPECT_EQ(::SendMessageW(Item(IDC_MAIN_ENV_OPTION), BM_GETCHECK, 0, 0) == BST_CHECKED, c.option);
    EXPECT_EQ(ReadBytes(settings), c.settings) << "opening writes no settings";
  }
  Type(IDC_MAIN_FIRST_EDIT + 1, L"2003");
  ::SendMessageW(Item(IDC_MAIN_LANGUAGE), CB_SELECTSTRING, WPARAM(-1), LPARAM(L"Fran\u00E7ais"));
  Command(main, IDC_MAIN_LANGUAGE, CBN_SELCHANGE);
  EXPECT_EQ(Text(IDC_MAIN_SELECT_SHEET), Shipped(L"Fran\u00E7ais.lng", text::kMainSelectSheet));
  EXPECT_EQ(Text(IDC_MAIN_FIRST_EDIT + 1), L"2003");
  EXPECT_EQ(ReadBytes(settings), kBom + kFrench + "\r\nfalse\r\n");
  ::SendMessageW(Item(IDC_MAIN_ENV_OPTION), BM_SETCHECK, BST_CHECKED, 0);
  Command(main, IDC_MAIN_ENV_OPTION);
  EXPECT_EQ(ReadBytes(settings), kBom + kFrench + "\r\ntrue\r\n");
  Command(main, IDCANCEL);
  EXPECT_EQ(TakeQuitCode(), 2);
  EXPECT_EQ(ReadBytes(settings), kBom + kFrench + "\r\ntrue\r\n");
  EXPECT_EQ(ReadBytes(sheet), kSheet);
}

// Each selection first saves what is open (with the typed list), then leads to the pick's state. A save
// that fails (the old sheet held open elsewhere) is reported over the visible window; the selection goes on.
TEST_F(MainDlgTest, EachSelectionSavesFirstAndLeadsToItsRecordState) {
  const std::wstring x64 = sheetFolder + L"\\Microsoft.Cpp.x64.user.props", odd = scratch.WidePath("odd.props");
  const std::wstring broken = sheetFolder + L"\\Microsoft.Cpp.ARM.user.props";
  const struct {
    const char* name;
    int start;          // 0: no default sheet (nothing open), 1: open, 2: open but held by another program
    std::wstring path;  // empty: the dialog is cancelled
    std::optional<std::string> content;
    std::vector<ChooserAnswer> chooser;
    Shown shown;
    std::wstring include;
  } cases[] = {
      {"cancelled", 1, L"", std::nullopt, {}, {true, L"*", L"Win32"}, L"D:\\typed"},
      {"the open sheet again", 1, sheet, std::nullopt, {}, {true, L"*", L"Win32"}, L"D:\\typed"},
      {"another platform", 1, x64, SavedSheet(Include("C:\\x64")), {}, {true, x64, L"x64"}, L"C:\\x64"},
      {"two name pieces", 1, odd, SavedSheet(Include("C:\\odd")), {}, {true, odd, L"---"}, L"C:\\odd"},
      {"unreadable, kept", 1, broken, "garbage", {{IDCANCEL, 1}}, {false, L"", L"---"}, L""},
      {"unreadable, recreated", 1, broken, "garbage", {{IDOK, 1}}, {true, broken, L"ARM"}, L""},
      {"from nothing open", 0, x64, SavedSheet(Include("C:\\x64")), {}, {true, x64, L"x64"}, L"C:\\x64"},
      {"old sheet not saved", 2, x64, SavedSheet(Include("C:\\x64")), {}, {true, x64, L"x64"}, L"C:\\x64"},
  };
  for (const auto& c : cases) {
    Reset();
    ::DeleteFileW(sheet.c_str());
    if (c.start) WriteBytes(sheet, kSheet);
    if (c.content) WriteBytes(c.path, *c.content);
    platform.chooserAnswers.assign(c.chooser.begin(), c.chooser.end());
    if (!c.path.empty()) platform.fileAnswers = {{IDOK, c.path, c.path.substr(c.path.rfind(L'\\') + 1)}};
    Open();
    ::ShowWindow(main, SW_SHOW);
    Type(IDC_MAIN_FIRST_EDIT + 1, L"D:\\typed");
    {
      const UniqueFile held = c.start == 2 ? HoldWithoutSharing(sheet) : UniqueFile();
      Command(main, IDC_MAIN_SELECT_SHEET);
    }
    ExpectShows(c.shown, c.name);
    EXPECT_EQ(Text(IDC_MAIN_FIRST_EDIT + 1), c.include) << c.name;
    EXPECT_EQ(ReadBytes(sheet), c.start ? SavedSheet(Include(c.start == 1 ? "D:\\typed" : "C:\\inc")) : "")
        << c.name << ": the open sheet is saved first";
    EXPECT_TRUE(c.shown.loaded || ReadBytes(c.path) == *c.content) << c.name << ": left untouched";
    ASSERT_EQ(platform.messages.size(), c.start == 1 ? 0u : 1u) << c.name;
    if (c.start != 2) continue;
    const ShownMessage& box = platform.messages[0];
    EXPECT_EQ(std::tuple(box.owner, box.ownerVisible, box.type & MB_ICONMASK, box.caption),
              std::tuple(main, true, UINT(MB_ICONERROR), Shipped(L"English.lng", text::kSaveFailedCaption)));
    const size_t reason = box.text.find(sheet + L"\n");
    EXPECT_TRUE(reason != std::wstring::npos && box.text.size() > reason + sheet.size() + 1)
        << "the sheet, then the system's reason";
  }
  EXPECT_EQ(platform.fileDialogFolders, std::vector<std::wstring>{sheetFolder}) << "it starts in the MSBuild folder";
}

// A new sheet that cannot be written (here: its predecessor cannot be kept as .bak) is reported; OK then
// keeps the window and the edits until a save succeeds.
TEST_F(MainDlgTest, AFailedWriteIsReportedAndOkKeepsTheWindowUntilASaveSucceeds) {
  WriteBytes(sheet, "\xEF\xBB\xBF<Project");
  WriteBytes(sheet + L".bak", "an older backup");
  UniqueFile held = HoldWithoutSharing(sheet + L".bak");
  platform.chooserAnswers = {{IDOK, 2}};
  Open();
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].caption, Shipped(L"English.lng", text::kSaveFailedCaption));
  EXPECT_NE(platform.messages[0].text.find(sheet), std::wstring::npos);
  Command(main, IDOK);
  EXPECT_EQ(TakeQuitCode(), -1);
  held.Reset();
  Command(main, IDOK);
  EXPECT_EQ(TakeQuitCode(), 1);
  EXPECT_NE(ReadBytes(sheet).find("ToolsVersion=\"12.0\""), std::string::npos) << "a Visual Studio 2013 sheet";
}

// The editor gets the list as typed and the last folder browsed; only OK brings its list and last
// folder back, for that kind.
TEST_F(MainDlgTest, TheListEditorTakesAndGivesBackTheListOfItsKind) {
  WriteBytes(sheet, kSheet);
  g_environmentSubstitution = 0;
  Open();
  const auto press = [&](int kind, std::vector<int> clicks, std::wstring* label = nullptr) {
    ModalScript script(IDC_LIST_BOX, [&](HWND editor) {
      if (label) *label = ItemText(editor, IDC_LIST_LABEL);
      for (int id : clicks) Command(editor, id);
      return true;
    });
    Command(main, IDC_MAIN_FIRST_BUTTON + kind);
    return script.Done();
  };
  Type(IDC_MAIN_FIRST_EDIT + 1, L"C:\\typed;;C:\\b;");
  platform.folderPicks = {L"D:\\new"};
  EXPECT_TRUE(press(1, {IDC_LIST_ADD, IDC_LIST_CLEAR, IDCANCEL}));
  EXPECT_EQ(Text(IDC_MAIN_FIRST_EDIT + 1), L"C:\\typed;;C:\\b;") << "Cancel: unchanged";
  std::wstring lastFolder;  // Cancel took none back
  for (int kind = 0; kind < kKindCount; ++kind) {
    const std::wstring picked = L"D:\\kind" + std::to_wstring(kind);
    std::wstring label;
    Type(IDC_MAIN_FIRST_EDIT + kind, L"C:\\t;");  // a final ";" gives no entry
    platform.folderPicks = {picked};
    EXPECT_TRUE(press(kind, {IDC_LIST_ADD, IDOK}, &label));
    EXPECT_NE(label.find(kKindTitles[kind]), std::wstring::npos) << EncodeUtf8(label);
    EXPECT_EQ(Text(IDC_MAIN_FIRST_EDIT + kind), L"C:\\t;" + picked) << kind;
    EXPECT_EQ(platform.foldersAsked.back().initialFolder, lastFolder) << "the last folder taken back: " << kind;
    lastFolder = picked;
  }
  Command(main, IDOK);
  EXPECT_EQ(TakeQuitCode(), 1);
  EXPECT_NE(ReadBytes(sheet).find("<UserExclude>C:\\t;D:\\kind6</UserExclude>"), std::string::npos);
}

// "?" opens the About box over the main window; a click on a link opens its target (the opener replaced,
// so no browser starts) and Cancel closes the box alone.
TEST_F(MainDlgTest, TheAboutBoxOpensItsLinksAndClosesAlone) {
  static std::vector<std::wstring> opened;
  const LinkOpenerOverride opener([](const std::wstring& target) -> INT_PTR {
    opened.push_back(target);
    return 42;  // > 32: the shell opened it
  });
  WriteBytes(sheet, kSheet);
  Open();
  bool mainEnabled = true;
  ModalScript script(IDC_ABOUT_VERSION, [&](HWND about) {
    mainEnabled = ::IsWindowEnabled(main);
    HWND link = ::GetDlgItem(about, IDC_ABOUT_XML_LINK);
    ::SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 3));
    ::SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(2, 3));
    Command(about, IDCANCEL);
    return true;
  });
  Command(main, IDC_MAIN_ABOUT);
  ASSERT_TRUE(script.Done());
  EXPECT_FALSE(mainEnabled) << "modal";
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_NE(opened[0].find(L"pugixml"), std::wstring::npos);
  EXPECT_EQ(TakeQuitCode(), -1) << "the main window stays";
}

// The real chooser through the real platform services: three versions, the first selected; OK and
// Cancel both hand the selection back, only the result tells them apart.
TEST(VersionChooserTest, OffersThreeVersionsAndHandsBackTheSelection) {
  for (const int close : {IDOK, IDCANCEL}) {
    std::wstring listed;  // the entries, then the selection
    ModalScript script(IDC_RESTORE_VERSION, [&](HWND chooser) {
      HWND combo = ::GetDlgItem(chooser, IDC_RESTORE_VERSION);
      for (WPARAM i = 0; i < WPARAM(::SendMessageW(combo, CB_GETCOUNT, 0, 0)); ++i) {
        wchar_t name[32] = {};
        ::SendMessageW(combo, CB_GETLBTEXT, i, LPARAM(name));
        listed += name + L"|"s;
      }
      listed += std::to_wstring(::SendMessageW(combo, CB_GETCURSEL, 0, 0));
      ::SendMessageW(combo, CB_SETCURSEL, 2, 0);
      Command(chooser, close);
      return true;
    });
    int version = 0;
    EXPECT_EQ(Platform().RunVersionChooser(nullptr, version), close);
    EXPECT_EQ(version, 2);
    EXPECT_EQ(listed, L"Visual Studio 2010|Visual Studio 2012|Visual Studio 2013|0");
  }
}

}  // namespace
}  // namespace pathwright
