// Reading and writing user property sheets, checked on the whole written file so that untouched
// parts and their order are covered in one comparison.
#include <gtest/gtest.h>

#include <optional>
#include <tuple>
#include <vector>

#include "model/DirectorySettings.h"
#include "support/Files.h"
#include "support/Sheets.h"

namespace pathwright {
namespace {

using namespace testing;
using Edits = std::vector<std::pair<int, std::wstring>>;

const std::string kConditional =
    "\t\t<UserLibrary Condition=\"'$(Configuration)'=='Debug'\">C:\\dbg</UserLibrary>\n"
    "\t\t<IncludePath Condition=\"'$(Configuration)'=='Debug'\">C:\\dbg;$(IncludePath)</IncludePath>\n"
    "\t\t<IncludePath Condition=\"'$(Configuration)'=='Release'\">C:\\rel;$(IncludePath)</IncludePath>\n";
const std::string kTidy = "\t\t<ClangTidyInc>$(IncludePath)</ClangTidyInc>\n";
const std::string kBoost = "\t\t<IncludePath>$(IncludePath);C:\\Boost</IncludePath>\n";
const std::string kX64 = Group("\t\t<UserInclude>x64</UserInclude>\n", " Condition=\"'$(Platform)'=='x64'\"") +
                         "\t<PropertyGroup Condition=\"'$(Platform)'=='ARM'\" />\n";
std::string Qt(const std::string& value) { return "\t\t<IncludePath>" + value + "</IncludePath>\n"; }

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
  const std::pair<VsVersion, std::string> cases[] = {
      {VsVersion::k2010, NewSheet(2010)}, {VsVersion::k2012, NewSheet(2012)}, {VsVersion::k2013, NewSheet(2013)}};
  for (const auto& [version, expected] : cases) {
    ScratchFolder dir;
    DirectorySettings s;
    s.m_path = dir.WidePath("s.props");
    EXPECT_TRUE(s.CreateDefaultSheet(version));
    EXPECT_TRUE(s.m_loaded);
    EXPECT_EQ(ReadBytes(dir.Path("s.props")), expected) << int(version);
    EXPECT_FALSE(std::filesystem::exists(dir.Path("s.props.bak"))) << "nothing to keep for a new file";
  }
  // Saving straight after creating, or after loading the new sheet, drops the empty group and
  // puts the user group last.
  const std::string expected = SavedSheet(Include("C:\\inc;D:\\inc"));
  for (bool reload : {false, true}) {
    ScratchFolder dir;
    DirectorySettings s;
    s.m_path = dir.WidePath("s.props");
    ASSERT_TRUE(s.CreateDefaultSheet(VsVersion::k2012));
    if (reload) { ASSERT_TRUE(s.LoadSheet()); }
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
  bool settled = true;  // whether saving the output again leaves it byte for byte
};

TEST(SheetRoundTrip, LoadEditSaveGivesTheExpectedFileAndReadsBack) {
  const RoundTrip cases[] = {
      {"all lists emptied gives an empty group",
       kHead + Group(Kind("UserInclude", "IncludePath", "C:\\a")) + kTail,
       {{1, L""}},
       kHead + "\t<PropertyGroup />\n" + kTail},
      {"trailing semicolons trimmed, inner and leading ones kept",
       kHead + kTail,
       {{0, L";C:\\a;;C:\\b;;;"}},
       kHead + Group(Kind("UserExecutable", "ExecutablePath", ";C:\\a;;C:\\b")) + kTail},
      {"semicolons only: empty macro, path still written",
       kHead + kTail,
       {{4, L";;"}},
       kHead + Group("\t\t<UserWPath></UserWPath>\n\t\t<LibraryWPath>$(UserWPath);$(LibraryWPath)</LibraryWPath>\n") +
           kTail,
       false},  // an empty macro reads back as an empty list
      {"all seven kinds in kind order",
       kHead + kTail,
       {{6, L"g"}, {0, L"a"}, {3, L"d"}, {1, L"b"}, {2, L"c"}, {5, L"f"}, {4, L"e"}},
       kHead +
           Group(Kind("UserExecutable", "ExecutablePath", "a") + Kind("UserInclude", "IncludePath", "b") +
                 Kind("UserReference", "ReferencePath", "c") + Kind("UserLibrary", "LibraryPath", "d") +
                 Kind("UserWPath", "LibraryWPath", "e") + Kind("UserSource", "SourcePath", "f") +
                 Kind("UserExclude", "ExcludePath", "g")) +
           kTail},
      {"CDATA read, written back as escaped text",
       kHead + Group("\t\t<UserInclude><![CDATA[C:\\a&b<c]]></UserInclude>\n") + kTail,
       {},
       kHead + Group(Kind("UserInclude", "IncludePath", "C:\\a&amp;b&lt;c")) + kTail},
      {"blanks and line breaks around a list kept",
       kHead + Group("\t\t<UserSource> C:\\s\r\n </UserSource>\n") + kTail,
       {},
       kHead + Group(Kind("UserSource", "SourcePath", " C:\\s\n ")) + kTail},
      {"other letter case is no user macro and stays",
       kHead + Group("\t\t<userinclude>x</userinclude>\n") + kTail,
       {{1, L"y"}},
       kHead + Group("\t\t<userinclude>x</userinclude>\n" + Kind("UserInclude", "IncludePath", "y")) + kTail},
      {"labelled groups are not read and stay in place",
       kHead + Group("\t\t<UserInclude>m</UserInclude>\n", " Label=\"UserMacros\"") +
           Group("\t\t<UserLibrary>l</UserLibrary>\n", " Label=\"\"") +
           "\t<ItemGroup>\n\t\t<None Include=\"a&amp;b\" />\n\t</ItemGroup>\n" + kTail,
       {{3, L"lib"}},
       kHead + Group("\t\t<UserInclude>m</UserInclude>\n", " Label=\"UserMacros\"") +
           Group("\t\t<UserLibrary>l</UserLibrary>\n", " Label=\"\"") +
           "\t<ItemGroup>\n\t\t<None Include=\"a&amp;b\" />\n\t</ItemGroup>\n" +
           Group(Kind("UserLibrary", "LibraryPath", "lib")) + kTail},
      {"comments, white space and empty unlabelled groups dropped",
       "<?xml version=\"1.0\"?>\n<!-- hi -->\n<Project   a='1'  b=\"2\">\n  <PropertyGroup></PropertyGroup>\n"
       "  <PropertyGroup>  <!-- only a comment --> </PropertyGroup>\n  <ItemGroup/>\n</Project>\n",
       {},
       kBareDecl + "<Project a=\"1\" b=\"2\">\n\t<ItemGroup />\n\t<PropertyGroup />\n" + kTail},
      {"no declaration gets the library's",
       "<Project><PropertyGroup><UserInclude>x</UserInclude></PropertyGroup></Project>",
       {},
       kBareDecl + "<Project>\n" + Group(Kind("UserInclude", "IncludePath", "x")) + kTail},
      {"markup characters escaped",
       kHead + kTail,
       {{2, L"C:\\R&D;<x>;\"q\""}},
       kHead + Group(Kind("UserReference", "ReferencePath", "C:\\R&amp;D;&lt;x&gt;;\"q\"")) + kTail},
      {"a group holding only a path property becomes the user group",
       "<Project><PropertyGroup><IncludePath>$(UserInclude);$(IncludePath)</IncludePath></PropertyGroup></Project>",
       {},
       kBareDecl + "<Project>\n\t<PropertyGroup />\n" + kTail},
      {"conditional elements are neither read nor touched",
       kHead + Group(kConditional) + kTail,
       {{1, L"A;B"}, {3, L"L"}},
       kHead +
           Group(kConditional + Kind("UserInclude", "IncludePath", "A;B") + Kind("UserLibrary", "LibraryPath", "L")) +
           kTail},
      {"elements stay in place, so later properties keep what they build on",
       kHead + Group(Kind("UserInclude", "IncludePath", "A") + kTidy) + kTail,
       {{1, L"B"}, {0, L"X"}},
       kHead + Group(Kind("UserExecutable", "ExecutablePath", "X") + Kind("UserInclude", "IncludePath", "B") + kTidy) +
           kTail},
      {"duplicate macros go, duplicate path properties stay",
       kHead +
           Group(Qt("C:\\Qt;$(IncludePath)") + "\t\t<UserLibrary>a</UserLibrary>\n" + kBoost +
                 "\t\t<UserLibrary>b</UserLibrary>\n") +
           kTail,
       {{1, L"A"}},
       kHead +
           Group("\t\t<UserInclude>A</UserInclude>\n" + Qt("$(UserInclude);C:\\Qt;$(IncludePath)") +
                 Kind("UserLibrary", "LibraryPath", "a") + kBoost) +
           kTail},
      {"groups with a condition are passed over, empty or not",
       kHead + Group(Kind("UserInclude", "IncludePath", "all")) + kX64 + kTail,
       {{1, L"all;more"}},
       kHead + Group(Kind("UserInclude", "IncludePath", "all;more")) + kX64 + kTail},
      {"windows-1252 decoded, written as UTF-8",
       "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\n<Project>\n"
       "\t<Note>Caf\xE9 M\xFCller \xA9 \x80\x81</Note>\n" +
           Group("\t\t<UserInclude>C:\\\xDCn\xEF\x80</UserInclude>\n") + kTail,
       {},
       kDecl + "<Project>\n\t<Note>Caf\xC3\xA9 M\xC3\xBCller \xC2\xA9 \xE2\x82\xAC\xC2\x81</Note>\n" +
           Group(Kind("UserInclude", "IncludePath", "C:\\\xC3\x9Cn\xC3\xAF\xE2\x82\xAC")) + kTail},
      {"ISO-8859-1 decoded, written as UTF-8",
       "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><Project><Note>Caf\xE9 \x80</Note></Project>",
       {},
       kDecl + "<Project>\n\t<Note>Caf\xC3\xA9 \xC2\x80</Note>\n\t<PropertyGroup />\n" + kTail},
      {"an attribute merely ending in encoding declares nothing",  // found by the fuzzer
       "<?xml version=\"1.0\" xencoding=\"latin1\"?><Project><Note>\xC3\xA9</Note></Project>",
       {},
       "<?xml version=\"1.0\" xencoding=\"latin1\"?>\n<Project>\n\t<Note>\xC3\xA9</Note>\n\t<PropertyGroup />\n" +
           kTail},
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
    ASSERT_TRUE(again.SaveSheet());
    EXPECT_TRUE(!c.settled || ReadBytes(dir.Path("s.props")) == c.output) << "a sheet the program wrote stays as it is";
  }
}

TEST(SheetRoundTrip, TrailingSemicolonsAreTrimmedInTheRecordToo) {
  ScratchFolder dir;
  const DirectorySettings s = LoadEditSave(dir, "<Project />", {{1, L"C:\\a;"}, {2, L";"}});
  EXPECT_EQ(s.m_lists[1], L"C:\\a");
  EXPECT_EQ(s.m_lists[2], L"");
}

// Only a file that was read and is no usable sheet may be replaced by a new one; the reason says why.
TEST(SheetLoad, UnreadableSheetsFailWithTheReasonAndLeaveAnEmptyRecord) {
  using enum Result::Status;
  const struct {
    const char* name;
    std::optional<std::string> bytes;  // none: the path is a folder
    Result::Status status;
    const wchar_t* why;
  } cases[] = {
      {"empty file", "", kNotASheet, L"empty"},
      {"white space only", " \n\t", kNotASheet, L"no XML element"},
      {"damaged XML", "<Project><PropertyGroup></Project>", kNotASheet, L"not well-formed XML: "},
      {"root is not Project", "<project><PropertyGroup /></project>", kNotASheet, L"not Project"},
      {"Latin-1 bytes, no declaration", "<Project>Caf\xE9</Project>", kNotASheet, L"offset 12 are not valid UTF-8"},
      {"surrogate after a UTF-8 BOM", "\xEF\xBB\xBF<Project>\xED\xA0\x80</Project>", kNotASheet, L"offset 12 "},
      {"overlong form", "<Project>\xC0\xAF</Project>", kNotASheet, L"offset 9 "},
      {"cut short at the end", "<Project/>\xE2\x82", kNotASheet, L"offset 10 "},
      {"other encoding, not ASCII", "<?xml version='1.0' encoding='Shift_JIS'?><Project>\x82\xA0</Project>", kNotASheet,
       L"offset 51 is not ASCII, and the declared encoding \"Shift_JIS\""},
      {"a folder", std::nullopt, kInvalid, L"folder"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchFolder dir;
    if (c.bytes) WriteBytes(dir.Path("s.props"), *c.bytes);
    else std::filesystem::create_directory(dir.Path("s.props"));
    DirectorySettings s;
    s.m_path = dir.WidePath("s.props");
    s.m_lists[1] = L"stale";
    s.m_loaded = true;
    const Result loaded = s.LoadSheet();
    EXPECT_FALSE(loaded);
    EXPECT_EQ(loaded.status, c.status);
    EXPECT_NE(loaded.why.find(c.why), std::wstring::npos) << std::string(loaded.why.begin(), loaded.why.end());
    EXPECT_FALSE(s.m_loaded);
    EXPECT_EQ(s.m_lists[1], L"");
    EXPECT_TRUE(s.SaveSheet()) << "nothing to do while not loaded";
    EXPECT_EQ(c.bytes ? ReadBytes(dir.Path("s.props")) : "", c.bytes.value_or(""));
  }
  DirectorySettings missing;
  missing.m_path = L"/no/such/folder/x.props";
  const Result loaded = missing.LoadSheet();
  EXPECT_TRUE(loaded.IsNotFound() && !loaded.why.empty());
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
      {"standalone=\"yes\"", "standalone=\"yes\""},      {"encoding=\"cp1252\"", "encoding=\"utf-8\""},
      {"encoding=\"US-ASCII\"", "encoding=\"utf-8\""},  // another encoding, but only ASCII bytes
  };
  for (const auto& [in, out] : cases) {
    ScratchFolder dir;
    LoadEditSave(dir, "<?xml version=\"1.0\" " + in + "?>\n<Project />", {});
    EXPECT_EQ(ReadBytes(dir.Path("s.props")),
              "<?xml version=\"1.0\" " + out + "?>\n<Project>\n\t<PropertyGroup />\n" + kTail);
  }
}

TEST(SheetSave, VisualStudioSheetKeepsItsSettingsAndOrder) {
  // As Visual Studio's property manager writes it: inline path values and other properties in
  // the unlabelled group, which a save must keep.
  const std::string vsSheet =
      "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<Project DefaultTargets=\"Build\" "
      "ToolsVersion=\"4.0\"" +
      kNs +
      ">\r\n  <ImportGroup Label=\"PropertySheets\" />\r\n  <PropertyGroup Label=\"UserMacros\" />\r\n"
      "  <PropertyGroup>\r\n    <IncludePath>C:\\Qt\\include;$(IncludePath)</IncludePath>\r\n"
      "    <LibraryPath>C:\\Qt\\lib;$(LibraryPath)</LibraryPath>\r\n    <OutDir>$(SolutionDir)bin\\</OutDir>\r\n"
      "    <TargetName>$(ProjectName)d</TargetName>\r\n  </PropertyGroup>\r\n  <ItemGroup />\r\n</Project>";
  const std::string head =
      kHead + "\t<ImportGroup Label=\"PropertySheets\" />\n\t<PropertyGroup Label=\"UserMacros\" />\n";
  const std::string kept = "\t\t<OutDir>$(SolutionDir)bin\\</OutDir>\n\t\t<TargetName>$(ProjectName)d</TargetName>\n";
  const std::string lib = "\t\t<LibraryPath>C:\\Qt\\lib;$(LibraryPath)</LibraryPath>\n";
  ScratchFolder dir;
  LoadEditSave(dir, vsSheet, {{0, L"D:\\tools"}, {1, L"D:\\boost"}});
  EXPECT_EQ(ReadBytes(dir.Path("s.props")),
            head +
                Group(Kind("UserExecutable", "ExecutablePath", "D:\\tools") +
                      "\t\t<UserInclude>D:\\boost</UserInclude>\n"
                      "\t\t<IncludePath>$(UserInclude);C:\\Qt\\include;$(IncludePath)</IncludePath>\n" +
                      lib + kept) +
                "\t<ItemGroup />\n" + kTail);
  // Clearing the lists again gives the user's own values back, without our prefix, where they were.
  LoadEditSave(dir, ReadBytes(dir.Path("s.props")), {{0, L""}, {1, L""}});
  EXPECT_EQ(ReadBytes(dir.Path("s.props")),
            head + Group("\t\t<IncludePath>C:\\Qt\\include;$(IncludePath)</IncludePath>\n" + lib + kept) +
                "\t<ItemGroup />\n" + kTail);
}

TEST(SheetSave, PathPropertyKeepsWhatItHeld) {
  const struct {
    std::optional<std::string> before;  // IncludePath's text before the save; none: absent
    std::wstring list;
    std::optional<std::string> after;  // after the save; none: no element
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
    LoadEditSave(dir, "<Project><PropertyGroup><OutDir>o</OutDir>" + before + "</PropertyGroup></Project>",
                 {{1, c.list}});
    std::string body = "\t\t<OutDir>o</OutDir>\n";
    if (!c.list.empty()) body += "\t\t<UserInclude>C:\\a</UserInclude>\n";
    if (c.after) body += "\t\t<IncludePath>" + *c.after + "</IncludePath>\n";
    EXPECT_EQ(ReadBytes(dir.Path("s.props")), kBareDecl + "<Project>\n" + Group(body) + kTail);
  }
}

TEST(SheetSave, OfTwoUnlabelledGroupsTheLastIsEditedEverySave) {
  ScratchFolder dir;
  DirectorySettings s = LoadEditSave(
      dir,
      "<Project><PropertyGroup><UserInclude>first</UserInclude></PropertyGroup>"
      "<PropertyGroup><OutDir>x</OutDir><UserInclude>second</UserInclude></PropertyGroup><ItemGroup /></Project>",
      {{1, L"third"}});
  s.m_lists[0] = L"exe";
  ASSERT_TRUE(s.SaveSheet());
  EXPECT_EQ(ReadBytes(dir.Path("s.props")),
            kBareDecl + "<Project>\n" + Group("\t\t<UserInclude>first</UserInclude>\n") +
                Group("\t\t<OutDir>x</OutDir>\n" + Kind("UserExecutable", "ExecutablePath", "exe") +
                      Kind("UserInclude", "IncludePath", "third")) +
                "\t<ItemGroup />\n" + kTail);
}

// A character XML 1.0 does not allow makes MSBuild refuse the sheet, and every build with it.
TEST(SheetSave, ListWithACharacterXmlForbidsIsRefusedBeforeAnythingChanges) {
  const bool wide16 = sizeof(wchar_t) == 2;
  const struct {
    std::wstring list;
    std::optional<ForbiddenCharacter> found;
  } cases[] = {
      {L"C:\\a\tb\nc\rd\u00A0\uFFFD", std::nullopt},
      {L"C:\\a\x01", ForbiddenCharacter{.offset = 4, .position = 5, .code = 1}},
      {L"\x0B", ForbiddenCharacter{.offset = 0, .position = 1, .code = 0xB}},
      {L"a\x1F", ForbiddenCharacter{.offset = 1, .position = 2, .code = 0x1F}},
      {L"\U0001F600\uFFFE", ForbiddenCharacter{.offset = wide16 ? 2u : 1u, .position = 2, .code = 0xFFFE}},
      {L"a\uFFFF", ForbiddenCharacter{.offset = 1, .position = 2, .code = 0xFFFF}},
      {std::wstring(L"a") + wchar_t(0xD800) + L"b", ForbiddenCharacter{.offset = 1, .position = 2, .code = 0xD800}},
      {std::wstring(L"ab") + wchar_t(0xDC00), ForbiddenCharacter{.offset = 2, .position = 3, .code = 0xDC00}},
  };
  const std::string sheet = kHead + Group(Kind("UserInclude", "IncludePath", "C:\\old")) + kTail;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.list.begin(), c.list.end()));
    const std::optional<ForbiddenCharacter> found = FindForbiddenCharacter(c.list);
    ASSERT_EQ(found.has_value(), c.found.has_value());
    if (!found) continue;
    EXPECT_EQ(std::tuple(found->offset, found->position, found->code),
              std::tuple(c.found->offset, c.found->position, c.found->code));
    ScratchFolder dir;
    WriteBytes(dir.Path("s.props"), sheet);
    DirectorySettings s;
    s.m_path = dir.WidePath("s.props");
    ASSERT_TRUE(s.LoadSheet());
    s.m_lists[0] = L"C:\\x;";
    s.m_lists[5] = c.list + L";";
    const Result saved = s.SaveSheet();
    EXPECT_EQ(saved.status, Result::Status::kForbiddenCharacter);
    EXPECT_EQ(saved.why, L"UserSource holds a character XML does not allow: " + DescribeForbiddenCharacter(*found));
    EXPECT_EQ(s.m_lists[0], L"C:\\x;") << "nothing changed, not even the record";
    EXPECT_EQ(ReadBytes(dir.Path("s.props")), sheet);
  }
}

TEST(SheetSave, NoPathNothingToWrite) {
  DirectorySettings s;
  s.m_loaded = true;
  s.m_lists[1] = L"C:\\a";
  EXPECT_TRUE(s.SaveSheet());
}

}  // namespace
}  // namespace pathwright
