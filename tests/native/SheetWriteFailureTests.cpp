// A sheet that cannot be written keeps its old bytes, no temporary file is left beside it, and
// the failure reaches the caller with the system's reason.
#include <gtest/gtest.h>

#include "TestFiles.h"
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

const std::string kOld = "<Project>\n  <PropertyGroup><UserInclude>old</UserInclude></PropertyGroup>\n</Project>\n";

size_t EntriesIn(const std::filesystem::path& folder) {
  size_t n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++n;
  return n;
}

// Loads the old sheet, changes a list and tries to save it while `block` keeps the write from
// happening; checks that nothing on disk changed.
template <typename Block>
void ExpectFailedSaveKeepsOldBytes(Block block) {
  ScratchFolder dir;
  const auto sheet = dir.Path("s.props");
  WriteBytes(sheet, kOld);
  DirectorySettings s;
  s.m_path = sheet.wstring();
  ASSERT_TRUE(s.LoadSheet());
  s.m_lists[1] = L"new";
  IoResult result;
  block(dir, sheet, [&] { result = s.SaveSheet(); });
  EXPECT_FALSE(result);
  EXPECT_NE(result.error, 0);
  EXPECT_FALSE(result.message.empty());
  EXPECT_EQ(ReadBytes(sheet), kOld);
  EXPECT_EQ(EntriesIn(dir.Root()), 1u) << "a temporary file was left behind";
}

TEST(SheetWriteFailure, MissingFolder) {
  DirectorySettings s;
  ScratchFolder dir;
  s.m_path = (dir.Root() / "gone" / "s.props").wstring();
  EXPECT_FALSE(s.CreateDefaultSheet(1));
  EXPECT_TRUE(s.m_loaded);
  EXPECT_FALSE(std::filesystem::exists(dir.Root() / "gone"));
}

TEST(SheetWriteFailure, ReadOnlyFile) {
  ExpectFailedSaveKeepsOldBytes([](const ScratchFolder&, const std::filesystem::path& sheet, auto save) {
#ifdef _WIN32
    SetFileAttributesW(sheet.wstring().c_str(), FILE_ATTRIBUTE_READONLY);
    save();
    SetFileAttributesW(sheet.wstring().c_str(), FILE_ATTRIBUTE_NORMAL);
#else
    ::chmod(sheet.c_str(), 0444);
    save();
    ::chmod(sheet.c_str(), 0644);
#endif
  });
}

#ifdef _WIN32
TEST(SheetWriteFailure, FileHeldOpenWithoutSharing) {
  ExpectFailedSaveKeepsOldBytes([](const ScratchFolder&, const std::filesystem::path& sheet, auto save) {
    HANDLE h = CreateFileW(sheet.wstring().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    save();
    CloseHandle(h);
  });
}
#else
TEST(SheetWriteFailure, ReadOnlyFolder) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  ExpectFailedSaveKeepsOldBytes([](const ScratchFolder& dir, const std::filesystem::path&, auto save) {
    ::chmod(dir.Root().c_str(), 0555);
    save();
    ::chmod(dir.Root().c_str(), 0755);
  });
}

TEST(SheetWriteFailure, DeviceFullMidWrite) {
  // A file-size limit below the new sheet's size fails the write part-way, as a full disk does.
  ExpectFailedSaveKeepsOldBytes([](const ScratchFolder&, const std::filesystem::path&, auto save) {
    struct rlimit old {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 16;
    ::setrlimit(RLIMIT_FSIZE, &small);
    save();
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
  });
}
#endif

TEST(SheetBackup, UnreadableSheetIsKeptBeforeItIsReplaced) {
  ScratchFolder dir;
  const auto sheet = dir.Path("s.props");
  const std::string damaged = "<Project><oops></Project>";
  WriteBytes(sheet, damaged);
  WriteBytes(dir.Path("s.props.bak"), "older backup");
  DirectorySettings s;
  s.m_path = sheet.wstring();
  ASSERT_FALSE(s.LoadSheet());
  ASSERT_TRUE(s.CreateDefaultSheet(2));
  EXPECT_EQ(ReadBytes(dir.Path("s.props.bak")), damaged);
  EXPECT_NE(ReadBytes(sheet).find("ToolsVersion=\"12.0\""), std::string::npos);

  // Only the damaged file is kept: a later save does not copy the new sheet over the backup.
  s.m_lists[1] = L"x";
  ASSERT_TRUE(s.SaveSheet());
  EXPECT_EQ(ReadBytes(dir.Path("s.props.bak")), damaged);
}

TEST(SheetBackup, NoBackupNoReplacement) {
  ScratchFolder dir;
  const auto sheet = dir.Path("s.props");
  const std::string damaged = "not xml";
  WriteBytes(sheet, damaged);
  std::filesystem::create_directory(dir.Path("s.props.bak"));  // the copy cannot be made
  DirectorySettings s;
  s.m_path = sheet.wstring();
  ASSERT_FALSE(s.LoadSheet());
  EXPECT_FALSE(s.CreateDefaultSheet(1));
  EXPECT_EQ(ReadBytes(sheet), damaged);
  // The record is editable, but every later save still insists on the copy first.
  EXPECT_TRUE(s.m_loaded);
  s.m_lists[0] = L"x";
  EXPECT_FALSE(s.SaveSheet());
  EXPECT_EQ(ReadBytes(sheet), damaged);
  std::filesystem::remove(dir.Path("s.props.bak"));
  EXPECT_TRUE(s.SaveSheet());
  EXPECT_EQ(ReadBytes(dir.Path("s.props.bak")), damaged);
}

}  // namespace
}  // namespace pathwright
