// A sheet that cannot be written keeps its old bytes, no temporary file is left beside it, and
// the failure reaches the caller with the system's reason.
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
#endif

namespace pathwright {
namespace {

using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;
namespace fs = std::filesystem;

// Each block keeps the write from happening while it runs `save`.
using Block = std::function<void(const fs::path& folder, const fs::path& sheet, const std::function<void()>& save)>;

TEST(SheetWriteFailure, OldBytesStayAndNoTemporaryFileIsLeft) {
  const std::pair<const char*, Block> blocks[] = {
#ifdef _WIN32
      {"read-only file", [](auto&, auto& sheet, auto& save) {
         SetFileAttributesW(sheet.wstring().c_str(), FILE_ATTRIBUTE_READONLY);
         save();
         SetFileAttributesW(sheet.wstring().c_str(), FILE_ATTRIBUTE_NORMAL);
       }},
      {"file held open without sharing", [](auto&, auto& sheet, auto& save) {
         const UniqueFile held = testing::HoldWithoutSharing(sheet);
         ASSERT_TRUE(held);
         save();
       }},
#else
      {"read-only file", [](auto&, auto& sheet, auto& save) { ::chmod(sheet.c_str(), 0444); save(); }},
      {"read-only folder", [](auto& folder, auto&, auto& save) {
         if (::geteuid() == 0) return;  // root writes into it anyway
         ::chmod(folder.c_str(), 0555);
         save();
         ::chmod(folder.c_str(), 0755);
       }},
      {"device full mid-write", [](auto&, auto&, auto& save) {  // a small file-size limit, like a full disk
         struct rlimit old {};
         ::getrlimit(RLIMIT_FSIZE, &old);
         const struct rlimit small = {16, old.rlim_max};
         auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
         ::setrlimit(RLIMIT_FSIZE, &small);
         save();
         ::setrlimit(RLIMIT_FSIZE, &old);
         std::signal(SIGXFSZ, oldHandler);
       }},
#endif
  };
  const std::string old = "<Project>\n  <PropertyGroup><UserInclude>old</UserInclude></PropertyGroup>\n</Project>\n";
  for (const auto& [name, block] : blocks) {
    SCOPED_TRACE(name);
    ScratchFolder dir;
    const fs::path sheet = dir.Path("s.props");
    WriteBytes(sheet, old);
    DirectorySettings s;
    s.m_path = sheet.wstring();
    ASSERT_TRUE(s.LoadSheet());
    s.m_lists[1] = L"new";
    IoResult result = {};
    bool saved = false;
    block(dir.Root(), sheet, [&] {
      result = s.SaveSheet();
      saved = true;
    });
    if (!saved) continue;  // skipped
    EXPECT_FALSE(result);
    EXPECT_NE(result.error, 0);
    EXPECT_FALSE(result.message.empty());
    EXPECT_EQ(ReadBytes(sheet), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Root()), {}), 1) << "a temporary file was left behind";
  }
  ScratchFolder dir;
  DirectorySettings s;
  s.m_path = (dir.Root() / "gone" / "s.props").wstring();
  EXPECT_FALSE(s.CreateDefaultSheet(VsVersion::k2012));
  EXPECT_FALSE(s.m_loaded) << "an empty record is never saved over the file the user still has";
  EXPECT_FALSE(fs::exists(dir.Root() / "gone")) << "a missing folder is never created";
}

// An unreadable sheet is copied to .bak before anything replaces it, and only the damaged file is kept.
// Without the copy nothing is replaced, and the record stays closed to edits.
TEST(SheetBackup, UnreadableSheetIsKeptBeforeItIsReplaced) {
  for (const bool copyFails : {false, true}) {
    SCOPED_TRACE(copyFails);
    ScratchFolder dir;
    const fs::path sheet = dir.Path("s.props"), bak = dir.Path("s.props.bak");
    WriteBytes(sheet, "<Project><oops></Project>");
    if (copyFails) fs::create_directory(bak);  // the copy cannot be made
    if (!copyFails) WriteBytes(bak, "older backup");
    DirectorySettings s;
    s.m_path = sheet.wstring();
    ASSERT_FALSE(s.LoadSheet());
    EXPECT_EQ(bool(s.CreateDefaultSheet(VsVersion::k2013)), !copyFails);
    EXPECT_EQ(s.m_loaded, !copyFails);
    s.m_lists[1] = L"x";
    EXPECT_TRUE(s.SaveSheet());
    if (copyFails) {
      EXPECT_EQ(ReadBytes(sheet), "<Project><oops></Project>");
      fs::remove(bak);
      EXPECT_TRUE(s.CreateDefaultSheet(VsVersion::k2013));
    }
    EXPECT_TRUE(s.SaveSheet());
    EXPECT_EQ(ReadBytes(bak), "<Project><oops></Project>") << "a later save does not copy the new sheet";
    EXPECT_NE(ReadBytes(sheet).find("ToolsVersion=\"12.0\""), std::string::npos);
  }
}

}  // namespace
}  // namespace pathwright
