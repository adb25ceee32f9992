// Reading and writing user property sheets, checked on the whole written file so that untouched
// parts and their order are covered in one comparison.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "TestFiles.h"
#include "model/DirectorySettings.h"

namespace pathwright {
namespace {

using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;

const std::string kDecl = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
const std::string kProjectOpen =
    "<Project DefaultTargets=\"Build\" ToolsVersion=\"4.0\" "
    "xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\">\n";

struct NewSheetCase {
  int version;
  std::string expected;
};

TEST(NewSheet, EachVersionIsWrittenByteExact) {
  const std::string groups =
      "\t<ImportGroup Label=\"PropertySheets\" />\n"
      "\t<PropertyGroup Label=\"UserMacros\" />\n"
      "\t<PropertyGroup />\n"
      "\t<ItemDefinitionGroup />\n"
      "\t<ItemGroup />\n"
      "</Project>\n";
  const NewSheetCase cases[] = {
      {0, kDecl + "<Project DefaultTargets=\"Build\" ToolsVersion=\"4.0\" "
                  "xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\" />\n"},
      {1, kDecl + kProjectOpen + groups},
      {2, kDecl + "<Project DefaultTargets=\"Build\" ToolsVersion=\"12.0\" "
                  "xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\">\n" + groups},
  };
  for (const auto& c : cases) {
    ScratchFolder dir;
    DirectorySettings s;
    s.m_path = dir.WidePath("sheet.props");
    EXPECT_TRUE(s.CreateDefaultSheet(c.version));
    EXPECT_TRUE(s.m_loaded);
    EXPECT_EQ(ReadBytes(dir.Path("sheet.props")), c.expected) << "version " << c.version;
    EXPECT_FALSE(std::filesystem::exists(dir.Path("sheet.props.bak"))) << "nothing to keep for a new file";
  }
}

TEST(NewSheet, LoadThenSaveMovesTheUserGroupToTheEnd) {
  ScratchFolder dir;
  DirectorySettings s;
  s.m_path = dir.WidePath("sheet.props");
  ASSERT_TRUE(s.CreateDefaultSheet(1));
  for (bool reload : {true, false}) {
    DirectorySettings t;
    t.m_path = s.m_path;
    if (reload) {
      ASSERT_TRUE(t.LoadSheet());
    } else {
      ASSERT_TRUE(t.CreateDefaultSheet(1));  // saving straight after creating gives the same file
    }
    t.m_lists[1] = L"C:\\inc;D:\\inc";
    ASSERT_TRUE(t.SaveSheet());
    EXPECT_EQ(ReadBytes(dir.Path("sheet.props")),
              kDecl + kProjectOpen +
                  "\t<ImportGroup Label=\"PropertySheets\" />\n"
                  "\t<PropertyGroup Label=\"UserMacros\" />\n"
                  "\t<ItemDefinitionGroup />\n"
                  "\t<ItemGroup />\n"
                  "\t<PropertyGroup>\n"
                  "\t\t<UserInclude>C:\\inc;D:\\inc</UserInclude>\n"
                  "\t\t<IncludePath>$(UserInclude);$(IncludePath)</IncludePath>\n"
                  "\t</PropertyGroup>\n"
                  "</Project>\n")
        << "reload " << reload;
    ASSERT_TRUE(t.CreateDefaultSheet(1));
  }
}

// One load, optional edits of the lists, one save: the whole file afterwards.
struct RoundTrip {
  const char* name;
  std::string input;
  std::vector<std::pair<int, std::wstring>> edits;
  std::array<std::wstring, kKindCount> loaded;  // lists as read
  std::string output;
};

const std::string kSimpleHead = kDecl + kProjectOpen;

std::vector<RoundTrip> RoundTrips() {
  return {
      {"all lists empty gives an empty group at the end",
       kSimpleHead + "\t<PropertyGroup>\n\t\t<UserInclude>C:\\a</UserInclude>\n\t\t<IncludePath>$(UserInclude);$(IncludePath)</IncludePath>\n\t</PropertyGroup>\n</Project>\n",
       {{1, L""}},
       {L"", L"C:\\a"},
       kSimpleHead + "\t<PropertyGroup />\n</Project>\n"},
      {"trailing semicolons are trimmed, inner ones kept",
       kSimpleHead + "</Project>\n",
       {{0, L";C:\\a;;C:\\b;;;"}},
       {},
       kSimpleHead + "\t<PropertyGroup>\n\t\t<UserExecutable>;C:\\a;;C:\\b</UserExecutable>\n"
                     "\t\t<ExecutablePath>$(UserExecutable);$(ExecutablePath)</ExecutablePath>\n\t</PropertyGroup>\n</Project>\n"},
      {"a list of semicolons only is written empty with its path property",
       kSimpleHead + "</Project>\n",
       {{4, L";;"}},
       {},
       kSimpleHead + "\t<PropertyGroup>\n\t\t<UserWPath></UserWPath>\n"
                     "\t\t<LibraryWPath>$(UserWPath);$(LibraryWPath)</LibraryWPath>\n\t</PropertyGroup>\n</Project>\n"},
      {"all seven kinds in kind order",
       kSimpleHead + "</Project>\n",
       {{6, L"g"}, {0, L"a"}, {3, L"d"}, {1, L"b"}, {2, L"c"}, {5, L"f"}, {4, L"e"}},
       {},
       kSimpleHead + "\t<PropertyGroup>\n"
                     "\t\t<UserExecutable>a</UserExecutable>\n\t\t<ExecutablePath>$(UserExecutable);$(ExecutablePath)</ExecutablePath>\n"
                     "\t\t<UserInclude>b</UserInclude>\n\t\t<IncludePath>$(UserInclude);$(IncludePath)</IncludePath>\n"
                     "\t\t<UserReference>c</UserReference>\n\t\t<ReferencePath>$(UserReference);$(ReferencePath)</ReferencePath>\n"
                     "\t\t<UserLibrary>d</UserLibrary>\n\t\t<LibraryPath>$(UserLibrary);$(LibraryPath)</LibraryPath>\n"
                     "\t\t<UserWPath>e</UserWPath>\n\t\t<LibraryWPath>$(UserWPath);$(LibraryWPath)</LibraryWPath>\n"
                     "\t\t<UserSource>f</UserSource>\n\t\t<SourcePath>$(UserSource);$(SourcePath)</SourcePath>\n"
                     "\t\t<UserExclude>g</UserExclude>\n\t\t<ExcludePath>$(UserExclude);$(ExcludePath)</ExcludePath>\n"
                     "\t</PropertyGroup>\n</Project>\n"},
      {"CDATA is read and written back as escaped text",
       kSimpleHead + "\t<PropertyGroup>\n\t\t<UserInclude><![CDATA[C:\\a&b<c]]></UserInclude>\n\t</PropertyGroup>\n</Project>\n",
       {},
       {L"", L"C:\\a&b<c"},
       kSimpleHead + "\t<PropertyGroup>\n\t\t<UserInclude>C:\\a&amp;b&lt;c</UserInclude>\n"
                     "\t\t<IncludePath>$(UserInclude);$(IncludePath)</IncludePath>\n\t</PropertyGroup>\n</Project>\n"},
      {"blanks and line breaks around a list are kept",
       kSimpleHead + "\t<PropertyGroup>\n\t\t<UserSource> C:\\s\r\n </UserSource>\n\t</PropertyGroup>\n</Project>\n",
       {},
       {L"", L"", L"", L"", L"", L" C:\\s\n "},
       kSimpleHead + "\t<PropertyGroup>\n\t\t<UserSource> C:\\s\n </UserSource>\n"
                     "\t\t<SourcePath>$(UserSource);$(SourcePath)</SourcePath>\n\t</PropertyGroup>\n</Project>\n"},
      {"names in another letter case are not user macros and stay",
       kSimpleHead + "\t<PropertyGroup>\n\t\t<userinclude>C:\\x</userinclude>\n\t</PropertyGroup>\n</Project>\n",
       {{1, L"C:\\y"}},
       {},
       kSimpleHead + "\t<PropertyGroup>\n\t\t<userinclude>C:\\x</userinclude>\n\t\t<UserInclude>C:\\y</UserInclude>\n"
                     "\t\t<IncludePath>$(UserInclude);$(IncludePath)</IncludePath>\n\t</PropertyGroup>\n</Project>\n"},
      {"user macros in labelled groups are not read; labelled groups stay in place",
       kSimpleHead + "\t<PropertyGroup Label=\"UserMacros\">\n\t\t<UserInclude>C:\\m</UserInclude>\n\t</PropertyGroup>\n"
                     "\t<PropertyGroup Label=\"\">\n\t\t<UserLibrary>C:\\l</UserLibrary>\n\t</PropertyGroup>\n"
                     "\t<ItemGroup>\n\t\t<None Include=\"a&amp;b\" />\n\t</ItemGroup>\n</Project>\n",
       {{3, L"C:\\lib"}},
       {},
       kSimpleHead + "\t<PropertyGroup Label=\"UserMacros\">\n\t\t<UserInclude>C:\\m</UserInclude>\n\t</PropertyGroup>\n"
                     "\t<PropertyGroup Label=\"\">\n\t\t<UserLibrary>C:\\l</UserLibrary>\n\t</PropertyGroup>\n"
                     "\t<ItemGroup>\n\t\t<None Include=\"a&amp;b\" />\n\t</ItemGroup>\n"
                     "\t<PropertyGroup>\n\t\t<UserLibrary>C:\\lib</UserLibrary>\n"
                     "\t\t<LibraryPath>$(UserLibrary);$(LibraryPath)</LibraryPath>\n\t</PropertyGroup>\n</Project>\n"},
      {"comments, white space and empty unlabelled groups are dropped",
       "<?xml version=\"1.0\"?>\n<!-- hi -->\n<Project   a='1'  b=\"2\">\n  <PropertyGroup></PropertyGroup>\n"
       "  <PropertyGroup>  <!-- only a comment --> </PropertyGroup>\n  <ItemGroup/>\n</Project>\n",
       {},
       {},
       "<?xml version=\"1.0\"?>\n<Project a=\"1\" b=\"2\">\n\t<ItemGroup />\n\t<PropertyGroup />\n</Project>\n"},
      {"no declaration gets the library's",
       "<Project><PropertyGroup><UserInclude>x</UserInclude></PropertyGroup></Project>",
       {},
       {L"", L"x"},
       "<?xml version=\"1.0\"?>\n<Project>\n\t<PropertyGroup>\n\t\t<UserInclude>x</UserInclude>\n"
       "\t\t<IncludePath>$(UserInclude);$(IncludePath)</IncludePath>\n\t</PropertyGroup>\n</Project>\n"},
      {"a list with markup characters is escaped",
       kSimpleHead + "</Project>\n",
       {{2, L"C:\\R&D;<x>;\"q\""}},
       {},
       kSimpleHead + "\t<PropertyGroup>\n\t\t<UserReference>C:\\R&amp;D;&lt;x&gt;;\"q\"</UserReference>\n"
                     "\t\t<ReferencePath>$(UserReference);$(ReferencePath)</ReferencePath>\n\t</PropertyGroup>\n</Project>\n"},
  };
}

TEST(SheetRoundTrip, LoadEditSaveGivesTheExpectedFile) {
  for (const auto& c : RoundTrips()) {
    SCOPED_TRACE(c.name);
    ScratchFolder dir;
    WriteBytes(dir.Path("s.props"), c.input);
    DirectorySettings s;
    s.m_path = dir.WidePath("s.props");
    ASSERT_TRUE(s.LoadSheet());
    if (c.edits.empty() && c.loaded != std::array<std::wstring, kKindCount>{}) {
      EXPECT_EQ(s.m_lists, c.loaded);
    }
    for (const auto& [kind, list] : c.edits) s.m_lists[kind] = list;
    ASSERT_TRUE(s.SaveSheet());
    EXPECT_EQ(ReadBytes(dir.Path("s.props")), c.output);

    // What was written reads back as the (trimmed) lists of the record.
    DirectorySettings again;
    again.m_path = s.m_path;
    ASSERT_TRUE(again.LoadSheet());
    for (int k = 0; k < kKindCount; ++k) {
      EXPECT_EQ(again.m_lists[k], s.m_lists[k]) << "kind " << k;
    }
  }
}

TEST(SheetRoundTrip, TrailingSemicolonsAreTrimmedInTheRecordToo) {
  ScratchFolder dir;
  DirectorySettings s;
  s.m_path = dir.WidePath("s.props");
  ASSERT_TRUE(s.CreateDefaultSheet(0));
  s.m_lists[1] = L"C:\\a;";
  s.m_lists[2] = L";";
  ASSERT_TRUE(s.SaveSheet());
  EXPECT_EQ(s.m_lists[1], L"C:\\a");
  EXPECT_EQ(s.m_lists[2], L"");
}

struct BadSheet {
  const char* name;
  std::string bytes;
};

TEST(SheetLoad, UnreadableSheetsFailAndLeaveAnEmptyRecord) {
  const BadSheet cases[] = {
      {"empty file", ""},
      {"white space only", " \n\t"},
      {"damaged XML", "<Project><PropertyGroup></Project>"},
      {"root is not Project", "<?xml version=\"1.0\"?>\n<project><PropertyGroup><UserInclude>x</UserInclude></PropertyGroup></project>"},
      {"text only", "hello"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchFolder dir;
    WriteBytes(dir.Path("s.props"), c.bytes);
    DirectorySettings s;
    s.m_path = dir.WidePath("s.props");
    s.m_lists[1] = L"stale";
    s.m_loaded = true;
    EXPECT_FALSE(s.LoadSheet());
    EXPECT_FALSE(s.m_loaded);
    EXPECT_EQ(s.m_lists[1], L"");
    // Nothing is ever written while the record is not loaded.
    EXPECT_TRUE(s.SaveSheet());
    EXPECT_EQ(ReadBytes(dir.Path("s.props")), c.bytes);
  }
  DirectorySettings missing;
  missing.m_path = L"/no/such/folder/x.props";
  EXPECT_FALSE(missing.LoadSheet());
  ScratchFolder dir;
  DirectorySettings folder;
  folder.m_path = dir.Root().wstring();
  EXPECT_FALSE(folder.LoadSheet());
}

TEST(SheetLoad, Utf16SheetIsWrittenAsUtf8WithATruthfulDeclaration) {
  const std::u16string text =
      u"\uFEFF<?xml version=\"1.0\" encoding=\"utf-16\"?>\r\n<Project>\r\n  <PropertyGroup>\r\n"
      u"    <UserInclude>C:\\\u00C4rger</UserInclude>\r\n  </PropertyGroup>\r\n</Project>\r\n";
  std::string bytes;
  for (char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  ScratchFolder dir;
  WriteBytes(dir.Path("s.props"), bytes);
  DirectorySettings s;
  s.m_path = dir.WidePath("s.props");
  ASSERT_TRUE(s.LoadSheet());
  EXPECT_EQ(s.m_lists[1], L"C:\\\u00C4rger");
  ASSERT_TRUE(s.SaveSheet());
  EXPECT_EQ(ReadBytes(dir.Path("s.props")),
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Project>\n\t<PropertyGroup>\n"
            "\t\t<UserInclude>C:\\\xC3\x84rger</UserInclude>\n"
            "\t\t<IncludePath>$(UserInclude);$(IncludePath)</IncludePath>\n\t</PropertyGroup>\n</Project>\n");
}

TEST(SheetSave, DeclarationEncodingIsCorrectedOnlyWhenItLies) {
  const std::pair<const char*, const char*> cases[] = {
      {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", "<?xml version=\"1.0\" encoding=\"utf-8\"?>"},
      {"<?xml version=\"1.0\" encoding=\"UTF-16\"?>", "<?xml version=\"1.0\" encoding=\"utf-8\"?>"},
      {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"},
      {"<?xml version=\"1.0\" encoding=\"utf8\"?>", "<?xml version=\"1.0\" encoding=\"utf8\"?>"},
      {"<?xml version=\"1.0\" standalone=\"yes\"?>", "<?xml version=\"1.0\" standalone=\"yes\"?>"},
  };
  for (const auto& [in, out] : cases) {
    ScratchFolder dir;
    WriteBytes(dir.Path("s.props"), std::string(in) + "\n<Project />");
    DirectorySettings s;
    s.m_path = dir.WidePath("s.props");
    ASSERT_TRUE(s.LoadSheet()) << in;
    ASSERT_TRUE(s.SaveSheet());
    EXPECT_EQ(ReadBytes(dir.Path("s.props")), std::string(out) + "\n<Project>\n\t<PropertyGroup />\n</Project>\n") << in;
  }
}

// A sheet as Visual Studio's property manager writes it: inline path values and other properties
// in the unlabelled group, which a save must keep.
const std::string kVsSheet =
    "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
    "<Project DefaultTargets=\"Build\" ToolsVersion=\"4.0\" xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\">\r\n"
    "  <ImportGroup Label=\"PropertySheets\" />\r\n"
    "  <PropertyGroup Label=\"UserMacros\" />\r\n"
    "  <PropertyGroup>\r\n"
    "    <IncludePath>C:\\Qt\\include;$(IncludePath)</IncludePath>\r\n"
    "    <LibraryPath>C:\\Qt\\lib;$(LibraryPath)</LibraryPath>\r\n"
    "    <OutDir>$(SolutionDir)bin\\</OutDir>\r\n"
    "    <IntDir>$(SolutionDir)obj\\</IntDir>\r\n"
    "    <TargetName>$(ProjectName)d</TargetName>\r\n"
    "  </PropertyGroup>\r\n"
    "  <ItemDefinitionGroup />\r\n"
    "  <ItemGroup />\r\n"
    "</Project>";

TEST(SheetSave, VisualStudioSheetKeepsItsSettingsAndOrder) {
  ScratchFolder dir;
  WriteBytes(dir.Path("s.props"), kVsSheet);
  DirectorySettings s;
  s.m_path = dir.WidePath("s.props");
  ASSERT_TRUE(s.LoadSheet());
  s.m_lists[1] = L"D:\\boost";
  s.m_lists[0] = L"D:\\tools";
  ASSERT_TRUE(s.SaveSheet());
  EXPECT_EQ(ReadBytes(dir.Path("s.props")),
            kDecl + kProjectOpen +
                "\t<ImportGroup Label=\"PropertySheets\" />\n"
                "\t<PropertyGroup Label=\"UserMacros\" />\n"
                "\t<PropertyGroup>\n"
                "\t\t<OutDir>$(SolutionDir)bin\\</OutDir>\n"
                "\t\t<IntDir>$(SolutionDir)obj\\</IntDir>\n"
                "\t\t<TargetName>$(ProjectName)d</TargetName>\n"
                "\t\t<UserExecutable>D:\\tools</UserExecutable>\n"
                "\t\t<ExecutablePath>$(UserExecutable);$(ExecutablePath)</ExecutablePath>\n"
                "\t\t<UserInclude>D:\\boost</UserInclude>\n"
                "\t\t<IncludePath>$(UserInclude);C:\\Qt\\include;$(IncludePath)</IncludePath>\n"
                "\t\t<LibraryPath>C:\\Qt\\lib;$(LibraryPath)</LibraryPath>\n"
                "\t</PropertyGroup>\n"
                "\t<ItemDefinitionGroup />\n"
                "\t<ItemGroup />\n"
                "</Project>\n");

  // Clearing the list again gives the user's own value back, without our prefix.
  DirectorySettings t;
  t.m_path = s.m_path;
  ASSERT_TRUE(t.LoadSheet());
  EXPECT_EQ(t.m_lists[1], L"D:\\boost");
  t.m_lists[1].clear();
  ASSERT_TRUE(t.SaveSheet());
  const std::string after = ReadBytes(dir.Path("s.props"));
  EXPECT_NE(after.find("\t\t<IncludePath>C:\\Qt\\include;$(IncludePath)</IncludePath>\n"), std::string::npos) << after;
  EXPECT_EQ(after.find("UserInclude"), std::string::npos) << after;
}

struct PathValueCase {
  const char* name;
  std::optional<std::string> before;  // the IncludePath element's text before the save; none: absent
  std::wstring list;
  std::optional<std::string> after;   // IncludePath after the save; none: no element
};

TEST(SheetSave, PathPropertyKeepsWhatItHeld) {
  const PathValueCase cases[] = {
      {"absent, list set", std::nullopt, L"C:\\a", "$(UserInclude);$(IncludePath)"},
      {"absent, list empty", std::nullopt, L"", std::nullopt},
      {"composed, list set", "$(UserInclude);$(IncludePath)", L"C:\\a", "$(UserInclude);$(IncludePath)"},
      {"composed, list empty", "$(UserInclude);$(IncludePath)", L"", std::nullopt},
      {"own value, list set", "C:\\Qt;$(IncludePath)", L"C:\\a", "$(UserInclude);C:\\Qt;$(IncludePath)"},
      {"own value with our prefix, list set", "$(UserInclude);C:\\Qt", L"C:\\a", "$(UserInclude);C:\\Qt"},
      {"own value with our prefix, list empty", "$(UserInclude);C:\\Qt", L"", "C:\\Qt"},
      {"own value, list empty", "C:\\only", L"", "C:\\only"},
      {"prefix alone, list empty", "$(UserInclude);", L"", std::nullopt},
      {"empty own value, list set", "", L"C:\\a", "$(UserInclude);"},
      {"empty own value, list empty", "", L"", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchFolder dir;
    std::string group = "<Project><PropertyGroup><OutDir>o</OutDir>";
    if (c.before) group += "<IncludePath>" + *c.before + "</IncludePath>";
    group += "</PropertyGroup></Project>";
    WriteBytes(dir.Path("s.props"), group);
    DirectorySettings s;
    s.m_path = dir.WidePath("s.props");
    ASSERT_TRUE(s.LoadSheet());
    s.m_lists[1] = c.list;
    ASSERT_TRUE(s.SaveSheet());
    std::string expected = "<?xml version=\"1.0\"?>\n<Project>\n\t<PropertyGroup>\n\t\t<OutDir>o</OutDir>\n";
    if (!c.list.empty()) expected += "\t\t<UserInclude>C:\\a</UserInclude>\n";
    if (c.after) expected += "\t\t<IncludePath>" + *c.after + "</IncludePath>\n";
    expected += "\t</PropertyGroup>\n</Project>\n";
    EXPECT_EQ(ReadBytes(dir.Path("s.props")), expected);
  }
}

TEST(SheetSave, TwoUnlabelledGroupsOnlyTheLastIsEdited) {
  ScratchFolder dir;
  WriteBytes(dir.Path("s.props"),
             "<Project>"
             "<PropertyGroup><UserInclude>first</UserInclude><OutDir>x</OutDir></PropertyGroup>"
             "<PropertyGroup Condition=\"'$(Configuration)'=='Debug'\"><UserInclude>second</UserInclude></PropertyGroup>"
             "<ItemGroup />"
             "</Project>");
  DirectorySettings s;
  s.m_path = dir.WidePath("s.props");
  ASSERT_TRUE(s.LoadSheet());
  EXPECT_EQ(s.m_lists[1], L"second");
  s.m_lists[1] = L"third";
  ASSERT_TRUE(s.SaveSheet());
  ASSERT_TRUE(s.SaveSheet());  // a second save in the same run edits the same group again
  EXPECT_EQ(ReadBytes(dir.Path("s.props")),
            "<?xml version=\"1.0\"?>\n<Project>\n"
            "\t<PropertyGroup>\n\t\t<UserInclude>first</UserInclude>\n\t\t<OutDir>x</OutDir>\n\t</PropertyGroup>\n"
            "\t<PropertyGroup Condition=\"'$(Configuration)'=='Debug'\">\n\t\t<UserInclude>third</UserInclude>\n"
            "\t\t<IncludePath>$(UserInclude);$(IncludePath)</IncludePath>\n\t</PropertyGroup>\n"
            "\t<ItemGroup />\n</Project>\n");
}

TEST(SheetSave, GroupHoldingOnlyAPathPropertyBecomesTheUserGroup) {
  ScratchFolder dir;
  WriteBytes(dir.Path("s.props"), "<Project><PropertyGroup><IncludePath>$(UserInclude);$(IncludePath)</IncludePath></PropertyGroup></Project>");
  DirectorySettings s;
  s.m_path = dir.WidePath("s.props");
  ASSERT_TRUE(s.LoadSheet());
  EXPECT_EQ(s.m_lists, (std::array<std::wstring, kKindCount>{}));
  ASSERT_TRUE(s.SaveSheet());
  EXPECT_EQ(ReadBytes(dir.Path("s.props")), "<?xml version=\"1.0\"?>\n<Project>\n\t<PropertyGroup />\n</Project>\n");
}

TEST(SheetSave, NoPathNothingToWrite) {
  DirectorySettings s;
  s.m_loaded = true;
  s.m_lists[1] = L"C:\\a";
  EXPECT_TRUE(s.SaveSheet());
  EXPECT_FALSE(s.WriteSheetFile());
}

}  // namespace
}  // namespace pathwright
