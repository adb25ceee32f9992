#include "EditSession.h"

namespace pathwright {

namespace {
using Status = Result::Status;

// The folder part of a path, without its final separator; empty when the path names no folder.
std::wstring FolderOf(const std::wstring& path) {
#ifdef _WIN32
  const size_t slash = path.find_last_of(L"\\/");
#else
  const size_t slash = path.find_last_of(L'/');
#endif
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// What reading gave, as the stop of an edit. Read again after another program wrote the file, the
// sheet is no longer the one the change was meant for: that is a failed write.
Result StopReading(const Result& failed, bool again, EditStop& stop) {
  stop = again ? EditStop::kWriting : EditStop::kReading;
  if (!again) return failed;
  return Result::Failure(Status::kContentChanged,
                         failed.status == Status::kNotASheet
                             ? L"another program changed the sheet meanwhile into something that is no property "
                               L"sheet: " + failed.why
                             : L"another program changed the sheet meanwhile, and it cannot be read: " + failed.why);
}

// Runs the rebuild under the sheet's lock. The lock file goes beside the sheet, so the folders of a
// sheet that will be made are made first and it is made under the lock; where that fails, making
// the sheet says why. False when nothing was written, the outcome saying where it stopped.
bool Update(const std::wstring& path, bool makeFolders, std::chrono::milliseconds lockWait, const Rebuild& rebuild,
            Replacement& out, EditOutcome& outcome) {
  if (makeFolders) CreateFolders(FolderOf(path));
  SheetStore store(path, lockWait);
  outcome.result = store.Update(nullptr, rebuild, out);
  if (!outcome && outcome.stop == EditStop::kNone) outcome.stop = EditStop::kWriting;
  return static_cast<bool>(outcome);
}

// The one edit behind EditSheet and EditOpenSheet; `open` is the caller's snapshot, if any.
EditOutcome Edit(const std::wstring& path, SheetSnapshot* open, const SheetChange& change, const EditOptions& options) {
  EditOutcome outcome;
  SheetSnapshot fresh;
  SheetSnapshot* sheet = nullptr;  // what the last build started from
  const Rebuild rebuild = [&](const SheetContent& now, Replacement& out) -> Result {
    outcome.stop = EditStop::kNone;
    outcome.created = false;
    outcome.forbidden.reset();
    outcome.becameUtf8 = false;
    // The file is read each time, so that what there is to write is judged against the file as it is
    // now; while it still holds what the snapshot was made from, the snapshot is built on unparsed.
    bool known = open && now.read && now.bytes == open->bytes;
    if (known && open->stale) {
      known = static_cast<bool>(open->document.Parse(open->bytes));
      open->stale = !known;
    }
    sheet = known ? open : &fresh;
    if (!known) {
      fresh = SheetSnapshot{};
      if (now.read) {
        if (Result parsed = fresh.document.Parse(now.bytes); !parsed) {
          return StopReading(parsed, now.again, outcome.stop);
        }
      } else if (now.read.IsNotFound() && options.createMissing) {
        // Visual Studio 2019 and later no longer make the MSBuild folder, so the sheet may be the first thing in it.
        if (Result made = CreateFolders(FolderOf(path)); !made) {
          outcome.stop = EditStop::kWriting;
          return made;
        }
        fresh.document = SheetDocument::NewSheet(*options.createMissing);
        outcome.created = true;
      } else {
        return StopReading(now.read, now.again, outcome.stop);
      }
      fresh.lists = fresh.document.Lists();
    }

    // The caller's own lists stay as they are until the write has worked.
    DirectoryLists lists = known ? sheet->lists : std::move(fresh.lists);
    if (!change(lists, sheet->document) && !outcome.created) {
      out.nothing = true;
      if (!known) fresh.bytes = now.bytes;
      outcome.lists = std::move(lists);
      return {};
    }
    if ((outcome.forbidden = FindForbiddenInLists(lists))) {
      outcome.stop = EditStop::kForbiddenCharacter;
      return Result::Failure(Status::kForbiddenCharacter,
                             std::wstring(kUserMacros[outcome.forbidden->kind]) +
                                 L" holds a character XML does not allow: " +
                                 DescribeForbiddenCharacter(outcome.forbidden->character));
    }
    SheetWrite written = sheet->document.WithLists(lists);
    if (!written.result) {
      outcome.stop = written.result.status == Status::kForbiddenCharacter ? EditStop::kForbiddenCharacter
                                                                          : EditStop::kWriting;
      return written.result;
    }
    outcome.lists = std::move(lists);
    outcome.becameUtf8 = written.becameUtf8;
    // A new sheet is written even without a list; a sheet whose lists stay is left as it is, its
    // modification time too.
    if (!written.changed && !outcome.created) {
      out.nothing = true;
      if (!known) fresh.bytes = now.bytes;
      return {};
    }
    out.bytes = std::move(written.bytes);
    return {};
  };

  Replacement out;
  if (!Update(path, options.createMissing.has_value(), options.lockWait, rebuild, out, outcome)) return outcome;
  outcome.written = !out.nothing;
  if (!outcome.written) outcome.becameUtf8 = false;
  if (open) {
    if (sheet == &fresh) *open = std::move(fresh);
    open->lists = outcome.lists;
    if (outcome.written) {
      // The next edit starts from the sheet as written, not from the one read before; it is read
      // when that edit comes, which a window closing after its save never needs.
      open->bytes = std::move(out.bytes);
      open->document = SheetDocument();
      open->stale = true;
    }
  }
  return outcome;
}
}  // namespace

SheetLoad ReadSheet(const std::wstring& path, SheetSnapshot& sheet) {
  sheet = SheetSnapshot{};
  if (SheetLoad read = SheetStore(path).Read(sheet.bytes); !read) return read;
  if (SheetLoad parsed = sheet.document.Parse(sheet.bytes); !parsed) {
    sheet = SheetSnapshot{};
    return parsed;
  }
  sheet.lists = sheet.document.Lists();
  return {};
}

std::optional<ListCharacter> FindForbiddenInLists(const DirectoryLists& lists) {
  for (int k = 0; k < kKindCount; ++k) {
    if (const std::optional<ForbiddenCharacter> found = FindForbiddenCharacter(lists[k])) {
      return ListCharacter{.kind = k, .character = *found};
    }
  }
  return std::nullopt;
}

NewSheetRule RuleForNewSheet(const Result& found, bool replaceAnything) {
  if (found) return replaceAnything ? NewSheetRule::kReplace : NewSheetRule::kIsASheet;
  if (found.IsNotFound()) return NewSheetRule::kCreate;
  if (found.status == Status::kNotASheet) return NewSheetRule::kReplace;
  // A folder, device or pipe is never read, copied or replaced.
  if (found.status == Status::kInvalid) return NewSheetRule::kUnreadable;
  return replaceAnything ? NewSheetRule::kReplace : NewSheetRule::kUnreadable;
}

EditOutcome EditSheet(const std::wstring& path, const SheetChange& change, const EditOptions& options) {
  return Edit(path, nullptr, change, options);
}

EditOutcome EditOpenSheet(const std::wstring& path, SheetSnapshot& open, const SheetChange& change,
                          const EditOptions& options) {
  return Edit(path, &open, change, options);
}

EditOutcome CreateSheet(const std::wstring& path, VsVersion version, const NewSheetOptions& options,
                        SheetSnapshot* created) {
  EditOutcome outcome;
  const Rebuild rebuild = [&](const SheetContent& now, Replacement& out) -> Result {
    outcome.stop = EditStop::kNone;
    Result found = now.read;
    // With replaceAnything, whatever was read goes: no need to tell a sheet from anything else.
    if (found && !options.replaceAnything) found = SheetDocument().Parse(now.bytes);
    switch (RuleForNewSheet(found, options.replaceAnything)) {
      case NewSheetRule::kIsASheet:
        outcome.stop = EditStop::kIsASheet;
        return Result::Failure(Status::kInvalid, L"it is a readable sheet, which a new sheet replaces only when asked to");
      case NewSheetRule::kUnreadable:
        return StopReading(found, now.again, outcome.stop);
      case NewSheetRule::kCreate:
        if (options.makeFolders) {
          if (Result made = CreateFolders(FolderOf(path)); !made) {
            outcome.stop = EditStop::kWriting;
            return made;
          }
        }
        break;
      case NewSheetRule::kReplace:
        // Never destroyed without a copy, and what cannot be read cannot be copied.
        if (!now.read) {
          outcome.stop = EditStop::kWriting;
          return now.read;
        }
        out.keepOld = true;
        break;
    }
    outcome.created = !now.read;
    out.bytes = SheetDocument::NewSheet(version).Bytes();
    return {};
  };
  Replacement out;
  if (!Update(path, options.makeFolders, options.lockWait, rebuild, out, outcome)) return outcome;
  outcome.written = true;
  outcome.backupPath = out.backupPath;
  if (created) {
    *created = SheetSnapshot{.document = SheetDocument::NewSheet(version), .lists = {}, .bytes = std::move(out.bytes)};
  }
  return outcome;
}

}  // namespace pathwright
