#include "SheetGenerator.h"

#include <array>

namespace pathwright::bench {

namespace {
constexpr const char* kConfigurations[] = {"Debug", "Release"};
constexpr const char* kPlatforms[] = {"Win32", "x64", "ARM64"};

void AppendBlock(std::string& out, size_t index) {
  const std::string n = std::to_string(index);
  const std::string config = kConfigurations[index % 2];
  const std::string platform = kPlatforms[index % 3];
  const std::string condition = "'$(Configuration)|$(Platform)'=='" + config + n + "|" + platform + "'";
  out += "  <PropertyGroup Condition=\"" + condition +
         "\" Label=\"Configuration\">\r\n"
         "    <ConfigurationType>Application</ConfigurationType>\r\n"
         "    <UseDebugLibraries>" +
         std::string(index % 2 ? "false" : "true") +
         "</UseDebugLibraries>\r\n"
         "    <PlatformToolset>v120</PlatformToolset>\r\n"
         "    <CharacterSet>Unicode</CharacterSet>\r\n"
         "  </PropertyGroup>\r\n"
         "  <PropertyGroup Condition=\"" +
         condition +
         "\">\r\n"
         "    <LinkIncremental>true</LinkIncremental>\r\n"
         "    <OutDir>$(SolutionDir)bin\\$(Platform)\\$(Configuration)\\module" +
         n +
         "\\</OutDir>\r\n"
         "  </PropertyGroup>\r\n"
         "  <ItemDefinitionGroup Condition=\"" +
         condition +
         "\">\r\n"
         "    <ClCompile>\r\n"
         "      <WarningLevel>Level3</WarningLevel>\r\n"
         "      <PreprocessorDefinitions>WIN32;_DEBUG;_WINDOWS;MODULE_" +
         n +
         ";%(PreprocessorDefinitions)</PreprocessorDefinitions>\r\n"
         "      <AdditionalIncludeDirectories>$(BOOST_ROOT);..\\include\\module" +
         n +
         ";%(AdditionalIncludeDirectories)</AdditionalIncludeDirectories>\r\n"
         "    </ClCompile>\r\n"
         "    <Link>\r\n"
         "      <SubSystem>Windows</SubSystem>\r\n"
         "      <AdditionalDependencies>kernel32.lib;user32.lib;module" +
         n +
         ".lib;%(AdditionalDependencies)</AdditionalDependencies>\r\n"
         "    </Link>\r\n"
         "  </ItemDefinitionGroup>\r\n"
         "  <ItemGroup>\r\n";
  for (int f = 0; f < 6; ++f) {
    out += "    <ClCompile Include=\"src\\module" + n + "\\file" + std::to_string(f) + ".cpp\" />\r\n";
  }
  out += "    <ClInclude Include=\"include\\module" + n +
         "\\api &amp; types.h\" />\r\n"
         "  </ItemGroup>\r\n";
}
}  // namespace

std::string GenerateSheet(size_t bytes) {
  std::string out =
      "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
      "<Project DefaultTargets=\"Build\" ToolsVersion=\"12.0\" "
      "xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\">\r\n"
      "  <ImportGroup Label=\"PropertySheets\" />\r\n"
      "  <PropertyGroup Label=\"UserMacros\">\r\n"
      "    <QtDir>C:\\Qt\\5.15.2\\msvc2019_64</QtDir>\r\n"
      "  </PropertyGroup>\r\n";
  static constexpr std::array<const char*, 7> kUser = {"UserExecutable", "UserInclude", "UserReference", "UserLibrary",
                                                       "UserWPath",      "UserSource",  "UserExclude"};
  static constexpr std::array<const char*, 7> kPath = {"ExecutablePath", "IncludePath", "ReferencePath", "LibraryPath",
                                                       "LibraryWPath",   "SourcePath",  "ExcludePath"};
  std::string tail = "  <PropertyGroup>\r\n";
  for (size_t k = 0; k < kUser.size(); ++k) {
    tail += std::string("    <") + kUser[k] + ">C:\\lib\\boost_1_84_0;$(QtDir)\\kind" + std::to_string(k) +
            ";D:\\sdk\\include</" + kUser[k] + ">\r\n";
    tail += std::string("    <") + kPath[k] + ">$(" + kUser[k] + ");$(" + kPath[k] + ")</" + kPath[k] + ">\r\n";
  }
  tail += "  </PropertyGroup>\r\n</Project>\r\n";

  for (size_t i = 0; out.size() + tail.size() < bytes; ++i) AppendBlock(out, i);
  return out + tail;
}

std::string GenerateLanguageFile(size_t lines) {
  std::string out = "<utf-8 encoding>\r\nLangID Deutsch\r\n";
  for (size_t i = 2; i < lines; ++i) {
    out += std::to_string(1000 + i) +
           " Verzeichnis \xC3\xBC"
           "bernehmen\\nund Eintrag " +
           std::to_string(i) +
           " \xE2\x80\x94 Schlie\xC3\x9F"
           "en\\tEnde\r\n";
  }
  return out;
}

}  // namespace pathwright::bench
