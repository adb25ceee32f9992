// The real program from outside: start-up sheet states, OK and the ways of leaving without saving,
// recreation of a damaged sheet and a save that fails while the sheet is held open elsewhere.
#include <gtest/gtest.h>

#include "Driver.h"
#include "Sheets.h"
#include "lang/TextNumbers.h"
#include "res/resource.h"

namespace pathwright::e2e {
namespace {

const std::string kSavedSheet = SheetWithInclude("C:\\inc;D:\\inc");
const std::wstring kIncludeList = L"C:\\inc;D:\\inc";
constexpr int kIncludeEdit = IDC_MAIN_FIRST_EDIT + 1;
constexpr int kLibraryEdit = IDC_MAIN_FIRST_EDIT + 3;
const std::wstring kSheetName = L"Microsoft.Cpp.Win32.user.props";

class MainWindow : public ::testing::Test {
 protected:
  SheetSlot sheet;
  StartFolder folder;
};

TEST_F(MainWindow, OkSavesTheEditedListsAndEndsWithOne) {
  sheet.Write(kSheet);
  App app(folder);
  ASSERT_TRUE(app.Started());
  HWND main = app.WaitMainWindow();
  ASSERT_TRUE(main);
  EXPECT_EQ(ItemText(main, IDC_MAIN_SHEET_PATH), sheet.Path());
  EXPECT_EQ(ItemText(main, IDC_MAIN_PLATFORM), L"Win32");
  EXPECT_EQ(ItemText(main, kLibraryEdit), L"C:\\lib");
  for (int id = IDC_MAIN_FIRST_EDIT; id <= IDC_MAIN_LAST_BUTTON; ++id) {
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(main, id))) << id;
  }

  ASSERT_TRUE(SetItemText(main, kIncludeEdit, kIncludeList));
  PostCommand(main, IDOK);
  EXPECT_EQ(app.WaitExit(), 1u);
  EXPECT_EQ(sheet.Read(), kSavedSheet);
}

TEST_F(MainWindow, EnterInAnEditLineSaves) {
  sheet.Write(kSheet);
  App app(folder);
  HWND main = app.WaitMainWindow();
  ASSERT_TRUE(main);
  ASSERT_TRUE(SetItemText(main, kIncludeEdit, kIncludeList));
  PostKey(::GetDlgItem(main, kIncludeEdit), VK_RETURN);
  EXPECT_EQ(app.WaitExit(), 1u);
  EXPECT_EQ(sheet.Read(), kSavedSheet);
}

struct LeaveCase {
  const char* name;
  void (*leave)(HWND main);
};

TEST_F(MainWindow, CancelEscAndTheCloseBoxEndWithTwoAndSaveNothing) {
  const LeaveCase cases[] = {
      {"Cancel", [](HWND main) { PostCommand(main, IDCANCEL); }},
      {"Esc in an edit line", [](HWND main) { PostKey(::GetDlgItem(main, kIncludeEdit), VK_ESCAPE); }},
      {"close box", [](HWND main) { ::PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    sheet.Write(kSheet);
    App app(folder);
    HWND main = app.WaitMainWindow();
    ASSERT_TRUE(main);
    ASSERT_TRUE(SetItemText(main, kIncludeEdit, kIncludeList));
    c.leave(main);
    EXPECT_EQ(app.WaitExit(), 2u);
    EXPECT_EQ(sheet.Read(), kSheet);
  }
}

TEST_F(MainWindow, MissingSheetIsReportedBeforeTheWindowShows) {
  ASSERT_FALSE(FileExists(sheet.Path()));
  App app(folder);
  HWND box = app.WaitMessageBox();
  ASSERT_TRUE(box);
  // The main window exists (the box is shown from its initialisation) but is not on screen yet.
  EXPECT_TRUE(app.FindMainWindow(false));
  EXPECT_FALSE(app.FindMainWindow(true));

  const std::wstring caption = ShippedText(L"English.lng", text::kMissingSheetCaption);
  const std::wstring format = ShippedText(L"English.lng", text::kMissingSheetText);
  ASSERT_FALSE(caption.empty());
  EXPECT_EQ(WindowText(box), caption);
  EXPECT_EQ(ItemText(box, 0xFFFF), FormatOne(format, kSheetName));

  PostCommand(box, IDOK);
  HWND main = app.WaitMainWindow();
  ASSERT_TRUE(main);
  EXPECT_EQ(ItemText(main, IDC_MAIN_SHEET_PATH), L"");
  EXPECT_EQ(ItemText(main, IDC_MAIN_PLATFORM), L"---");
  for (int id = IDC_MAIN_FIRST_EDIT; id <= IDC_MAIN_LAST_BUTTON; ++id) {
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(main, id))) << id;
  }
  EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(main, IDC_MAIN_SELECT_SHEET)));

  // OK with no sheet open writes nothing and still means "nothing to save".
  PostCommand(main, IDOK);
  EXPECT_EQ(app.WaitExit(), 1u);
  EXPECT_FALSE(FileExists(sheet.Path()));
}

TEST_F(MainWindow, DamagedSheetIsReplacedForTheChosenVersionAndKeptAsBak) {
  const std::string damaged = "<Project><PropertyGroup></Project>";
  sheet.Write(damaged);
  App app(folder);
  HWND chooser = app.WaitDialog(IsVersionChooser);
  ASSERT_TRUE(chooser);
  EXPECT_FALSE(app.FindMainWindow(true));
  HWND combo = ::GetDlgItem(chooser, IDC_RESTORE_VERSION);
  EXPECT_EQ(ComboItems(combo), (std::vector<std::wstring>{L"Visual Studio 2010", L"Visual Studio 2012",
                                                          L"Visual Studio 2013"}));
  EXPECT_EQ(Send(combo, CB_GETCURSEL), 0);
  EXPECT_EQ(sheet.Read(), damaged) << "nothing is written before the choice";

  Send(combo, CB_SETCURSEL, 2);
  PostCommand(chooser, IDOK);
  HWND main = app.WaitMainWindow();
  ASSERT_TRUE(main);
  EXPECT_EQ(sheet.Read(), kDecl + kProject13 + kEmptyGroups);
  EXPECT_EQ(ReadFileBytes(sheet.BackupPath()), damaged);
  EXPECT_EQ(ItemText(main, IDC_MAIN_SHEET_PATH), sheet.Path());
  EXPECT_EQ(ItemText(main, IDC_MAIN_PLATFORM), L"Win32");
  EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(main, kIncludeEdit)));

  PostCommand(main, IDCANCEL);
  EXPECT_EQ(app.WaitExit(), 2u);
  EXPECT_EQ(sheet.Read(), kDecl + kProject13 + kEmptyGroups);
}

TEST_F(MainWindow, DamagedSheetStaysUntouchedWhenTheChooserIsCancelled) {
  const std::string damaged = "hello";
  sheet.Write(damaged);
  App app(folder);
  HWND chooser = app.WaitDialog(IsVersionChooser);
  ASSERT_TRUE(chooser);
  PostCommand(chooser, IDCANCEL);
  HWND main = app.WaitMainWindow();
  ASSERT_TRUE(main);
  EXPECT_EQ(ItemText(main, IDC_MAIN_SHEET_PATH), sheet.Path());
  EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(main, kIncludeEdit)));
  PostCommand(main, IDOK);
  EXPECT_EQ(app.WaitExit(), 1u);
  EXPECT_EQ(sheet.Read(), damaged);
  EXPECT_FALSE(FileExists(sheet.BackupPath()));
}

// Holds a file open without sharing, as an editor or a virus scanner might: writes to it fail.
class FileLock {
 public:
  explicit FileLock(const std::wstring& path)
      : m_file(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~FileLock() { Release(); }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  bool Held() const { return m_file != INVALID_HANDLE_VALUE; }
  void Release() {
    if (Held()) ::CloseHandle(m_file);
    m_file = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE m_file;
};

TEST_F(MainWindow, FailedSaveIsReportedAndTheWindowStaysForAnotherTry) {
  sheet.Write(kSheet);
  App app(folder);
  HWND main = app.WaitMainWindow();
  ASSERT_TRUE(main);
  ASSERT_TRUE(SetItemText(main, kIncludeEdit, kIncludeList));

  FileLock lock(sheet.Path());
  ASSERT_TRUE(lock.Held());
  PostCommand(main, IDOK);
  HWND box = app.WaitMessageBox();
  ASSERT_TRUE(box);
  EXPECT_EQ(::GetWindow(box, GW_OWNER), main);
  EXPECT_EQ(WindowText(box), ShippedText(L"English.lng", text::kSaveFailedCaption));
  const std::wstring expected = FormatOne(ShippedText(L"English.lng", text::kSaveFailedText), sheet.Path());
  const std::wstring shown = ItemText(box, 0xFFFF);
  EXPECT_EQ(shown.substr(0, expected.size()), expected);
  EXPECT_GT(shown.size(), expected.size() + 1) << "the system's description of the error follows";
  PostCommand(box, IDOK);

  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(box); }));
  EXPECT_TRUE(app.Running());
  EXPECT_TRUE(::IsWindowVisible(main));
  EXPECT_EQ(ItemText(main, kIncludeEdit), kIncludeList) << "the edits are still there";

  lock.Release();
  EXPECT_EQ(sheet.Read(), kSheet);
  PostCommand(main, IDOK);
  EXPECT_EQ(app.WaitExit(), 1u);
  EXPECT_EQ(sheet.Read(), kSavedSheet);
}

}  // namespace
}  // namespace pathwright::e2e
