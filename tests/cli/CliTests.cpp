// pathwright-cli as a black box: the built program against scratch sheets, outputs and sheets
// compared byte for byte, one table per area.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "CliRunner.h"
#include "TestFiles.h"

#ifdef _WIN32
#include <windows.h>
#include <shlobj.h>
#endif

namespace pathwright::testing {
namespace {

namespace fs = std::filesystem;

const std::string kNs = "http://schemas.microsoft.com/developer/msbuild/2003";
const std::string kDecl = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
const std::string kOpen4 = "<Project DefaultTargets=\"Build\" ToolsVersion=\"4.0\" xmlns=\"" + kNs + "\">\n";
const std::string kFiveGroups =
    "\t<ImportGroup Label=\"PropertySheets\" />\n\t<PropertyGroup Label=\"UserMacros\" />\n\t<PropertyGroup />\n"
    "\t<ItemDefinitionGroup />\n\t<ItemGroup />\n";

const std::string kNew2010 =
    kDecl + "<Project DefaultTargets=\"Build\" ToolsVersion=\"4.0\" xmlns=\"" + kNs + "\" />\n";
const std::string kNew2012 = kDecl + kOpen4 + kFiveGroups + "</Project>\n";
const std::string kNew2013 =
    kDecl + "<Project DefaultTargets=\"Build\" ToolsVersion=\"12.0\" xmlns=\"" + kNs + "\">\n" + kFiveGroups +
    "</Project>\n";

// The pair of elements a save writes for one kind.
std::string Pair(const std::string& macro, const std::string& property, const std::string& list) {
  return "\t\t<" + macro + ">" + list + "</" + macro + ">\n\t\t<" + property + ">$(" + macro + ");$(" + property +
         ")</" + property + ">\n";
}
std::string Include(const std::string& list) { return Pair("UserInclude", "IncludePath", list); }

// A sheet as this program writes it: a new 2012 sheet after its first save.
std::string OurSheet(const std::string& groupBody) {
  const std::string group =
      groupBody.empty() ? "\t<PropertyGroup />\n" : "\t<PropertyGroup>\n" + groupBody + "\t</PropertyGroup>\n";
  return kDecl + kOpen4 +
         "\t<ImportGroup Label=\"PropertySheets\" />\n\t<PropertyGroup Label=\"UserMacros\" />\n"
         "\t<ItemDefinitionGroup />\n\t<ItemGroup />\n" +
         group + "</Project>\n";
}

// A sheet as Visual Studio's property manager leaves it: BOM, CRLF, two-space indentation, the
// user's settings inline in a conditional unlabelled group.
const std::string kVsSheet =
    "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
    "<Project DefaultTargets=\"Build\" ToolsVersion=\"4.0\" xmlns=\"" + kNs + "\">\r\n"
    "  <ImportGroup Label=\"PropertySheets\" />\r\n"
    "  <PropertyGroup Label=\"UserMacros\" />\r\n"
    "  <PropertyGroup Condition=\"'$(Platform)'=='Win32'\">\r\n"
    "    <IncludePath>C:\\Qt\\include;$(IncludePath)</IncludePath>\r\n"
    "    <OutDir>$(SolutionDir)bin\\</OutDir>\r\n"
    "    <IntDir>$(SolutionDir)obj\\$(ProjectName)\\</IntDir>\r\n"
    "    <TargetName>$(ProjectName)_d</TargetName>\r\n"
    "  </PropertyGroup>\r\n"
    "  <ItemDefinitionGroup>\r\n"
    "    <ClCompile>\r\n"
    "      <PreprocessorDefinitions>_CRT_SECURE_NO_WARNINGS;%(PreprocessorDefinitions)</PreprocessorDefinitions>\r\n"
    "    </ClCompile>\r\n"
    "  </ItemDefinitionGroup>\r\n"
    "  <ItemGroup />\r\n"
    "</Project>";

// kVsSheet after a save: same content, our layout, the managed elements last in the group.
std::string VsSheetAfter(const std::string& managed) {
  return kDecl + kOpen4 +
         "\t<ImportGroup Label=\"PropertySheets\" />\n"
         "\t<PropertyGroup Label=\"UserMacros\" />\n"
         "\t<PropertyGroup Condition=\"'$(Platform)'=='Win32'\">\n"
         "\t\t<OutDir>$(SolutionDir)bin\\</OutDir>\n"
         "\t\t<IntDir>$(SolutionDir)obj\\$(ProjectName)\\</IntDir>\n"
         "\t\t<TargetName>$(ProjectName)_d</TargetName>\n" +
         managed +
         "\t</PropertyGroup>\n"
         "\t<ItemDefinitionGroup>\n"
         "\t\t<ClCompile>\n"
         "\t\t\t<PreprocessorDefinitions>_CRT_SECURE_NO_WARNINGS;%(PreprocessorDefinitions)</PreprocessorDefinitions>\n"
         "\t\t</ClCompile>\n"
         "\t</ItemDefinitionGroup>\n"
         "\t<ItemGroup />\n"
         "</Project>\n";
}
const std::string kQtInline = "\t\t<IncludePath>C:\\Qt\\include;$(IncludePath)</IncludePath>\n";

std::string Utf8(const fs::path& path) {
  const std::u8string s = path.u8string();
  return std::string(s.begin(), s.end());
}

// "{}" in an argument stands for the sheet's path.
std::vector<std::string> WithSheet(std::vector<std::string> args, const std::string& sheet) {
  for (std::string& arg : args) {
    for (size_t at; (at = arg.find("{}")) != std::string::npos;) arg.replace(at, 2, sheet);
  }
  return args;
}

std::vector<std::string> FolderEntries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(Utf8(entry.path().filename()));
  std::sort(names.begin(), names.end());
  return names;
}

void MakeReadOnly(const fs::path& path, bool readOnly) {
  fs::permissions(path, readOnly ? fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read
                                 : fs::perms::owner_read | fs::perms::owner_write,
                  fs::perm_options::replace);
}

// --- set, add and remove: load, change one list, save ------------------------------------------

struct EditCase {
  const char* name;
  std::string before;
  std::vector<std::vector<std::string>> steps;
  std::string after;
};

TEST(CliEdit, ChangesOneListAndKeepsTheRest) {
  const EditCase cases[] = {
      {"add to a Visual Studio sheet keeps the condition, OutDir, IntDir, TargetName and the inline path",
       kVsSheet, {{"add", "{}", "include", "D:\\boost"}},
       VsSheetAfter("\t\t<UserInclude>D:\\boost</UserInclude>\n"
                    "\t\t<IncludePath>$(UserInclude);C:\\Qt\\include;$(IncludePath)</IncludePath>\n")},
      {"set another kind leaves the inline include path as the user wrote it", kVsSheet,
       {{"set", "{}", "library", "C:\\lib;"}},
       VsSheetAfter(kQtInline + Pair("UserLibrary", "LibraryPath", "C:\\lib"))},
      {"remove works on the list, never on the inline path", kVsSheet,
       {{"remove", "{}", "include", "C:\\Qt\\include"}}, VsSheetAfter(kQtInline)},
      {"add then remove gives the user's own inline path back", kVsSheet,
       {{"add", "{}", "IncludePath", "D:\\boost"}, {"remove", "{}", "UserInclude", "D:\\boost"}},
       VsSheetAfter(kQtInline)},
      {"remove drops every equal entry and keeps empty ones", OurSheet(Include("C:\\a;D:\\b;C:\\a;;E:\\c;")),
       {{"remove", "{}", "include", "C:\\a"}}, OurSheet(Include("D:\\b;;E:\\c"))},
      {"remove of an empty entry drops the empty ones", OurSheet(Include("C:\\a;;D:\\b;;")),
       {{"remove", "{}", "include", ""}}, OurSheet(Include("C:\\a;D:\\b"))},
      {"remove compares whole entries, exactly", OurSheet(Include("C:\\a;c:\\A;C:\\ab")),
       {{"remove", "{}", "include", "C:\\a"}}, OurSheet(Include("c:\\A;C:\\ab"))},
      {"removing the last entry empties the group", OurSheet(Include("C:\\a")),
       {{"remove", "{}", "include", "C:\\a"}}, OurSheet("")},
      {"add after a final semicolon gives no empty entry", OurSheet(Include("C:\\a;")),
       {{"add", "{}", "include", "D:\\b"}}, OurSheet(Include("C:\\a;D:\\b"))},
      {"add to an empty list", kNew2012, {{"add", "{}", "source", "D:\\src"}},
       OurSheet(Pair("UserSource", "SourcePath", "D:\\src"))},
      {"set replaces the list; an empty LIST empties it", OurSheet(Include("C:\\a") + Pair("UserLibrary", "LibraryPath", "L")),
       {{"set", "{}", "include", ""}, {"set", "{}", "library", "M;N"}},
       OurSheet(Pair("UserLibrary", "LibraryPath", "M;N"))},
      {"a list of semicolons only is written empty with its path property", kNew2012,
       {{"set", "{}", "include", ";;"}},
       OurSheet("\t\t<UserInclude></UserInclude>\n\t\t<IncludePath>$(UserInclude);$(IncludePath)</IncludePath>\n")},
      {"every name of a kind in any letter case", kNew2012,
       {{"set", "{}", "winrt", "A"}, {"add", "{}", "LIBRARYWPATH", "B"}, {"add", "{}", "userwpath", "C"}},
       OurSheet(Pair("UserWPath", "LibraryWPath", "A;B;C"))},
      {"kinds are written in their fixed order", kNew2012,
       {{"set", "{}", "exclude", "X"}, {"set", "{}", "executable", "E"}, {"set", "{}", "reference", "R"}},
       OurSheet(Pair("UserExecutable", "ExecutablePath", "E") + Pair("UserReference", "ReferencePath", "R") +
                Pair("UserExclude", "ExcludePath", "X"))},
      {"special XML characters are escaped in the file", kNew2012, {{"set", "{}", "include", "A&B;<C>"}},
       OurSheet(Include("A&amp;B;&lt;C&gt;"))},
      {"non-ASCII entries arrive and are written as UTF-8", kNew2012,
       {{"add", "{}", "include", "D:\\Biblioth\xC3\xA8que\\\xF0\x9D\x84\x9E"}},
       OurSheet(Include("D:\\Biblioth\xC3\xA8que\\\xF0\x9D\x84\x9E"))},
      {"options end at --, so an entry may begin with -", kNew2012, {{"add", "{}", "include", "--", "-x"}},
       OurSheet(Include("-x"))},
      {"with two unlabelled groups the last one with content is edited",
       kDecl + kOpen4 + "\t<PropertyGroup>\n\t\t<OutDir>o\\</OutDir>\n\t</PropertyGroup>\n" +
           "\t<PropertyGroup Label=\"UserMacros\" />\n\t<PropertyGroup>\n" + Include("a") + "\t</PropertyGroup>\n" +
           "</Project>\n",
       {{"add", "{}", "include", "b"}},
       kDecl + kOpen4 + "\t<PropertyGroup>\n\t\t<OutDir>o\\</OutDir>\n\t</PropertyGroup>\n" +
           "\t<PropertyGroup Label=\"UserMacros\" />\n\t<PropertyGroup>\n" + Include("a;b") + "\t</PropertyGroup>\n" +
           "</Project>\n"},
  };
  for (const EditCase& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchFolder folder;
    const fs::path sheet = folder.Path("Microsoft.Cpp.Win32.user.props");
    WriteBytes(sheet, c.before);
    for (const auto& step : c.steps) {
      const CliRun run = RunCli(WithSheet(step, Utf8(sheet)));
      EXPECT_EQ(run.code, 0) << run.err;
      EXPECT_EQ(run.out, "");
      EXPECT_EQ(run.err, "");
    }
    EXPECT_EQ(ReadBytes(sheet), c.after);
    EXPECT_EQ(FolderEntries(folder.Root()), std::vector<std::string>{"Microsoft.Cpp.Win32.user.props"});
  }
}

TEST(CliEdit, SheetWithNonAsciiName) {
  ScratchFolder folder;
  const fs::path sheet = folder.Root() / fs::path(u8"Biblioth\u00e8que \u65e5\u672c.props");
  WriteBytes(sheet, kNew2012);
  CliRun run = RunCli({"add", Utf8(sheet), "include", "C:\\a"});
  ASSERT_EQ(run.code, 0) << run.err;
  run = RunCli({"get", Utf8(sheet), "include"});
  EXPECT_EQ(run.out, "C:\\a\n");
}

// --- show and get ---------------------------------------------------------------------------------

struct ShowCase {
  const char* name;
  std::string sheet;
  std::vector<std::string> args;
  std::string out;
};

const std::string kTricky = OurSheet(
    "\t\t<UserExecutable>C:\\bin</UserExecutable>\n"
    "\t\t<UserInclude>a\"b\\c&amp;&#9;t&#10;n&#13;r&#1;&#31;/\xC3\xA9\xF0\x9D\x84\x9E</UserInclude>\n"
    "\t\t<UserLibrary><![CDATA[<lib>]]></UserLibrary>\n");

// <Project><PropertyGroup><UserSource>\u00e9</UserSource></PropertyGroup></Project> in UTF-16 LE with BOM.
const char kUtf16Sheet[] =
    "\xFF\xFE<\0P\0r\0o\0j\0e\0c\0t\0>\0<\0P\0r\0o\0p\0e\0r\0t\0y\0G\0r\0o\0u\0p\0>\0"
    "<\0U\0s\0e\0r\0S\0o\0u\0r\0c\0e\0>\0\xE9\0<\0/\0U\0s\0e\0r\0S\0o\0u\0r\0c\0e\0>\0"
    "<\0/\0P\0r\0o\0p\0e\0r\0t\0y\0G\0r\0o\0u\0p\0>\0<\0/\0P\0r\0o\0j\0e\0c\0t\0>\0";
template <size_t N>
std::string Bytes(const char (&literal)[N]) {
  return std::string(literal, N - 1);
}

TEST(CliShow, PrintsExactly) {
  const ShowCase cases[] = {
      {"show: one line per kind, titles in kind order",
       OurSheet(Include("C:\\inc;D:\\inc") + Pair("UserWPath", "LibraryWPath", "W")), {"show", "{}"},
       "Executable Directories: \nInclude Directories: C:\\inc;D:\\inc\nReference Directories: \n"
       "Library Directories: \nLibrary WinRT Directories: W\nSource Directories: \nExclude Directories: \n"},
      {"show --json keyed by user macro, every list even when empty", kNew2010, {"show", "{}", "--json"},
       "{\n  \"UserExecutable\": \"\",\n  \"UserInclude\": \"\",\n  \"UserReference\": \"\",\n"
       "  \"UserLibrary\": \"\",\n  \"UserWPath\": \"\",\n  \"UserSource\": \"\",\n  \"UserExclude\": \"\"\n}\n"},
      {"show --json escapes quotes, backslashes and control characters; the rest is UTF-8", kTricky,
       {"show", "--json", "{}"},
       "{\n  \"UserExecutable\": \"C:\\\\bin\",\n"
       "  \"UserInclude\": \"a\\\"b\\\\c&\\tt\\nn\\rr\\u0001\\u001f/\xC3\xA9\xF0\x9D\x84\x9E\",\n"
       "  \"UserReference\": \"\",\n  \"UserLibrary\": \"<lib>\",\n  \"UserWPath\": \"\",\n"
       "  \"UserSource\": \"\",\n  \"UserExclude\": \"\"\n}\n"},
      {"get prints the list and a newline", kTricky, {"get", "{}", "library"}, "<lib>\n"},
      {"get of an empty list prints the newline only", kTricky, {"get", "{}", "exclude"}, "\n"},
      {"get keeps non-ASCII text as UTF-8", kTricky, {"get", "{}", "UserInclude"},
       "a\"b\\c&\tt\nn\rr\x01\x1f/\xC3\xA9\xF0\x9D\x84\x9E\n"},
      {"get of the Visual Studio sheet reads the user macro only", kVsSheet, {"get", "{}", "include"}, "\n"},
      {"show reads a UTF-16 sheet", Bytes(kUtf16Sheet), {"get", "{}", "source"}, "\xC3\xA9\n"},
  };
  for (const ShowCase& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchFolder folder;
    const fs::path sheet = folder.Path("s.props");
    WriteBytes(sheet, c.sheet);
    const CliRun run = RunCli(WithSheet(c.args, Utf8(sheet)));
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, c.out);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(ReadBytes(sheet), c.sheet) << "reading never writes";
  }
}

// --- create -----------------------------------------------------------------------------------------

TEST(CliCreate, WritesTheNewSheetOfEveryVersion) {
  const struct {
    const char* vs;
    std::string bytes;
  } cases[] = {{"2010", kNew2010}, {"2012", kNew2012}, {"2013", kNew2013}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.vs);
    ScratchFolder folder;
    const fs::path sheet = folder.Path("new.props");
    const CliRun run = RunCli({"create", Utf8(sheet), "--vs", c.vs});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(ReadBytes(sheet), c.bytes);
    EXPECT_EQ(FolderEntries(folder.Root()), std::vector<std::string>{"new.props"});
  }
}

TEST(CliCreate, ExistingFiles) {
  struct Case {
    const char* name;
    std::string old;
    std::vector<std::string> args;
    int code;
    std::string sheetAfter;
    bool backup;
  };
  const std::string readable = OurSheet(Include("C:\\keep"));
  const Case cases[] = {
      {"a readable sheet is not replaced without --force", readable, {"create", "{}", "--vs", "2012"}, 2, readable,
       false},
      {"--force replaces a readable sheet and keeps it as .bak", readable, {"create", "--force", "{}", "--vs=2013"}, 0,
       kNew2013, true},
      {"an unreadable file is replaced and kept as .bak", "not xml <", {"create", "{}", "--vs", "2010"}, 0, kNew2010,
       true},
      {"an empty file is replaced and kept as .bak", "", {"create", "{}", "--vs", "2012"}, 0, kNew2012, true},
      {"a sheet whose root is not Project is replaced", "<Other/>", {"create", "{}", "--vs", "2012"}, 0, kNew2012,
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchFolder folder;
    const fs::path sheet = folder.Path("u.props");
    WriteBytes(sheet, c.old);
    const CliRun run = RunCli(WithSheet(c.args, Utf8(sheet)));
    EXPECT_EQ(run.code, c.code) << run.err;
    EXPECT_EQ(ReadBytes(sheet), c.sheetAfter);
    EXPECT_EQ(fs::exists(folder.Path("u.props.bak")), c.backup);
    if (c.backup) {
      EXPECT_EQ(ReadBytes(folder.Path("u.props.bak")), c.old);
      EXPECT_EQ(run.out, "The old file is kept as " + Utf8(sheet) + ".bak\n");
    }
    if (c.code != 0) {
      EXPECT_NE(run.err.find(Utf8(sheet)), std::string::npos) << run.err;
      EXPECT_NE(run.err.find("--force"), std::string::npos) << run.err;
    }
  }
}

// --- failures: exit code, message on stderr naming the path, the file as it was --------------------

struct FailureCase {
  const char* name;
  const char* content;  // nullptr: no file at all; "/": a folder of that name
  std::vector<std::string> args;
  int code;
  const char* reason;  // expected within the message (besides the path); nullptr when it is the system's
};

TEST(CliFailure, ReportsAndLeavesTheFileAlone) {
  const FailureCase cases[] = {
      {"show of a missing sheet", nullptr, {"show", "{}"}, 1, nullptr},
      {"get of a missing sheet", nullptr, {"get", "{}", "include"}, 1, nullptr},
      {"set never creates a missing sheet", nullptr, {"set", "{}", "include", "C:\\a"}, 1, nullptr},
      {"add never creates a missing sheet", nullptr, {"add", "{}", "include", "C:\\a"}, 1, nullptr},
      {"remove never creates a missing sheet", nullptr, {"remove", "{}", "include", "C:\\a"}, 1, nullptr},
      {"damaged XML is not overwritten", "<Project><PropertyGroup>", {"set", "{}", "include", "C:\\a"}, 1,
       "not well-formed XML"},
      {"root other than Project", "<Projects />", {"add", "{}", "include", "C:\\a"}, 1, "not Project"},
      {"empty file", "", {"show", "{}", "--json"}, 1, "empty"},
      {"a folder is no sheet", "/", {"get", "{}", "include"}, 1, nullptr},
      {"read-only sheet: set", "", {"set", "{}", "include", "C:\\a"}, 3, nullptr},
      {"read-only sheet: add", "", {"add", "{}", "exclude", "C:\\a"}, 3, nullptr},
      {"read-only sheet: remove", "", {"remove", "{}", "include", "C:\\a"}, 3, nullptr},
      {"read-only unreadable file: create", "garbage", {"create", "{}", "--vs", "2012"}, 3, nullptr},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchFolder folder;
    const fs::path sheet = folder.Path("f.props");
    const bool readOnly = c.code == 3;
    // Write failures start from a sheet that reads well, unless the case brings its own bytes.
    std::string old = c.content ? c.content : "";
    if (readOnly && old.empty()) old = OurSheet(Include("C:\\a;D:\\b"));
    if (c.content && std::string(c.content) == "/") {
      fs::create_directory(sheet);
    } else if (c.content) {
      WriteBytes(sheet, old);
    }
    if (readOnly) MakeReadOnly(sheet, true);
    const std::vector<std::string> before = FolderEntries(folder.Root());

    const CliRun run = RunCli(WithSheet(c.args, Utf8(sheet)));
    EXPECT_EQ(run.code, c.code) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("pathwright-cli: ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find(Utf8(sheet)), std::string::npos) << run.err;
    if (c.reason) {
      EXPECT_NE(run.err.find(c.reason), std::string::npos) << run.err;
    }
    EXPECT_GT(run.err.size(), std::string("pathwright-cli: cannot read : \n").size() + Utf8(sheet).size())
        << "the message gives a reason";

    if (readOnly) {
      MakeReadOnly(sheet, false);
      // A new sheet keeps a copy of what it replaces before it tries; nothing else may appear.
      std::vector<std::string> expected = before;
      if (c.args[0] == "create") expected.insert(expected.begin() + 1, "f.props.bak");
      EXPECT_EQ(FolderEntries(folder.Root()), expected);
    } else {
      EXPECT_EQ(FolderEntries(folder.Root()), before) << "nothing created";
    }
    if (c.content && std::string(c.content) != "/") {
      EXPECT_EQ(ReadBytes(sheet), old);
    }
  }
}

TEST(CliFailure, CreateInAMissingFolderIsAWriteFailure) {
  ScratchFolder folder;
  const fs::path sheet = folder.Root() / "missing" / "new.props";
  const CliRun run = RunCli({"create", Utf8(sheet), "--vs", "2013"});
  EXPECT_EQ(run.code, 3);
  EXPECT_NE(run.err.find("cannot write " + Utf8(sheet) + ": "), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(folder.Root() / "missing"));
}

TEST(CliUsage, ErrorsExitTwoAndTouchNothing) {
  std::vector<std::vector<std::string>> cases = {
      {},
      {"frobnicate", "{}"},
      {"--bogus"},
      {"get", "{}", "includes"},
      {"get", "{}", "include", "extra"},
      {"set", "{}", "include"},
      {"get", "{}", "include", "--json"},
      {"set", "{}", "include", "x", "--force"},
      {"add", "{}", "include", "x", "--vs", "2012"},
      {"show", "{}", "--bogus"},
      {"show", "{}", "--json=yes"},
      {"show", ""},
      {"show", "{}", "--platform", "x64"},
      {"get", "{}", "include", "-x"},
      {"add", "{}", "include", "a;b"},
      {"add", "{}", "include", ""},
      {"remove", "{}", "include", "a;b"},
      {"create", "{}"},
      {"create", "{}", "--vs", "2015"},
      {"create", "{}", "--vs"},
      {"create", "--vs", "2012"},
      {"create", "{}", "--vs", "2012", "--platform", "x64"},
  };
#ifndef _WIN32
  // Without a per-user MSBuild folder every command needs its sheet.
  cases.push_back({"show"});
  cases.push_back({"get", "include"});
  cases.push_back({"show", "--platform", "x64"});
#endif
  for (const auto& args : cases) {
    std::string shown;
    for (const auto& a : args) shown += "[" + a + "]";
    SCOPED_TRACE(shown);
    ScratchFolder folder;
    const fs::path sheet = folder.Path("s.props");
    const std::string old = OurSheet(Include("a;b"));
    WriteBytes(sheet, old);
    const CliRun run = RunCli(WithSheet(args, Utf8(sheet)));
    EXPECT_EQ(run.code, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("pathwright-cli: ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find("--help"), std::string::npos) << run.err;
    EXPECT_EQ(ReadBytes(sheet), old);
    EXPECT_EQ(FolderEntries(folder.Root()), std::vector<std::string>{"s.props"});
  }
}

TEST(CliUsage, HelpAndVersion) {
  CliRun run = RunCli({"--version"});
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.out, "1.1.8\n");
  EXPECT_EQ(run.err, "");
  for (const std::vector<std::string>& args : {std::vector<std::string>{"--help"}, {"-h"}, {"set", "--help"}}) {
    run = RunCli(args);
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out.rfind("Usage: pathwright-cli COMMAND", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("Exit codes:"), std::string::npos);
    EXPECT_EQ(run.err, "");
  }
}

#ifdef _WIN32
// The current user's sheets, through --platform with a name no real platform has, so the default
// Win32 sheet of the test prefix is never touched.
TEST(CliDefaultSheet, PlatformPicksTheUsersSheet) {
  wchar_t appData[MAX_PATH] = {};
  ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, appData, CSIDL_LOCAL_APPDATA, TRUE));
  const fs::path folder = fs::path(appData) / "Microsoft" / "MSBuild" / "v4.0";
  std::vector<fs::path> made;
  for (fs::path p = folder; !fs::exists(p); p = p.parent_path()) made.push_back(p);
  fs::create_directories(folder);
  const std::string platform = "PwCliTest" + std::to_string(GetCurrentProcessId());
  const fs::path sheet = folder / ("Microsoft.Cpp." + platform + ".user.props");
  WriteBytes(sheet, kNew2012);

  CliRun run = RunCli({"add", "--platform", platform, "include", "C:\\a"});
  EXPECT_EQ(run.code, 0) << run.err;
  run = RunCli({"get", "include", "--platform=" + platform});
  EXPECT_EQ(run.out, "C:\\a\n");
  run = RunCli({"show", "--platform", platform, "--json"});
  EXPECT_NE(run.out.find("\"UserInclude\": \"C:\\\\a\""), std::string::npos) << run.out;
  EXPECT_EQ(ReadBytes(sheet), OurSheet(Include("C:\\a")));

  run = RunCli({"show", "--platform", platform + "Missing"});
  EXPECT_EQ(run.code, 1);
  EXPECT_NE(run.err.find("\\Microsoft\\MSBuild\\v4.0\\Microsoft.Cpp." + platform + "Missing.user.props"),
            std::string::npos)
      << run.err;
  run = RunCli({"show", "--platform", "..\\x"});
  EXPECT_EQ(run.code, 2);

  fs::remove(sheet);
  for (const fs::path& p : made) fs::remove(p);
}
#endif

}  // namespace
}  // namespace pathwright::testing
