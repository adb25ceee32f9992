// Reading and writing user property sheets, checked on the whole written file so that untouched
// parts and their order are covered in one comparison.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "model/DirectorySettings.h"
#include "support/Files.h"
#include "support/Sheets.h"

namespace pathwright {
namespace {

using namespace testing;
using Edits = std::vector<std::pair<int, std::wstring>>;

// Writes `input`, loads it, applies the edits, saves; returns the record for further checks.
DirectorySettings LoadEditSave(const ScratchFolder& dir, const std::string& input, const Edits& edits) {
  WriteBytes(dir.Path("s.props"), input);
  DirectorySettings s;
  s.m_path = dir.WidePath("s.props");
  EXPECT_TRUE(s.LoadSheet());
  for (const auto& [kind, list] : edits) s.m_lists[kind] = list;
  EXPECT_TRUE(s.SaveSheet());
  return s;
}

TEST(NewSheet, EachVersionIsWrittenByteExactAndSavesLikeALoadedOne) {
  const std::pair<int, std::string> cases[] = {{0, NewSheet(2010)}, {1, NewSheet(2012)}, {2, NewSheet(2013)}};
  for (const auto& [version, expected] : cases) {
    ScratchFolder dir;
    DirectorySettings s;
    s.m_path = dir.WidePath("s.props");
    EXPECT_TRUE(s.CreateDefaultSheet(version));
    EXPECT_TRUE(s.m_loaded);
    EXPECT_EQ(ReadBytes(dir.Path("s.props")), expected) << version;
    EXPECT_FALSE(std::filesystem::exists(dir.Path("s.props.bak"))) << "nothing to keep for a new file";
  }
  // Saving straight after creating, or after loading the new sheet, drops the empty group and
  // puts the user group last.
  const std::string expected = SavedSheet(Include("C:\\inc;D:\\inc"));
  for (bool reload : {false, true}) {
    ScratchFolder dir;
    DirectorySettings s;
    s.m_path = dir.WidePath("s.props");
    ASSERT_TRUE(s.CreateDefaultSheet(1));
    if (reload) {
      ASSERT_TRUE(s.LoadSheet());
    }
    s.m_lists[1] = L"C:\\inc;D:\\inc";
    ASSERT_TRUE(s.SaveSheet());
    EXPECT_EQ(ReadBytes(dir.Path("s.props")), expected) << reload;
  }
}

struct RoundTrip {
  const char* name;
  std::string input;
  Edits edits;
  std::string output;
};

TEST(SheetRoundTrip, LoadEditSaveGivesTheExpectedFileAndReadsBack) {
  const RoundTrip cases[] = {
      {"all lists emptied gives an empty group", kHead + Group(Kind("UserInclude", "IncludePath", "C:\\a")) + kTail,
       {{1, L""}}, kHead + "\t<PropertyGroup />\n" + kTail},
      {"trailing semicolons trimmed, inner and leading ones kept", kHead + kTail, {{0, L";C:\\a;;C:\\b;;;"}},
       kHead + Group(Kind("UserExecutable", "ExecutablePath", ";C:\\a;;C:\\b")) + kTail},
      {"semicolons only: empty macro, path still written", kHead + kTail, {{4, L";;"}},
       kHead + Group("\t\t<UserWPath></UserWPath>\n\t\t<LibraryWPath>$(UserWPath);$(LibraryWPath)</LibraryWPath>\n") +
           kTail},
      {"all seven kinds in kind order", kHead + kTail,
       {{6, L"g"}, {0, L"a"}, {3, L"d"}, {1, L"b"}, {2, L"c"}, {5, L"f"}, {4, L"e"}},
       kHead +
           Group(Kind("UserExecutable", "ExecutablePath", "a") + Kind("UserInclude", "IncludePath", "b") +
                 Kind("UserReference", "ReferencePath", "c") + Kind("UserLibrary", "LibraryPath", "d") +
                 Kind("UserWPath", "LibraryWPath", "e") + Kind("UserSource", "SourcePath", "f") +
                 Kind("UserExclude", "ExcludePath", "g")) +
           kTail},
      {"CDATA read, written back as escaped text",
       kHead + Group("\t\t<UserInclude><![CDATA[C:\\a&b<c]]></UserInclude>\n") + kTail, {},
       kHead + Group(Kind("UserInclude", "IncludePath", "C:\\a&amp;b&lt;c")) + kTail},
      {"blanks and line breaks around a list kept", kHead + Group("\t\t<UserSource> C:\\s\r\n </UserSource>\n") + kTail,
       {}, kHead + Group(Kind("UserSource", "SourcePath", " C:\\s\n ")) + kTail},
      {"other letter case is no user macro and stays", kHead + Group("\t\t<userinclude>x</userinclude>\n") + kTail,
       {{1, L"y"}}, kHead + Group("\t\t<userinclude>x</userinclude>\n" + Kind("UserInclude", "IncludePath", "y")) + kTail},
      {"labelled groups are not read and stay in place",
       kHead + Group("\t\t<UserInclude>m</UserInclude>\n", " Label=\"UserMacros\"") +
           Group("\t\t<UserLibrary>l</UserLibrary>\n", " Label=\"\"") + "\t<ItemGroup>\n\t\t<None Include=\"a&amp;b\" />\n\t</ItemGroup>\n" + kTail,
       {{3, L"lib"}},
       kHead + Group("\t\t<UserInclude>m</UserInclude>\n", " Label=\"UserMacros\"") +
           Group("\t\t<UserLibrary>l</UserLibrary>\n", " Label=\"\"") + "\t<ItemGroup>\n\t\t<None Include=\"a&amp;b\" />\n\t</ItemGroup>\n" +
           Group(Kind("UserLibrary", "LibraryPath", "lib")) + kTail},
      {"comments, white space and empty unlabelled groups dropped",
       "<?xml version=\"1.0\"?>\n<!-- hi -->\n<Project   a='1'  b=\"2\">\n  <PropertyGroup></PropertyGroup>\n"
       "  <PropertyGroup>  <!-- only a comment --> </PropertyGroup>\n  <ItemGroup/>\n</Project>\n",
       {}, kBareDecl + "<Project a=\"1\" b=\"2\">\n\t<ItemGroup />\n\t<PropertyGroup />\n" + kTail},
      {"no declaration gets the library's", "<Project><PropertyGroup><UserInclude>x</UserInclude></PropertyGroup></Project>",
       {}, kBareDecl + "<Project>\n" + Group(Kind("UserInclude", "IncludePath", "x")) + kTail},
      {"markup characters escaped", kHead + kTail, {{2, L"C:\\R&D;<x>;\"q\""}},
       kHead + Group(Kind("UserReference", "ReferencePath", "C:\\R&amp;D;&lt;x&gt;;\"q\"")) + kTail},
      {"a group holding only a path property becomes the user group",
       "<Project><PropertyGroup><IncludePath>$(UserInclude);$(IncludePath)</IncludePath></PropertyGroup></Project>", {},
       kBareDecl + "<Project>\n\t<PropertyGroup />\n" + kTail},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchFolder dir;
    const DirectorySettings saved = LoadEditSave(dir, c.input, c.edits);
    EXPECT_EQ(ReadBytes(dir.Path("s.props")), c.output);
    DirectorySettings again;
    again.m_path = saved.m_path;
    ASSERT_TRUE(again.LoadSheet());
    EXPECT_EQ(again.m_lists, saved.m_lists) << "the written lists read back as the (trimmed) record";
  }
}

TEST(SheetRoundTrip, TrailingSemicolonsAreTrimmedInTheRecordToo) {
  ScratchFolder dir;
  const DirectorySettings s = LoadEditSave(dir, "<Project />", {{1, L"C:\\a;"}, {2, L";"}});
  EXPECT_EQ(s.m_lists[1], L"C:\\a");
  EXPECT_EQ(s.m_lists[2], L"");
}

TEST(SheetLoad, UnreadableSheetsFailAndLeaveAnEmptyRecord) {
  const std::pair<const char*, std::string> cases[] = {
      {"empty file", ""},
      {"white space only", " \n\t"},
      {"damaged XML", "<Project><PropertyGroup></Project>"},
      {"root is not Project", "<project><PropertyGroup><UserInclude>x</UserInclude></PropertyGroup></project>"},
      {"text only", "hello"},
  };
  for (const auto& [name, bytes] : cases) {
    SCOPED_TRACE(name);
    ScratchFolder dir;
    WriteBytes(dir.Path("s.props"), bytes);
    DirectorySettings s;
    s.m_path = dir.WidePath("s.props");
    s.m_lists[1] = L"stale";
    s.m_loaded = true;
    EXPECT_FALSE(s.LoadSheet());
    EXPECT_FALSE(s.m_loaded);
    EXPECT_EQ(s.m_lists[1], L"");
    EXPECT_TRUE(s.SaveSheet()) << "nothing to do while not loaded";
    EXPECT_EQ(ReadBytes(dir.Path("s.props")), bytes);
  }
  ScratchFolder dir;
  for (std::wstring path : {std::wstring(L"/no/such/folder/x.props"), dir.Root().wstring()}) {
    DirectorySettings s;
    s.m_path = path;
    EXPECT_FALSE(s.LoadSheet());
  }
}

TEST(SheetLoad, Utf16SheetIsWrittenAsUtf8WithATruthfulDeclaration) {
  const std::u16string text =
      u"\uFEFF<?xml version=\"1.0\" encoding=\"utf-16\"?>\r\n<Project>\r\n  <PropertyGroup>\r\n"
      u"    <UserInclude>C:\\\u00C4rger</UserInclude>\r\n  </PropertyGroup>\r\n</Project>\r\n";
  std::string bytes;
  for (char16_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  ScratchFolder dir;
  const DirectorySettings s = LoadEditSave(dir, bytes, {});
  EXPECT_EQ(s.m_lists[1], L"C:\\\u00C4rger");
  EXPECT_EQ(ReadBytes(dir.Path("s.props")),
            kDecl + "<Project>\n" + Group(Kind("UserInclude", "IncludePath", "C:\\\xC3\x84rger")) + kTail);
}

TEST(SheetSave, DeclarationEncodingIsCorrectedOnlyWhenItLies) {
  const std::pair<std::string, std::string> cases[] = {
      {"encoding=\"ISO-8859-1\"", "encoding=\"utf-8\""}, {"encoding=\"UTF-16\"", "encoding=\"utf-8\""},
      {"encoding=\"UTF-8\"", "encoding=\"UTF-8\""},      {"encoding=\"utf8\"", "encoding=\"utf8\""},
      {"standalone=\"yes\"", "standalone=\"yes\""},
  };
  for (const auto& [in, out] : cases) {
    ScratchFolder dir;
    LoadEditSave(dir, "<?xml version=\"1.0\" " + in + "?>\n<Project />", {});
    EXPECT_EQ(ReadBytes(dir.Path("s.props")), "<?xml version=\"1.0\" " + out + "?>\n<Project>\n\t<PropertyGroup />\n" + kTail);
  }
}

TEST(SheetSave, VisualStudioSheetKeepsItsSettingsAndOrder) {
  // As Visual Studio's property manager writes it: inline path values and other properties in
  // the unlabelled group, which a save must keep.
  const std::string vsSheet =
      "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<Project DefaultTargets=\"Build\" ToolsVersion=\"4.0\"" +
      kNs + ">\r\n  <ImportGroup Label=\"PropertySheets\" />\r\n  <PropertyGroup Label=\"UserMacros\" />\r\n"
      "  <PropertyGroup>\r\n    <IncludePath>C:\\Qt\\include;$(IncludePath)</IncludePath>\r\n"
      "    <LibraryPath>C:\\Qt\\lib;$(LibraryPath)</LibraryPath>\r\n    <OutDir>$(SolutionDir)bin\\</OutDir>\r\n"
      "    <TargetName>$(ProjectName)d</TargetName>\r\n  </PropertyGroup>\r\n  <ItemGroup />\r\n</Project>";
  const std::string head = kHead + "\t<ImportGroup Label=\"PropertySheets\" />\n\t<PropertyGroup Label=\"UserMacros\" />\n";
  const std::string kept = "\t\t<OutDir>$(SolutionDir)bin\\</OutDir>\n\t\t<TargetName>$(ProjectName)d</TargetName>\n";
  const std::string lib = "\t\t<LibraryPath>C:\\Qt\\lib;$(LibraryPath)</LibraryPath>\n";
  ScratchFolder dir;
  LoadEditSave(dir, vsSheet, {{0, L"D:\\tools"}, {1, L"D:\\boost"}});
  EXPECT_EQ(ReadBytes(dir.Path("s.props")),
            head + Group(kept + Kind("UserExecutable", "ExecutablePath", "D:\\tools") +
                         "\t\t<UserInclude>D:\\boost</UserInclude>\n"
                         "\t\t<IncludePath>$(UserInclude);C:\\Qt\\include;$(IncludePath)</IncludePath>\n" + lib) +
                "\t<ItemGroup />\n" + kTail);
  // Clearing the lists again gives the user's own values back, without our prefix.
  LoadEditSave(dir, ReadBytes(dir.Path("s.props")), {{0, L""}, {1, L""}});
  EXPECT_EQ(ReadBytes(dir.Path("s.props")),
            head + Group(kept + "\t\t<IncludePath>C:\\Qt\\include;$(IncludePath)</IncludePath>\n" + lib) +
                "\t<ItemGroup />\n" + kTail);
}

TEST(SheetSave, PathPropertyKeepsWhatItHeld) {
  const struct {
    std::optional<std::string> before;  // IncludePath's text before the save; none: absent
    std::wstring list;
    std::optional<std::string> after;   // after the save; none: no element
  } cases[] = {
      {std::nullopt, L"C:\\a", "$(UserInclude);$(IncludePath)"},
      {std::nullopt, L"", std::nullopt},
      {"$(UserInclude);$(IncludePath)", L"C:\\a", "$(UserInclude);$(IncludePath)"},
      {"$(UserInclude);$(IncludePath)", L"", std::nullopt},
      {"C:\\Qt;$(IncludePath)", L"C:\\a", "$(UserInclude);C:\\Qt;$(IncludePath)"},
      {"$(UserInclude);C:\\Qt", L"C:\\a", "$(UserInclude);C:\\Qt"},
      {"$(UserInclude);C:\\Qt", L"", "C:\\Qt"},
      {"C:\\only", L"", "C:\\only"},
      {"$(UserInclude);", L"", std::nullopt},
      {"", L"C:\\a", "$(UserInclude);"},
      {"", L"", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.before.value_or("(absent)") + " / " + std::to_string(c.list.size()));
    ScratchFolder dir;
    const std::string before = c.before ? "<IncludePath>" + *c.before + "</IncludePath>" : "";
    LoadEditSave(dir, "<Project><PropertyGroup><OutDir>o</OutDir>" + before + "</PropertyGroup></Project>", {{1, c.list}});
    std::string body = "\t\t<OutDir>o</OutDir>\n";
    if (!c.list.empty()) body += "\t\t<UserInclude>C:\\a</UserInclude>\n";
    if (c.after) body += "\t\t<IncludePath>" + *c.after + "</IncludePath>\n";
    EXPECT_EQ(ReadBytes(dir.Path("s.props")), kBareDecl + "<Project>\n" + Group(body) + kTail);
  }
}

TEST(SheetSave, TwoUnlabelledGroupsOnlyTheLastIsEditedInPlace) {
  ScratchFolder dir;
  DirectorySettings s = LoadEditSave(
      dir,
      "<Project><PropertyGroup><UserInclude>first</UserInclude><OutDir>x</OutDir></PropertyGroup>"
      "<PropertyGroup Condition=\"'$(Configuration)'=='Debug'\"><UserInclude>second</UserInclude></PropertyGroup>"
      "<ItemGroup /></Project>",
      {{1, L"third"}});
  ASSERT_TRUE(s.SaveSheet());  // a second save in the same run edits the same group again
  EXPECT_EQ(ReadBytes(dir.Path("s.props")),
            kBareDecl + "<Project>\n" + Group("\t\t<UserInclude>first</UserInclude>\n\t\t<OutDir>x</OutDir>\n") +
                Group(Kind("UserInclude", "IncludePath", "third"), " Condition=\"'$(Configuration)'=='Debug'\"") +
                "\t<ItemGroup />\n" + kTail);
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
