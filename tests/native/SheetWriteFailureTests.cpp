// A sheet that cannot be written keeps its old bytes, no temporary file or half backup is left
// beside it, and the failure reaches the caller with the system's reason. A write that works keeps
// what the user has: earlier backups, permissions and owner, links, and changes made meanwhile.
#include <gtest/gtest.h>

#include <functional>

#include "support/Files.h"
#include "model/DirectorySettings.h"

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

long EntriesIn(const fs::path& folder) { return static_cast<long>(std::distance(fs::directory_iterator(folder), {})); }

std::string Sheet(const std::string& include, const std::string& library = "", const std::string& more = "") {
  return "<Project>\n  <PropertyGroup><UserInclude>" + include + "</UserInclude><UserLibrary>" + library +
         "</UserLibrary></PropertyGroup>" + more + "\n</Project>\n";
}

// Each block keeps the write from happening while it runs `save`.
using Block = std::function<void(const fs::path& folder, const fs::path& sheet, const std::function<void()>& save)>;

Block Fault(FileFault fault) {
  return [fault](auto&, auto&, auto& save) {
    InjectFileFault(fault);
    save();
    InjectFileFault(FileFault::kNone);
  };
}

// Both ways a sheet is written: a save of a loaded sheet, and a new sheet over a damaged one, which
// is first kept as a backup. Both sheets are over 64 KB, so they go to the disk in large writes.
TEST(SheetWriteFailure, OldBytesStayAndNoTemporaryFileOrBackupIsLeft) {
  const struct {
    const char* name;
    Block block;
    bool backupMayStay;
  } rows[] = {
      {"flush fails", Fault(FileFault::kFlush), false},
      {"close fails", Fault(FileFault::kClose), false},
      {"a large write fails", Fault(FileFault::kLargeWrite), false},
      {"permissions cannot be set", Fault(FileFault::kPermissions), false},
#ifdef _WIN32
      {"read-only file",
       [](auto&, auto& sheet, auto& save) {
         SetFileAttributesW(sheet.wstring().c_str(), FILE_ATTRIBUTE_READONLY);
         save();
         SetFileAttributesW(sheet.wstring().c_str(), FILE_ATTRIBUTE_NORMAL);
       },
       true},
      {"file held open without sharing",
       [](auto&, auto& sheet, auto& save) {
         const UniqueFile held = testing::HoldWithoutSharing(sheet);
         ASSERT_TRUE(held);
         save();
       },
       false},
#else
      {"read-only file",
       [](auto&, auto& sheet, auto& save) {
         ::chmod(sheet.c_str(), 0444);
         save();
       },
       true},
      {"read-only folder",
       [](auto& folder, auto&, auto& save) {
         if (::geteuid() == 0) return;  // root writes into it anyway
         ::chmod(folder.c_str(), 0555);
         save();
         ::chmod(folder.c_str(), 0755);
       },
       false},
      {"device full mid-write",
       [](auto&, auto&, auto& save) {  // a file-size limit below the sheet, like a full disk
         struct rlimit old {};
         ::getrlimit(RLIMIT_FSIZE, &old);
         const struct rlimit small = {32 * 1024, old.rlim_max};
         auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
         ::setrlimit(RLIMIT_FSIZE, &small);
         save();
         ::setrlimit(RLIMIT_FSIZE, &old);
         std::signal(SIGXFSZ, oldHandler);
       },
       false},
#endif
  };
  const std::string readable = Sheet(std::string(70 * 1024, 'o')), damaged = readable.substr(0, readable.size() - 4);
  for (const auto& row : rows) {
    for (const bool recreate : {false, true}) {
      SCOPED_TRACE(std::string(row.name) + (recreate ? ", new sheet over a damaged one" : ", save"));
      ScratchFolder dir;
      const fs::path sheet = dir.Path("s.props");
      const std::string& old = recreate ? damaged : readable;
      WriteBytes(sheet, old);
      DirectorySettings s;
      s.m_path = sheet.wstring();
      ASSERT_EQ(bool(s.LoadSheet()), !recreate);
      s.m_lists[1] = std::wstring(70 * 1024, L'n');
      Result result;
      bool saved = false;
      row.block(dir.Root(), sheet, [&] {
        result = recreate ? s.CreateDefaultSheet(VsVersion::k2012) : s.SaveSheet();
        saved = true;
      });
      if (!saved) continue;  // skipped
      EXPECT_FALSE(result);
      EXPECT_NE(result.code, 0);
      EXPECT_FALSE(result.why.empty());
      EXPECT_TRUE(ReadBytes(sheet) == old);
      EXPECT_EQ(s.m_loaded, !recreate) << "an empty record is never saved over the file the user still has";
      const long backups = recreate && row.backupMayStay;  // whole, made before the replace was refused
      EXPECT_EQ(EntriesIn(dir.Root()), 1 + backups) << "a temporary file or a half backup was left behind";
      if (backups) { EXPECT_TRUE(ReadBytes(dir.Path("s.props.bak")) == old); }
    }
  }
  ScratchFolder dir;
  DirectorySettings s;
  s.m_path = (dir.Root() / "gone" / "s.props").wstring();
  EXPECT_FALSE(s.CreateDefaultSheet(VsVersion::k2012));
  EXPECT_FALSE(s.m_loaded) << "an empty record is never saved over the file the user still has";
  EXPECT_FALSE(fs::exists(dir.Root() / "gone")) << "a missing folder is never created";
}

// A save replaces a link's final target (the link stays a link), with the old file's permissions,
// owner and group (where the process may set them) or its hidden and system attributes; a new sheet
// gets the permissions the umask gives any new file. Beside the target, the save removes only this
// sheet's temporary files left by a run killed over an hour ago (looked for once per sheet and run).
TEST(SheetFile, SaveKeepsLinksAndWhatTheFileCarries) {
  ScratchFolder dir;
  fs::create_directory(dir.Path("team"));
  const fs::path target = dir.Path("team/real.props");
  const std::pair<const char*, bool> leftovers[] = {// name, removed
                                                    {"real.props.pathwright-k1ll3d", true},
                                                    {"other.props.pathwright-k1ll3d", false},
                                                    {"real.props.pathwright-k1ll3d7", false},
                                                    {"real.props.pathwright-recent", false}};
  for (const auto& [name, removed] : leftovers) {
    WriteBytes(dir.Path("team") / name, "half a sheet");
    const auto age = std::string_view(name).ends_with("recent") ? std::chrono::hours(0) : std::chrono::hours(2);
    fs::last_write_time(dir.Path("team") / name, fs::file_time_type::clock::now() - age);
  }
  DirectorySettings created;
  created.m_path = target.wstring();
#ifdef _WIN32
  ASSERT_TRUE(created.CreateDefaultSheet(VsVersion::k2012));
  const fs::path sheet = target;
  SetFileAttributesW(target.wstring().c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
#else
  const mode_t mask = ::umask(022);
  ASSERT_TRUE(created.CreateDefaultSheet(VsVersion::k2012));
  EXPECT_EQ(fs::status(target).permissions(), fs::perms(0644)) << "a new sheet";
  ::chmod(target.c_str(), 0664);  // a bit the umask would take away
  const bool root = ::geteuid() == 0;
  if (root) { ASSERT_EQ(::chown(target.c_str(), 4242, 4243), 0); }
  const fs::path sheet = dir.Path("s.props");
  fs::create_symlink(target, sheet);
#endif
  DirectorySettings s;
  s.m_path = sheet.wstring();
  ASSERT_TRUE(s.LoadSheet());
  s.m_lists[1] = L"C:\\inc";
  ASSERT_TRUE(s.SaveSheet());
  EXPECT_NE(ReadBytes(target).find("C:\\inc"), std::string::npos);
  for (const auto& [name, removed] : leftovers) EXPECT_NE(fs::exists(dir.Path("team") / name), removed) << name;
  EXPECT_EQ(EntriesIn(dir.Path("team")), 4);
#ifdef _WIN32
  EXPECT_EQ(GetFileAttributesW(target.wstring().c_str()) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
            DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM});
  SetFileAttributesW(target.wstring().c_str(), FILE_ATTRIBUTE_NORMAL);
#else
  ::umask(mask);
  EXPECT_TRUE(fs::is_symlink(sheet));
  struct stat st {};
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0664u);
  if (root) { EXPECT_TRUE(st.st_uid == 4242 && st.st_gid == 4243) << st.st_uid << ":" << st.st_gid; }
#endif
}

// Another program changes the sheet between the load (or the record's own last save) and the save:
// the lists changed in the record since then win, everything else is taken from the file as it is
// now; a file that is gone or damaged is not written.
TEST(SheetMerge, ChangesMadeOnDiskMeanwhileAreKept) {
  const std::string loaded = Sheet("A", "L");
  const std::string kNone = "(removed)";
  const struct {
    const char* name;
    std::string meanwhile;
    std::wstring include, library;
    bool savedFirst = false;  // the record saved its edit once before the other program wrote
  } rows[] = {
      {"another list and an item group", Sheet("A", "M", "<ItemGroup><X /></ItemGroup>"), L"B", L"M"},
      {"the same list: the record's wins", Sheet("Z", "L"), L"B", L"L"},
      {"written back unchanged", loaded, L"B", L"L"},
      {"after the record's own save, its edit is no change any more", Sheet("Z", "M"), L"Z", L"M", true},
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
    s.m_lists[1] = L"B";
    if (row.savedFirst) { ASSERT_TRUE(s.SaveSheet()); }
    if (row.meanwhile == kNone) {
      fs::remove(sheet);
    } else {
      WriteBytes(sheet, row.meanwhile);
    }
    const std::string before = ReadBytes(sheet);
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
  }
}

}  // namespace
}  // namespace pathwright
