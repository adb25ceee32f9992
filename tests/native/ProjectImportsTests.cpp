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

const ImportContext kContext{
    .userFolder = L"C:\\Users\\u\\AppData\\Local\\Microsoft\\MSBuild\\v4.0",
    .environment = [](const std::wstring& name) -> std::optional<std::wstring> {
      if (name == L"FLAVOUR") return L"full";
      return std::nullopt;
    },
    .exists = [](const std::wstring& path) { return path == L"C:\\src\\app\\team.props"; },
};

// One line per platform: "x64 Debug,Release without Release instead C:\x.props", " (sets UserRootDir)".
std::wstring Shown(const ProjectImports& imports) {
  std::wstring text;
  for (const PlatformImports& p : imports.platforms) {
    text += p.platform + L" " + Join(p.configurations) + L" without " + Join(p.withoutUserSheet) + L" instead " +
            Join(p.importedInstead) + (p.setsUserRootDir ? L" (sets UserRootDir)" : L"") + L"\n";
  }
  return text;
}

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
    ASSERT_TRUE(ReadProjectImports(Fixture(name), kContext, imports, why)) << name << ": " << EncodeUtf8(why);
    EXPECT_EQ(Shown(imports), expected) << name;
  }
  std::vector<std::wstring> projects;
  std::wstring why;
  ASSERT_TRUE(ReadSolutionProjects(Fixture("two.sln"), projects, why));
  EXPECT_EQ(Join(projects), L"ide2010.vcxproj,handwritten.vcxproj");
  EXPECT_FALSE(ReadSolutionProjects(Fixture("ide2010.vcxproj"), projects, why));
  ProjectImports imports;
  EXPECT_FALSE(ReadProjectImports(Fixture("two.sln"), kContext, imports, why));
  EXPECT_NE(why, L"");
}

// A Debug|x64 and Release|x64 project at C:\src\app.vcxproj with these elements after its configurations.
TEST(ProjectImports, TheImportAsMsBuildEvaluatesIt) {
  const std::string ide =
      "<Import Project='$(UserRootDir)\\Microsoft.Cpp.$(Platform).user.props' "
      "Condition=\"exists('$(UserRootDir)\\Microsoft.Cpp.$(Platform).user.props')\" Label='LocalAppDataPlatform' />";
  struct Row {
    const char* name;
    std::string body;
    std::wstring expected;
  };
  const Row rows[] = {
      {.name = "the IDE's import, the sheet counting as there", .body = ide, .expected = L"without  instead "},
      {.name = "a project that sets UserRootDir",
       .body = "<PropertyGroup><UserRootDir>D:\\mine</UserRootDir></PropertyGroup>" + ide,
       .expected = L"without Debug,Release instead D:\\mine\\Microsoft.Cpp.x64.user.props (sets UserRootDir)"},
      {.name = "a copy of the same name beside the project",
       .body = "<Import Project='props\\Microsoft.Cpp.x64.user.props' />",
       .expected = L"without Debug,Release instead C:\\src\\props\\Microsoft.Cpp.x64.user.props"},
      {.name = "the name at the end of another name, or of another folder",
       .body = "<Import Project='$(UserRootDir)\\MyMicrosoft.Cpp.x64.user.props' />"
               "<Import Project='$(UserRootDir)2\\Microsoft.Cpp.x64.user.props' />",
       .expected = L"without Debug,Release instead "
                   L"C:\\Users\\u\\AppData\\Local\\Microsoft\\MSBuild\\v4.02\\Microsoft.Cpp.x64.user.props"},
      {.name = "every clause counts: a property nobody sets is empty, the environment's is not",
       .body = "<ImportGroup Condition=\"'$(Flavour2)'=='full' and '$(Configuration)'=='Debug'\">" + ide +
               "</ImportGroup><ImportGroup Condition=\"'$(FLAVOUR)'=='full' and '$(Configuration)'=='Release'\">" +
               ide + "</ImportGroup>",
       .expected = L"without Debug instead "},
      {.name = "and before or; quoted words are no operators",
       .body = "<ImportGroup Condition=\"'$(Configuration) or x' == 'Debug or x' or '$(Platform)'=='Win32' and "
               "'$(Configuration)'=='Release'\">" +
               ide + "</ImportGroup>",
       .expected = L"without Release instead "},
  };
  for (const Row& row : rows) {
    const std::string project =
        "<Project><ItemGroup><ProjectConfiguration Include='Debug|x64' /><ProjectConfiguration Include='Release|x64' />"
        "</ItemGroup>" +
        row.body + "</Project>";
    ProjectImports imports;
    std::wstring why;
    ASSERT_TRUE(ParseProjectImports(project, L"C:\\src\\app.vcxproj", kContext, imports, why)) << row.name;
    EXPECT_EQ(Shown(imports), L"x64 Debug,Release " + row.expected + L"\n") << row.name;
  }
}

}  // namespace
}  // namespace pathwright
