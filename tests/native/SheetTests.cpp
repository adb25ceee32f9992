// The sheet document with strings alone: bytes in, lists out; lists in, bytes out. Each row is a
// shape, an edit and the bytes expected, compared whole, so that untouched parts and their order are
// covered in one comparison. The record around the document comes last.
#include <gtest/gtest.h>

#include <optional>
#include <tuple>
#include <vector>

#include "base/Utf8.h"
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

// As Visual Studio's property manager writes a sheet: inline path values and other properties in
// the unlabelled group.
const std::string kVsSheet =
    "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<Project DefaultTargets=\"Build\" "
    "ToolsVersion=\"4.0\"" +
    kNs +
    ">\r\n  <ImportGroup Label=\"PropertySheets\" />\r\n  <PropertyGroup Label=\"UserMacros\" />\r\n"
    "  <PropertyGroup>\r\n    <IncludePath>C:\\Qt\\include;$(IncludePath)</IncludePath>\r\n"
    "    <LibraryPath>C:\\Qt\\lib;$(LibraryPath)</LibraryPath>\r\n    <OutDir>$(SolutionDir)bin\\</OutDir>\r\n"
    "    <TargetName>$(ProjectName)d</TargetName>\r\n  </PropertyGroup>\r\n  <ItemGroup />\r\n</Project>";
const std::string kVsHead =
    kHead + "\t<ImportGroup Label=\"PropertySheets\" />\n\t<PropertyGroup Label=\"UserMacros\" />\n";
const std::string kVsKept = "\t\t<OutDir>$(SolutionDir)bin\\</OutDir>\n\t\t<TargetName>$(ProjectName)d</TargetName>\n";
const std::string kVsLib = "\t\t<LibraryPath>C:\\Qt\\lib;$(LibraryPath)</LibraryPath>\n";

// The text as UTF-16 little-endian bytes.
std::string Utf16(const std::u16string& text) {
  std::string bytes;
  for (char16_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  return bytes;
}

// Parses, applies the edits to the lists, writes them back; the bytes then.
std::string Edited(SheetDocument& sheet, std::string_view input, const Edits& edits, DirectoryLists& lists) {
  EXPECT_TRUE(sheet.Parse(input));
  lists = sheet.Lists();
  for (const auto& [kind, list] : edits) lists[kind] = list;
  sheet.SetLists(lists);
  return sheet.Bytes();
}

struct Shape {
  const char* name;
  std::string input;
  Edits edits;
  std::string output;
  bool settled = true;  // whether writing the same lists again leaves the bytes as they are
};

TEST(SheetDocument, EachShapeEditedGivesTheExpectedBytesAndReadsBack) {
  const Shape rows[] = {
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
      {"UTF-16 read, written as UTF-8 with a truthful declaration",
       Utf16(u"\uFEFF<?xml version=\"1.0\" encoding=\"utf-16\"?>\r\n<Project>\r\n  <PropertyGroup>\r\n"
             u"    <UserInclude>C:\\\u00C4rger</UserInclude>\r\n  </PropertyGroup>\r\n</Project>\r\n"),
       {},
       kDecl + "<Project>\n" + Group(Kind("UserInclude", "IncludePath", "C:\\\xC3\x84rger")) + kTail},
      {"of two unlabelled groups the last is edited",
       "<Project><PropertyGroup><UserInclude>first</UserInclude></PropertyGroup>"
       "<PropertyGroup><OutDir>x</OutDir><UserInclude>second</UserInclude></PropertyGroup><ItemGroup /></Project>",
       {{1, L"third"}, {0, L"exe"}},
       kBareDecl + "<Project>\n" + Group("\t\t<UserInclude>first</UserInclude>\n") +
           Group("\t\t<OutDir>x</OutDir>\n" + Kind("UserExecutable", "ExecutablePath", "exe") +
                 Kind("UserInclude", "IncludePath", "third")) +
           "\t<ItemGroup />\n" + kTail},
      {"as Visual Studio's property manager writes it: its settings and their order stay",
       kVsSheet,
       {{0, L"D:\\tools"}, {1, L"D:\\boost"}},
       kVsHead +
           Group(Kind("UserExecutable", "ExecutablePath", "D:\\tools") +
                 "\t\t<UserInclude>D:\\boost</UserInclude>\n"
                 "\t\t<IncludePath>$(UserInclude);C:\\Qt\\include;$(IncludePath)</IncludePath>\n" +
                 kVsLib + kVsKept) +
           "\t<ItemGroup />\n" + kTail},
      {"lists cleared again: the user's own values are back, without ours, where they were",
       kVsHead +
           Group(Kind("UserExecutable", "ExecutablePath", "D:\\tools") +
                 "\t\t<UserInclude>D:\\boost</UserInclude>\n"
                 "\t\t<IncludePath>$(UserInclude);C:\\Qt\\include;$(IncludePath)</IncludePath>\n" +
                 kVsLib + kVsKept) +
           "\t<ItemGroup />\n" + kTail,
       {{0, L""}, {1, L""}},
       kVsHead + Group("\t\t<IncludePath>C:\\Qt\\include;$(IncludePath)</IncludePath>\n" + kVsLib + kVsKept) +
           "\t<ItemGroup />\n" + kTail},
  };
  for (const Shape& row : rows) {
    SCOPED_TRACE(row.name);
    SheetDocument sheet;
    DirectoryLists lists;
    EXPECT_EQ(Edited(sheet, row.input, row.edits, lists), row.output);
    if (row.settled) {
      sheet.SetLists(lists);
      EXPECT_EQ(sheet.Bytes(), row.output) << "a sheet the program wrote stays as it is";
    }
    SheetDocument again;
    ASSERT_TRUE(again.Parse(row.output));
    EXPECT_EQ(again.Lists(), lists) << "the written lists read back as they were set (a final ; gone)";
  }
}

TEST(SheetDocument, NewSheetsOfEachVersionByteExactAndWrittenLikeReadOnes) {
  const std::pair<VsVersion, int> versions[] = {{VsVersion::k2010, 2010}, {VsVersion::k2012, 2012}, {VsVersion::k2013, 2013}};
  for (const auto& [version, year] : versions) EXPECT_EQ(SheetDocument::NewSheet(version).Bytes(), NewSheet(year));
  // Whether the new sheet was read back first or not: its empty group goes, the user group comes last.
  SheetDocument made = SheetDocument::NewSheet(VsVersion::k2012), read;
  DirectoryLists lists{};
  lists[1] = L"C:\\inc;D:\\inc";
  made.SetLists(lists);
  EXPECT_EQ(made.Bytes(), SavedSheet(Include("C:\\inc;D:\\inc")));
  EXPECT_EQ(Edited(read, NewSheet(2012), {{1, L"C:\\inc;D:\\inc"}}, lists), SavedSheet(Include("C:\\inc;D:\\inc")));
}

// A file that is no usable sheet is refused with the reason.
TEST(SheetDocument, WhatIsNoSheetIsRefusedWithTheReason) {
  const struct {
    const char* name;
    std::string bytes;
    const wchar_t* why;
  } rows[] = {
      {"empty file", "", L"empty"},
      {"white space only", " \n\t", L"no XML element"},
      {"damaged XML", "<Project><PropertyGroup></Project>", L"not well-formed XML: "},
      {"root is not Project", "<project><PropertyGroup /></project>", L"not Project"},
      {"Latin-1 bytes, no declaration", "<Project>Caf\xE9</Project>", L"offset 12 are not valid UTF-8"},
      {"surrogate after a UTF-8 BOM", "\xEF\xBB\xBF<Project>\xED\xA0\x80</Project>", L"offset 12 "},
      {"overlong form", "<Project>\xC0\xAF</Project>", L"offset 9 "},
      {"cut short at the end", "<Project/>\xE2\x82", L"offset 10 "},
      {"3-byte overlong form", "<Project>\xE0\x80\xAF</Project>", L"offset 9 "},
      {"a lone 0x80", "<Project>\x80</Project>", L"offset 9 "},
      {"US-ASCII declared, a byte beyond it", "<?xml version='1.0' encoding='US-ASCII'?><Project>\x80</Project>",
       L"offset 50 is not ASCII, and the declared encoding \"US-ASCII\""},
      {"7-bit ISO-2022-JP refused by name, its bytes all ASCII",
       "<?xml version='1.0' encoding='ISO-2022-JP'?><Project>\x1B$B$3\x1B(B</Project>",
       L"declared encoding \"ISO-2022-JP\" is not one"},
      {"UTF-7 likewise", "<?xml version=\"1.0\" encoding=\"UTF-7\"?><Project>+AGEAYgBj-</Project>", L"\"UTF-7\" is not"},
      {"HZ-GB-2312 declared in UTF-16", Utf16(u"\uFEFF<?xml version='1.0' encoding='HZ-GB-2312'?><Project/>"),
       L"\"HZ-GB-2312\" is not"},
      {"lone high surrogate in UTF-16", Utf16(u"\uFEFF<Project>" + std::u16string(1, 0xD800) + u"</Project>"),
       L"offset 20 are not valid UTF-16"},
      {"lone low surrogate in UTF-16 without a byte order mark",
       Utf16(u"<Project>" + std::u16string(1, 0xDC00) + u"</Project>"), L"offset 18 are not valid UTF-16"},
      {"a second top element", "<Project />\n<Extra />", L"a second top element, <Extra>"},
      {"text after the top element", "<Project />\ntext\n", L"text after the top element"},
      {"an attribute twice", "<Project><PropertyGroup Label='a' Label='b' /></Project>",
       L"<PropertyGroup> has the attribute Label twice"},
  };
  for (const auto& row : rows) {
    SheetDocument sheet;
    const Result parsed = sheet.Parse(row.bytes);
    EXPECT_EQ(parsed.status, Result::Status::kNotASheet) << row.name;
    EXPECT_NE(parsed.why.find(row.why), std::wstring::npos) << row.name << ": " << EncodeUtf8(parsed.why);
    EXPECT_TRUE(sheet.Properties().empty()) << row.name << ": nothing half-read is kept";
  }
}

TEST(SheetDocument, DeclarationEncodingIsCorrectedOnlyWhenItLies) {
  const std::pair<std::string, std::string> rows[] = {
      {"encoding=\"ISO-8859-1\"", "encoding=\"utf-8\""}, {"encoding=\"UTF-16\"", "encoding=\"utf-8\""},
      {"encoding=\"UTF-8\"", "encoding=\"UTF-8\""},      {"encoding=\"utf8\"", "encoding=\"utf8\""},
      {"standalone=\"yes\"", "standalone=\"yes\""},      {"encoding=\"cp1252\"", "encoding=\"utf-8\""},
      {"encoding=\"US-ASCII\"", "encoding=\"utf-8\""},  // another encoding, but only ASCII bytes
  };
  for (const auto& [in, out] : rows) {
    SheetDocument sheet;
    DirectoryLists lists;
    EXPECT_EQ(Edited(sheet, "<?xml version=\"1.0\" " + in + "?>\n<Project />", {}, lists),
              "<?xml version=\"1.0\" " + out + "?>\n<Project>\n\t<PropertyGroup />\n" + kTail);
  }
}

TEST(SheetDocument, PathPropertyKeepsWhatItHeld) {
  const struct {
    std::optional<std::string> before;  // IncludePath's text before the save; none: absent
    std::wstring list;
    std::optional<std::string> after;  // after the save; none: no element
  } rows[] = {
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
  for (const auto& row : rows) {
    SCOPED_TRACE(row.before.value_or("(absent)") + " / " + std::to_string(row.list.size()));
    const std::string before = row.before ? "<IncludePath>" + *row.before + "</IncludePath>" : "";
    std::string body = "\t\t<OutDir>o</OutDir>\n";
    if (!row.list.empty()) body += "\t\t<UserInclude>C:\\a</UserInclude>\n";
    if (row.after) body += "\t\t<IncludePath>" + *row.after + "</IncludePath>\n";
    SheetDocument sheet;
    DirectoryLists lists;
    EXPECT_EQ(Edited(sheet, "<Project><PropertyGroup><OutDir>o</OutDir>" + before + "</PropertyGroup></Project>",
                     {{1, row.list}}, lists),
              kBareDecl + "<Project>\n" + Group(body) + kTail);
  }
}

// A character XML 1.0 does not allow makes MSBuild refuse the sheet, and every build with it.
TEST(SheetEncoding, CharactersXmlForbidsAreFoundWhereTheUserSeesThem) {
  const bool wide16 = sizeof(wchar_t) == 2;
  const struct {
    std::wstring list;
    std::optional<ForbiddenCharacter> found;
  } rows[] = {
      {L"C:\\a\tb\nc\rd\u00A0\uFFFD", std::nullopt},
      {L"C:\\a\x01", ForbiddenCharacter{.offset = 4, .position = 5, .code = 1}},
      {L"\x0B", ForbiddenCharacter{.offset = 0, .position = 1, .code = 0xB}},
      {L"a\x1F", ForbiddenCharacter{.offset = 1, .position = 2, .code = 0x1F}},
      {L"\U0001F600\uFFFE", ForbiddenCharacter{.offset = wide16 ? 2u : 1u, .position = 2, .code = 0xFFFE}},
      {L"a\uFFFF", ForbiddenCharacter{.offset = 1, .position = 2, .code = 0xFFFF}},
      {std::wstring(L"a") + wchar_t(0xD800) + L"b", ForbiddenCharacter{.offset = 1, .position = 2, .code = 0xD800}},
      {std::wstring(L"ab") + wchar_t(0xDC00), ForbiddenCharacter{.offset = 2, .position = 3, .code = 0xDC00}},
  };
  for (const auto& row : rows) {
    const std::optional<ForbiddenCharacter> found = FindForbiddenCharacter(row.list);
    ASSERT_EQ(found.has_value(), row.found.has_value()) << EncodeUtf8(row.list);
    if (!found) continue;
    EXPECT_EQ(std::tuple(found->offset, found->position, found->code),
              std::tuple(row.found->offset, row.found->position, row.found->code));
    DirectoryLists lists{};
    lists[5] = row.list;
    const std::optional<ListCharacter> inLists = FindForbiddenInLists(lists);
    ASSERT_TRUE(inLists);
    EXPECT_EQ(inLists->kind, 5);
    EXPECT_EQ(DescribeForbiddenCharacter(*found), CodePointName(row.found->code) + L" at position " +
                                                      std::to_wstring(row.found->position));
  }
}

// The record: a sheet that cannot be read leaves it empty and not to be saved; a save leaves it
// holding the lists written, and does nothing without a sheet.
TEST(DirectorySettings, LoadAndSaveKeepTheRecordTruthful) {
  ScratchFolder dir;
  const std::string damaged = "<Project><PropertyGroup></Project>";
  for (const bool folder : {false, true}) {
    if (folder) std::filesystem::create_directory(dir.Path("f.props"));
    else WriteBytes(dir.Path("f.props"), damaged);
    DirectorySettings s;
    s.m_path = dir.WidePath("f.props");
    s.m_lists[1] = L"stale";
    s.m_loaded = true;
    const Result loaded = s.LoadSheet();
    EXPECT_EQ(loaded.status, folder ? Result::Status::kInvalid : Result::Status::kNotASheet);
    EXPECT_FALSE(s.m_loaded);
    EXPECT_EQ(s.m_lists[1], L"");
    EXPECT_TRUE(s.SaveSheet()) << "nothing to do while not loaded";
    if (!folder) { EXPECT_EQ(ReadBytes(dir.Path("f.props")), damaged); }
    std::filesystem::remove(dir.Path("f.props"));
  }
  DirectorySettings missing;
  missing.m_path = dir.WidePath("none.props");
  const Result loaded = missing.LoadSheet();
  EXPECT_TRUE(loaded.IsNotFound() && !loaded.why.empty());

  WriteBytes(dir.Path("s.props"), "<Project />");
  DirectorySettings s;
  s.m_path = dir.WidePath("s.props");
  ASSERT_TRUE(s.LoadSheet());
  s.m_lists[1] = L"C:\\a;";
  s.m_lists[2] = L";";
  ASSERT_TRUE(s.SaveSheet());
  EXPECT_EQ(s.m_lists[1], L"C:\\a");
  EXPECT_EQ(s.m_lists[2], L"");

  DirectorySettings nowhere;
  nowhere.m_loaded = true;
  nowhere.m_lists[1] = L"C:\\a";
  EXPECT_TRUE(nowhere.SaveSheet()) << "no sheet, nothing to write";
}

}  // namespace
}  // namespace pathwright
