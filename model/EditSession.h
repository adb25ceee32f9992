// Every change of a sheet on disk goes through here, from the command line and the main window
// alike: read under the sheet's lock, change the lists, refuse characters MSBuild would refuse, write
// in one step, and merge when another program wrote the sheet meanwhile. Here too: what a new sheet
// may replace, and the making of a missing sheet and its folders.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "SheetDocument.h"
#include "SheetEncoding.h"
#include "SheetStore.h"

namespace pathwright {

// A sheet as this program last read or wrote it: the document, the lists it holds and the file's
// bytes at that moment.
struct SheetSnapshot {
  SheetDocument document;
  DirectoryLists lists;
  std::string bytes;
  bool stale = false;  // the document is not yet read from `bytes` (as after a write): the next edit reads it
};

// Reads the sheet at `path` (no lock: nothing is written). Fails with the reason; IsNotFound() when
// there is no file, Result::Status::kNotASheet when it was read and is no sheet; the refusal's kind
// with it (a file too large to read included).
SheetLoad ReadSheet(const std::wstring& path, SheetSnapshot& sheet);

// A list holding a character that XML does not allow.
struct ListCharacter {
  int kind = 0;
  ForbiddenCharacter character;
};
// The first such character in the lists: MSBuild refuses a sheet with one, and every C++ build with it.
std::optional<ListCharacter> FindForbiddenInLists(const DirectoryLists& lists);

// What a new sheet may take the place of, judged by what reading (and parsing) it gave.
enum class NewSheetRule {
  kCreate,     // nothing there
  kReplace,    // replaced, the old file kept as a numbered backup first
  kIsASheet,   // a readable sheet: replaced only when asked to replace anything
  kUnreadable, // could not be read (locked, no access) or is no regular file: it may still be the user's
};
NewSheetRule RuleForNewSheet(const Result& found, bool replaceAnything = false);

// Where an edit or a creation stopped. Nothing was written, whatever the stop.
enum class EditStop {
  kNone,
  kReading,             // the sheet could not be read or is no sheet
  kIsASheet,            // a new sheet would replace a readable one
  kForbiddenCharacter,  // a list would hold a character XML does not allow
  kWriting,             // it could not be written (or locked, or kept changing); the old file is unchanged
};

struct EditOutcome {
  Result result;
  EditStop stop = EditStop::kNone;
  std::optional<ListCharacter> forbidden;  // for kForbiddenCharacter
  DirectoryLists lists;                    // the sheet's lists afterwards (or as read, when nothing was written)
  bool written = false;
  bool created = false;      // the sheet was missing and has been made
  bool becameUtf8 = false;   // written as UTF-8: its 8-bit encoding could not hold a new character
  std::wstring backupPath;   // the file a new sheet replaced, kept under this name

  explicit operator bool() const noexcept { return static_cast<bool>(result); }
};

// Changes the lists (the document they come from is there to look things up in); false when there
// is nothing to write. It may run more than once, on the lists as another program left them.
using SheetChange = std::function<bool(DirectoryLists& lists, const SheetDocument& sheet)>;

struct EditOptions {
  // A missing sheet is made for this version, with its folders, and then changed; without it, a
  // missing sheet is a failure to read.
  std::optional<VsVersion> createMissing{};
  std::chrono::milliseconds lockWait = kSheetLockWait;
};

// Reads the sheet at `path` under its lock, changes its lists and writes it, holding the lock
// throughout, so that two programs editing at once each see the other's change.
EditOutcome EditSheet(const std::wstring& path, const SheetChange& change, const EditOptions& options = {});

// The same for a sheet kept open between edits (the main window's). `open` is what was last read or
// written at `path`: it is built on without parsing the file again, unless another program changed
// the file since; then the change runs on the file as it is now. `open` ends as what was written, or
// as the file is when nothing was.
EditOutcome EditOpenSheet(const std::wstring& path, SheetSnapshot& open, const SheetChange& change,
                          const EditOptions& options = {});

struct NewSheetOptions {
  bool replaceAnything = false;  // a readable sheet, or a file that cannot be read, too (kept first)
  bool makeFolders = false;      // missing folders above the sheet are made
  std::chrono::milliseconds lockWait = kSheetLockWait;
};

// Writes a new, empty sheet for that version at `path`, where RuleForNewSheet allows it; `created`
// receives it as written.
EditOutcome CreateSheet(const std::wstring& path, VsVersion version, const NewSheetOptions& options,
                        SheetSnapshot* created = nullptr);

}  // namespace pathwright
