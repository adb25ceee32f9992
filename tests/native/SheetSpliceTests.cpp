// The splicing editor, checked on whole files: each row is a sheet as Visual Studio, CMake users or
// hand-editors write it, a few edits, and every byte expected back.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

#include "base/Utf8.h"
#include "model/SheetSplice.h"

namespace pathwright {
namespace {

// One edit, aimed at the nth element of that name in document order.
struct Edit {
  enum class Op { kSet, kRemove, kInsert } op = Op::kSet;
  const wchar_t* target = L"";
  int nth = 0;
  std::wstring text = {};
  Place place = Place::kLastChild;
  NewElement element = {};
};

struct Row {
  const char* name;
  std::string sheet;
  std::vector<Edit> edits = {};
  std::string expected;
  bool becameUtf8 = false;
};

pugi::xml_node Nth(const pugi::xml_document& doc, const wchar_t* name, int nth) {
  return doc.find_node([&](pugi::xml_node n) {
    return n.type() == pugi::node_element && std::wcscmp(n.name(), name) == 0 && nth-- == 0;
  });
}

Result Apply(SheetSplice& sheet, const Edit& edit) {
  const pugi::xml_node node = Nth(sheet.Document(), edit.target, edit.nth);
  switch (edit.op) {
    case Edit::Op::kSet:
      return sheet.SetText(node, edit.text);
    case Edit::Op::kRemove:
      return sheet.Remove(node);
    case Edit::Op::kInsert:
      return sheet.Insert(node, edit.place, edit.element);
  }
  return {};
}

// The text with its first `from` replaced.
std::string Swap(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// UTF-8 text as UTF-16 with a byte order mark.
std::string Utf16(const std::string& utf8, bool big) {
  std::string out = big ? "\xFE\xFF" : "\xFF\xFE";
  const auto put = [&](char32_t unit) {
    const char hi = static_cast<char>(unit >> 8), lo = static_cast<char>(unit & 0xFF);
    out += big ? hi : lo;
    out += big ? lo : hi;
  };
  for (size_t i = 0; i < utf8.size();) {
    const char32_t c = DecodeUtf8Char(utf8, i);
    if (c < 0x10000) {
      put(c);
    } else {
      put(0xD800 + ((c - 0x10000) >> 10));
      put(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
  }
  return out;
}

const std::string kBom = "\xEF\xBB\xBF";
const std::string kVsHead =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<Project ToolsVersion=\"4.0\" "
    "xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\">\r\n";
// As Visual Studio leaves a sheet: byte order mark, CR LF, two spaces, empty placeholders.
const std::string kVs = kBom + kVsHead +
                        "  <ImportGroup Label=\"PropertySheets\" />\r\n"
                        "  <PropertyGroup Label=\"UserMacros\" />\r\n"
                        "  <!-- folders -->\r\n"
                        "  <PropertyGroup>\r\n"
                        "    <UserInclude  Label='u' >C:\\old</UserInclude> <!-- mine -->\r\n"
                        "    <IncludePath>$(UserInclude);$(IncludePath)</IncludePath>\r\n"
                        "  </PropertyGroup>\r\n"
                        "  <ItemDefinitionGroup />\r\n"
                        "</Project>\r\n";
// As a hand-editor keeps one: tabs, LF, explicitly empty properties, comments inside.
const std::string kHand =
    "<Project>\n"
    "\t<PropertyGroup>\n"
    "\t\t<ReferencePath />\n"
    "\t\t<SourcePath></SourcePath>\n"
    "\t\t<ExcludePath>a&amp;b</ExcludePath>\n"
    "\t\t<LibraryPath Condition=\"'$(A)'==''\"/>\n"
    "\t\t<UserLibrary>\n\t\t</UserLibrary>\n"
    "\t\t<!-- last -->\n"
    "\t</PropertyGroup>\n"
    "</Project>\n";
// As a CMake script might write one: four spaces, empty groups both ways.
const std::string kCmake =
    "<?xml version=\"1.0\"?>\n<Project>\n"
    "    <PropertyGroup />\n"
    "    <PropertyGroup Label=\"x\"></PropertyGroup>\n"
    "</Project>\n";
const std::string kDeclared1252 = "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\r\n";
const std::string k1252 = kDeclared1252 +
                          "<Project>\r\n  <!-- caf\xE9 -->\r\n  <PropertyGroup>\r\n"
                          "    <UserInclude>C:\\old</UserInclude>\r\n  </PropertyGroup>\r\n</Project>\r\n";
// Far enough into the file that an element is found through the index, not its first block, and
// after characters that take more bytes (and, beyond U+FFFF, two UTF-16 units) than one.
const std::string kWide = "<Project>\n  <!-- " + std::string(3000, 'x') + [] {
  std::string many;
  for (int i = 0; i < 1500; ++i) many += "\xC3\xBC\xE2\x82\xAC\xF0\x9F\x98\x80";
  return many;
}() + " -->\n  <PropertyGroup>\n    <UserInclude>C:\\old</UserInclude>\n  </PropertyGroup>\n</Project>\n";

NewElement Group(std::vector<NewElement> children) {
  return {.name = L"PropertyGroup", .children = std::move(children)};
}
const NewElement kInclude = {.name = L"UserInclude", .text = L"C:\\inc"};
const NewElement kPath = {.name = L"IncludePath", .text = L"$(UserInclude);$(IncludePath)"};
using Op = Edit::Op;

TEST(SheetSplice, EditsChangeOnlyTheirBytes) {
  const Row rows[] = {
      {.name = "no edit gives back the bytes", .sheet = kVs, .expected = kVs},
      {.name = "text replaced, start tag, trailing comment and the rest kept",
       .sheet = kVs,
       .edits = {{.target = L"UserInclude", .text = L"C:\\new;D:\\a&b"}},
       .expected = Swap(kVs, "C:\\old", "C:\\new;D:\\a&amp;b")},
      {.name = "empty forms filled, escaped as XML requires, blanks in CDATA",
       .sheet = kHand,
       .edits = {{.target = L"ReferencePath", .text = L"a<b"},
                 {.target = L"SourcePath", .text = L"  "},
                 {.target = L"LibraryPath", .text = L"]]>\r"},
                 {.target = L"UserLibrary", .text = L""}},
       .expected = Swap(Swap(Swap(kHand, "<ReferencePath />", "<ReferencePath>a&lt;b</ReferencePath>"),
                             "<SourcePath></SourcePath>", "<SourcePath><![CDATA[  ]]></SourcePath>"),
                        "''\"/>", "''\">]]&gt;&#13;</LibraryPath>")},
      {.name = "text that reads back the same stays as written; emptied text keeps the tags",
       .sheet = kHand,
       .edits = {{.target = L"ExcludePath", .text = L"a&b"},
                 {.target = L"ReferencePath", .text = L""},
                 {.target = L"SourcePath", .text = L"x"},
                 {.target = L"SourcePath", .text = L""}},
       .expected = kHand},
      {.name = "before and after a sibling, each on its own line",
       .sheet = kVs,
       .edits = {{.op = Op::kInsert, .target = L"IncludePath", .place = Place::kBefore, .element = kPath},
                 {.op = Op::kInsert, .target = L"UserInclude", .place = Place::kAfter, .element = kInclude}},
       .expected = Swap(Swap(kVs, "<!-- mine -->\r\n", "<!-- mine -->\r\n    <UserInclude>C:\\inc</UserInclude>\r\n"),
                        "    <IncludePath>",
                        "    <IncludePath>$(UserInclude);$(IncludePath)</IncludePath>\r\n"
                        "    <IncludePath>")},
      {.name = "last child, before the end tag's line and after a closing comment",
       .sheet = kHand,
       .edits = {{.op = Op::kInsert, .target = L"PropertyGroup", .element = kInclude},
                 {.op = Op::kInsert, .target = L"PropertyGroup", .element = kPath}},
       .expected = Swap(kHand, "<!-- last -->\n",
                        "<!-- last -->\n\t\t<UserInclude>C:\\inc</UserInclude>\n"
                        "\t\t<IncludePath>$(UserInclude);$(IncludePath)</IncludePath>\n")},
      {.name = "empty groups opened up, indented by the file's own step",
       .sheet = kCmake,
       .edits = {{.op = Op::kInsert, .target = L"PropertyGroup", .element = kInclude},
                 {.op = Op::kInsert, .target = L"PropertyGroup", .nth = 1, .element = kInclude},
                 {.op = Op::kInsert, .target = L"PropertyGroup", .element = kPath}},
       .expected = "<?xml version=\"1.0\"?>\n<Project>\n"
                   "    <PropertyGroup>\n        <UserInclude>C:\\inc</UserInclude>\n"
                   "        <IncludePath>$(UserInclude);$(IncludePath)</IncludePath>\n    </PropertyGroup>\n"
                   "    <PropertyGroup Label=\"x\">\n        <UserInclude>C:\\inc</UserInclude>\n    </PropertyGroup>\n"
                   "</Project>\n"},
      {.name = "removed with its own line, or with the blanks before it",
       .sheet = "<Project>\r\n  <PropertyGroup>\r\n    <A>1</A> <B>2</B>\r\n    <C>3</C>\r\n    <D /> <!-- d -->\r\n"
                "  </PropertyGroup>\r\n</Project>",
       .edits = {{.op = Op::kRemove, .target = L"B"},
                 {.op = Op::kRemove, .target = L"C"},
                 {.op = Op::kRemove, .target = L"D"}},
       .expected =
           "<Project>\r\n  <PropertyGroup>\r\n    <A>1</A>\r\n    <!-- d -->\r\n  </PropertyGroup>\r\n</Project>"},
      {.name = "a new group with children, last in Project, and one before the labelled group",
       .sheet = kVs,
       .edits = {{.op = Op::kInsert, .target = L"Project", .element = Group({kInclude, kPath})},
                 {.op = Op::kInsert, .target = L"PropertyGroup", .place = Place::kBefore, .element = Group({})}},
       .expected =
           Swap(Swap(kVs, "  <PropertyGroup Label", "  <PropertyGroup />\r\n  <PropertyGroup Label"), "</Project>",
                "  <PropertyGroup>\r\n    <UserInclude>C:\\inc</UserInclude>\r\n"
                "    <IncludePath>$(UserInclude);$(IncludePath)</IncludePath>\r\n"
                "  </PropertyGroup>\r\n</Project>")},
      {.name = "a Project without children opened up",
       .sheet = "<?xml version=\"1.0\"?>\n<Project ToolsVersion=\"4.0\" />\n",
       .edits = {{.op = Op::kInsert, .target = L"Project", .element = Group({kInclude})}},
       .expected = "<?xml version=\"1.0\"?>\n<Project ToolsVersion=\"4.0\">\n  <PropertyGroup>\n"
                   "    <UserInclude>C:\\inc</UserInclude>\n  </PropertyGroup>\n</Project>\n"},
      {.name = "a sheet on one line stays on one line",
       .sheet = "<Project><PropertyGroup><A>1</A></PropertyGroup></Project>",
       .edits = {{.op = Op::kInsert, .target = L"A", .place = Place::kAfter, .element = kInclude},
                 {.op = Op::kInsert, .target = L"Project", .element = Group({kPath})}},
       .expected = "<Project><PropertyGroup><A>1</A><UserInclude>C:\\inc</UserInclude></PropertyGroup>"
                   "<PropertyGroup><IncludePath>$(UserInclude);$(IncludePath)</IncludePath></PropertyGroup></Project>"},
      {.name = "UTF-16 LE keeps its encoding and byte order mark",
       .sheet = Utf16(kVs.substr(3), false),
       .edits = {{.target = L"UserInclude", .text = L"C:\\\u00DC\u20AC\U0001F600"}},
       .expected = Utf16(Swap(kVs.substr(3), "C:\\old", "C:\\\xC3\x9C\xE2\x82\xAC\xF0\x9F\x98\x80"), false)},
      {.name = "UTF-16 BE likewise",
       .sheet = Utf16(kVs.substr(3), true),
       .edits = {{.op = Op::kInsert, .target = L"IncludePath", .place = Place::kBefore, .element = kPath}},
       .expected = Utf16(Swap(kVs.substr(3), "    <IncludePath>",
                              "    <IncludePath>$(UserInclude);$(IncludePath)</IncludePath>\r\n    <IncludePath>"),
                         true)},
      {.name = "UTF-8 found past multi-byte characters",
       .sheet = kWide,
       .edits = {{.target = L"UserInclude", .text = L"C:\\\u00FC"}},
       .expected = Swap(kWide, "C:\\old", "C:\\\xC3\xBC")},
      {.name = "windows-1252 keeps its encoding for characters it has",
       .sheet = k1252,
       .edits = {{.target = L"UserInclude", .text = L"C:\\\u20AC\u00E9"}},
       .expected = Swap(k1252, "C:\\old", "C:\\\x80\xE9")},
      {.name = "windows-1252 becomes UTF-8 for a character it lacks",
       .sheet = k1252,
       .edits = {{.target = L"UserInclude", .text = L"C:\\\u2192"}},
       .expected =
           Swap(Swap(Swap(k1252, "Windows-1252", "utf-8"), "caf\xE9", "caf\xC3\xA9"), "C:\\old", "C:\\\xE2\x86\x92"),
       .becameUtf8 = true},
      {.name = "ISO-8859-1 becomes UTF-8 for the euro sign",
       .sheet = Swap(k1252, "Windows-1252", "ISO-8859-1"),
       .edits = {{.target = L"UserInclude", .text = L"\u20AC"}},
       .expected =
           Swap(Swap(Swap(k1252, "Windows-1252", "utf-8"), "caf\xE9", "caf\xC3\xA9"), "C:\\old", "\xE2\x82\xAC"),
       .becameUtf8 = true},
  };
  for (const Row& row : rows) {
    SheetSplice sheet;
    ASSERT_TRUE(sheet.Load(row.sheet)) << row.name;
    for (const Edit& edit : row.edits) EXPECT_TRUE(Apply(sheet, edit)) << row.name;
    const SplicedBytes saved = sheet.Save();
    EXPECT_EQ(saved.bytes, row.expected) << row.name;
    EXPECT_EQ(saved.changed, row.expected != row.sheet) << row.name;
    EXPECT_EQ(saved.becameUtf8, row.becameUtf8) << row.name;
  }
}

TEST(SheetSplice, RefusesWhatItCannotDoExactly) {
  SheetSplice other;
  ASSERT_TRUE(other.Load(kHand));
  const Edit set = {.target = L"ExcludePath", .text = L"x"};
  const Edit remove = {.op = Op::kRemove, .target = L"PropertyGroup"};
  struct Case {
    const char* name;
    std::vector<Edit> before;
    Edit edit;
    Result::Status status;
  } cases[] = {
      {"a character XML does not allow",
       {},
       {.target = L"ExcludePath", .text = L"a\x01"},
       Result::Status::kForbiddenCharacter},
      {"not an element name",
       {},
       {.op = Op::kInsert, .target = L"PropertyGroup", .element = {.name = L"A<B"}},
       Result::Status::kInvalid},
      {"inside a removed element", {remove}, set, Result::Status::kInvalid},
      {"the top element removed", {}, {.op = Op::kRemove, .target = L"Project"}, Result::Status::kInvalid},
      {"a sibling for the top element",
       {},
       {.op = Op::kInsert, .target = L"Project", .place = Place::kAfter, .element = kPath},
       Result::Status::kInvalid},
  };
  for (const Case& c : cases) {
    SheetSplice sheet;
    ASSERT_TRUE(sheet.Load(kHand));
    for (const Edit& edit : c.before) ASSERT_TRUE(Apply(sheet, edit)) << c.name;
    EXPECT_EQ(Apply(sheet, c.edit).status, c.status) << c.name;
    EXPECT_EQ(sheet.Edited(), !c.before.empty()) << c.name;
    EXPECT_EQ(sheet.SetText(Nth(other.Document(), L"ExcludePath", 0), L"y").status, Result::Status::kInvalid) << c.name;
  }
  // Files that could not be written back as they were read.
  for (const std::string& bytes : {std::string(), Utf16("<Project/>", false) + "x",
                                   Utf16("<Project>\xF0\x9F\x98\x80</Project>", false).erase(22, 2),
                                   std::string("<Project>"), std::string("<?xml version=\"1.0\" /><A>?></A>"),
                                   std::string("<?xml version=\"1.0\" encoding=\"koi8-r\"?><A>\xC1</A>")}) {
    EXPECT_EQ(other.Load(bytes).status, Result::Status::kNotASheet) << bytes;
  }
}

}  // namespace
}  // namespace pathwright
