#include <gtest/gtest.h>

#include "model/DirectoryKinds.h"
#include "model/DirectoryList.h"

namespace pathwright {
namespace {

struct SplitCase {
  std::wstring list;
  std::vector<std::wstring> entries;
  std::wstring joined;  // what joining the entries gives back
};

TEST(DirectoryList, SplitAndJoin) {
  const SplitCase cases[] = {
      {L"", {}, L""},
      {L";", {L""}, L""},
      {L";;", {L"", L""}, L";"},
      {L"C:\\a", {L"C:\\a"}, L"C:\\a"},
      {L"C:\\a;;C:\\b", {L"C:\\a", L"", L"C:\\b"}, L"C:\\a;;C:\\b"},
      {L"C:\\a;C:\\b;", {L"C:\\a", L"C:\\b"}, L"C:\\a;C:\\b"},
      {L";C:\\a", {L"", L"C:\\a"}, L";C:\\a"},
      {L"C:\\a ; C:\\b", {L"C:\\a ", L" C:\\b"}, L"C:\\a ; C:\\b"},
      {L"x;x", {L"x", L"x"}, L"x;x"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SplitEntries(c.list), c.entries) << c.list.size();
    EXPECT_EQ(JoinEntries(c.entries), c.joined);
  }
}

TEST(DirectoryKinds, Names) {
  EXPECT_EQ(ComposedPathValue(1), L"$(UserInclude);$(IncludePath)");
  EXPECT_EQ(ComposedPathValue(4), L"$(UserWPath);$(LibraryWPath)");
  const std::pair<const wchar_t*, int> names[] = {
      {L"include", 1}, {L"INCLUDE", 1}, {L"UserInclude", 1}, {L"includepath", 1}, {L"winrt", 4},
      {L"UserWPath", 4}, {L"LibraryWPath", 4}, {L"UserLibraryW", -1}, {L"", -1}, {L"includes", -1},
  };
  for (auto [name, kind] : names) EXPECT_EQ(KindFromName(name), kind) << kind;
}

}  // namespace
}  // namespace pathwright
