#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "model/DirectoryKinds.h"
#include "model/SheetCheck.h"

namespace pathwright {
namespace {

using namespace std::chrono_literals;

// Folders that exist; \\slow\... answers only after the limit.
bool Oracle(const std::wstring& path) {
  static const std::set<std::wstring> kFolders = {L"C:\\inc", L"C:\\inc\\", L"C:\\boost\\include", L"C:\\Qt\\include"};
  if (path.starts_with(L"\\\\slow")) std::this_thread::sleep_for(1s);
  return kFolders.contains(path);
}

std::optional<std::wstring> Environment(const std::wstring& name) {
  if (name == L"BOOST") return L"C:\\boost";
  if (name == L"LOOP") return L"$(LOOP)\\x";
  return std::nullopt;
}

std::wstring Judged(const std::string& body) {
  SheetDocument doc;
  EXPECT_TRUE(doc.Parse("<Project xmlns='http://schemas.microsoft.com/developer/msbuild/2003'>" + body + "</Project>"));
  std::vector<SheetEntry> entries = EntriesInForce(doc);
  JudgeEntries(entries, SheetProperties(doc, Environment), Oracle, 100ms);
  std::wstring text;
  for (const SheetEntry& e : entries) {
    text += std::wstring(kUserMacros[e.kind]).substr(4) + L" " + SourceName(e.source) + L" " + StatusName(e.status) +
            L" " + e.entry + (e.condition.empty() ? L"" : L" if " + e.condition) + L"\n";
  }
  return text;
}

TEST(SheetCheck, EntriesInForceAndTheirStatus) {
  struct Row {
    const char* name;
    std::string body;
    std::wstring expected;
  };
  const Row rows[] = {
      {.name = "every status of a list entry",
       .body = "<PropertyGroup><UserInclude>C:\\inc;C:\\gone;%BOOST%\\x;$(NOPE)\\y;$(SolutionDir)inc;rel\\dir;c:/INC/;"
               "C:\\a|b;D:\\x:y;\\\\slow\\share;$(BOOST)\\include;$(LOOP)</UserInclude></PropertyGroup>",
       .expected = L"Include list ok C:\\inc\nInclude list missing C:\\gone\nInclude list percent %BOOST%\\x\n"
                   L"Include list unresolved $(NOPE)\\y\nInclude list project $(SolutionDir)inc\n"
                   L"Include list project rel\\dir\nInclude list duplicate c:/INC/\nInclude list invalid C:\\a|b\n"
                   L"Include list invalid D:\\x:y\nInclude list timeout \\\\slow\\share\n"
                   L"Include list ok $(BOOST)\\include\nInclude list unresolved $(LOOP)\n"},
      {.name = "own references, blanks and empty entries are no entries",
       .body = "<PropertyGroup><UserLibrary>;$(UserLibrary); ;$(librarypath)</UserLibrary>"
               "<LibraryPath>$(UserLibrary);$(LibraryPath)</LibraryPath></PropertyGroup>",
       .expected = L""},
      {.name = "inline, conditional and other groups; the sheet's own macros win over the environment",
       .body = "<PropertyGroup><IncludePath>C:\\Qt\\include;$(IncludePath)</IncludePath></PropertyGroup>"
               "<PropertyGroup Label='UserMacros'><BOOST>C:\\Qt</BOOST></PropertyGroup>"
               "<PropertyGroup Condition=\"'$(Platform)'=='x64'\"><UserInclude>C:\\x64</UserInclude>"
               "<IncludePath Condition='true'>C:\\inc</IncludePath></PropertyGroup>"
               "<PropertyGroup><UserInclude>$(BOOST)\\include</UserInclude>"
               "<IncludePath>$(UserInclude);C:\\inc;$(IncludePath)</IncludePath></PropertyGroup>"
               "<PropertyGroup Condition=\"'$(Platform)'=='Win32'\"><IncludePath>C:\\inc</IncludePath></PropertyGroup>",
       .expected = L"Include other-group ok C:\\Qt\\include\n"
                   L"Include conditional missing C:\\x64 if '$(Platform)'=='x64'\n"
                   L"Include conditional ok C:\\inc if ('$(Platform)'=='x64') and (true)\n"
                   L"Include list duplicate $(BOOST)\\include\nInclude inline ok C:\\inc\n"
                   L"Include conditional ok C:\\inc if '$(Platform)'=='Win32'\n"},
      {.name = "duplicates only within one kind; property functions are MSBuild's",
       .body = "<PropertyGroup><UserLibrary>C:\\inc</UserLibrary><UserExecutable>C:\\inc;"
               "$([MSBuild]::GetDirectoryNameOfFileAbove($(MSBuildThisFileDirectory), x.props))</UserExecutable>"
               "</PropertyGroup>",
       .expected = L"Library list ok C:\\inc\nExecutable list ok C:\\inc\nExecutable list project "
                   L"$([MSBuild]::GetDirectoryNameOfFileAbove($(MSBuildThisFileDirectory), x.props))\n"},
  };
  for (const Row& row : rows) EXPECT_EQ(Judged(row.body), row.expected) << row.name;
}

// Forty look-ups of 200 ms each all answer within a limit of 700 ms only when they run side by side;
// the one that takes a second is left without an answer.
TEST(SheetCheck, LookUpsRunSideBySideAndStopAtTheLimit) {
  std::vector<std::wstring> paths;
  for (int i = 0; i < 40; ++i) paths.push_back(L"\\\\server\\share" + std::to_wstring(i));
  paths.push_back(L"\\\\slow\\share");
  const std::vector<FolderState> states = LookUpFolders(
      paths, [](const std::wstring& path) { return Oracle(path) || (std::this_thread::sleep_for(200ms), true); },
      700ms);
  EXPECT_EQ(std::count(states.begin(), states.end(), FolderState::kFolder), 40);
  EXPECT_EQ(states.back(), FolderState::kNoAnswer);
  EXPECT_TRUE(LookUpFolders({}, Oracle).empty());
}

}  // namespace
}  // namespace pathwright
