// The edit session's rules, each once: what a new sheet may replace and how the old file is kept,
// the making of a missing sheet and its folders, the refusal of characters XML does not allow, the
// lock, and the change run again when another program writes the sheet meanwhile.
#include <gtest/gtest.h>

#include <optional>

#include "base/Utf8.h"
#include "model/EditSession.h"
#include "support/Files.h"
#include "support/Sheets.h"

namespace pathwright {
namespace {

using namespace testing;
namespace fs = std::filesystem;

const std::string kReadable = SavedSheet(Include("C:\\keep"));
std::string Library(const std::string& list) { return Kind("UserLibrary", "LibraryPath", list); }
// The library list another program writes the n-th time.
std::string OtherLibrary(int n) {
  std::string library = "L";
  library += std::to_string(n);  // "L" + std::to_string(n) trips GCC 12's -Wrestrict at -O3
  return Library(library);
}
std::string Other(int n) { return SavedSheet(Include("C:\\other") + OtherLibrary(n)); }

// A new sheet where something stands already (or nothing); every file a new sheet replaces is kept
// under the first free backup name, with the sheet's permissions, never through a name that is taken.
TEST(NewSheetRule, WhatANewSheetMayReplaceAndHowTheOldFileIsKept) {
  const struct {
    const char* name;
    std::optional<std::string> before;  // none: nothing there; "/": a folder
    NewSheetOptions options;
    EditStop stop;
    const char* backup = nullptr;  // the name the old file is kept under
    bool takenBackups = false;     // .bak is taken and .bak.2 is a link to nowhere (a file on Windows)
  } rows[] = {
      {"nothing there", std::nullopt, {}, EditStop::kNone},
      {"read, no sheet", "not xml <", {}, EditStop::kNone, "s.props.bak"},
      {"empty file", "", {}, EditStop::kNone, "s.props.bak"},
      {"backup names taken", "<Project", {}, EditStop::kNone, "s.props.bak.3", true},
      {"a readable sheet", kReadable, {}, EditStop::kIsASheet},
      {"a readable sheet, replacing anything", kReadable, {.replaceAnything = true}, EditStop::kNone, "s.props.bak"},
      {"a folder", "/", {.replaceAnything = true}, EditStop::kReading},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    ScratchFolder dir;
    const fs::path sheet = dir.Path("s.props");
    if (row.before == "/") {
      fs::create_directory(sheet);
    } else if (row.before) {
      WriteBytes(sheet, *row.before);
      fs::permissions(sheet, fs::perms(0664));  // group write: a bit the usual umask takes away
    }
    if (row.takenBackups) {
      WriteBytes(dir.Path("s.props.bak"), "an older backup");
#ifdef _WIN32
      WriteBytes(dir.Path("s.props.bak.2"), "the user's own file");
#else
      fs::create_symlink(dir.Path("victim"), dir.Path("s.props.bak.2"));
#endif
    }
    SheetSnapshot open;
    const EditOutcome made = CreateSheet(sheet.wstring(), VsVersion::k2012, row.options, &open);
    EXPECT_EQ(made.stop, row.stop) << EncodeUtf8(made.result.why);
    const bool replaced = row.stop == EditStop::kNone;
    EXPECT_EQ(bool(made), replaced);
    EXPECT_EQ(made.created, replaced && !row.before);
    if (row.before != "/") { EXPECT_EQ(ReadBytes(sheet), replaced ? NewSheet(2012) : row.before.value_or("")); }
    EXPECT_EQ(made.backupPath, row.backup ? dir.WidePath(row.backup) : L"");
    if (replaced) {  // the edits that follow keep no old file: the backup was the new sheet's alone
      const auto entries = std::distance(fs::directory_iterator(dir.Root()), {});
      for (const wchar_t* list : {L"C:\\a", L"C:\\b"}) {
        EXPECT_TRUE(EditOpenSheet(sheet.wstring(), open, [&](DirectoryLists& lists, const SheetDocument&) {
          lists[1] = list;
          return true;
        }).written);
      }
      EXPECT_EQ(std::distance(fs::directory_iterator(dir.Root()), {}), entries);
    }
    if (!row.backup) continue;
    EXPECT_EQ(ReadBytes(dir.Path(row.backup)), *row.before);
    EXPECT_FALSE(fs::exists(dir.Path("victim")));
#ifndef _WIN32
    EXPECT_EQ(fs::status(dir.Path(row.backup)).permissions(), fs::perms(0664));
#endif
  }
}

struct EditRow {
  const char* name;
  std::optional<std::string> before = kReadable;  // none: no sheet, and no folder for it either
  EditOptions options = {};
  std::wstring list = L"C:\\new";                 // what the change sets the include list to
  int otherWrites = 0;                            // times another program writes the sheet during the change
  int runs = 1;                                   // times the change runs
  bool lockedElsewhere = false;
  EditStop stop = EditStop::kNone;
  std::optional<std::string> after = {};          // the sheet afterwards; none: as before
  bool utf8 = false;                              // written as UTF-8, its 8-bit encoding too small
};

TEST(EditSession, EachRuleOfAnEdit) {
  const EditRow rows[] = {
      {.name = "an edit", .after = SavedSheet(Include("C:\\new"))},
      {.name = "nothing to change: nothing written", .list = L""},
      {.name = "the list the sheet holds already: nothing written", .before = SavedSheet(Include("C:\\new"))},
      {.name = "a character its 8-bit encoding lacks: written as UTF-8",
       .before = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<Project>\n\t<PropertyGroup />\n</Project>\n",
       .list = L"C:\\\u00E9\u20AC",
       .after = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Project>\n" +
                Group(Include("C:\\\xC3\xA9\xE2\x82\xAC")) + kTail,
       .utf8 = true},
      {.name = "a character XML does not allow", .list = L"C:\\a\x01", .stop = EditStop::kForbiddenCharacter},
      {.name = "no sheet", .before = std::nullopt, .runs = 0, .stop = EditStop::kReading},
      {.name = "no sheet and no folder: both made",
       .before = std::nullopt,
       .options = {.createMissing = VsVersion::k2013},
       .after = kDecl + ProjectTag("12.0") + kImportAndMacros + Group(Include("C:\\new")) + kItemGroups + kTail},
      {.name = "another program wrote meanwhile: the change runs again on its sheet",
       .otherWrites = 1,
       .runs = 2,
       .after = SavedSheet(Include("C:\\new") + Library("L1"))},
      {.name = "another program writes until the last attempt",
       .otherWrites = kSheetWriteAttempts - 1,
       .runs = kSheetWriteAttempts,
       .after = SavedSheet(Include("C:\\new") + OtherLibrary(kSheetWriteAttempts - 1))},
      {.name = "another program keeps writing",
       .otherWrites = kSheetWriteAttempts,
       .runs = kSheetWriteAttempts,
       .stop = EditStop::kWriting,
       .after = Other(kSheetWriteAttempts)},
      {.name = "another Pathwright program holds the lock",
       .options = {.lockWait = std::chrono::milliseconds(50)},
       .runs = 0,
       .lockedElsewhere = true,
       .stop = EditStop::kWriting},
  };
  for (const EditRow& row : rows) {
    SCOPED_TRACE(row.name);
    ScratchFolder dir;
    const fs::path sheet = dir.Path(row.before ? "s.props" : "new/folder/s.props");
    if (row.before) WriteBytes(sheet, *row.before);
    WriteLock held;
    if (row.lockedElsewhere) held.Acquire(sheet.wstring(), {});
    int runs = 0;
    const EditOutcome edited = EditSheet(
        sheet.wstring(),
        [&](DirectoryLists& lists, const SheetDocument&) {
          WriteLock probe;  // every run, the first as a run after another program's write, holds the lock
          EXPECT_FALSE(probe.Acquire(sheet.wstring(), std::chrono::milliseconds(0))) << "run " << runs + 1;
          if (++runs <= row.otherWrites) WriteBytes(sheet, Other(runs));
          if (row.list.empty()) return false;
          lists[1] = row.list;
          return true;
        },
        row.options);
    EXPECT_EQ(edited.stop, row.stop) << EncodeUtf8(edited.result.why);
    EXPECT_EQ(bool(edited), row.stop == EditStop::kNone);
    EXPECT_FALSE(!edited && edited.result.why.empty()) << "a failure says why";
    EXPECT_EQ(edited.written, row.after.has_value() && row.stop == EditStop::kNone);
    EXPECT_EQ(ReadBytes(sheet), row.after.value_or(row.before.value_or("")));
    EXPECT_EQ(runs, row.runs);
    EXPECT_EQ(edited.becameUtf8, row.utf8);
  }
}

// A folder that cannot be made is told, with the system's reason, before anything is written.
TEST(EditSession, AFolderThatCannotBeMadeIsTold) {
  ScratchFolder dir;
  WriteBytes(dir.Path("file"), "in the way");
  const EditOutcome edited = EditSheet((dir.Path("file") / "s.props").wstring(),
                                       [](DirectoryLists&, const SheetDocument&) { return true; },
                                       {.createMissing = VsVersion::k2013});
  EXPECT_EQ(edited.stop, EditStop::kWriting);
  EXPECT_NE(edited.result.code, 0);
  EXPECT_EQ(ReadBytes(dir.Path("file")), "in the way");
}

}  // namespace
}  // namespace pathwright
