// The file store, through its public calls and the fault seam: a file that cannot be written keeps
// its old bytes, nothing is left beside it and the failure says why; a replace happens only over what
// the caller expects; a write keeps what the user has (earlier backups, permissions and owner, links);
// one write lock per file. The model's own use of it (merging, the empty record) is checked last.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <optional>
#include <thread>

#include "base/FileSystem.h"
#include "base/Utf8.h"
#include "model/DirectorySettings.h"
#include "support/Files.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace pathwright {
namespace {

using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

long EntriesIn(const fs::path& folder) { return static_cast<long>(std::distance(fs::directory_iterator(folder), {})); }

std::string Sheet(const std::string& include, const std::string& library = "", const std::string& more = "") {
  return "<Project>\n  <PropertyGroup><UserInclude>" + include + "</UserInclude><UserLibrary>" + library +
         "</UserLibrary></PropertyGroup>" + more + "\n</Project>\n";
}

// Each block keeps the write from happening while it runs `write`.
using Block = std::function<void(const fs::path& folder, const fs::path& file, const std::function<void()>& write)>;

Block Fault(FileFault fault) {
  return [fault](auto&, auto&, auto& write) {
    InjectFileFault(fault);
    write();
    InjectFileFault(FileFault::kNone);
  };
}

// Both writes of the store, a replace and a backup beside the file, of 70 KB: large writes.
TEST(FileStore, AFailedWriteKeepsTheOldBytesAndLeavesNothingBeside) {
  const struct {
    const char* name;
    Block block;
    bool backupWorks = false;  // the backup does not touch the file, and is made all the same
  } rows[] = {
      {"flush fails", Fault(FileFault::kFlush)},
      {"close fails", Fault(FileFault::kClose)},
      {"a large write fails", Fault(FileFault::kLargeWrite)},
      {"permissions cannot be set", Fault(FileFault::kPermissions)},
#ifdef _WIN32
      {"read-only file",
       [](auto&, auto& file, auto& write) {
         SetFileAttributesW(file.wstring().c_str(), FILE_ATTRIBUTE_READONLY);
         write();
         SetFileAttributesW(file.wstring().c_str(), FILE_ATTRIBUTE_NORMAL);
       },
       true},
      {"file held open without sharing",
       [](auto&, auto& file, auto& write) {
         const UniqueFile held = testing::HoldWithoutSharing(file);
         ASSERT_TRUE(held);
         write();
       },
       true},
#else
      {"read-only file",
       [](auto&, auto& file, auto& write) {
         ::chmod(file.c_str(), 0444);
         write();
       },
       true},
      {"read-only folder",
       [](auto& folder, auto&, auto& write) {
         if (::geteuid() == 0) return;  // root writes into it anyway
         ::chmod(folder.c_str(), 0555);
         write();
         ::chmod(folder.c_str(), 0755);
       }},
      {"device full mid-write",
       [](auto&, auto&, auto& write) {  // a file-size limit below the bytes, like a full disk
         struct rlimit old {};
         ::getrlimit(RLIMIT_FSIZE, &old);
         const struct rlimit small = {32 * 1024, old.rlim_max};
         auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
         ::setrlimit(RLIMIT_FSIZE, &small);
         write();
         ::setrlimit(RLIMIT_FSIZE, &old);
         std::signal(SIGXFSZ, oldHandler);
       }},
#endif
  };
  const std::string old = Sheet(std::string(70 * 1024, 'o')), bytes = Sheet(std::string(70 * 1024, 'n'));
  for (const auto& row : rows) {
    for (const bool backup : {false, true}) {
      SCOPED_TRACE(std::string(row.name) + (backup ? ", backup" : ", replace"));
      ScratchFolder dir;
      const fs::path file = dir.Path("s.props");
      WriteBytes(file, old);
      Result result;
      std::wstring backupPath;
      bool written = false;
      row.block(dir.Root(), file, [&] {
        result =
            backup ? WriteBackupFile(file.wstring(), bytes, backupPath) : ReplaceFileAtomically(file.wstring(), bytes);
        written = true;
      });
      if (!written) continue;  // skipped
      EXPECT_TRUE(ReadBytes(file) == old);
      if (backup && row.backupWorks) {
        EXPECT_TRUE(result && ReadBytes(backupPath) == bytes) << "a whole backup";
        continue;
      }
      EXPECT_TRUE(!result && result.code != 0 && !result.why.empty() && backupPath.empty()) << "a failure, and why";
      EXPECT_EQ(EntriesIn(dir.Root()), 1) << "a temporary file or a half backup was left behind";
    }
  }
}

// Right before the rename the file is compared with what the caller expects, all of it: a file over
// several 64 KB pieces that differs only in its last byte, or has one byte more, is not replaced.
TEST(FileStore, AReplaceHappensOnlyOverWhatTheCallerExpects) {
  std::string big;
  while (big.size() < 200 * 1024) big += "C:\\some\\folder;";
  const std::string changed = big.substr(0, big.size() - 1) + "!", grown = big + ";", shrunk = big.substr(1);
  const struct {
    const char* name;
    std::optional<std::string> there;  // none: no file
    ExpectedContent expected;
    bool replaced;
  } rows[] = {
      {"anything, over a file", "old", ExpectedContent::Anything(), true},
      {"anything, where no file is", std::nullopt, ExpectedContent::Anything(), true},
      {"nothing, where no file is", std::nullopt, ExpectedContent::Nothing(), true},
      {"nothing, but an empty file appeared", "", ExpectedContent::Nothing(), false},
      {"the same bytes", big, ExpectedContent::Bytes(big), true},
      {"the last byte changed", changed, ExpectedContent::Bytes(big), false},
      {"grew, with the same start", grown, ExpectedContent::Bytes(big), false},
      {"shorter by one byte", shrunk, ExpectedContent::Bytes(big), false},
      {"removed meanwhile", std::nullopt, ExpectedContent::Bytes(big), false},
      {"empty, as expected", "", ExpectedContent::Bytes(""), true},
      {"one byte where none was expected", "x", ExpectedContent::Bytes(""), false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    ScratchFolder dir;
    const fs::path file = dir.Path("s.props");
    if (row.there) WriteBytes(file, *row.there);
    const Result result = ReplaceFileAtomically(file.wstring(), "new", row.expected);
    EXPECT_EQ(result.status, row.replaced ? Result::Status::kOk : Result::Status::kContentChanged);
    EXPECT_TRUE(ReadBytes(file) == (row.replaced ? "new" : row.there.value_or("")));
    EXPECT_EQ(EntriesIn(dir.Root()), row.replaced || row.there ? 1 : 0) << "only the file itself";
  }
}

// Each backup takes the first free name and never writes through a name that is taken, not even by a
// link to nowhere; it carries the file's permissions.
TEST(FileStore, BackupsTakeTheFirstFreeName) {
  ScratchFolder dir;
  const fs::path file = dir.Path("s.props");
  WriteBytes(file, "the sheet");
  fs::permissions(file, fs::perms(0664));  // group write: a bit the usual umask takes away
#ifndef _WIN32
  fs::create_symlink(dir.Path("victim"), dir.Path("s.props.bak.2"));
#else
  WriteBytes(dir.Path("s.props.bak.2"), "the user's own file");
#endif
  const std::pair<const char*, const char*> backups[] = {
      {"first", "s.props.bak"}, {"second", "s.props.bak.3"}, {"third", "s.props.bak.4"}};
  for (const auto& [bytes, name] : backups) {
    std::wstring backup;
    ASSERT_TRUE(WriteBackupFile(file.wstring(), bytes, backup));
    EXPECT_EQ(backup, dir.WidePath(name));
  }
  for (const auto& [bytes, name] : backups) EXPECT_EQ(ReadBytes(dir.Path(name)), bytes);
  EXPECT_FALSE(fs::exists(dir.Path("victim")));
#ifndef _WIN32
  EXPECT_EQ(fs::status(dir.Path("s.props.bak.4")).permissions(), fs::perms(0664));
#endif
}

// A replace writes a link's final target (the link stays a link), with the old file's permissions,
// owner and group (where the process may set them) or its hidden and system attributes; a new file
// gets the permissions the umask gives any new file. Beside the target, it removes only this file's
// temporary files left by a killed run: over an hour old, or any age under the target's lock.
TEST(FileStore, AReplaceKeepsLinksAndWhatTheFileCarries) {
  ScratchFolder dir;
  fs::create_directory(dir.Path("team"));
  const fs::path target = dir.Path("team/real.props");
  const struct {
    const char* name;
    bool unlocked, locked;  // removed by a replace without the lock, and then by one under it
    std::chrono::hours age = 2h;
  } leftovers[] = {
      {"real.props.pathwright-temp-0123abcd", true, true},
      {"real.props.pathwright-temp-4567cdef", false, true, 0h},
      {"other.props.pathwright-temp-0123abcd", false, false},
      {"real.props.pathwright-temp-0123abcd7", false, false},
      {"real.props.pathwright-temp-0123abcg", false, false},
      {"real.props.pathwright-temp-0123abc", false, false},
      {"real.props.pathwright-backup", false, false},
      {"real.props.pathwright-copy-0123abcd", false, false},
      {"real.props.pathwright-k1ll3d", false, false},
  };
  for (const auto& leftover : leftovers) {
    WriteBytes(dir.Path("team") / leftover.name, "half a sheet");
    fs::last_write_time(dir.Path("team") / leftover.name, fs::file_time_type::clock::now() - leftover.age);
  }
#ifdef _WIN32
  ASSERT_TRUE(ReplaceFileAtomically(target.wstring(), "first"));
  for (const auto& leftover : leftovers) {
    EXPECT_NE(fs::exists(dir.Path("team") / leftover.name), leftover.unlocked) << leftover.name;
  }
  const fs::path file = target;
  SetFileAttributesW(target.wstring().c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
#else
  const mode_t mask = ::umask(022);
  ASSERT_TRUE(ReplaceFileAtomically(target.wstring(), "first"));
  for (const auto& leftover : leftovers) {
    EXPECT_NE(fs::exists(dir.Path("team") / leftover.name), leftover.unlocked) << leftover.name;
  }
  EXPECT_EQ(fs::status(target).permissions(), fs::perms(0644)) << "a new file";
  ::chmod(target.c_str(), 0664);  // a bit the umask would take away
  const bool root = ::geteuid() == 0;
  if (root) { ASSERT_EQ(::chown(target.c_str(), 4242, 4243), 0); }
  const fs::path file = dir.Path("s.props");
  fs::create_symlink(target, file);
#endif
  WriteLock lock;
  ASSERT_TRUE(lock.Acquire(file.wstring(), 0ms) && lock.Held());
  ASSERT_TRUE(ReplaceFileAtomically(file.wstring(), "second", ExpectedContent::Bytes("first")));
  EXPECT_EQ(ReadBytes(target), "second");
  long left = 1;  // the file
  for (const auto& leftover : leftovers) {
    EXPECT_NE(fs::exists(dir.Path("team") / leftover.name), leftover.locked) << leftover.name;
    left += !leftover.locked;
  }
  lock.Release();
  EXPECT_EQ(EntriesIn(dir.Path("team")), left) << "the lock file is gone with the lock";
#ifdef _WIN32
  EXPECT_EQ(GetFileAttributesW(target.wstring().c_str()) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
            DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM});
  SetFileAttributesW(target.wstring().c_str(), FILE_ATTRIBUTE_NORMAL);
#else
  ::umask(mask);
  EXPECT_TRUE(fs::is_symlink(file));
  struct stat st {};
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0664u);
  if (root) { EXPECT_TRUE(st.st_uid == 4242 && st.st_gid == 4243) << st.st_uid << ":" << st.st_gid; }
  // Either one differing from the writer's own is carried over.
  for (const auto& [uid, gid] : {std::pair<uid_t, gid_t>(4242, ::getegid()), std::pair(::geteuid(), gid_t{4243})}) {
    if (!root) break;
    ASSERT_EQ(::chown(target.c_str(), uid, gid), 0);
    ASSERT_TRUE(ReplaceFileAtomically(file.wstring(), "third"));
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_TRUE(st.st_uid == uid && st.st_gid == gid) << st.st_uid << ":" << st.st_gid;
  }
#endif
}

// A file with a second name (a hard link) is rewritten in place, so that both names keep giving the
// same file; a whole copy is kept beside it meanwhile. A failure midway puts the old bytes back and
// leaves nothing; when even that fails, the copy stays and the failure names it.
TEST(FileStore, AFileWithSeveralNamesIsWrittenInPlace) {
  std::string big;
  while (big.size() < 200 * 1024) big += "C:\\some\\folder;";
  const std::string small = Sheet("old"), large = Sheet(big.substr(0, 100 * 1024));
  const struct {
    const char* name;
    FileFault fault = FileFault::kNone;
    const char* expected = nullptr;  // what the caller expects to replace; none: the old bytes
    Result::Status status = Result::Status::kOk;
    bool restoreFails = false;  // the old bytes are larger than one piece and cannot be put back either
  } rows[] = {
      {.name = "the old bytes cannot be put back",
       .fault = FileFault::kRewrite,
       .status = Result::Status::kSystemError,
       .restoreFails = true},
      {.name = "written through"},
      {.name = "a full disk midway", .fault = FileFault::kLargeWrite, .status = Result::Status::kSystemError},
      {.name = "changed meanwhile", .expected = "other", .status = Result::Status::kContentChanged},
      {.name = "no flush: the copy fails first", .fault = FileFault::kFlush, .status = Result::Status::kSystemError},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    ScratchFolder dir;
    const fs::path file = dir.Path("h1.props"), other = dir.Path("h2.props");
    const std::string& old = row.restoreFails ? large : small;
    WriteBytes(file, old);
    fs::create_hard_link(file, other);
    InjectFileFault(row.fault);
    const Result result = ReplaceFileAtomically(file.wstring(), big, ExpectedContent::Bytes(row.expected ? row.expected : old));
    InjectFileFault(FileFault::kNone);
    EXPECT_EQ(result.status, row.status) << EncodeUtf8(result.why);
#ifndef _WIN32  // MinGW's library counts one name for every file
    EXPECT_EQ(fs::hard_link_count(file), 2u);
#endif
    if (row.restoreFails) {
      const std::string why = EncodeUtf8(result.why);
      const size_t at = why.find("kept in ");
      ASSERT_NE(at, std::string::npos) << why;
      EXPECT_EQ(ReadBytes(fs::u8path(why.substr(at + 8))), old) << "the copy named holds the old bytes";
      EXPECT_EQ(EntriesIn(dir.Root()), 3) << "the copy stays, nothing else";
      continue;
    }
    const std::string now = row.status == Result::Status::kOk ? big : old;
    EXPECT_TRUE(ReadBytes(file) == now && ReadBytes(other) == now);
    EXPECT_EQ(EntriesIn(dir.Root()), 2) << "no copy, temporary file or lock file left";
  }
}

// One holder at a time per file, on a lock file beside it that exists before the file does and is
// gone with the lock; a name with no regular file behind it, or in no folder, has no lock to take
// (nothing is written through it either). What has the lock file's name and is no lock is told, and
// left alone. A waiting writer whose holder removed the lock file ends up holding the lock of the
// file the name gives now, not of the removed one.
TEST(FileStore, OneWriteLockPerFile) {
  const std::string kFolder = "/";
  const struct {
    const char* name;
    const char* file;  // in the scratch folder
    std::optional<std::string> lockThere = std::nullopt;  // what has the lock file's name first
    bool heldElsewhere = false, acquired = true, held = true;
  } rows[] = {
      {.name = "a free file", .file = "s.props"},
      {.name = "a file another holder keeps", .file = "s.props", .heldElsewhere = true, .acquired = false, .held = false},
      {.name = "no file yet: the lock comes first", .file = "missing.props"},
      {.name = "no folder", .file = "missing/s.props", .held = false},
      {.name = "the empty lock file of a killed run", .file = "s.props", .lockThere = ""},
      {.name = "a folder of that name", .file = "s.props", .lockThere = kFolder, .acquired = false, .held = false},
      {.name = "a file of that name", .file = "s.props", .lockThere = "mine", .acquired = false, .held = false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    ScratchFolder dir;
    WriteBytes(dir.Path("s.props"), "sheet");
    const std::wstring path = dir.WidePath(row.file);
    const fs::path lockFile = dir.Path(std::string(row.file) + ".pathwright-lock");
    if (row.lockThere == kFolder) {
      fs::create_directory(lockFile);
    } else if (row.lockThere) {
      WriteBytes(lockFile, *row.lockThere);
#ifdef _WIN32
      if (row.lockThere->empty()) SetFileAttributesW(lockFile.wstring().c_str(), FILE_ATTRIBUTE_HIDDEN);
#endif
    }
    WriteLock other, lock;
    if (row.heldElsewhere) { ASSERT_TRUE(other.Acquire(path, 0ms) && other.Held()); }
    const Result result = lock.Acquire(path, 20ms);
    EXPECT_TRUE(bool(result) == row.acquired && result.why.empty() == row.acquired) << EncodeUtf8(result.why);
    EXPECT_EQ(result.why.find(L"in the way") != std::wstring::npos, row.lockThere.value_or("").size() > 0);
    EXPECT_EQ(lock.Held(), row.held);
    lock.Release();
    other.Release();
    EXPECT_EQ(fs::exists(lockFile), !row.acquired && row.lockThere.has_value()) << "only what is no lock stays";
    if (row.lockThere && !row.acquired) { EXPECT_EQ(fs::is_directory(lockFile), row.lockThere == kFolder); }
  }
  ScratchFolder dir;
  const std::wstring path = dir.WidePath("s.props");
  WriteBytes(path, "sheet");
  WriteLock first, waiting, third;
  ASSERT_TRUE(first.Acquire(path, 0ms) && first.Held());
  Result waited;
  std::atomic<bool> done = false;
  std::thread writer([&] {
    waited = waiting.Acquire(path, 10s);
    done = true;
  });
  std::this_thread::sleep_for(100ms);
  ASSERT_TRUE(ReplaceFileAtomically(path, "replaced by the first holder"));
#ifndef _WIN32
  // The lock file the waiter waits on goes, and a third writer makes a new one before the waiter looks again.
  fs::remove(dir.Path("s.props.pathwright-lock"));
  ASSERT_TRUE(third.Acquire(path, 0ms) && third.Held());
#endif
  first.Release();
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(done, !third.Held()) << "one holder at a time";
  third.Release();
  writer.join();
  EXPECT_TRUE(waited && waiting.Held());
  EXPECT_FALSE(third.Acquire(path, 0ms)) << "the lock is on the file the name gives now";
}

// A new sheet over a damaged one that cannot be replaced: the damaged file is kept whole as a backup
// first, and the record stays empty, so that it is never saved over the file the user still has. A
// missing folder is never created.
TEST(SheetWriteFailure, ANewSheetThatCannotBeWrittenLeavesTheRecordEmpty) {
  ScratchFolder dir;
  const fs::path sheet = dir.Path("s.props");
  WriteBytes(sheet, "damaged <");
#ifdef _WIN32
  SetFileAttributesW(sheet.wstring().c_str(), FILE_ATTRIBUTE_READONLY);
#else
  ::chmod(sheet.c_str(), 0444);
#endif
  DirectorySettings s;
  s.m_path = sheet.wstring();
  ASSERT_FALSE(s.LoadSheet());
  EXPECT_FALSE(s.CreateDefaultSheet(VsVersion::k2012));
  EXPECT_FALSE(s.m_loaded);
  EXPECT_EQ(ReadBytes(sheet), "damaged <");
  EXPECT_EQ(ReadBytes(dir.Path("s.props.bak")), "damaged <");
#ifdef _WIN32
  SetFileAttributesW(sheet.wstring().c_str(), FILE_ATTRIBUTE_NORMAL);
#endif
  DirectorySettings gone;
  gone.m_path = (dir.Root() / "gone" / "s.props").wstring();
  EXPECT_FALSE(gone.CreateDefaultSheet(VsVersion::k2012));
  EXPECT_FALSE(gone.m_loaded);
  EXPECT_FALSE(fs::exists(dir.Root() / "gone")) << "a missing folder is never created";
}

// Another program changes the sheet between the load and the save: the lists changed in the record
// win, everything else is taken from the file as it is now; a file that is gone, damaged or locked
// by another Pathwright program is not written.
TEST(SheetMerge, ChangesMadeOnDiskMeanwhileAreKept) {
  const std::string loaded = Sheet("A", "L");
  const std::string kNone = "(removed)";
  const struct {
    const char* name;
    std::string meanwhile;
    std::wstring include, library;
    bool savedFirst = false;  // the record saved its edit once before the other program wrote
    std::wstring edit = L"B";  // what the record's include list becomes
    bool writesNothing = savedFirst;  // no change of the record's own is left to write
  } rows[] = {
      {"another list and an item group", Sheet("A", "M", "<ItemGroup><X /></ItemGroup>"), L"B", L"M"},
      {"the same list: the record's wins", Sheet("Z", "L"), L"B", L"L"},
      {"written back unchanged", loaded, L"B", L"L"},
      {"after the record's own save, its edit is no change any more", Sheet("Z", "M"), L"Z", L"M", true},
      {"a final ; added is no change: theirs wins", Sheet("Z", "L"), L"Z", L"L", false, L"A;", true},
      {"no longer a sheet", "garbage <", L"", L""},
      {"removed", kNone, L"", L""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    ScratchFolder dir;
    const fs::path sheet = dir.Path("s.props");
    WriteBytes(sheet, loaded);
    DirectorySettings s;
    s.m_path = sheet.wstring();
    ASSERT_TRUE(s.LoadSheet());
    s.m_lists[1] = row.edit;
    if (row.savedFirst) { ASSERT_TRUE(s.SaveSheet()); }
    if (row.meanwhile == kNone) {
      fs::remove(sheet);
    } else {
      WriteBytes(sheet, row.meanwhile);
    }
    const std::string before = ReadBytes(sheet);
    const auto time = row.meanwhile == kNone ? fs::file_time_type() : fs::last_write_time(sheet);
    const Result saved = s.SaveSheet();
    EXPECT_EQ(bool(saved), !row.include.empty());
    if (!saved) {
      EXPECT_TRUE(!saved.why.empty() && ReadBytes(sheet) == before) << "nothing was written, and why not";
      continue;
    }
    DirectorySettings again;
    again.m_path = sheet.wstring();
    ASSERT_TRUE(again.LoadSheet());
    EXPECT_EQ(again.m_lists[1], row.include);
    EXPECT_EQ(again.m_lists[3], row.library);
    EXPECT_EQ(s.m_lists[3], row.library) << "the record holds what it wrote";
    EXPECT_EQ(ReadBytes(sheet).find("<X />") != std::string::npos, row.meanwhile.find("<X />") != std::string::npos);
    // With no change of its own left, the file is not written at all, its time included.
    EXPECT_EQ(ReadBytes(sheet) == before && fs::last_write_time(sheet) == time, row.writesNothing);
  }
}

}  // namespace
}  // namespace pathwright
