// pathwright-cli as a black box: the built program against scratch sheets, outputs and sheets compared
// byte for byte. What a save does to a sheet is the core tests' business; these test the commands.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <memory>
#include <optional>
#include <thread>

#include "CliRunner.h"
#include "base/Utf8.h"
#include "base/Version.h"
#include "model/EditSession.h"
#include "support/Files.h"
#include "support/Sheets.h"

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

std::string Library(const std::string& list) { return Kind("UserLibrary", "LibraryPath", list); }
std::string Utf8(const fs::path& path) {
  const std::u8string s = path.u8string();
  return {s.begin(), s.end()};
}

const std::string kNone = "(no file)";
const std::string kGood = SavedSheet(Include("C:\\keep"));
const std::string kTricky = SavedSheet(
    "\t\t<UserExecutable>C:\\bin</UserExecutable>\n"
    "\t\t<UserInclude>a\"b\\c&amp;&#9;t&#10;n&#13;r&#1;&#31;/\xC3\xA9\xF0\x9D\x84\x9E</UserInclude>\n"
    "\t\t<UserLibrary><![CDATA[<lib>]]></UserLibrary>\n");
// The same sheet as another program lays it out: a save of ours would change its bytes.
const std::string kSpaced = [] {
  std::string text = kGood;
  for (size_t at; (at = text.find('\t')) != std::string::npos;) text.replace(at, 1, "  ");
  return text;
}();
const std::string kBakNote = "The old file is kept as {}.bak\n";

// The steps run in turn against one sheet; "{}" in an argument or a text stands for its path. The last
// step's exit code and outputs are checked, then the sheet, its .bak and that nothing else appeared.
struct Row {
  const char* name;
  std::string before = kGood;  // the sheet's bytes; kNone: no file
  std::vector<Args> steps = {};
  int code = 0;
  std::optional<std::string> after = {};  // the sheet's bytes afterwards; none: as before
  std::string out = "";                   // standard output, exactly
  std::string reason = "";                // a text within standard error; all of it after a success
  std::optional<std::string> bak = {};    // the .bak beside the sheet; none: no .bak
  bool readOnly = false;                  // the sheet is made read-only first, so a write fails
};

void Check(const Row& row) {
  SCOPED_TRACE(row.name);
  ScratchFolder folder;
  const fs::path sheet = folder.Root() / fs::path(u8"Biblioth\u00e8que \u65e5\u672c.props");
  const auto withPath = [&](std::string text) {
    if (const size_t at = text.find("{}"); at != std::string::npos) text.replace(at, 2, Utf8(sheet));
    return text;
  };
  if (row.before != kNone) WriteBytes(sheet, row.before);
  if (row.readOnly) fs::permissions(sheet, fs::perms::owner_read, fs::perm_options::replace);
  CliRun run;
  for (Args args : row.steps) {
    for (std::string& arg : args) arg = withPath(arg);
    run = RunCli(args);
  }
  if (row.readOnly) fs::permissions(sheet, fs::perms::owner_all, fs::perm_options::replace);
  EXPECT_EQ(run.code, row.code) << run.err;
  EXPECT_EQ(run.out, withPath(row.out));
  // A failure names the sheet, then the reason.
  std::string head = row.code == 0 ? "" : "pathwright-cli: ";
  if (row.code % 2) head += (row.code == 1 ? "cannot read " : "cannot write ") + Utf8(sheet);
  EXPECT_EQ(row.code == 0 ? run.err : run.err.substr(0, head.size()), row.code == 0 ? withPath(row.reason) : head);
  EXPECT_TRUE(row.code % 2 == 0 || run.err.find(": ", head.size()) + 3 < run.err.size()) << "no reason: " << run.err;
  EXPECT_NE(run.err.find(withPath(row.reason)), std::string::npos) << run.err;
  EXPECT_EQ(ReadBytes(sheet), row.after.value_or(row.before == kNone ? "" : row.before));
  EXPECT_EQ(ReadBytes(fs::path(sheet) += ".bak"), row.bak.value_or(""));
  const bool sheetThere = row.before != kNone || row.code == 0;
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.Root()), {}),
            sheetThere + row.bak.has_value())
      << "nothing else appeared";
}

TEST(Cli, Set) {
  const Row rows[] = {
      {.name = "an empty LIST empties a list, a final ; goes",
       .before = SavedSheet(Include("C:\\a") + Library("L")),
       .steps = {{"set", "{}", "include", ""}, {"set", "{}", "library", "M;N;"}},
       .after = SavedSheet(Library("M;N"))},
      {.name = "no sheet: nothing created", .before = kNone, .steps = {{"set", "{}", "include", "a"}}, .code = 1},
      {.name = "a character its 8-bit encoding lacks: written as UTF-8, and told",
       .before = "<?xml version='1.0' encoding='ISO-8859-1'?>\n<Project>\n\t<PropertyGroup />\n</Project>\n",
       .steps = {{"set", "{}", "include", "C:\\\xE2\x82\xAC"}},
       .after = "<?xml version='1.0' encoding='utf-8'?>\n<Project>\n" + Group(Include("C:\\\xE2\x82\xAC")) + kTail,
       .reason = "pathwright-cli: {}: its 8-bit encoding cannot hold a new character, so it is now written as UTF-8\n"},
      {.name = "damaged sheet",
       .before = "<Project><x>",
       .steps = {{"set", "{}", "include", "a"}},
       .code = 1,
       .reason = "not well-formed"},
      {.name = "read-only sheet",
       .steps = {{"set", "{}", "include", "C:\\a"}},
       .code = 3,
       .reason = "; the file is unchanged",
       .readOnly = true},
      {.name = "a character MSBuild refuses",
       .steps = {{"set", "{}", "include",
                  "C:\\a\x01"
                  "b"}},
       .code = 2,
       .reason = "UserInclude would hold a character XML does not allow (U+0001 at position 5)"},
  };
  for (const Row& row : rows) Check(row);
}

TEST(Cli, Add) {
  const std::string exotic = "D:\\Biblioth\xC3\xA8que\\\xF0\x9D\x84\x9E";
  const Row rows[] = {
      {.name = "characters beyond ASCII",
       .before = NewSheet(2012),
       .steps = {{"add", "{}", "include", exotic}},
       .after = SavedSheet(Include(exotic))},
      {.name = "a folder already there, as Windows compares folders: nothing is written",
       .before = kSpaced,
       .steps = {{"add", "{}", "include", "c:/KEEP/"}}},
      {.name = "after --, an ENTRY may begin with -",
       .before = NewSheet(2012),
       .steps = {{"add", "{}", "include", "--", "-x"}},
       .after = SavedSheet(Include("-x"))},
  };
  for (const Row& row : rows) Check(row);
}

TEST(Cli, Remove) {
  const Row rows[] = {
      {.name = "every equal entry goes, empty ones stay",
       .before = SavedSheet(Include("C:\\a;D:\\b;C:\\a;;E:\\c;")),
       .steps = {{"remove", "{}", "include", "C:\\a"}},
       .after = SavedSheet(Include("D:\\b;;E:\\c"))},
      {.name = "an entry that is not there: nothing is written",
       .before = kSpaced,
       .steps = {{"remove", "{}", "include", "C:\\kee"}}},
  };
  for (const Row& row : rows) Check(row);
}

// kGood padded with line breaks after its end to the largest size a sheet may have.
const std::string kSized64 = kGood + std::string((64u << 20) - kGood.size(), '\n');

TEST(Cli, Show) {
  const std::string shown = Include("C:\\inc;D:\\inc") + Kind("UserWPath", "LibraryWPath", "W");
  const Row rows[] = {
      {.name = "one line per kind",
       .before = SavedSheet(shown),
       .steps = {{"show", "{}"}},
       .out = "Executable Directories: \nInclude Directories: C:\\inc;D:\\inc\nReference Directories: \n"
              "Library Directories: \nLibrary WinRT Directories: W\nSource Directories: \nExclude Directories: \n"},
      {.name = "JSON escapes, the rest stays UTF-8",
       .before = kTricky,
       .steps = {{"show", "--json", "{}"}},
       .out = "{\n  \"UserExecutable\": \"C:\\\\bin\",\n"
              "  \"UserInclude\": \"a\\\"b\\\\c&\\tt\\nn\\rr\\u0001\\u001f/\xC3\xA9\xF0\x9D\x84\x9E\",\n"
              "  \"UserReference\": \"\",\n  \"UserLibrary\": \"<lib>\",\n  \"UserWPath\": \"\",\n"
              "  \"UserSource\": \"\",\n  \"UserExclude\": \"\"\n}\n"},
      {.name = "no sheet", .before = kNone, .steps = {{"show", "{}"}}, .code = 1},
      {.name = "a sheet of exactly 64 MB is read",
       .before = kSized64,
       .steps = {{"get", "{}", "include"}},
       .out = "C:\\keep\n"},
      {.name = "one byte more is refused unread, with its size",
       .before = kSized64 + "\n",
       .steps = {{"get", "{}", "include"}},
       .code = 1,
       .reason = "has 67108865 bytes"},
  };
  for (const Row& row : rows) Check(row);
}

TEST(Cli, Get) {
  const Row rows[] = {
      {.name = "text as it stands",
       .before = kTricky,
       .steps = {{"get", "{}", "UserInclude"}},
       .out = "a\"b\\c&\tt\nn\rr\x01\x1f/\xC3\xA9\xF0\x9D\x84\x9E\n"},
      {.name = "a path property names the user list", .steps = {{"get", "{}", "IncludePath"}}, .out = "C:\\keep\n"},
  };
  for (const Row& row : rows) Check(row);
}

// A readable sheet is replaced only with --force; whatever is replaced is kept as .bak first.
TEST(Cli, Create) {
  const Row rows[] = {
      {.name = "new file", .before = kNone, .steps = {{"create", "{}", "--vs=2013"}}, .after = NewSheet(2013)},
      {.name = "readable sheet without --force",
       .steps = {{"create", "{}", "--vs", "2012"}},
       .code = 2,
       .reason = " is a readable sheet already; add --force"},
      {.name = "readable sheet with --force",
       .steps = {{"create", "--force", "{}", "--vs=2013"}},
       .after = NewSheet(2013),
       .out = kBakNote,
       .bak = kGood},
      {.name = "read-only: the .bak comes first",
       .before = "garbage",
       .steps = {{"create", "{}", "--vs", "2012"}},
       .code = 3,
       .bak = "garbage",
       .readOnly = true},
      {.name = "missing folders are made",
       .before = kNone,
       .steps = {{"create", "{}/missing/new.props", "--vs", "2013"}, {"get", "{}/missing/new.props", "include"}},
       .out = "\n"},
      {.name = "a file stands where a folder must go",
       .steps = {{"create", "{}/sub/new.props", "--vs", "2013"}},
       .code = 3},
  };
  for (const Row& row : rows) Check(row);
}

// Exit code 2 and nothing touched.
TEST(Cli, UsageErrors) {
  const std::pair<const char*, Args> rows[] = {
      {"no command", {}},
      {"unknown command", {"frobnicate", "{}"}},
      {"unknown option", {"--bogus"}},
      {"unknown kind", {"get", "{}", "includes"}},
      {"a word too many", {"get", "{}", "include", "extra"}},
      {"a word too few", {"set", "{}", "include"}},
      {"--json off show", {"get", "{}", "include", "--json"}},
      {"--force off create", {"set", "{}", "include", "x", "--force"}},
      {"--vs off create", {"add", "{}", "include", "x", "--vs", "2012"}},
      {"unknown option after", {"show", "{}", "--bogus"}},
      {"--json with a value", {"show", "{}", "--json=yes"}},
      {"empty SHEET", {"show", ""}},
      {"--platform with SHEET", {"show", "{}", "--platform", "x64"}},
      {"option before --", {"get", "{}", "include", "-x"}},
      {"empty ENTRY to add", {"add", "{}", "include", ""}},
      {"; in ENTRY to add", {"add", "{}", "include", "a;b"}},
      {"; in ENTRY to remove", {"remove", "{}", "include", "a;b"}},
      {"create without --vs", {"create", "{}"}},
      {"unknown version", {"create", "{}", "--vs", "2015"}},
      {"--vs without a value", {"create", "{}", "--vs"}},
      {"create with --platform", {"create", "{}", "--vs", "2012", "--platform", "x64"}},
      {"--dry-run off apply", {"check", "{}", "--dry-run"}},
      {"--output off export", {"show", "{}", "--output", "{}.json"}},
      {"help of an unknown command", {"help", "frobnicate"}},
      {"a platform name with a blank", {"show", "--folder", "{}", "--platform", "x 64"}},
      {"a platform name with a line break", {"get", "--folder", "{}", "--platform", "x\n64", "include"}},
#ifndef _WIN32  // no per-user sheet folder
      {"show without SHEET", {"show"}},
      {"get without SHEET", {"get", "include"}},
      {"--platform without a user folder", {"show", "--platform", "x64"}},
      {"create without SHEET", {"create", "--vs", "2012"}},
      {"a name that is not UTF-8, never another name", {"create", "--force", "{}\xE9", "--vs", "2012"}},
#endif
  };
  for (const auto& [name, args] : rows) { Check({.name = name, .steps = {args}, .code = 2, .reason = "--help"}); }
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
    for (const Args& args :
         {Args{"show", special}, Args{"add", special, "include", "a"}, Args{"create", special, "--vs", "2012"}}) {
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

// Writers of every kind at once, each a process of its own, where the sheet (and its folder) may not
// exist yet: each waits for the others' lock, the sheet is made once, a create without --force refuses
// one made meanwhile, and every entry of every run that succeeded is in the sheet at the end.
TEST(Cli, ConcurrentChangesAreAllKept) {
  enum class Writer { kApply, kCreate, kAdd, kSet };
  using enum Writer;
  const struct {
    const char* name;
    std::vector<Writer> writers;
    bool sheetFirst = false;  // the sheet is there before they start
    int rounds = 6;
  } rows[] = {
      {.name = "two adds on a sheet", .writers = {kAdd, kAdd}, .sheetFirst = true, .rounds = 40},
      {.name = "four applies", .writers = {kApply, kApply, kApply, kApply}},
      {.name = "four creates", .writers = {kCreate, kCreate, kCreate, kCreate}},
      {.name = "two creates and two adds", .writers = {kCreate, kAdd, kCreate, kAdd}},
      {.name = "one of each kind", .writers = {kApply, kCreate, kAdd, kSet}},
      {.name = "four sets and applies on a sheet", .writers = {kSet, kApply, kSet, kApply}, .sheetFirst = true},
  };
  for (const auto& row : rows) {
#ifdef _WIN32
    const int rounds = (row.rounds + 3) / 4;  // a process starts far slower under Wine
#else
    const int rounds = row.rounds;
#endif
    for (int round = 0; round < rounds; ++round) {
      SCOPED_TRACE(std::string(row.name) + ", round " + std::to_string(round));
      ScratchFolder folder;
      const fs::path msb = folder.Path("msb"), sheet = msb / "Microsoft.Cpp.Win32.user.props";
      if (row.sheetFirst) {
        fs::create_directories(msb);
        WriteBytes(sheet, NewSheet(2012));
      }
      std::vector<std::pair<int, std::string>> entries;  // kind and entry of each writer
      std::vector<std::unique_ptr<CliProcess>> runs;
      for (size_t i = 0; i < row.writers.size(); ++i) {
        const std::string entry = "C:\\w" + std::to_string(i);
        const int setKind = std::array{0, 2, 5, 6}[i];  // each set its own list
        switch (row.writers[i]) {
          case kApply: {
            const fs::path config = folder.Path("c" + std::to_string(i) + ".json");
            WriteBytes(config, R"({"platforms": {"Win32": {"include": ["C:\\w)" + std::to_string(i) + "\"]}}}");
            runs.push_back(std::make_unique<CliProcess>(Args{"apply", "--folder", Utf8(msb), Utf8(config)}));
            entries.emplace_back(1, entry);
            break;
          }
          case kCreate:
            runs.push_back(std::make_unique<CliProcess>(Args{"create", Utf8(sheet), "--vs", "2013"}));
            entries.emplace_back(-1, "");
            break;
          case kAdd:
            runs.push_back(std::make_unique<CliProcess>(Args{"add", Utf8(sheet), "library", entry}));
            entries.emplace_back(3, entry);
            break;
          case kSet:
            runs.push_back(std::make_unique<CliProcess>(
                Args{"set", Utf8(sheet), EncodeUtf8(kUserMacros[setKind]), entry}));
            entries.emplace_back(setKind, entry);
            break;
        }
      }
      SheetSnapshot after;
      std::vector<int> codes;
      for (auto& run : runs) codes.push_back(run->Wait());
      ReadSheet(sheet.wstring(), after);
      int made = 0;
      for (size_t i = 0; i < runs.size(); ++i) {
        const Writer writer = row.writers[i];
        // A create refuses a sheet made meanwhile (2); an add or a set finds none yet (1).
        const int refusal = writer == kCreate ? 2 : writer == kApply ? 0 : 1;
        EXPECT_TRUE(codes[i] == 0 || codes[i] == refusal) << "writer " << i << " exited " << codes[i];
        made += writer == kCreate && codes[i] == 0;
        if (codes[i] != 0 || entries[i].first < 0) continue;
        const std::wstring list = L";" + after.lists[entries[i].first] + L";";
        EXPECT_NE(list.find(L";" + DecodeUtf8(entries[i].second) + L";"), std::wstring::npos)
            << "writer " << i << " lost " << entries[i].second << " from " << EncodeUtf8(list);
      }
      EXPECT_LE(made, row.sheetFirst ? 0 : 1) << "the sheet is made once";
      EXPECT_EQ(std::distance(fs::directory_iterator(msb), {}), 1) << "the sheet alone, no backup, no lock";
    }
  }
}

// A run ended while it writes, by any of the signals that end a terminal's programs, leaves the old or
// the new sheet, no temporary file and no lock file.
TEST(Cli, InterruptedWriteLeavesNoTemporaryFile) {
#ifdef _WIN32
  const int signals[] = {SIGINT};  // ended as a killed process, whatever the signal
#else
  const int signals[] = {SIGINT, SIGTERM, SIGHUP};
#endif
  std::string big;
  while (big.size() < (40u << 20)) big += "C:\\a\\rather\\long\\folder\\name;";
  for (const int signal : signals) {
    SCOPED_TRACE(signal);
    ScratchFolder folder;
    const fs::path sheet = folder.Path("s.props");
    WriteBytes(sheet, SavedSheet(Include(big)));
    const auto writing = [&] {  // a file beside the sheet is being filled (a lock file stays empty)
      for (const auto& entry : fs::directory_iterator(folder.Root())) {
        std::error_code gone;
        const auto size = fs::file_size(entry.path(), gone);
        if (entry.path() != sheet && !gone && size > 0) return true;
      }
      return false;
    };
    CliProcess run({"add", Utf8(sheet), "include", "D:\\new"});
    bool seen = false;
    for (int i = 0; i < 20000 && !(seen = writing()); ++i) std::this_thread::sleep_for(std::chrono::microseconds(500));
    run.Interrupt(signal);
    run.Wait();
    if (!seen) GTEST_SKIP() << "the write ended before it could be interrupted";
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Root()), {}), 1) << "only the sheet is left";
    EXPECT_GE(fs::file_size(sheet), big.size());
  }
}

// check, doctor, apply and export on a folder of sheets, {msb}: {sheet} is its Win32 sheet, {x64} its x64 sheet,
// {inc} a folder that exists, {config} the file written from `config`, {fresh} a folder that does not exist. The last
// step's code and output are checked, then the Win32 sheet.
struct SetupRow {
  const char* name;
  std::vector<std::string> sheets = {};  // Win32, then x64
  std::vector<Args> steps = {};
  int code = 0;
  std::optional<std::string> out = {};  // standard output, exactly; none: not looked at
  std::string config = "";
  std::optional<std::string> after = {};  // the Win32 sheet afterwards; none: as before
};

void Check(const SetupRow& row) {
  SCOPED_TRACE(row.name);
  ScratchFolder folder;
  const fs::path msb = folder.Path("msb"), sheet = msb / "Microsoft.Cpp.Win32.user.props";
  fs::create_directories(msb);
  fs::create_directories(folder.Path("inc"));
  const auto expand = [&](std::string text, bool json = false) {
    const std::pair<std::string, fs::path> names[] = {{"{msb}", msb},
                                                      {"{inc}", folder.Path("inc")},
                                                      {"{sheet}", sheet},
                                                      {"{x64}", msb / "Microsoft.Cpp.x64.user.props"},
                                                      {"{config}", folder.Path("team.json")},
                                                      {"{fresh}", folder.Path("fresh")}};
    for (const auto& [name, path] : names) {
      std::string value;
      for (const char c : Utf8(path)) value += json && c == '\\' ? std::string(2, c) : std::string(1, c);
      for (size_t at; (at = text.find(name)) != std::string::npos;) text.replace(at, name.size(), value);
    }
    return text;
  };
  for (size_t i = 0; i < row.sheets.size(); ++i) {
    WriteBytes(msb / (i == 0 ? "Microsoft.Cpp.Win32.user.props" : "Microsoft.Cpp.x64.user.props"),
               expand(row.sheets[i]));
  }
  WriteBytes(folder.Path("team.json"), expand(row.config, true));
  CliRun run;
  for (Args args : row.steps) {
    for (std::string& arg : args) arg = expand(arg);
    run = RunCli(args);
  }
  EXPECT_EQ(run.code, row.code) << run.out << run.err;
  if (row.out) { EXPECT_EQ(run.out, expand(*row.out, row.out->starts_with("{\n") || row.out->starts_with('['))); }
  EXPECT_EQ(run.err.empty(), row.code == 0 || row.code >= 5) << run.err;
  EXPECT_EQ(ReadBytes(sheet), expand(row.after.value_or(row.sheets.empty() ? "" : row.sheets[0])));
}

const std::string kFixtures = PATHWRIGHT_SOURCE_DIR "/tests/fixtures/projects/";
const std::string kInc = SavedSheet(Include("{inc}"));

TEST(Cli, Check) {
  const SetupRow rows[] = {
      {.name = "all well",
       .sheets = {kInc},
       .steps = {{"check", "--folder", "{msb}"}},
       .out = "ok         UserInclude {inc} (list)\nide        UserInclude $(IncludePath) (inherited)\n"
              "2 entries, 0 problems\n"},
      {.name = "problems first",
       .sheets = {SavedSheet(Include("{inc};%X%\\y"))},
       .steps = {{"check", "--folder", "{msb}"}},
       .code = 5,
       .out = "percent    UserInclude %X%\\y (list)\nok         UserInclude {inc} (list)\n"
              "ide        UserInclude $(IncludePath) (inherited)\n3 entries, 1 problem\n"},
      {.name = "JSON",
       .sheets = {kInc},
       .steps = {{"check", "{sheet}", "--json"}},
       .out = "{\n  \"sheet\": \"{sheet}\",\n  \"entries\": [\n    {\n      \"kind\": \"UserInclude\",\n      "
              "\"entry\": \"{inc}\",\n"
              "      \"source\": \"list\",\n      \"expanded\": \"{inc}\",\n      \"status\": \"ok\"\n    },\n"
              "    {\n      \"kind\": \"UserInclude\",\n      \"entry\": \"$(IncludePath)\",\n"
              "      \"source\": \"inherited\",\n      \"expanded\": \"$(IncludePath)\",\n      \"status\": \"ide\"\n"
              "    }\n  ],\n  \"problems\": 0\n}\n"},
      {.name = "a macro no path property uses, as JSON",
       .sheets = {SavedSheet("\t\t<UserLibrary>{inc}</UserLibrary>\n")},
       .steps = {{"check", "{sheet}", "--json"}},
       .code = 5,
       .out = "{\n  \"sheet\": \"{sheet}\",\n  \"entries\": [\n    {\n      \"kind\": \"UserLibrary\",\n      "
              "\"entry\": \"{inc}\",\n      \"source\": \"list\",\n      \"expanded\": \"{inc}\",\n"
              "      \"status\": \"unused\",\n      \"note\": \"defined, but LibraryPath does not use it\"\n    }\n"
              "  ],\n  \"problems\": 1\n}\n"},
      {.name = "every sheet",
       .sheets = {NewSheet(2012), NewSheet(2012)},
       .steps = {{"check", "--folder", "{msb}", "--platform", "all"}},
       .out = "== {sheet}\n0 entries, 0 problems\n== {x64}\n0 entries, 0 problems\n"},
      {.name = "no sheet", .steps = {{"check", "--folder", "{msb}"}}, .code = 1},
      {.name = "every sheet as a JSON array",
       .sheets = {NewSheet(2012), NewSheet(2012)},
       .steps = {{"check", "--folder={msb}", "--platform=all", "--json"}},
       .out = "[\n  {\n    \"sheet\": \"{sheet}\",\n    \"entries\": [],\n    \"problems\": 0\n  },\n"
              "  {\n    \"sheet\": \"{x64}\",\n    \"entries\": [],\n    \"problems\": 0\n  }\n]\n"},
  };
  for (const SetupRow& row : rows) Check(row);
}

TEST(Cli, Doctor) {
  const SetupRow rows[] = {
      {.name = "IDE project and its sheet",
       .sheets = {kInc},
       .steps = {{"doctor", "--folder", "{msb}", kFixtures + "ide2010.vcxproj"}},
       .out = "Win32 (Debug, Release): ok, imports {sheet}\n"},
      {.name = "CMake's own sheet in its place",
       .sheets = {kInc},
       .steps = {{"doctor", "--folder", "{msb}", kFixtures + "cmake-user-props.vcxproj"}},
       .code = 5},
      {.name = "a project that sets UserRootDir",
       .sheets = {kInc, kInc},
       .steps = {{"doctor", "--folder", "{msb}", kFixtures + "userrootdir.vcxproj"}},
       .code = 5,
       .out = "x64 (Debug): 1 problem\n  the per-user sheet is not imported; the project sets UserRootDir itself and "
              "imports C:\\BuildTools\\props\\Microsoft.Cpp.x64.user.props instead\n"},
      {.name = "a solution",
       .sheets = {kInc},
       .steps = {{"doctor", "--folder", "{msb}", kFixtures + "two.sln", "--json"}},
       .code = 5},
      {.name = "no project",
       .sheets = {kInc},
       .steps = {{"doctor", "--folder", "{msb}", kFixtures + "none.vcxproj"}},
       .code = 1},
  };
  for (const SetupRow& row : rows) Check(row);
}

// A config padded with blanks to the largest size one may have.
const std::string kTeam16 = [] {
  const std::string team = R"({"platforms": {"Win32": {"include": ["C:\\n"]}}})";
  return team + std::string((16u << 20) - team.size(), ' ');
}();

TEST(Cli, Apply) {
  const std::string team = R"({"platforms": {"Win32": {"include": ["{inc}", "C:\\n"]}}})";
  const std::string applied = SavedSheet(Include("{inc};C:\\n"));
  const SetupRow rows[] = {
      {.name = "dry run: nothing written",
       .sheets = {kInc},
       .steps = {{"apply", "--folder", "{msb}", "{config}", "--dry-run"}},
       .code = 6,
       .out = "Win32 include: + C:\\n\n",
       .config = team},
      {.name = "twice: the second run has nothing to do",
       .sheets = {kInc},
       .steps = {{"apply", "--folder", "{msb}", "{config}"}, {"apply", "--folder", "{msb}", "{config}"}},
       .out = "",
       .config = team,
       .after = applied},
      {.name = "nothing to change",
       .sheets = {applied},
       .steps = {{"apply", "--dry-run", "--folder", "{msb}", "{config}"}},
       .out = "",
       .config = team},
      {.name = "malformed",
       .sheets = {kInc},
       .steps = {{"apply", "--folder", "{msb}", "{config}"}},
       .code = 2,
       .config = "{\"platforms\":\n {,}}"},
      {.name = "unknown KIND",
       .sheets = {kInc},
       .steps = {{"apply", "--folder", "{msb}", "{config}"}},
       .code = 2,
       .config = R"({"platforms": {"x64": {"inc": []}}})"},
      {.name = "a folder for a new sheet that cannot be made is told",
       .steps = {{"apply", "--folder", "{config}/msb", "{config}"}},
       .code = 3,
       .config = team},
      {.name = "ensure keeps what else the list holds, adds an entry given twice once, and exits 0",
       .sheets = {SavedSheet(Include("C:\\old"))},
       .steps = {{"apply", "--folder", "{msb}", "{config}"}},
       .out = "Win32 include: + {inc}\n",
       .config = R"({"platforms": {"Win32": {"include": ["{inc}", "{inc}"]}}})",
       .after = SavedSheet(Include("C:\\old;{inc}"))},
      {.name = "exact drops what the file does not name",
       .sheets = {SavedSheet(Include("C:\\old;{inc}"))},
       .steps = {{"apply", "--folder", "{msb}", "{config}"}},
       .out = "Win32 include: - C:\\old\n",
       .config = R"({"mode": "exact", "platforms": {"Win32": {"include": ["{inc}"]}}})",
       .after = SavedSheet(Include("{inc}"))},
      {.name = "a new sheet made without --dry-run exits 0",
       .sheets = {kInc},
       .steps = {{"apply", "--folder", "{msb}", "{config}"}},
       .out = "x64: new sheet {x64}\nx64 include: + {inc}\n",
       .config = R"({"platforms": {"x64": {"include": ["{inc}"]}}})"},
      {.name = "a config of exactly 16 MB is read",
       .sheets = {kInc},
       .steps = {{"apply", "--folder", "{msb}", "{config}"}},
       .out = "Win32 include: + C:\\n\n",
       .config = kTeam16,
       .after = applied},
      {.name = "one byte more is refused unread",
       .sheets = {kInc},
       .steps = {{"apply", "--folder", "{msb}", "{config}"}},
       .code = 1,
       .out = "",
       .config = kTeam16 + " "},
  };
  for (const SetupRow& row : rows) Check(row);
}

// The whole config is checked before anything is printed or written: the Win32 part is good, the
// fault is in a later one, and the sheet stays as it was.
TEST(Cli, ApplyRefusesAnyFaultOfTheConfig) {
  const auto config = [](const std::string& x64) {
    return R"({"platforms": {"Win32": {"include": ["C:\\n"]}, )" + x64 + "}}";
  };
  const std::pair<const char*, std::string> rows[] = {
      {"a key given twice", R"({"mode": "exact", "platforms": {"Win32": {"include": ["C:\\n"]}}, "mode": "ensure"})"},
      {"characters check calls invalid", config(R"("x64": {"include": ["C:\\a<b>|*?"]})")},
      {"a character XML does not allow", config(R"("x64": {"include": ["C:\\a\u0001"]})")},
      {"a platform name with a blank", config(R"("x 64": {"include": ["C:\\a"]})")},
      {"a platform name with a NUL", config(R"("x\u000064": {"include": ["C:\\a"]})")},
      {"one platform twice in other letter case", config(R"("WIN32": {"include": ["C:\\a"]})")},
      {"one list under two names", config(R"("x64": {"include": ["C:\\a"], "UserInclude": ["C:\\b"]})")},
      {"an entry that is no string", config(R"("x64": {"include": [1]})")},
      {"nested 100000 deep", config(R"("x64": {"include": )" + std::string(100000, '[') + "]}")},
  };
  for (const auto& [name, text] : rows) {
    Check(SetupRow{.name = name,
                   .sheets = {kInc},
                   .steps = {{"apply", "--folder", "{msb}", "{config}"}},
                   .code = 2,
                   .out = "",
                   .config = text});
  }
}

// --platform all: each sheet handled and reported on its own, the exit code the worst of them. The
// Win32 sheet cannot be read; the x64 sheet is handled all the same.
TEST(Cli, EverySheetOfAFolder) {
  const std::string damaged = "<Project><x>";
  const SetupRow rows[] = {
      {.name = "add: one line per sheet written, the unreadable one on standard error",
       .sheets = {damaged, NewSheet(2012)},
       .steps = {{"add", "--folder", "{msb}", "--platform", "all", "include", "C:\\a"}},
       .code = 1,
       .out = "{x64}: done\n"},
      {.name = "then the x64 sheet holds it",
       .sheets = {damaged, NewSheet(2012)},
       .steps = {{"add", "--folder", "{msb}", "--platform", "all", "include", "C:\\a"},
                 {"show", "--folder", "{msb}", "--platform", "all", "--json"}},
       .code = 1,
       .out = "[\n  {\n    \"sheet\": \"{x64}\",\n    \"UserExecutable\": \"\",\n    \"UserInclude\": \"C:\\\\a\",\n"
              "    \"UserReference\": \"\",\n    \"UserLibrary\": \"\",\n    \"UserWPath\": \"\",\n"
              "    \"UserSource\": \"\",\n    \"UserExclude\": \"\"\n  }\n]\n"},
  };
  for (const SetupRow& row : rows) Check(row);
}

TEST(Cli, Export) {
  const std::string win32 = SavedSheet(Include("{inc};$(BOOST_ROOT)\\x;D:\\Biblioth\xC3\xA8que") + Library("L"));
  const std::string x64 = SavedSheet(Kind("UserExclude", "ExcludePath", "C:\\gen"));
  const std::string exported = R"({
  "mode": "ensure",
  "platforms": {
    "Win32": {
      "UserInclude": [
        "{inc}",
        "$(BOOST_ROOT)\\x",
        "D:\\Biblioth)"
                               "\xC3\xA8"
                               R"(que"
      ],
      "UserLibrary": [
        "L"
      ]
    },
    "x64": {
      "UserExclude": [
        "C:\\gen"
      ]
    }
  }
}
)";
  const SetupRow rows[] = {
      {.name = "applied where there are no sheets, the same lists come out",
       .sheets = {win32, x64},
       .steps = {{"export", "--folder", "{msb}", "--output", "{config}"},
                 {"apply", "--folder", "{fresh}", "{config}"},
                 {"export", "--folder", "{fresh}"}},
       .out = exported},
      {.name = "applied where it came from, nothing would change; an empty entry, which apply refuses, is left out",
       .sheets = {SavedSheet(Include("{inc};;C:\\n")), x64},
       .steps = {{"export", "--folder={msb}", "--output={config}"},
                 {"apply", "--dry-run", "--folder", "{msb}", "{config}"}},
       .out = ""},
      {.name = "one platform, with no lists",
       .sheets = {kInc, NewSheet(2013)},
       .steps = {{"export", "--folder", "{msb}", "--platform", "x64"}},
       .out = "{\n  \"mode\": \"ensure\",\n  \"platforms\": {\n    \"x64\": {}\n  }\n}\n"},
      {.name = "an unreadable sheet: no half a setup",
       .sheets = {kInc, "<Project><x>"},
       .steps = {{"export", "--folder", "{msb}"}},
       .code = 1,
       .out = ""},
      {.name = "no sheet", .steps = {{"export", "--folder", "{msb}"}}, .code = 1, .out = ""},
      {.name = "a file that cannot be written",
       .sheets = {kInc},
       .steps = {{"export", "--folder", "{msb}", "--output", "{config}/x"}},
       .code = 3,
       .out = ""},
  };
  for (const SetupRow& row : rows) Check(row);
}

TEST(Cli, HelpAndVersion) {
  for (const Args& args : std::vector<Args>{{"-h"}, {"help"}}) {
    const CliRun run = RunCli(args);
    EXPECT_EQ(std::to_string(run.code) + run.err + run.out.substr(0, 29), "0Usage: pathwright-cli COMMAND");
  }
  const CliRun version = RunCli({"--version"});
  EXPECT_EQ(version.code, 0);
  EXPECT_EQ(version.out, PATHWRIGHT_VERSION "\n");
}

// Every command the overview lists has help of its own, the same whichever way it is asked for.
TEST(Cli, HelpOfEveryCommand) {
  const std::string overview = RunCli({"--help"}).out;
  EXPECT_NE(overview.find("pathwright-cli help COMMAND"), std::string::npos);
  // The lines "  name ..." between "Commands:" and the options; a description's lines are indented further.
  const size_t from = overview.find("Commands:\n"), to = overview.find("\n  --help");
  ASSERT_LT(from, to) << overview;
  std::vector<std::string> commands;
  for (size_t at = from; (at = overview.find("\n  ", at + 1)) < to;) {
    if (overview[at + 3] != ' ')
      commands.push_back(overview.substr(at + 3, overview.find_first_of(" \n", at + 3) - at - 3));
  }
  ASSERT_GE(commands.size(), 11u) << overview;
  for (const std::string& command : commands) {
    SCOPED_TRACE(command);
    const CliRun help = RunCli({"help", command});
    EXPECT_EQ(help.code, 0) << help.err;
    size_t at = 0;
    for (const std::string& section : std::vector<std::string>{"Usage: pathwright-cli " + command, "\nOptions:\n",
                                                              "\nExit codes:\n  0  done\n", "\nExamples:\n"}) {
      at = help.out.find(section, at);
      ASSERT_NE(at, std::string::npos) << section << " in\n" << help.out;
    }
    // Two examples, each of this command.
    std::vector<std::string> examples;
    for (size_t line = at + 11, end; line < help.out.size(); line = end + 1) {
      end = std::min(help.out.find('\n', line), help.out.size());
      examples.push_back(help.out.substr(line, end - line));
    }
    EXPECT_EQ(examples.size(), 2u);
    for (const std::string& example : examples) {
      EXPECT_EQ(example.rfind("  pathwright-cli " + command + " ", 0), 0u) << example;
    }
    const CliRun asked = RunCli({command, "--help"});
    EXPECT_EQ(asked.code, 0);
    EXPECT_EQ(asked.out, help.out);
  }
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
  WriteBytes(sheet, NewSheet(2012));
  EXPECT_EQ(RunCli({"add", "--platform", platform, "include", "C:\\a"}).code, 0);
  EXPECT_EQ(RunCli({"get", "include", "--platform=" + platform}).out, "C:\\a\n");
  EXPECT_EQ(ReadBytes(sheet), SavedSheet(Include("C:\\a")));
  fs::remove(sheet);
  EXPECT_EQ(RunCli({"create", "--platform", platform, "--vs", "2013"}).code, 0);
  EXPECT_EQ(ReadBytes(sheet), NewSheet(2013));
  fs::remove(sheet);
  const CliRun missing = RunCli({"show", "--platform", platform});
  EXPECT_NE(missing.err.find(name), std::string::npos) << missing.code << missing.err;
  EXPECT_EQ(RunCli({"show", "--platform", "..\\x"}).code, 2);
}
#endif

}  // namespace
}  // namespace pathwright::testing
