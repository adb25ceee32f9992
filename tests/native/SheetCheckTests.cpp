#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>

#include "model/DirectoryKinds.h"
#include "model/SheetCheck.h"

namespace pathwright {
namespace {

using namespace std::chrono_literals;

// Folders that exist; \\slow\... answers only after the limit.
bool Oracle(const std::wstring& path) {
  static const std::set<std::wstring> kFolders = {L"C:\\inc",        L"C:\\inc\\", L"C:\\boost\\include",
                                                  L"C:\\Qt\\include", L"C:\\Program Files (x86)"};
  if (path.starts_with(L"\\\\slow")) std::this_thread::sleep_for(8s);
  return kFolders.contains(path);
}

std::optional<std::wstring> Environment(const std::wstring& name) {
  if (name == L"BOOST") return L"C:\\boost";
  if (name == L"PAIR") return L"C:\\Qt\\include;C:\\gone2";
  if (name == L"VCInstallDir") return L"C:\\not\\from\\the\\environment";
  return std::nullopt;
}

// One line per entry: "Include list ok C:\inc", "=" and the folder when it differs, "!" before a problem.
std::wstring Judged(const std::string& body) {
  SheetDocument doc;
  EXPECT_TRUE(doc.Parse("<Project xmlns='http://schemas.microsoft.com/developer/msbuild/2003'>" + body + "</Project>"));
  const std::wstring path = L"C:\\u\\Microsoft.Cpp.x64.user.props";
  std::vector<SheetEntry> entries = EntriesInForce(doc.Definitions(path), CheckContext(path, Environment, {}));
  // Room for a busy machine to start the threads; \\slow still answers long after.
  JudgeEntries(entries, Oracle, std::chrono::steady_clock::now() + 3s);
  std::wstring text;
  for (const SheetEntry& e : entries) {
    text += std::wstring(kUserMacros[e.kind]).substr(4) + L" " + SourceName(e.source) + L" " +
            (IsProblem(e.status) ? L"!" : L"") + StatusName(e.status) + L" " + e.entry +
            (e.expanded == e.entry ? L"" : L"=" + e.expanded) + (e.condition.empty() ? L"" : L" if " + e.condition) +
            (e.note.empty() ? L"" : L" (" + e.note + L")") + L"\n";
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
      {.name = "every status of an entry in force",
       .body = "<PropertyGroup><UserInclude>C:\\inc;C:\\gone;%BOOST%\\x;$(NOPE)\\y;$(SolutionDir)inc;rel\\dir;rel|dir;"
               "c:/INC/;C:\\a|b;D:\\x:y;\\\\slow\\share;$(BOOST)\\include;$(VCInstallDir)include;"
               "C:\\Program Files %28x86%29;$(PAIR)</UserInclude>"
               "<IncludePath>$(UserInclude);$(IncludePath)</IncludePath></PropertyGroup>",
       .expected = L"Include list ok C:\\inc\nInclude list !missing C:\\gone\nInclude list !percent %BOOST%\\x\n"
                   L"Include list !unresolved $(NOPE)\\y\nInclude list project $(SolutionDir)inc\n"
                   L"Include list project rel\\dir\nInclude list !invalid rel|dir\n"
                   L"Include list !duplicate c:/INC/\nInclude list !invalid C:\\a|b\n"
                   L"Include list !invalid D:\\x:y\nInclude list timeout \\\\slow\\share\n"
                   L"Include list ok $(BOOST)\\include=C:\\boost\\include\n"
                   L"Include list ide $(VCInstallDir)include\n"
                   L"Include list ok C:\\Program Files %28x86%29=C:\\Program Files (x86)\n"
                   L"Include list ok $(PAIR)=C:\\Qt\\include\nInclude list !missing $(PAIR)=C:\\gone2\n"
                   L"Include inherited ide $(IncludePath)\n"},
      {.name = "MSBuild's order: a second definition, inline, another group, inherited; a macro nothing uses",
       .body = "<PropertyGroup><IncludePath>C:\\Qt\\include;$(IncludePath)</IncludePath></PropertyGroup>"
               "<PropertyGroup Label='UserMacros'><UserInclude>C:\\a</UserInclude>"
               "<UserInclude>$(UserInclude);C:\\inc</UserInclude>"
               "<IncludePath>$(UserInclude);C:\\INC\\;$(IncludePath)</IncludePath>"
               "<UserLibrary>C:\\lib</UserLibrary><LibraryPath>C:\\only</LibraryPath>"
               "<SourcePath>$(UserSource);$(SourcePath)</SourcePath></PropertyGroup>"
               "<PropertyGroup><UserSource>C:\\late</UserSource></PropertyGroup>",
       .expected = L"Include other-definition !missing C:\\a\nInclude list ok C:\\inc\n"
                   L"Include inline !duplicate C:\\INC\\\nInclude inline ok C:\\Qt\\include\n"
                   L"Include inherited ide $(IncludePath)\nLibrary inline !missing C:\\only\n"
                   L"Library list !unused C:\\lib (defined, but LibraryPath does not use it)\n"
                   L"Source inherited ide $(SourcePath)\n"
                   L"Source list !unused C:\\late (defined, but SourcePath does not use it)\n"},
      {.name = "conditions as MSBuild decides them; the platform is the sheet's",
       .body = "<PropertyGroup Condition=\"'$(X)'==''\"><BOOST>C:\\boost</BOOST></PropertyGroup>"
               "<PropertyGroup Condition=\"'$(Platform)'=='x64'\"><UserInclude>C:\\$(Platform)</UserInclude>"
               "</PropertyGroup>"
               "<PropertyGroup Condition=\"'$(Platform)'=='Win32'\"><UserInclude>C:\\win32</UserInclude>"
               "</PropertyGroup>"
               "<PropertyGroup><UserInclude>$(UserInclude);$(BOOST)\\include</UserInclude>"
               "<IncludePath>$(UserInclude);$(IncludePath)</IncludePath>"
               "<IncludePath Condition=\"'$(Configuration)'=='Debug'\">C:\\dbg;C:\\dbg\\;$(BOOST)\\include;"
               "$(IncludePath)</IncludePath>"
               "</PropertyGroup>",
       .expected = L"Include other-definition !missing C:\\$(Platform)=C:\\x64 if '$(Platform)'=='x64'\n"
                   L"Include list ok $(BOOST)\\include=C:\\boost\\include\nInclude inherited ide $(IncludePath)\n"
                   L"Include conditional !missing C:\\dbg if '$(Configuration)'=='Debug'\n"
                   L"Include conditional !duplicate C:\\dbg\\ if '$(Configuration)'=='Debug'\n"
                   // Not a duplicate of the same folder in force everywhere: either may be the only one.
                   L"Include conditional ok $(BOOST)\\include=C:\\boost\\include if '$(Configuration)'=='Debug'\n"},
      {.name = "duplicates only within one kind; property functions are MSBuild's",
       .body = "<PropertyGroup><UserLibrary>C:\\inc</UserLibrary><LibraryPath>$(UserLibrary)</LibraryPath>"
               "<UserExecutable>C:\\inc;$([MSBuild]::GetDirectoryNameOfFileAbove($(MSBuildThisFileDirectory), "
               "x.props))</UserExecutable><ExecutablePath>$(UserExecutable)</ExecutablePath></PropertyGroup>",
       .expected = L"Executable list ok C:\\inc\nExecutable list project "
                   L"$([MSBuild]::GetDirectoryNameOfFileAbove($(MSBuildThisFileDirectory), x.props))\n"
                   L"Library list ok C:\\inc\n"},
  };
  for (const Row& row : rows) EXPECT_EQ(Judged(row.body), row.expected) << row.name;
}

// Forty look-ups of 200 ms each take eight seconds one after another; within a limit of two seconds
// they all answer only when they run side by side (with room for a busy machine). The one that takes
// four seconds is left without an answer.
TEST(SheetCheck, LookUpsRunSideBySideAndStopAtTheLimit) {
  std::vector<std::wstring> paths;
  for (int i = 0; i < 40; ++i) paths.push_back(L"\\\\server\\share" + std::to_wstring(i));
  paths.push_back(L"\\\\slow\\share");
  const std::vector<FolderState> states = LookUpFolders(
      paths,
      [](const std::wstring& path) {
        std::this_thread::sleep_for(path.starts_with(L"\\\\slow") ? 4s : 200ms);
        return true;
      },
      std::chrono::steady_clock::now() + 2s);
  EXPECT_EQ(std::count(states.begin(), states.end(), FolderState::kFolder), 40);
  EXPECT_EQ(states.back(), FolderState::kNoAnswer);
  EXPECT_TRUE(LookUpFolders({}, Oracle, std::chrono::steady_clock::now()).empty());
  // The deadline is the run's: a later sheet of the same run asks nothing once it has passed.
  std::atomic<int> asked = 0;
  const std::vector<FolderState> late = LookUpFolders(
      {L"C:\\inc", L"C:\\gone"}, [&](const std::wstring&) { return ++asked > 0; },
      std::chrono::steady_clock::now() - 1ms);
  EXPECT_EQ(late, std::vector(2, FolderState::kNoAnswer));
  EXPECT_EQ(asked, 0);
}

}  // namespace
}  // namespace pathwright
