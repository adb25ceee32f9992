#include <gtest/gtest.h>

#include "base/Utf8.h"
#include "model/ProjectImports.h"

namespace pathwright {
namespace {

std::wstring Fixture(const char* name) {
  return DecodeUtf8(PATHWRIGHT_SOURCE_DIR "/tests/fixtures/projects/") + DecodeUtf8(name);
}

std::wstring Join(const std::vector<std::wstring>& words) {
  std::wstring text;
  for (const std::wstring& word : words) text += (text.empty() ? L"" : L",") + word;
  return text;
}

// One line per platform: "x64 Debug,Release without Release instead C:\x.props".
TEST(ProjectImports, RealProjectShapes) {
  const std::pair<const char*, std::wstring> rows[] = {
      {"ide2010.vcxproj", L"Win32 Debug,Release without  instead \n"},
      {"ide2022.vcxproj",  // BOM, CRLF, one import group emptied by hand
       L"Win32 Debug,Release without  instead \nx64 Debug,Release without Release instead \n"},
      {"cmake-user-props.vcxproj",
       L"x64 Debug,Release,MinSizeRel,RelWithDebInfo without Debug,Release,MinSizeRel,RelWithDebInfo "
       L"instead C:\\src\\app\\team.props\n"},
      {"handwritten.vcxproj", L"x64 Release without Release instead \n"},
  };
  for (const auto& [name, expected] : rows) {
    ProjectImports imports;
    std::wstring why;
    ASSERT_TRUE(ReadProjectImports(Fixture(name), imports, why)) << name << ": " << EncodeUtf8(why);
    std::wstring text;
    for (const PlatformImports& p : imports.platforms) {
      text += p.platform + L" " + Join(p.configurations) + L" without " + Join(p.withoutUserSheet) + L" instead " +
              Join(p.importedInstead) + L"\n";
    }
    EXPECT_EQ(text, expected) << name;
  }
  std::vector<std::wstring> projects;
  std::wstring why;
  ASSERT_TRUE(ReadSolutionProjects(Fixture("two.sln"), projects, why));
  EXPECT_EQ(Join(projects), L"ide2010.vcxproj,handwritten.vcxproj");
  EXPECT_FALSE(ReadSolutionProjects(Fixture("ide2010.vcxproj"), projects, why));
  ProjectImports imports;
  EXPECT_FALSE(ReadProjectImports(Fixture("two.sln"), imports, why));
  EXPECT_NE(why, L"");
}

TEST(ProjectImports, ConditionsForOneConfigurationAndPlatform) {
  const std::pair<const wchar_t*, bool> rows[] = {
      {L"", true},
      {L"'$(Configuration)|$(Platform)'=='Debug|x64'", true},
      {L" '$(Configuration)|$(Platform)' == 'debug|X64' ", true},
      {L"'$(Configuration)|$(Platform)'=='Release|x64'", false},
      {L"'$(Platform)'!='Win32'", true},
      {L"'$(Platform)'=='Win32' or '$(Configuration)'=='Debug'", true},
      {L"'$(Platform)'=='x64' and ('$(Configuration)'=='Release' or '$(Configuration)'=='Profile')", false},
      {L"exists('$(UserRootDir)\\Microsoft.Cpp.$(Platform).user.props')", true},
      {L"'$(Configuration)'=='Debug' and exists('a or b')", true},
      {L"'$(SomethingElse)'=='x'", true},  // not decided by these two: taken as in force
  };
  for (const auto& [condition, holds] : rows) {
    EXPECT_EQ(ConditionHolds(condition, L"Debug", L"x64"), holds) << EncodeUtf8(condition);
  }
}

}  // namespace
}  // namespace pathwright
