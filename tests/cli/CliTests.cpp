// pathwright-cli as a black box: the built program against scratch sheets, outputs and sheets compared
// byte for byte. What a save does to a sheet is the core tests' business; these test the commands.
#include <gtest/gtest.h>

#include <filesystem>

#include "CliRunner.h"
#include "TestFiles.h"

#include <chrono>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#include <shlobj.h>
#else
#include <sys/stat.h>
#include <sys/sysmacros.h>
#endif

namespace pathwright::testing {
namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

const std::string kDecl = "<?xml version=\"1.0\" encoding=\"utf-8\"?>";
std::string Open(const char* tools, const char* end = ">\n") {
  return "<Project DefaultTargets=\"Build\" ToolsVersion=\"" + std::string(tools) +
         "\" xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\"" + end;
}
const std::string kGroups = "\t<ImportGroup Label=\"PropertySheets\" />\n\t<PropertyGroup Label=\"UserMacros\" />\n";
const std::string kTail = "\t<ItemDefinitionGroup />\n\t<ItemGroup />\n";
const std::string kNew2010 = kDecl + "\n" + Open("4.0", " />\n");
const std::string kNew2012 = kDecl + "\n" + Open("4.0") + kGroups + "\t<PropertyGroup />\n" + kTail + "</Project>\n";
const std::string kNew2013 = kDecl + "\n" + Open("12.0") + kGroups + "\t<PropertyGroup />\n" + kTail + "</Project>\n";

std::string Pair(const std::string& macro, const std::string& property, const std::string& list) {
  return "\t\t<" + macro + ">" + list + "</" + macro + ">\n\t\t<" + property + ">$(" + macro + ");$(" + property +
         ")</" + property + ">\n";
}
std::string Include(const std::string& list) { return Pair("UserInclude", "IncludePath", list); }
std::string Library(const std::string& list) { return Pair("UserLibrary", "LibraryPath", list); }
// A new 2012 sheet after its first save.
std::string OurSheet(const std::string& body) {
  return kDecl + "\n" + Open("4.0") + kGroups + kTail +
         (body.empty() ? "\t<PropertyGroup />\n" : "\t<PropertyGroup>\n" + body + "\t</PropertyGroup>\n") +
         "</Project>\n";
}

// As Visual Studio's property manager leaves it: BOM, CRLF, the user's settings inline in a conditional group.
const std::string kVsSheet = "\xEF\xBB\xBF" + kDecl + "\r\n" + Open("4.0", ">\r\n") +
                             "  <PropertyGroup Condition=\"'$(Platform)'=='Win32'\">\r\n"
                             "    <IncludePath>C:\\Qt\\include;$(IncludePath)</IncludePath>\r\n"
                             "    <OutDir>$(SolutionDir)bin\\</OutDir>\r\n  </PropertyGroup>\r\n</Project>";
const std::string kQt = "\t\t<IncludePath>C:\\Qt\\include;$(IncludePath)</IncludePath>\n";
std::string VsSheetAfter(const std::string& managed) {
  return kDecl + "\n" + Open("4.0") + "\t<PropertyGroup Condition=\"'$(Platform)'=='Win32'\">\n" +
         "\t\t<OutDir>$(SolutionDir)bin\\</OutDir>\n" + managed + "\t</PropertyGroup>\n</Project>\n";
}

std::string Utf8(const fs::path& path) { const std::u8string s = path.u8string(); return {s.begin(), s.end()}; }

const std::string kNone = "(no file)", kFolder = "(a folder)";
const std::string kTricky = OurSheet(
    "\t\t<UserExecutable>C:\\bin</UserExecutable>\n"
    "\t\t<UserInclude>a\"b\\c&amp;&#9;t&#10;n&#13;r&#1;&#31;/\xC3\xA9\xF0\x9D\x84\x9E</UserInclude>\n"
    "\t\t<UserLibrary><![CDATA[<lib>]]></UserLibrary>\n");
const std::string kGood = OurSheet(Include("C:\\keep"));

// Each case runs its steps ("{}" stands for the sheet's path) and checks the last one's exit code and output, the
// sheet's bytes, its .bak and that nothing else appeared in the folder. Code 3 makes the sheet read-only first.
struct Case {
  std::string before;
  std::vector<Args> steps;
  int code;
  std::string after, out = "";
  const char *bak = nullptr, *reason = "";  // the .bak expected beside the sheet; a text within stderr
  int moreBackups = 0;                      // .bak.2 and on
};
Case Usage(const Args& args) { return {kGood, {args}, 2, kGood, "", nullptr, "--help"}; }

TEST(Cli, CommandsOnASheet) {
  const std::string bakNote = "The old file is kept as {}.bak\n", exotic = "D:\\Biblioth\xC3\xA8que\\\xF0\x9D\x84\x9E";
  const std::string shown = Include("C:\\inc;D:\\inc") + Pair("UserWPath", "LibraryWPath", "W");
  const Case cases[] = {
      // set, add and remove: load, change one list, save
      {kVsSheet, {{"add", "{}", "include", "D:\\boost"}}, 0,
       VsSheetAfter("\t\t<UserInclude>D:\\boost</UserInclude>\n"
                    "\t\t<IncludePath>$(UserInclude);C:\\Qt\\include;$(IncludePath)</IncludePath>\n")},
      {kVsSheet, {{"remove", "{}", "include", "C:\\Qt\\include"}}, 0, VsSheetAfter(kQt)},  // the inline path stays
      {OurSheet(Include("C:\\a;D:\\b;C:\\a;;E:\\c;")), {{"remove", "{}", "include", "C:\\a"}}, 0,
       OurSheet(Include("D:\\b;;E:\\c"))},
      {OurSheet(Include("C:\\a;;D:\\b;;")), {{"remove", "{}", "include", ""}}, 0, OurSheet(Include("C:\\a;D:\\b"))},
      {OurSheet(Include("C:\\a;c:\\A;C:\\ab")), {{"remove", "{}", "include", "C:\\a"}}, 0,
       OurSheet(Include("c:\\A;C:\\ab"))},
      {OurSheet(Include("C:\\a;")), {{"add", "{}", "include", "D:\\b"}}, 0, OurSheet(Include("C:\\a;D:\\b"))},
      {OurSheet(Include("C:\\a") + Library("L")), {{"set", "{}", "include", ""}, {"set", "{}", "library", "M;N;"}}, 0,
       OurSheet(Library("M;N"))},
      {kNew2012, {{"set", "{}", "winrt", "A"}, {"add", "{}", "LIBRARYWPATH", "B"}, {"add", "{}", "userwpath", "C"}}, 0,
       OurSheet(Pair("UserWPath", "LibraryWPath", "A;B;C"))},
      {kNew2012, {{"add", "{}", "include", exotic}}, 0, OurSheet(Include(exotic))},
      {kNew2012, {{"add", "{}", "include", "--", "-x"}}, 0, OurSheet(Include("-x"))},  // options end at --
      // show and get print exactly and write nothing
      {OurSheet(shown), {{"show", "{}"}}, 0, OurSheet(shown),
       "Executable Directories: \nInclude Directories: C:\\inc;D:\\inc\nReference Directories: \n"
       "Library Directories: \nLibrary WinRT Directories: W\nSource Directories: \nExclude Directories: \n"},
      {kTricky, {{"show", "--json", "{}"}}, 0, kTricky,  // JSON escapes; the rest stays UTF-8
       "{\n  \"UserExecutable\": \"C:\\\\bin\",\n"
       "  \"UserInclude\": \"a\\\"b\\\\c&\\tt\\nn\\rr\\u0001\\u001f/\xC3\xA9\xF0\x9D\x84\x9E\",\n"
       "  \"UserReference\": \"\",\n  \"UserLibrary\": \"<lib>\",\n  \"UserWPath\": \"\",\n"
       "  \"UserSource\": \"\",\n  \"UserExclude\": \"\"\n}\n"},
      {kTricky, {{"get", "{}", "UserInclude"}}, 0, kTricky, "a\"b\\c&\tt\nn\rr\x01\x1f/\xC3\xA9\xF0\x9D\x84\x9E\n"},
      {kTricky, {{"get", "{}", "library"}}, 0, kTricky, "<lib>\n"}, {kGood, {{"--version"}}, 0, kGood, "1.1.8\n"},
      {kVsSheet, {{"get", "{}", "IncludePath"}}, 0, kVsSheet, "\n"},  // the user macro only, never the inline path
      // create: a readable sheet only with --force; whatever it replaces is kept as .bak
      {kNone, {{"create", "{}", "--vs=2013"}}, 0, kNew2013},
      {kGood, {{"create", "{}", "--vs", "2012"}}, 2, kGood, "", nullptr, " is a readable sheet already; add --force"},
      {kGood, {{"create", "--force", "{}", "--vs=2013"}}, 0, kNew2013, bakNote, kGood.c_str()},
      {"not xml <", {{"create", "{}", "--vs", "2010"}}, 0, kNew2010, bakNote, "not xml <"},
      {"<Other/>", {{"create", "{}", "--vs", "2012"}}, 0, kNew2012, bakNote, "<Other/>"},
      {"garbage", {{"create", "{}", "--vs", "2012"}, {"create", "{}", "--vs", "2013", "--force"}}, 0, kNew2013,
       "The old file is kept as {}.bak.2\n", "garbage", "", 1},  // a backup is never overwritten
      // failures: 1 unreadable (never created or written), 3 unwritable (the old bytes stay)
      {kNone, {{"show", "{}"}}, 1, ""}, {kNone, {{"get", "{}", "include"}}, 1, ""}, {kFolder, {{"show", "{}"}}, 1, ""},
      {kNone, {{"set", "{}", "include", "a"}}, 1, ""}, {kNone, {{"add", "{}", "include", "a"}}, 1, ""},
      {kNone, {{"remove", "{}", "include", "a"}}, 1, ""}, {"", {{"show", "{}", "--json"}}, 1, "", "", nullptr, "empty"},
      {"<Project><x>", {{"set", "{}", "include", "a"}}, 1, "<Project><x>", "", nullptr, "not well-formed"},
      {"<Projects />", {{"add", "{}", "include", "C:\\a"}}, 1, "<Projects />", "", nullptr, "not Project"},
      {kGood, {{"set", "{}", "include", "C:\\a"}}, 3, kGood, "", nullptr, "; the file is unchanged"},
      {kGood, {{"add", "{}", "exclude", "C:\\a"}}, 3, kGood}, {kGood, {{"remove", "{}", "include", "C:\\a"}}, 3, kGood},
      {"garbage", {{"create", "{}", "--vs", "2012"}}, 3, "garbage", "", "garbage"},  // the .bak comes first
      {kNone, {{"create", "{}/missing/new.props", "--vs", "2013"}}, 3, ""},
      // usage errors: 2, and nothing touched
      Usage({}), Usage({"frobnicate", "{}"}), Usage({"--bogus"}), Usage({"get", "{}", "includes"}),
      Usage({"get", "{}", "include", "extra"}), Usage({"set", "{}", "include"}), Usage({"get", "{}", "include", "--json"}),
      Usage({"set", "{}", "include", "x", "--force"}), Usage({"add", "{}", "include", "x", "--vs", "2012"}),
      Usage({"show", "{}", "--bogus"}), Usage({"show", "{}", "--json=yes"}), Usage({"show", ""}),
      Usage({"show", "{}", "--platform", "x64"}), Usage({"get", "{}", "include", "-x"}), Usage({"add", "{}", "include", ""}),
      Usage({"add", "{}", "include", "a;b"}), Usage({"remove", "{}", "include", "a;b"}), Usage({"create", "{}"}),
      Usage({"create", "{}", "--vs", "2015"}), Usage({"create", "{}", "--vs"}), Usage({"create", "--vs", "2012"}),
      Usage({"create", "{}", "--vs", "2012", "--platform", "x64"}),
#ifndef _WIN32
      Usage({"show"}), Usage({"get", "include"}), Usage({"show", "--platform", "x64"}),  // no per-user sheet folder
      Usage({"create", "--force", "{}\xE9", "--vs", "2012"}),  // not UTF-8: never another file name
#endif
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.steps));
    ScratchFolder folder;
    const fs::path sheet = folder.Root() / fs::path(u8"Biblioth\u00e8que \u65e5\u672c.props");
    const auto withPath = [&](std::string text) {
      if (const size_t at = text.find("{}"); at != std::string::npos) text.replace(at, 2, Utf8(sheet));
      return text;
    };
    if (c.before == kFolder) fs::create_directory(sheet);
    else if (c.before != kNone) WriteBytes(sheet, c.before);
    if (c.code == 3 && c.before != kNone) fs::permissions(sheet, fs::perms::owner_read, fs::perm_options::replace);
    CliRun run;
    for (Args args : c.steps) {
      for (std::string& arg : args) arg = withPath(arg);
      run = RunCli(args);
    }
    EXPECT_EQ(run.code, c.code) << run.err;
    EXPECT_EQ(run.out, withPath(c.out));
    const std::string head = c.code == 0 ? "" : c.code == 2 ? "pathwright-cli: " :
        "pathwright-cli: cannot " + std::string(c.code == 1 ? "read " : "write ") + Utf8(sheet);
    EXPECT_EQ(c.code == 0 ? run.err : run.err.substr(0, head.size()), head);
    EXPECT_TRUE(c.code % 2 == 0 || run.err.find(": ", head.size()) < run.err.size() - 3) << "no reason: " << run.err;
    EXPECT_NE(run.err.find(c.reason), std::string::npos) << run.err;
    if (c.code == 3 && c.before != kNone) fs::permissions(sheet, fs::perms::owner_all, fs::perm_options::replace);
    EXPECT_EQ(c.before == kFolder ? "" : ReadBytes(sheet), c.after);
    EXPECT_EQ(ReadBytes(fs::path(sheet) += ".bak"), c.bak ? c.bak : "");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Root()), {}),
              (c.before != kNone || c.code == 0) + !!c.bak + c.moreBackups)
        << "nothing else appeared";
  }
  for (const Args& args : std::vector<Args>{{"--help"}, {"-h"}, {"set", "--help"}}) {
    const CliRun run = RunCli(args);
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out.substr(0, 29), "Usage: pathwright-cli COMMAND");
    EXPECT_NE(run.out.find("Exit codes:"), std::string::npos);
  }
}

// What cannot be a sheet is refused at once and stays what it is: reading a pipe would wait for a
// writer, a device would be read forever or turned into a file.
TEST(Cli, SpecialFilesAreRefusedAtOnce) {
  ScratchFolder folder;
  std::vector<std::string> specials = {Utf8(folder.Root())};
#ifdef _WIN32
  specials.insert(specials.end(), {"NUL", "COM1"});
#else
  const std::string pipe = Utf8(folder.Path("pipe")), device = Utf8(folder.Path("zero"));
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
  specials.push_back(pipe);
  if (::mknod(device.c_str(), S_IFCHR | 0644, ::makedev(1, 5)) == 0) specials.push_back(device);  // like /dev/zero
  EXPECT_EQ(RunCli({"show", "/dev/zero"}, {.timeoutSeconds = 10}).code, 1);
#endif
  const auto made = std::distance(fs::directory_iterator(folder.Root()), {});
  for (const std::string& special : specials) {
    std::error_code ignored;
    const fs::file_type type = fs::status(special, ignored).type();
    for (const Args& args : {Args{"show", special}, Args{"add", special, "include", "a"},
                             Args{"create", special, "--vs", "2012"}}) {
      const CliRun run = RunCli(args, {.timeoutSeconds = 10});
      EXPECT_EQ(run.code, 1) << special << " " << args[0] << ": " << run.err;
      EXPECT_EQ(fs::status(special, ignored).type(), type) << special;
    }
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.Root()), {}), made) << "nothing else appeared";
}

// Output that does not arrive fails the run (exit 4), and says so where standard error still works.
TEST(Cli, UnwritableOutputEndsWithCodeFour) {
  ScratchFolder folder;
  const fs::path sheet = folder.Path("s.props");
  WriteBytes(sheet, kGood);
#ifdef _WIN32
  const CliRun run = RunCli({"show", Utf8(sheet)}, {.stdoutPath = "Z:\\dev\\full"});  // Linux's device under Wine
#else
  const CliRun run = RunCli({"show", Utf8(sheet)}, {.stdoutPath = "/dev/full"});
#endif
  EXPECT_EQ(run.code, 4);
  EXPECT_NE(run.err.find("pathwright-cli: cannot write standard output: "), std::string::npos) << run.err;
}

// Two runs at once, a hundred times: each waits for the other's lock, so no entry is lost.
TEST(Cli, ConcurrentChangesAreAllKept) {
  ScratchFolder folder;
  const std::string sheet = Utf8(folder.Path("s.props"));
  WriteBytes(sheet, kNew2012);
  constexpr int kRounds = 100;
  std::string include, library;
  for (int i = 0; i < kRounds; ++i) {
    const std::string n = std::to_string(i);
    CliProcess a({"add", sheet, "include", "A" + n}), b({"add", sheet, "library", "B" + n});
    ASSERT_EQ(a.Wait() + b.Wait(), 0) << i;
    include.append(i ? ";A" : "A").append(n);
    library.append(i ? ";B" : "B").append(n);
  }
  EXPECT_EQ(RunCli({"get", sheet, "include"}).out, include + "\n");
  EXPECT_EQ(RunCli({"get", sheet, "library"}).out, library + "\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.Root()), {}), 1);
}

// A run ended while it writes leaves the old or the new sheet and no temporary file.
TEST(Cli, InterruptedWriteLeavesNoTemporaryFile) {
  ScratchFolder folder;
  const fs::path sheet = folder.Path("s.props");
  std::string big;
  while (big.size() < (40u << 20)) big += "C:\\a\\rather\\long\\folder\\name;";
  WriteBytes(sheet, OurSheet(Include(big)));
  const auto temporary = [&] {  // "s.props.pathwright-" and six characters; the lock file's name is shorter
    for (const auto& entry : fs::directory_iterator(folder.Root())) {
      if (Utf8(entry.path().filename()).size() == 25) return true;
    }
    return false;
  };
  CliProcess run({"add", Utf8(sheet), "include", "D:\\new"});
  bool seen = false;
  for (int i = 0; i < 20000 && !(seen = temporary()); ++i) std::this_thread::sleep_for(std::chrono::microseconds(500));
  run.Interrupt();
  run.Wait();
  if (!seen) GTEST_SKIP() << "the write ended before it could be interrupted";
  EXPECT_FALSE(temporary());
  EXPECT_GE(fs::file_size(sheet), big.size());
}

#ifdef _WIN32
// The current user's sheet through --platform, with a name no real platform has.
TEST(Cli, PlatformPicksTheUsersSheet) {
  wchar_t appData[MAX_PATH] = {};
  ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, appData, CSIDL_LOCAL_APPDATA, TRUE));
  const std::string platform = "PwCliTest" + std::to_string(GetCurrentProcessId());
  const std::string name = "\\Microsoft\\MSBuild\\v4.0\\Microsoft.Cpp." + platform + ".user.props";
  const fs::path sheet = appData + std::wstring(name.begin(), name.end());
  fs::create_directories(sheet.parent_path());
  WriteBytes(sheet, kNew2012);
  EXPECT_EQ(RunCli({"add", "--platform", platform, "include", "C:\\a"}).code, 0);
  EXPECT_EQ(RunCli({"get", "include", "--platform=" + platform}).out, "C:\\a\n");
  EXPECT_EQ(ReadBytes(sheet), OurSheet(Include("C:\\a")));
  fs::remove(sheet);
  const CliRun missing = RunCli({"show", "--platform", platform});
  EXPECT_TRUE(missing.code == 1 && missing.err.find(name) != std::string::npos) << missing.code << missing.err;
  EXPECT_EQ(RunCli({"show", "--platform", "..\\x"}).code, 2);
}
#endif

}  // namespace
}  // namespace pathwright::testing
