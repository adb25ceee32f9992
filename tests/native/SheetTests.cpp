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
    "\t\t<IncludePath Condition=\"'$(Configuration)'=='Debug'\">C:\\dbg;$(IncludePath)</IncludePath>\n";
const std::string kX64 = Group("\t\t<UserInclude>x64</UserInclude>\n", " Condition=\"'$(Platform)'=='x64'\"");
const std::string kEmptyGroup = "\t<PropertyGroup />\n";
std::string Line(const std::string& name, const std::string& value) {
  return "\t\t<" + name + ">" + value + "</" + name + ">\n";
}
std::string Macro(const std::string& list) { return Line("UserInclude", list); }
std::string Path(const std::string& value) { return Line("IncludePath", value); }
const std::string kComposed = "$(UserInclude);$(IncludePath)";

// As Visual Studio's property manager writes a sheet: BOM, CR LF, two spaces, a comment.
std::string VsSheet(const std::string& groupBody) {
  return "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<Project DefaultTargets=\"Build\" "
         "ToolsVersion=\"4.0\"" +
         kNs + ">\r\n  <ImportGroup Label=\"PropertySheets\" />\r\n  <!-- the user's own -->\r\n"
         "  <PropertyGroup Label=\"UserMacros\" />\r\n  <PropertyGroup>\r\n" + groupBody +
         "    <OutDir>$(SolutionDir)bin\\</OutDir>\r\n  </PropertyGroup>\r\n  <ItemGroup />\r\n</Project>";
}
std::string VsLine(const std::string& name, const std::string& value) {
  return "    <" + name + ">" + value + "</" + name + ">\r\n";
}

// The text as UTF-16 little-endian bytes.
std::string Utf16(const std::u16string& text) {
  std::string bytes;
  for (char16_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  return bytes;
}
std::string Utf16Sheet(const std::u16string& list, const std::u16string& value) {
  return Utf16(u"\uFEFF<?xml version=\"1.0\" encoding=\"utf-16\"?>\r\n<Project>\r\n  <PropertyGroup>\r\n"
               u"    <UserInclude>" + list + u"</UserInclude>\r\n    <IncludePath>" + value +
               u"</IncludePath>\r\n  </PropertyGroup>\r\n</Project>\r\n");
}
std::string Windows1252(const std::string& encoding, const std::string& group) {
  return "<?xml version=\"1.0\" encoding=\"" + encoding + "\"?>\n<Project>\n\t<Note>" + group + "</Note>\n" +
         Group(Macro("C:\\\xDCn")) + kTail;
}

// Parses, applies the edits to the lists, writes them; the bytes then.
SheetWrite Edited(SheetDocument& sheet, std::string_view input, const Edits& edits, DirectoryLists& lists) {
  EXPECT_TRUE(sheet.Parse(input));
  lists = sheet.Lists();
  for (const auto& [kind, list] : edits) lists[kind] = list;
  return sheet.WithLists(lists);
}

struct Shape {
  const char* name;
  std::string input;
  Edits edits;
  std::optional<std::string> output{};  // none: the input, and nothing to write
  std::wstring shown{};                 // the include list as read, when it matters
  bool utf8 = false;                    // a new character made the file UTF-8
};

TEST(SheetDocument, EachShapeEditedChangesOnlyTheEditedKind) {
  const std::string vsOwn = VsLine("IncludePath", "C:\\Qt\\include;$(IncludePath)");
  const Shape rows[] = {
      {.name = "no list changed: the bytes as read, nothing to write",
       .input = VsSheet(vsOwn),
       .edits = {{1, L""}, {3, L";"}}},
      {.name = "a list already there, a final ; aside: nothing to write",
       .input = kHead + Group(Include("C:\\a")) + kTail,
       .edits = {{1, L"C:\\a;"}},
       .shown = L"C:\\a"},
      {.name = "as Visual Studio writes it: the macro goes before the path property, which uses it",
       .input = VsSheet(vsOwn),
       .edits = {{1, L"D:\\boost"}},
       .output = VsSheet(VsLine("UserInclude", "D:\\boost") +
                         VsLine("IncludePath", "$(UserInclude);C:\\Qt\\include;$(IncludePath)"))},
      {.name = "a list in force: its text alone changes",
       .input = VsSheet(VsLine("UserInclude", "A") + VsLine("IncludePath", kComposed)),
       .edits = {{1, L"A;B&C"}},
       .output = VsSheet(VsLine("UserInclude", "A;B&amp;C") + VsLine("IncludePath", kComposed)),
       .shown = L"A"},
      {.name = "emptied: what a save added goes",
       .input = kHead + Group(Line("OutDir", "o") + Include("C:\\a")) + kTail,
       .edits = {{1, L""}},
       .output = kHead + Group(Line("OutDir", "o")) + kTail,
       .shown = L"C:\\a"},
      {.name = "emptied, the path property holding more: the macro stays, empty",
       .input = kHead + Group(Macro("A") + Path("$(UserInclude);C:\\Qt;$(IncludePath)")) + kTail,
       .edits = {{1, L""}},
       .output = kHead + Group(Line("UserInclude", "") + Path("$(UserInclude);C:\\Qt;$(IncludePath)")) + kTail,
       .shown = L"A"},
      {.name = "emptied, with another definition of the macro: both stay",
       .input = kHead + Group(Include("A")) + kX64 + kTail,
       .edits = {{1, L""}},
       .output = kHead + Group(Macro("") + Path(kComposed)) + kX64 + kTail,
       .shown = L"A"},
      {.name = "all seven into an empty placeholder, in kind order",
       .input = kHead + kImportAndMacros + kEmptyGroup + kItemGroups + kTail,
       .edits = {{6, L"g"}, {0, L"a"}, {3, L"d"}, {1, L"b;"}, {2, L"c"}, {5, L"f"}, {4, L"e"}},
       .output = kHead + kImportAndMacros +
                 Group(Kind("UserExecutable", "ExecutablePath", "a") + Include("b") +
                       Kind("UserReference", "ReferencePath", "c") + Kind("UserLibrary", "LibraryPath", "d") +
                       Kind("UserWPath", "LibraryWPath", "e") + Kind("UserSource", "SourcePath", "f") +
                       Kind("UserExclude", "ExcludePath", "g")) +
                 kItemGroups + kTail},
      {.name = "no group at all: a new one, indented like the rest",
       .input = kHead + kItemGroups + kTail,
       .edits = {{0, L";C:\\a;;C:\\b;;;"}},
       .output = kHead + kItemGroups + Group(Kind("UserExecutable", "ExecutablePath", ";C:\\a;;C:\\b")) + kTail},
      {.name = "beside the user's elements, before those of a later kind",
       .input = kHead + Group(Line("OutDir", "o") + Kind("UserLibrary", "LibraryPath", "L")) + kEmptyGroup + kTail,
       .edits = {{1, L"I"}},
       .output = kHead + Group(Line("OutDir", "o") + Include("I") + Kind("UserLibrary", "LibraryPath", "L")) +
                 kEmptyGroup + kTail},
      {.name = "macro after its use: moved before it",
       .input = kHead + Group(Path(kComposed) + Line("ClangTidyInc", "$(IncludePath)") + Macro("old")) + kTail,
       .edits = {{1, L"new"}},
       .output = kHead + Group(Include("new") + Line("ClangTidyInc", "$(IncludePath)")) + kTail,
       .shown = L"old"},
      {.name = "macro no path property uses: the path property made to use it",
       .input = kHead + Group(Macro("a") + Path("C:\\Qt;$(IncludePath)")) + kTail,
       .edits = {{1, L"b"}},
       .output = kHead + Group(Macro("b") + Path("$(UserInclude);C:\\Qt;$(IncludePath)")) + kTail,
       .shown = L"a"},
      {.name = "macro and no path property at all: one added after it",
       .input = kHead + Group(Line("userinclude", "x")) + kTail,
       .edits = {{1, L"y"}},
       .output = kHead + Group(Line("userinclude", "y") + Path(kComposed)) + kTail,
       .shown = L"x"},
      {.name = "labels mean nothing: the list in force is in the labelled group",
       .input = kHead + Group(Macro("m"), " Label=\"UserMacros\"") + Group(Path(kComposed)) + kTail,
       .edits = {{1, L"n"}},
       .output = kHead + Group(Macro("n"), " Label=\"UserMacros\"") + Group(Path(kComposed)) + kTail,
       .shown = L"m"},
      {.name = "of two definitions before the use the later one is in force",
       .input = kHead + Group(Macro("first")) + Group(Macro("second") + Path(kComposed)) + kTail,
       .edits = {{1, L"third"}},
       .output = kHead + Group(Macro("first")) + Group(Macro("third") + Path(kComposed)) + kTail,
       .shown = L"second"},
      {.name = "conditional elements are neither read nor touched",
       .input = kHead + Group(kConditional) + kTail,
       .edits = {{1, L"A;B"}, {3, L"L"}},
       .output = kHead + Group(kConditional + Include("A;B") + Kind("UserLibrary", "LibraryPath", "L")) + kTail},
      {.name = "a conditional group is passed over",
       .input = kHead + Group(Include("all")) + kX64 + kTail,
       .edits = {{1, L"all;more"}},
       .output = kHead + Group(Include("all;more")) + kX64 + kTail,
       .shown = L"all"},
      {.name = "explicitly empty path properties stay; an empty one edited holds the list alone",
       .input = kHead + Group("\t\t<ReferencePath />\n\t\t<SourcePath></SourcePath>\n") + kTail,
       .edits = {{2, L"R"}},
       .output = kHead +
                 Group(Line("UserReference", "R") + Line("ReferencePath", "$(UserReference);") +
                       "\t\t<SourcePath></SourcePath>\n") +
                 kTail},
      {.name = "CDATA and comments of a list not edited stay as written",
       .input = kHead + Group("\t\t<UserInclude><![CDATA[C:\\a&b]]></UserInclude><!-- x -->\n" + Path(kComposed)) +
                kTail,
       .edits = {{3, L"L"}},
       .output = kHead +
                 Group("\t\t<UserInclude><![CDATA[C:\\a&b]]></UserInclude><!-- x -->\n" + Path(kComposed) +
                       Kind("UserLibrary", "LibraryPath", "L")) +
                 kTail,
       .shown = L"C:\\a&b"},
      {.name = "windows-1252 stays when the new characters fit",
       .input = Windows1252("Windows-1252", "Caf\xE9 \x80") + "",
       .edits = {{1, L"C:\\\u00DCber\u20AC"}},
       .output = "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\n<Project>\n\t<Note>Caf\xE9 \x80</Note>\n" +
                 Group(Line("UserInclude", "C:\\\xDC" "ber\x80") + Path(kComposed)) + kTail,
       .shown = L"C:\\\u00DCn"},
      {.name = "windows-1252 becomes UTF-8, declaration and all, when they do not",
       .input = Windows1252("Windows-1252", "Caf\xE9"),
       .edits = {{1, L"C:\\\u4E2D"}},
       .output = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Project>\n\t<Note>Caf\xC3\xA9</Note>\n" +
                 Group(Line("UserInclude", "C:\\\xE4\xB8\xAD") + Path(kComposed)) + kTail,
       .shown = L"C:\\\u00DCn",
       .utf8 = true},
      {.name = "UTF-16 stays UTF-16, byte order mark and CR LF",
       .input = Utf16Sheet(u"C:\\\u00C4rger", u"$(UserInclude);$(IncludePath)"),
       .edits = {{1, L"D:\\\U0001F600"}},
       .output = Utf16Sheet(u"D:\\\U0001F600", u"$(UserInclude);$(IncludePath)"),
       .shown = L"C:\\\u00C4rger"},
  };
  for (const Shape& row : rows) {
    SCOPED_TRACE(row.name);
    SheetDocument sheet;
    DirectoryLists lists;
    const SheetWrite written = Edited(sheet, row.input, row.edits, lists);
    ASSERT_TRUE(written.result) << EncodeUtf8(written.result.why);
    EXPECT_EQ(sheet.Bytes(), row.input) << "the document stays as read";
    EXPECT_EQ(written.bytes, row.output.value_or(row.input));
    EXPECT_EQ(written.changed, row.output.has_value());
    EXPECT_EQ(written.becameUtf8, row.utf8);
    SheetDocument input, again;
    ASSERT_TRUE(input.Parse(row.input));
    EXPECT_EQ(input.Lists()[1], row.shown);
    for (const SheetDocument* read : {&input, &again}) {
      const std::vector<PropertyDefinition> definitions = read->Definitions();
      const SheetEvaluation evaluated = EvaluateSheet(definitions, {});
      for (int k = 0; k < kKindCount; ++k) {
        const size_t list = evaluated.kinds[k].list;
        EXPECT_EQ(read->Lists()[k], list == kNoDefinition ? L"" : definitions[list].value) << "as MSBuild sees it";
      }
    }
    ASSERT_TRUE(again.Parse(written.bytes));
    EXPECT_EQ(again.Lists(), lists) << "the lists read back as written (a final ; gone)";
    EXPECT_FALSE(again.WithLists(lists).changed) << "the same lists again write nothing";
  }
}

TEST(SheetDocument, NewSheetsOfEachVersionByteExact) {
  const std::pair<VsVersion, int> versions[] = {{VsVersion::k2010, 2010}, {VsVersion::k2012, 2012}, {VsVersion::k2013, 2013}};
  for (const auto& [version, year] : versions) EXPECT_EQ(SheetDocument::NewSheet(version).Bytes(), NewSheet(year));
  SheetDocument made = SheetDocument::NewSheet(VsVersion::k2012);
  DirectoryLists lists{};
  lists[1] = L"C:\\inc;D:\\inc";
  EXPECT_EQ(made.WithLists(lists).bytes, SavedSheet(Include("C:\\inc;D:\\inc")));
}

// A file that is no usable sheet is refused with the reason, its kind and the facts a translation
// puts in (where, which name).
TEST(SheetDocument, WhatIsNoSheetIsRefusedWithTheReason) {
  using K = SheetRefusal::Kind;
  const struct {
    const char* name;
    std::string bytes;
    const wchar_t* why;
    SheetRefusal refusal;
  } rows[] = {
      {"empty file", "", L"empty", {.kind = K::kEmpty}},
      {"white space only", " \n\t", L"no XML element", {.kind = K::kNoElement}},
      {"damaged XML", "<Project>\n<PropertyGroup></Project>", L"not well-formed XML: ", {.kind = K::kBadEndTag, .at = 2}},
      {"bad start tag", "<Project>\r\n\r\n<1/></Project>", L"not well-formed XML: ", {.kind = K::kBadStartTag, .at = 3}},
      {"bad attribute", "<Project\rA=1/>", L"not well-formed XML: ", {.kind = K::kBadAttribute, .at = 2}},
      {"bad comment", "<Project><!-x --></Project>", L"not well-formed XML: ", {.kind = K::kBadMarkup, .at = 1}},
      {"cut short", "<Project>\n<A>\n", L"not well-formed XML: ", {.kind = K::kUnexpectedEnd}},
      {"cut short in a tag", "<Project a='1", L"not well-formed XML: ", {.kind = K::kUnexpectedEnd}},
      {"line counted in UTF-16", Utf16(u"\uFEFF<Project>\n\n</Projet>"), L"not well-formed XML: ",
       {.kind = K::kBadEndTag, .at = 3}},
      {"root is not Project", "<project><PropertyGroup /></project>", L"not Project", {.kind = K::kNotAProject}},
      {"Latin-1 bytes, no declaration", "<Project>Caf\xE9</Project>", L"offset 12 are not valid UTF-8",
       {.kind = K::kInvalidUtf8, .at = 12}},
      {"surrogate after a UTF-8 BOM", "\xEF\xBB\xBF<Project>\xED\xA0\x80</Project>", L"offset 12 ",
       {.kind = K::kInvalidUtf8, .at = 12}},
      {"overlong form", "<Project>\xC0\xAF</Project>", L"offset 9 ", {.kind = K::kInvalidUtf8, .at = 9}},
      {"cut short at the end", "<Project/>\xE2\x82", L"offset 10 ", {.kind = K::kInvalidUtf8, .at = 10}},
      {"3-byte overlong form", "<Project>\xE0\x80\xAF</Project>", L"offset 9 ", {.kind = K::kInvalidUtf8, .at = 9}},
      {"a lone 0x80", "<Project>\x80</Project>", L"offset 9 ", {.kind = K::kInvalidUtf8, .at = 9}},
      {"US-ASCII declared, a byte beyond it", "<?xml version='1.0' encoding='US-ASCII'?><Project>\x80</Project>",
       L"offset 50 is not ASCII, and the declared encoding \"US-ASCII\"", {.kind = K::kNotAscii, .at = 50, .name = L"US-ASCII"}},
      {"7-bit ISO-2022-JP refused by name, its bytes all ASCII",
       "<?xml version='1.0' encoding='ISO-2022-JP'?><Project>\x1B$B$3\x1B(B</Project>",
       L"declared encoding \"ISO-2022-JP\" is not one", {.kind = K::kDeclaredEncoding, .name = L"ISO-2022-JP"}},
      {"UTF-7 likewise", "<?xml version=\"1.0\" encoding=\"UTF-7\"?><Project>+AGEAYgBj-</Project>", L"\"UTF-7\" is not",
       {.kind = K::kDeclaredEncoding, .name = L"UTF-7"}},
      {"HZ-GB-2312 declared in UTF-16", Utf16(u"\uFEFF<?xml version='1.0' encoding='HZ-GB-2312'?><Project/>"),
       L"\"HZ-GB-2312\" is not", {.kind = K::kDeclaredEncoding, .name = L"HZ-GB-2312"}},
      {"lone high surrogate in UTF-16", Utf16(u"\uFEFF<Project>" + std::u16string(1, 0xD800) + u"</Project>"),
       L"offset 20 are not valid UTF-16", {.kind = K::kInvalidUtf16, .at = 20}},
      {"lone low surrogate in UTF-16 without a byte order mark",
       Utf16(u"<Project>" + std::u16string(1, 0xDC00) + u"</Project>"), L"offset 18 are not valid UTF-16",
       {.kind = K::kInvalidUtf16, .at = 18}},
      {"a second top element", "<Project />\n<Extra />", L"a second top element, <Extra>",
       {.kind = K::kSecondElement, .name = L"Extra"}},
      {"text before the top element", "text <Project />", L"text before the top element", {.kind = K::kTextBefore}},
      {"text after the top element", "<Project />\ntext\n", L"text after the top element", {.kind = K::kTextAfter}},
      {"an attribute twice", "<Project><PropertyGroup Label='a' Label='b' /></Project>",
       L"<PropertyGroup> has the attribute Label twice",
       {.kind = K::kDuplicateAttribute, .name = L"Label", .element = L"PropertyGroup"}},
  };
  for (const auto& row : rows) {
    SheetDocument sheet;
    const SheetLoad parsed = sheet.Parse(row.bytes);
    EXPECT_EQ(parsed.status, Result::Status::kNotASheet) << row.name;
    EXPECT_NE(parsed.why.find(row.why), std::wstring::npos) << row.name << ": " << EncodeUtf8(parsed.why);
    const SheetRefusal& r = parsed.refusal;
    EXPECT_EQ(std::tuple(r.kind, r.at, r.name, r.element),
              std::tuple(row.refusal.kind, row.refusal.at, row.refusal.name, row.refusal.element))
        << row.name;
    EXPECT_TRUE(sheet.Definitions().empty()) << row.name << ": nothing half-read is kept";
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
