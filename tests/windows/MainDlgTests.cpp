// The main window with scripted platform answers and the shipped language files in its start-up
// folder: record states, languages, sheet selection, recreation with backup, failed saves and the
// list editor's hand-over, and the dialogs after a change of DPI.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "WinTestSupport.h"
#include "base/Utf8.h"
#include "lang/LanguageFile.h"
#include "lang/TextFormat.h"
#include "lang/TextNumbers.h"
#include "model/DirectoryKinds.h"
#include "res/resource.h"
#include "ui/AboutDlg.h"
#include "ui/MainDlg.h"
#include "ui/PathListDlg.h"
#include "ui/UiLanguage.h"
#include "win/HyperLink.h"
#include "win/LanguageManager.h"

namespace pathwright {
namespace {

using namespace std::string_literals;
using namespace wintest;
namespace fs = std::filesystem;

const std::string kBom = "\xEF\xBB\xBF", kFrench =
                                             "Fran\xC3\xA7"
                                             "ais";
const std::string kSheet = SavedSheet(Include("C:\\inc"));

struct Shown {
  bool loaded;
  std::wstring path, platform;
};  // path "*": the default sheet

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
    fs::current_path(savedDirectory);
  }
  void Reset(bool appDataKnown = true) {
    dlg.reset();
    platform = {};
    platform.appData = appDataKnown ? scratch.Root().wstring() : L"";
  }
  void Open() {
    dlg = std::make_unique<CMainDlg>(platform);
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
  // The platform field marks a platform whose sheet exists.
  std::wstring Marked(const std::wstring& name) const {
    return name.empty() ? L"" : FormatWithString(Shipped(shownIn, text::kMainPlatformPresent), name);
  }
  void ExpectShows(Shown shown, const char* where) {
    std::string on;  // the kinds' edit lines and buttons follow the record
    for (int id = IDC_MAIN_FIRST_EDIT; id <= IDC_MAIN_LAST_BUTTON; ++id) on += ::IsWindowEnabled(Item(id)) ? '1' : '0';
    EXPECT_EQ(std::tuple(Text(IDC_MAIN_SHEET_PATH), Text(IDC_MAIN_PLATFORM), on),
              std::tuple(shown.path == L"*" ? sheet : shown.path, Marked(shown.platform), std::string(14, "01"[shown.loaded])))
        << where;
    // The path is longer than its field: the field shows its end, the sheet's file name.
    HWND path = Item(IDC_MAIN_SHEET_PATH);
    RECT field = {};
    ::GetClientRect(path, &field);
    const LRESULT length = ::GetWindowTextLengthW(path);
    const LRESULT last = length ? ::SendMessageW(path, EM_POSFROMCHAR, WPARAM(length - 1), 0) : 0;
    EXPECT_TRUE(last != -1 && short(LOWORD(last)) >= 0 && short(LOWORD(last)) < field.right) << where;
  }

  ScratchFolder scratch;
  const std::wstring sheetFolder = scratch.WidePath("Microsoft\\MSBuild\\v4.0");
  const std::wstring sheet = sheetFolder + L"\\Microsoft.Cpp.Win32.user.props";
  const std::wstring settings = scratch.WidePath("programm.ini");
  FakePlatform platform;
  std::wstring shownIn = L"English.lng";  // the language file the window's texts come from
  std::unique_ptr<CMainDlg> dlg;
  HWND main = nullptr;
  const fs::path savedDirectory = fs::current_path();
};

// Each start-up state, and the one message it shows (none, or the caption given) while the window is still
// hidden. A missing sheet is offered in the newest format and made with its folders.
TEST_F(MainDlgTest, StartUpReachesEachRecordStateAndShowsIt) {
  const std::string unreadable = "\xEF\xBB\xBF<Project";
  const struct {
    const char* name;
    bool appDataKnown;
    std::optional<std::string> content;  // nullopt: no sheet file, and no MSBuild folder either
    std::vector<ChooserAnswer> chooser;
    Shown shown;
    uint32_t told = 0;              // the caption of the message shown; 0: none
    const wchar_t* held = nullptr;  // L".bak": the copy of the unreadable sheet fails
    const wchar_t* language = nullptr;  // the language file in use, when not English
    std::wstring reason = L"";          // why the file is no sheet, as the chooser says it
  } cases[] = {
      {"open", true, kSheet, {}, {true, L"*", L"Win32"}},
      {"unread, chooser cancelled", true, "not a sheet", {{IDCANCEL, 0}}, {false, L"*", L"Win32"}},
      {"unread, chooser not opened", true, "<Project", {{-1, 0}}, {false, L"*", L"Win32"}},
      {"empty sheet recreated", true, "", {{IDOK, 2}}, {true, L"*", L"Win32"}},
      {"unread, its copy cannot be kept: no empty record over it",
       true,
       unreadable,
       {{IDOK, 2}},
       {false, L"*", L"Win32"},
       text::kSaveFailedCaption,
       L".bak"},
      {"no folder known", false, kSheet, {}, {true, L"", L""}},
      {"missing, declined",
       true,
       std::nullopt,
       {},
       {false, L"", L""},
       text::kMissingSheetCaption},
      {"missing, created with its folders",
       true,
       std::nullopt,
       {},
       {true, L"*", L"Win32"},
       text::kMissingSheetCaption},
      {"unread in German: the reason in German too, line and all",
       true,
       "<Project>\r\n</Projekt>\r\n",
       {{IDCANCEL, 0}},
       {false, L"*", L"Win32"},
       0,
       nullptr,
       L"Deutsch.lng",
       FormatWithString(Shipped(L"Deutsch.lng", text::kReasonBadEndTag), L"2")},
  };
  for (const auto& c : cases) {
    Reset(c.appDataKnown);
    shownIn = c.language ? c.language : L"English.lng";
    if (c.language) WriteBytes(settings, kBom + EncodeUtf8(c.language).substr(0, EncodeUtf8(c.language).find('.')) + "\r\n");
    fs::remove_all(scratch.Path("Microsoft"));
    if (c.content) fs::create_directories(sheetFolder), WriteBytes(sheet, *c.content);
    if (c.held) WriteBytes(sheet + L".bak", "an older backup");
    platform.chooserAnswers.assign(c.chooser.begin(), c.chooser.end());
    if (!c.content) platform.messageAnswers = {c.shown.loaded ? IDYES : IDNO};
    const bool copyFails = c.held != nullptr;  // a taken .bak only moves the copy to .bak.2
    if (copyFails) InjectFileFault(FileFault::kFlush);
    Open();
    InjectFileFault(FileFault::kNone);
    ExpectShows(c.shown, c.name);
    EXPECT_EQ(platform.chooserVersionsOnEntry, std::vector<int>(c.chooser.size(), 2)) << c.name << ": the newest";
    for (const std::wstring& prompt : platform.chooserPrompts) {  // the file, the reason, where the old one stays
      EXPECT_NE(prompt.find(sheet), std::wstring::npos) << EncodeUtf8(prompt);
      EXPECT_NE(prompt.find(sheet + (c.held ? L".bak.2" : L".bak")), std::wstring::npos) << EncodeUtf8(prompt);
      if (c.reason.empty()) continue;
      EXPECT_NE(prompt.find(L"\n" + c.reason + L"\n"), std::wstring::npos) << EncodeUtf8(prompt);
      EXPECT_EQ(prompt.find(L"not well-formed"), std::wstring::npos) << EncodeUtf8(prompt);
    }
    EXPECT_EQ(fs::exists(sheetFolder), c.content || c.shown.loaded) << c.name;
    ASSERT_EQ(platform.messages.size(), c.told ? 1u : 0u) << c.name;
    if (c.told) {  // in the loaded language
      const ShownMessage& box = platform.messages[0];
      EXPECT_EQ(std::tuple(box.owner, box.ownerVisible, box.caption),
                std::tuple(main, false, Shipped(L"English.lng", c.told)))
          << c.name;
      EXPECT_NE(box.text.find(sheet), std::wstring::npos)
          << EncodeUtf8(box.text);
    }
    // The focus starts where work starts, or on a way out: never on an empty platform field, there or after
    // a platform's sheet was declined.
    const auto expectFocus = [&](const char* when) {
      const HWND focus = ::GetFocus();
      if (c.shown.loaded) {
        EXPECT_EQ(focus, Item(IDC_MAIN_FIRST_EDIT)) << c.name;
        return;
      }
      EXPECT_TRUE(focus == Item(IDC_MAIN_SELECT_SHEET) ||
                  (focus == Item(IDC_MAIN_PLATFORM) && !Text(IDC_MAIN_PLATFORM).empty()))
          << c.name << when;
    };
    expectFocus("");
    if (!c.shown.loaded && c.shown.platform.empty()) {
      ::SendMessageW(main, WM_NEXTDLGCTL, WPARAM(Item(IDC_MAIN_PLATFORM)), TRUE);
      ::SendMessageW(Item(IDC_MAIN_PLATFORM), CB_SETCURSEL, 1, 0);  // x64, declined
      platform.messageAnswers = {IDNO};
      Command(main, IDC_MAIN_PLATFORM, CBN_SELCHANGE);
      expectFocus(": x64 declined");
    }
    if (!c.shown.loaded) {  // OK closes with 1 and writes nothing
      Type(IDC_MAIN_FIRST_EDIT, L"C:\\typed anyway");
      Command(main, IDOK);
      EXPECT_EQ(TakeQuitCode(), 1) << c.name;
      EXPECT_EQ(ReadBytes(sheet), c.content.value_or("")) << c.name;
    } else if (!c.content) {
      EXPECT_EQ(ReadBytes(sheet), NewSheet(2013)) << c.name;
    }
    EXPECT_EQ(ReadBytes(sheet + L".bak"), c.held ? "an older backup" : "") << c.name;
  }
}

// The language and the option come from the settings file (a language no file offers gives English, else
// the first offered); a language chosen later translates at once and, like the option, is written back
// straight away (Cancel keeps both). A typed list that looks like a text number stays as it is.
TEST_F(MainDlgTest, TheLanguageAndTheOptionFollowTheSettingsFileAndAreKept) {
  const struct {
    const char* name;
    std::string settings;
    const wchar_t* file;
    std::wstring selected;
    bool option;
  } cases[] = {
      {"no settings file: English, option on", "", L"English.lng", L"English", true},
      {"one line only: option off", kBom + kFrench + "\r\n", L"Fran\u00E7ais.lng", L"Fran\u00E7ais", false},
      {"a name no file declares gives English", kBom + "english\r\ntrue\r\n", L"English.lng", L"English", true},
      {"so does an unknown language", "Klingon\ntrue\n", L"English.lng", L"English", true},
      {"German, option off", kBom + "Deutsch\r\nfalse\r\n", L"Deutsch.lng", L"Deutsch", false},  // then chosen
  };
  WriteBytes(sheet, kSheet);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ::DeleteFileW(settings.c_str());
    if (!c.settings.empty()) WriteBytes(settings, c.settings);
    Open();
    EXPECT_EQ(Text(IDC_MAIN_SELECT_SHEET), Shipped(c.file, text::kMainSelectSheet));
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
  fs::remove(scratch.Path("lang") / "English.lng");  // without English: the first language offered
  fs::remove(settings);
  Open();
  EXPECT_EQ(Text(IDC_MAIN_LANGUAGE) + L"|" + GetWindowTextString(main), L"Deutsch|Pathwright");
  EXPECT_EQ(platform.accessibleNames[Item(IDC_MAIN_FIRST_BUTTON + 4)],
            L"Bearbeiten " + Shipped(L"Deutsch.lng", text::kKindWinRT))
      << "each list button is announced with its row";
}

// What the language side cannot do is told, with the reason, and nothing else changes: with no language file
// at all the window shows bare numbers; a language whose file went bad since the start keeps the texts, the
// choice shown and the settings; a settings file held open elsewhere keeps the option for this run only.
TEST_F(MainDlgTest, LanguageAndSettingsFailuresAreToldAndChangeNothingElse) {
  const struct {
    const char* name = "";
    bool noLanguages = false;
    std::wstring start = L"English";  // the language in use
    std::wstring broken = L"";        // a language whose file goes bad after the start, then is chosen
    bool settingsHeld = false;
    std::wstring caption = L"";  // empty: nothing loaded, so none
    std::wstring told;     // the message's start
    std::wstring reason;   // found after it
    std::wstring choose;   // the Choose button afterwards
  } cases[] = {
      // Nor any beside the program: its folder is searched next.
      {.name = "no language file", .noLanguages = true, .told = L"English\n", .reason = L"\\lang\\", .choose = L"2003"},
      {.name = "a language gone bad",
       .broken = L"Deutsch",
       .caption = Shipped(L"English.lng", text::kLanguageFailedCaption),
       .told = FormatWithString(Shipped(L"English.lng", text::kLanguageFailedText), L"Deutsch") + L"\n",
       .reason = scratch.WidePath("lang\\Deutsch.lng"),
       .choose = Shipped(L"English.lng", text::kMainSelectSheet)},
      {.name = "a language gone bad, told in the one in use",
       .start = L"Deutsch",
       .broken = L"Fran\u00E7ais",
       .caption = Shipped(L"Deutsch.lng", text::kLanguageFailedCaption),
       .told = FormatWithString(Shipped(L"Deutsch.lng", text::kLanguageFailedText), L"Fran\u00E7ais") + L"\n",
       .reason = FormatWithString(Shipped(L"Deutsch.lng", text::kLanguageNotAFile),
                                  scratch.WidePath(L"lang\\Fran\u00E7ais.lng")),
       .choose = Shipped(L"Deutsch.lng", text::kMainSelectSheet)},
      {.name = "settings held",
       .settingsHeld = true,
       .caption = Shipped(L"English.lng", text::kSaveFailedCaption),
       .told = FormatWithString(Shipped(L"English.lng", text::kSettingsFailedText), settings) + L"\n",
       .reason = L"",
       .choose = Shipped(L"English.lng", text::kMainSelectSheet)},
  };
  WriteBytes(sheet, kSheet);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Reset();
    const std::string remembered = EncodeUtf8(c.start) + "\r\ntrue\r\n";
    WriteBytes(settings, remembered);
    if (c.noLanguages) fs::rename(scratch.Path("lang"), scratch.Path("gone"));
    Open();
    const fs::path brokenFile = scratch.Path("lang") / (c.broken + L".lng");
    const std::string kept = c.broken.empty() ? "" : ReadBytes(brokenFile);
    if (!c.broken.empty()) {
      WriteBytes(brokenFile, "no header any more");
      ::SendMessageW(Item(IDC_MAIN_LANGUAGE), CB_SELECTSTRING, WPARAM(-1), LPARAM(c.broken.c_str()));
      Command(main, IDC_MAIN_LANGUAGE, CBN_SELCHANGE);
    }
    if (c.settingsHeld) {
      const UniqueFile held = HoldWithoutSharing(settings);
      ::SendMessageW(Item(IDC_MAIN_ENV_OPTION), BM_SETCHECK, BST_UNCHECKED, 0);
      Command(main, IDC_MAIN_ENV_OPTION);
    }
    ASSERT_EQ(platform.messages.size(), 1u);
    const std::wstring& text = platform.messages[0].text;
    EXPECT_EQ(platform.messages[0].caption, c.caption);
    EXPECT_TRUE(text.starts_with(c.told) && text.size() > c.told.size()) << EncodeUtf8(text);
    EXPECT_NE(text.find(c.reason, c.told.size()), std::wstring::npos) << EncodeUtf8(text);
    EXPECT_EQ(Text(IDC_MAIN_SELECT_SHEET), c.choose);
    EXPECT_EQ(Text(IDC_MAIN_LANGUAGE), c.noLanguages ? L"" : c.start);
    EXPECT_EQ(ReadBytes(settings), remembered) << "nothing remembered";
    if (c.noLanguages) fs::rename(scratch.Path("gone"), scratch.Path("lang"));
    if (!c.broken.empty()) WriteBytes(brokenFile, kept);
  }
}

// Each selection first saves what is open (with the typed list), then leads to the pick's state. A save
// that fails (the old sheet held open elsewhere) is reported over the visible window and ends the selection.
TEST_F(MainDlgTest, EachSelectionSavesFirstAndLeadsToItsRecordState) {
  const std::wstring x64 = sheetFolder + L"\\Microsoft.Cpp.x64.user.props", odd = scratch.WidePath("odd.props");
  const std::wstring broken = sheetFolder + L"\\Microsoft.Cpp.ARM.user.props";
  const struct {
    const char* name;
    int start;          // 0: no default sheet (nothing open), 1: open, 2: open but held by another program, 3: open and
                        // another program adds a library list meanwhile
    std::wstring path;  // empty: the dialog is cancelled
    std::optional<std::string> content;
    std::vector<ChooserAnswer> chooser;
    Shown shown;
    std::wstring include;
  } cases[] = {
      {"old sheet not saved: the selection ends",
       2,
       x64,
       SavedSheet(Include("C:\\x64")),
       {},
       {true, L"*", L"Win32"},
       L"D:\\typed"},
      {"cancelled", 1, L"", std::nullopt, {}, {true, L"*", L"Win32"}, L"D:\\typed"},
      {"changed on disk, cancelled: the merge is shown",
       3,
       L"",
       std::nullopt,
       {},
       {true, L"*", L"Win32"},
       L"D:\\typed"},
      {"the open sheet again", 1, sheet, std::nullopt, {}, {true, L"*", L"Win32"}, L"D:\\typed"},
      {"another platform", 1, x64, SavedSheet(Include("C:\\x64")), {}, {true, x64, L"x64"}, L"C:\\x64"},
      {"two name pieces", 1, odd, SavedSheet(Include("C:\\odd")), {}, {true, odd, L""}, L"C:\\odd"},
      {"unreadable, kept", 1, broken, "garbage", {{IDCANCEL, 1}}, {false, L"", L""}, L""},
      {"unreadable, recreated", 1, broken, "garbage", {{IDOK, 1}}, {true, broken, L"ARM"}, L""},
      {"from nothing open", 0, x64, SavedSheet(Include("C:\\x64")), {}, {true, x64, L"x64"}, L"C:\\x64"},
  };
  for (const auto& c : cases) {
    Reset();
    ::DeleteFileW(settings.c_str());  // the platform chosen last would open at the start
    ::DeleteFileW(sheet.c_str());
    if (c.start) WriteBytes(sheet, kSheet);
    if (c.content) WriteBytes(c.path, *c.content);
    platform.chooserAnswers.assign(c.chooser.begin(), c.chooser.end());
    if (!c.path.empty()) platform.fileAnswers = {{IDOK, c.path, c.path.substr(c.path.rfind(L'\\') + 1)}};
    Open();
    ::ShowWindow(main, SW_SHOW);
    Type(IDC_MAIN_FIRST_EDIT + 1, L"D:\\typed");
    const std::string library = c.start == 3 ? Kind("UserLibrary", "LibraryPath", "E:\\lib") : "";
    if (c.start == 3) WriteBytes(sheet, SavedSheet(Include("C:\\inc") + library));
    {
      const UniqueFile held = c.start == 2 ? HoldWithoutSharing(sheet) : UniqueFile();
      Command(main, IDC_MAIN_SELECT_SHEET);
    }
    ExpectShows(c.shown, c.name);
    EXPECT_EQ(Text(IDC_MAIN_FIRST_EDIT + 1), c.include) << c.name;
    EXPECT_EQ(ReadBytes(sheet), c.start ? SavedSheet(Include(c.start == 2 ? "C:\\inc" : "D:\\typed") + library) : "")
        << c.name << ": the open sheet is saved first";
    EXPECT_EQ(Text(IDC_MAIN_FIRST_EDIT + 3), c.start == 3 ? L"E:\\lib" : L"") << c.name;
    EXPECT_TRUE(c.shown.loaded || ReadBytes(c.path) == *c.content) << c.name << ": left untouched";
    ASSERT_EQ(platform.messages.size(), c.start % 2 ? 0u : 1u) << c.name;
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

// OK that cannot write keeps the window and the edits and says why; once the cause is gone, OK saves and closes.
TEST_F(MainDlgTest, OkThatCannotWriteKeepsTheWindowAndTheEdits) {
  const struct {
    const char* name;
    bool appDataKnown;
    const wchar_t* typed;
    uint32_t told;          // the message's text number
    std::wstring argument;  // its "%s"
    DWORD selection = 0;    // of the typed line afterwards (EM_GETSEL)
    bool held = false;      // the sheet is held open by another program until the second OK
  } cases[] = {
      {"no sheet to write to", false, L"C:\\a", text::kNothingToSaveText, L""},
      {"a character XML cannot hold", true,
       L"C:\\a\x01"
       L"b",
       text::kForbiddenCharacterText, L"Include Directories (U+0001)", MAKELONG(4, 5)},
      {"held by another program", true, L"C:\\a", text::kSaveFailedText, sheet, 0, true},
  };
  for (const auto& c : cases) {
    Reset(c.appDataKnown);
    WriteBytes(sheet, kSheet);
    Open();
    Type(IDC_MAIN_FIRST_EDIT + 1, c.typed);
    UniqueFile held = c.held ? HoldWithoutSharing(sheet) : UniqueFile();
    Command(main, IDOK);
    EXPECT_EQ(TakeQuitCode(), -1) << c.name;
    ASSERT_EQ(platform.messages.size(), 1u) << c.name;
    EXPECT_TRUE(platform.messages[0].text.starts_with(FormatWithString(Shipped(L"English.lng", c.told), c.argument)))
        << c.name << ": " << EncodeUtf8(platform.messages[0].text);
    EXPECT_EQ(Text(IDC_MAIN_FIRST_EDIT + 1), c.typed) << c.name;
    EXPECT_EQ(DWORD(::SendMessageW(Item(IDC_MAIN_FIRST_EDIT + 1), EM_GETSEL, 0, 0)), c.selection) << c.name;
    held.Reset();
    EXPECT_EQ(ReadBytes(sheet), kSheet) << c.name;
    if (!c.held) continue;
    Command(main, IDOK);
    EXPECT_EQ(TakeQuitCode(), 1);
    EXPECT_EQ(ReadBytes(sheet), SavedSheet(Include("C:\\a")));
  }
}

// A character the sheet's 8-bit encoding lacks: OK writes it as UTF-8, says so, and closes.
TEST_F(MainDlgTest, OkTellsWhenTheSheetBecomesUtf8) {
  Reset();
  WriteBytes(sheet, "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<Project>\n\t<PropertyGroup />\n</Project>\n");
  Open();
  Type(IDC_MAIN_FIRST_EDIT + 1, L"C:\\\u20AC");
  Command(main, IDOK);
  EXPECT_EQ(TakeQuitCode(), 1);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, FormatWithString(Shipped(L"English.lng", text::kSavedAsUtf8Text), sheet));
  EXPECT_EQ(ReadBytes(sheet), "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Project>\n" +
                                  Group(Include("C:\\\xE2\x82\xAC")) + kTail);
}

// The editor gets the list as typed, the last folder browsed and the option; only OK brings its list and
// last folder back, for that kind.
TEST_F(MainDlgTest, TheListEditorTakesAndGivesBackTheListOfItsKind) {
  WriteBytes(sheet, kSheet);
  WriteBytes(settings, "English\r\nfalse\r\n");
  platform.environment.variables = {{L"PWTEST_KINDS", L"D:\\kind0"}};
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
  ::SendMessageW(Item(IDC_MAIN_ENV_OPTION), BM_SETCHECK, BST_CHECKED, 0);
  Command(main, IDC_MAIN_ENV_OPTION);
  platform.folderPicks = {L"D:\\kind0\\sub"};
  EXPECT_TRUE(press(6, {IDC_LIST_ADD, IDOK}));
  EXPECT_EQ(Text(IDC_MAIN_FIRST_EDIT + 6), L"C:\\t;D:\\kind6;$(PWTEST_KINDS)\\sub") << "the option turned on";
  Command(main, IDOK);
  EXPECT_EQ(TakeQuitCode(), 1);
  EXPECT_NE(ReadBytes(sheet).find("<UserExclude>C:\\t;D:\\kind6;$(PWTEST_KINDS)\\sub</UserExclude>"),
            std::string::npos);
}

// What else MSBuild takes into a path property stands around the list in the editor; a list no path property
// uses is marked on its row and above the editor's list. The editor's size goes to the settings file.
TEST_F(MainDlgTest, WhatElseIsInForceStandsAroundTheList) {
  const struct {
    const char* name;
    std::string body;
    std::vector<std::wstring> items;  // the editor's lines, in order; "+" for the "New" line
    bool unused = false;
  } cases[] = {
      {.name = "inline entries before and after the list",
       .body = "\t\t<UserInclude>C:\\mine</UserInclude>\n"
               "\t\t<IncludePath>C:\\first;$(UserInclude);$(IncludePath)</IncludePath>\n",
       .items = {L"C:\\first", L"C:\\mine", L"+", L"$(IncludePath)"},
       .unused = false},
      {.name = "defined after its use",
       .body = "\t\t<IncludePath>$(UserInclude);C:\\inline;$(IncludePath)</IncludePath>\n"
               "\t\t<UserInclude>C:\\mine</UserInclude>\n",
       .items = {L"C:\\mine", L"+", L"C:\\inline", L"$(IncludePath)"},
       .unused = true},
      {.name = "the list alone", .body = Include("C:\\mine"), .items = {L"C:\\mine", L"+", L"$(IncludePath)"}},
  };
  const std::wstring note = FormatWithString(Shipped(L"English.lng", text::kListUnused), L"IncludePath");
  for (const auto& c : cases) {
    Reset();
    WriteBytes(sheet, SavedSheet(c.body));
    WriteBytes(settings, "English\r\nfalse\r\neditor=500x300\r\n");
    Open();
    wchar_t tip[512] = {};
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof(tool), tool.hwnd = main, tool.uId = UINT_PTR(Item(IDC_MAIN_FIRST_MARK + 1)), tool.lpszText = tip;
    ::EnumThreadWindows(::GetCurrentThreadId(), [](HWND window, LPARAM asked) {
      wchar_t name[64] = {};
      ::GetClassNameW(window, name, 64);
      if (std::wstring(name) == TOOLTIPS_CLASSW) ::SendMessageW(window, TTM_GETTEXTW, 512, asked);
      return TRUE;
    }, LPARAM(&tool));
    EXPECT_EQ(std::wstring(tip).starts_with(note), c.unused) << c.name << ": " << EncodeUtf8(tip);
    std::vector<std::wstring> items;
    std::wstring shownNote;
    SIZE size = {};
    ModalScript script(IDC_LIST_BOX, [&](HWND editor) {
      const HWND list = ::GetDlgItem(editor, IDC_LIST_BOX);
      for (int i = 0; i < int(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); ++i) {
        wchar_t text[256] = {}, status[256] = {};
        LVITEMW cell = {};
        cell.pszText = text, cell.cchTextMax = 256;
        ::SendMessageW(list, LVM_GETITEMTEXTW, WPARAM(i), LPARAM(&cell));
        cell.iSubItem = 1, cell.pszText = status;
        ::SendMessageW(list, LVM_GETITEMTEXTW, WPARAM(i), LPARAM(&cell));
        items.push_back(status[0] ? text : L"+");
      }
      if (::IsWindowVisible(::GetDlgItem(editor, IDC_LIST_NOTE))) shownNote = ItemText(editor, IDC_LIST_NOTE);
      RECT window = {};
      ::GetWindowRect(editor, &window);
      size = {window.right - window.left, window.bottom - window.top};
      ::SetWindowPos(editor, nullptr, 0, 0, 520, 330, SWP_NOMOVE | SWP_NOZORDER);
      Command(editor, IDCANCEL);
      return true;
    });
    Command(main, IDC_MAIN_FIRST_BUTTON + 1);
    EXPECT_TRUE(script.Done()) << c.name;
    EXPECT_EQ(items, c.items) << c.name;
    EXPECT_EQ(shownNote, c.unused ? note : L"") << c.name;
    EXPECT_EQ(std::tuple(size.cx, size.cy), std::tuple(500, 300)) << c.name << ": the remembered size";
    Command(main, IDCANCEL);
    EXPECT_EQ(TakeQuitCode(), 2);
    EXPECT_NE(ReadBytes(settings).find("editor=520x330\r\n"), std::string::npos) << c.name;
  }
}

// A list too long for its row shows up to a whole entry and "…" while the row lacks the focus; its text is
// the whole list all the time, and the focus shows it whole for typing.
TEST_F(MainDlgTest, LongListsAreCutAtAnEntryOutsideTheFocus) {
  WriteBytes(sheet, kSheet);
  Open();
  std::wstring list;
  for (int i = 0; i < 40; ++i) list += L"C:\\folder number " + std::to_wstring(i) + L";";
  list.pop_back();
  const auto shown = [&](int id) {
    wchar_t line[4096] = {};
    *reinterpret_cast<WORD*>(line) = 4095;
    line[::SendMessageW(Item(id), EM_GETLINE, 0, LPARAM(line))] = L'\0';
    return std::wstring(line);
  };
  Type(IDC_MAIN_FIRST_EDIT + 2, list);
  const std::wstring cut = shown(IDC_MAIN_FIRST_EDIT + 2);
  EXPECT_TRUE(cut.ends_with(L";\x2026")) << EncodeUtf8(cut);
  EXPECT_TRUE(list.starts_with(cut.substr(0, cut.size() - 1))) << EncodeUtf8(cut);
  EXPECT_EQ(Text(IDC_MAIN_FIRST_EDIT + 2), list);
  ::SendMessageW(main, WM_NEXTDLGCTL, WPARAM(Item(IDC_MAIN_FIRST_EDIT + 2)), TRUE);
  EXPECT_EQ(shown(IDC_MAIN_FIRST_EDIT + 2), list) << "focused: whole";
  ::SendMessageW(main, WM_NEXTDLGCTL, WPARAM(Item(IDC_MAIN_FIRST_EDIT)), TRUE);
  EXPECT_EQ(shown(IDC_MAIN_FIRST_EDIT + 2), cut) << "left: cut again";
  Command(main, IDOK);
  EXPECT_EQ(TakeQuitCode(), 1);
  EXPECT_NE(ReadBytes(sheet).find(EncodeUtf8(list)), std::string::npos) << "the whole list is saved";
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
  std::wstring linkText;
  ModalScript script(IDC_ABOUT_VERSION, [&](HWND about) {
    mainEnabled = ::IsWindowEnabled(main);
    HWND link = ::GetDlgItem(about, IDC_ABOUT_XML_LINK);
    linkText = GetWindowTextString(link);
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
  EXPECT_NE(linkText.find(L"pugixml"), std::wstring::npos) << "screen readers read what the link shows";
  EXPECT_EQ(TakeQuitCode(), -1) << "the main window stays";
}

// A move to a monitor with another DPI: the fonts the dialogs make themselves, the pictures and the status column
// follow, whatever the dialog manager does with the rest. The entry is relative, so no folder look-up answers
// while the messages are pumped and widens the extent for its mark after the 96 DPI width was taken.
TEST(DpiChangeTest, OwnFontsPicturesAndTheExtentFollowTheMonitor) {
  FakePlatform platform;
  CAboutDlg about;
  CMainDlg mainDlg(platform);
  CPathListDlg editor(platform);
  editor.m_paths = L"a rather wide entry for the list box";
  ASSERT_TRUE(about.Create(nullptr) && mainDlg.Create(nullptr) && editor.Create(nullptr));
  const auto height = [](HWND dialog, int id) {
    LOGFONTW font = {};
    ::GetObjectW(HGDIOBJ(::SendMessageW(::GetDlgItem(dialog, id), WM_GETFONT, 0, 0)), sizeof(font), &font);
    return std::abs(font.lfHeight);
  };
  const auto banner = [&] {
    BITMAP picture = {};
    ::GetObjectW(HGDIOBJ(::SendMessageW(about.GetDlgItem(IDC_ABOUT_BANNER), STM_GETIMAGE, IMAGE_BITMAP, 0)),
                 sizeof(picture), &picture);
    return picture.bmWidth;
  };
  const auto arrows = [&] {  // the up arrow's size, and five images of the down arrow's
    BUTTON_IMAGELIST up = {}, down = {};
    ::SendMessageW(editor.GetDlgItem(IDC_LIST_UP), BCM_GETIMAGELIST, 0, LPARAM(&up));
    ::SendMessageW(editor.GetDlgItem(IDC_LIST_DOWN), BCM_GETIMAGELIST, 0, LPARAM(&down));
    int cx = 0, cy = 0;
    ::ImageList_GetIconSize(up.himl, &cx, &cy);
    return cx + cy * ::ImageList_GetImageCount(down.himl);
  };
  const auto extent = [&] {  // the status column, wide enough for its words at the DPI
    return int(::SendMessageW(editor.GetDlgItem(IDC_LIST_BOX), LVM_GETCOLUMNWIDTH, 1, 0));
  };
  const auto moveTo = [](HWND dialog, UINT dpi) {
    RECT place = {};
    ::GetWindowRect(dialog, &place);
    ::SendMessageW(dialog, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), LPARAM(&place));
    PumpMessages();
  };
  // On each line of the main window the combo boxes are as tall as the buttons beside them, and the
  // text lines stand where the buttons have their captions: the largest difference in pixels.
  const auto misfit = [&] {
    const auto place = [&](int id) {
      RECT rect = {};
      ::GetWindowRect(mainDlg.GetDlgItem(id), &rect);
      return rect;
    };
    LONG worst = 0;
    for (const auto& [combo, button] : {std::pair(IDC_MAIN_PLATFORM, IDC_MAIN_SELECT_SHEET), std::pair(IDC_MAIN_LANGUAGE, IDOK)}) {
      const RECT box = place(combo), beside = place(button);
      worst = std::max(worst, std::abs((box.bottom - box.top) - (beside.bottom - beside.top)));
    }
    for (const auto& [edit, button] :
         {std::pair(IDC_MAIN_SHEET_PATH, IDC_MAIN_SELECT_SHEET), std::pair(IDC_MAIN_LAST_EDIT, IDC_MAIN_LAST_BUTTON)}) {
      RECT text = {};
      ::SendMessageW(mainDlg.GetDlgItem(edit), EM_GETRECT, 0, LPARAM(&text));
      ::MapWindowPoints(mainDlg.GetDlgItem(edit), nullptr, reinterpret_cast<POINT*>(&text), 2);
      const RECT beside = place(button);
      worst = std::max(worst, std::abs((text.top + text.bottom) / 2 - (beside.top + beside.bottom) / 2));
    }
    return worst;
  };
  const int titleAt96 = height(about.m_hWnd, IDC_ABOUT_TITLE), headingAt96 = height(mainDlg.m_hWnd, IDC_MAIN_HEADING);
  const int extentAt96 = extent();
  EXPECT_EQ(std::tuple(banner(), arrows(), extentAt96 > 0), std::tuple(412, 16 + 16 * 5, true));
  EXPECT_LE(misfit(), 1) << "96 DPI";
  for (HWND dialog : {about.m_hWnd, mainDlg.m_hWnd, editor.m_hWnd}) moveTo(dialog, 192);
  EXPECT_EQ(std::tuple(height(about.m_hWnd, IDC_ABOUT_TITLE), height(mainDlg.m_hWnd, IDC_MAIN_HEADING), banner(),
                       arrows()),
            std::tuple(2 * titleAt96, 2 * headingAt96, 824, 32 + 32 * 5));
  EXPECT_LE(misfit(), 1) << "192 DPI";
  EXPECT_NEAR(extent(), 2 * extentAt96, extentAt96 / 5);
  moveTo(editor.m_hWnd, 144);
  EXPECT_EQ(arrows(), 24 + 24 * 5);
  EXPECT_NEAR(extent(), 3 * extentAt96 / 2, extentAt96 / 5);
}

// The real chooser through the real platform services: three versions, the first selected; OK and
// Cancel both hand the selection back, only the result tells them apart.
// A prompt with a path on a line of its own widens the chooser until that line fits; Cancel stays at the
// right margin with the prompt.
TEST(VersionChooserTest, OffersThreeVersionsAndHandsBackTheSelection) {
  const std::wstring path = L"C:\\users\\" + std::wstring(60, L'x') + L"\\Microsoft.Cpp.Win32.user.props";
  for (const int close : {IDOK, IDCANCEL}) {
    std::wstring listed;  // the entries, then the selection
    bool fits = false;
    ModalScript script(IDC_RESTORE_VERSION, [&](HWND chooser) {
      HWND prompt = ::GetDlgItem(chooser, IDC_RESTORE_PROMPT);
      RECT line = {}, room = {}, cancel = {};
      {
        WindowDc dc(prompt);
        SelectedObject font(dc.Get(), HGDIOBJ(::SendMessageW(prompt, WM_GETFONT, 0, 0)));
        ::DrawTextW(dc.Get(), path.c_str(), int(path.size()), &line, DT_CALCRECT | DT_SINGLELINE);
      }
      ::GetWindowRect(prompt, &room);
      ::GetWindowRect(::GetDlgItem(chooser, IDCANCEL), &cancel);
      fits = line.right <= room.right - room.left && cancel.right == room.right;
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
    EXPECT_EQ(SystemPlatform().RunVersionChooser(nullptr, version, L"The sheet\n" + path + L"\nis no sheet."), close);
    EXPECT_TRUE(fits);
    EXPECT_EQ(version, 2);
    EXPECT_EQ(listed, L"Visual Studio 2010|Visual Studio 2012|" + UiText(text::kRestoreNewest) + L"|0");
  }
}

// The real message box through the real platform services: its buttons take the words of the program's
// language; a language without them leaves the system's own.
TEST(MessageBoxTest, ButtonsTakeTheProgramsWords) {
  ScratchFolder folder;
  for (const char* file : {"Deutsch.lng", "Fran\xC3\xA7" "ais.lng"})
    fs::copy_file(DecodeUtf8(PATHWRIGHT_SOURCE_DIR "/lang/"s + file), folder.Path(DecodeUtf8(file)));
  WriteBytes(folder.Path("Empty.lng"), "<utf-8 encoding>\r\nLangID Empty\r\n");
  CLanguageManager& languages = LanguageManager();
  languages.SetFolder(folder.Root().wstring());
  languages.ScanLanguages();
  const struct {
    const char* name;
    const wchar_t* language;
    UINT type;
    std::wstring buttons;  // the first button's words, then the second's, which closes the box
  } cases[] = {
      {.name = "German question", .language = L"Deutsch", .type = MB_YESNO, .buttons = L"&Ja|&Nein"},
      {.name = "French question", .language = L"Fran\u00E7ais", .type = MB_YESNO, .buttons = L"&Oui|&Non"},
      {.name = "German OK and Cancel", .language = L"Deutsch", .type = MB_OKCANCEL, .buttons = L"OK|Abbrechen"},
      {.name = "no words: the system's (Wine's, as tests run)", .language = L"Empty", .type = MB_YESNO,
       .buttons = L"&Yes|&No"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(languages.SelectLanguage(c.language));
    const int first = c.type == MB_YESNO ? IDYES : IDOK, second = c.type == MB_YESNO ? IDNO : IDCANCEL;
    std::wstring shown;
    ModalScript script(first, [&](HWND box) {
      shown = ItemText(box, first) + L"|" + ItemText(box, second);
      Command(box, second);
      return true;
    });
    EXPECT_EQ(SystemPlatform().ShowMessageBox(nullptr, L"text", L"caption", c.type), second);
    EXPECT_EQ(shown, c.buttons);
  }
  languages.SetFolder(DecodeUtf8(PATHWRIGHT_SOURCE_DIR "/lang"));
  languages.ScanLanguages();
  languages.SelectLanguage(L"English");
}

}  // namespace
}  // namespace pathwright
