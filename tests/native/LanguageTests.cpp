// Language files (line reader, word splitter, leading numbers, the table and the formatting of its texts),
// the catalogue of them, the settings file, and the files shipped with the program.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "base/FileSystem.h"
#include "base/Utf8.h"
#include "lang/Catalogue.h"
#include "lang/LanguageFile.h"
#include "lang/Settings.h"
#include "lang/TextFormat.h"
#include "lang/TextNumbers.h"
#include "support/Files.h"

namespace pathwright {
namespace {

using namespace testing;

constexpr char kHeader[] = "<utf-8 encoding>\nLangID English\n";
const std::string kEmoji = "\xF0\x9F\x98\x80";  // U+1F600, two UTF-16 units
const std::wstring kEmojiWide = DecodeUtf8(kEmoji);

std::vector<std::wstring> AllLines(const std::string& bytes) {
  Utf8LineReader reader(bytes);
  std::vector<std::wstring> lines;
  std::wstring line;
  while (ReadLine(reader, line)) lines.push_back(line);
  EXPECT_TRUE(line.empty()) << "a read at the end gives no line";
  return lines;
}

std::wstring W(const std::string& utf8) { return DecodeUtf8(utf8); }

TEST(LanguageReadLine, SplitsAndStripsLines) {
  const std::string a254(254, 'a'), b46(46, 'b');
  const std::wstring e254(254, L'\u00E9');
  struct Case {
    const char* name;
    std::string bytes;
    std::vector<std::wstring> lines;
  } cases[] = {
      {"empty text", "", {}},
      {"LF", "a\nb", {L"a", L"b"}},
      {"CR LF", "a\r\nb\r\n", {L"a", L"b"}},
      {"empty lines", "\n\r\n", {L"", L""}},
      {"BOM skipped",
       "\xEF\xBB\xBF"
       "a\n",
       {L"a"}},
      {"BOM only at the start",
       "a\n\xEF\xBB\xBF"
       "b",
       {L"a", L"\uFEFFb"}},
      {"every trailing CR removed", "a\r\r\nb\r", {L"a", L"b"}},
      {"inner CR kept", "a\rb\n", {L"a\rb"}},
      {"300 characters", a254 + b46, {W(a254), W(b46)}},
      {"254 then LF", a254 + "\nx", {W(a254), L"x"}},
      {"254 then CR LF", a254 + "\r\nx", {W(a254), L"x"}},
      {"255 characters", a254 + "y\n", {W(a254), L"y"}},
      {"two-byte characters count once", EncodeUtf8(e254) + "\n", {e254}},
      {"astral character counts twice",
       std::string(252, 'a') + kEmoji + "b",
       {W(std::string(252, 'a')) + kEmojiWide, L"b"}},
      {"astral character is never cut",
       std::string(253, 'a') + kEmoji + "b",
       {W(std::string(253, 'a')), kEmojiWide + L"b"}},
      {"broken UTF-8 keeps the line break", "a\xE2\nb", {L"a\uFFFD", L"b"}},
  };
  for (const Case& c : cases) EXPECT_EQ(AllLines(c.bytes), c.lines) << c.name;
}

TEST(LanguageSplitString, NonEmptyPiecesInOrder) {
  struct Case {
    std::wstring text;
    std::wstring delimiter;
    std::vector<std::wstring> words;
  } cases[] = {
      {L"a  b", L" ", {L"a", L"b"}},
      {L" a ", L" ", {L"a"}},
      {L"", L" ", {}},
      {L"   ", L" ", {}},
      {L"abc", L" ", {L"abc"}},
      {L"a\tb c", L" ", {L"a\tb", L"c"}},
      {L"C:\\x\\y", L"\\", {L"C:", L"x", L"y"}},
      {L"..Microsoft.Cpp..x64.user.props.", L".", {L"Microsoft", L"Cpp", L"x64", L"user", L"props"}},
      {L"xababy", L"ab", {L"x", L"y"}},
      {L"aaa", L"aa", {L"a"}},
      {L"abc", L"", {L"abc"}},
  };
  for (const Case& c : cases) {
    std::vector<std::wstring> words = {L"left over"};
    SplitString(c.text, c.delimiter, words);
    EXPECT_EQ(words, c.words) << std::string(c.text.begin(), c.text.end());
  }
}

TEST(LanguageLeadingNumber, SignWhiteSpaceAndSaturation) {
  struct Case {
    std::wstring text;
    uint32_t number;
  } cases[] = {
      {L"", 0},
      {L"abc", 0},
      {L"0", 0},
      {L"2004", 2004},
      {L"+3002", 3002},
      {L" 3002", 3002},
      {L"\t\n\v\f\r 7", 7},
      {L"3002abc", 3002},
      {L"00012", 12},
      {L"12 34", 12},
      {L"-1", 4294967295u},
      {L"-0", 0},
      {L"+-5", 0},
      {L"- 5", 0},
      {L"2147483647", 2147483647u},
      {L"2147483648", 2147483647u},
      {L"4294967295", 2147483647u},
      {L"99999999999", 2147483647u},
      {L"123456789012345678901234567890", 2147483647u},
      {L"-2147483648", 2147483648u},
      {L"-99999999999", 2147483648u},
      {L"\uFF11\uFF12", 0},  // full-width digits are not digits
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LeadingNumber(c.text), c.number) << std::string(c.text.begin(), c.text.end());
  }
}

TEST(LanguageParse, HeaderChecks) {
  const std::string e = "<utf-8 encoding>\n";
  struct Case {
    const char* name;
    std::string bytes;
    bool valid;
  } cases[] = {
      {"plain", kHeader, true},
      {"no final line break", e + "LangID English", true},
      {"BOM", "\xEF\xBB\xBF<utf-8 encoding>\r\nLangID English\r\n", true},
      {"extra words", e + "  LangID   Deutsch extra\n", true},
      {"upper-case", "<UTF-8 encoding>\nLangID X\n", false},
      {"space after line 1", "<utf-8 encoding> \nLangID X\n", false},
      {"empty file", "", false},
      {"space before line 1", " <utf-8 encoding>\nLangID X\n", false},
      {"no line 2", e, false},
      {"empty line 2", e + "\n2000 x\n", false},
      {"line 2 only spaces", e + "   \n", false},
      {"LangID alone", e + "LangID\n", false},
      {"LangID and spaces", e + "LangID   \n", false},
      {"lower-case LangID", e + "langid English\n", false},
      {"tab is no separator", e + "LangID\tEnglish\n", false},
      {"UTF-16 file", std::string("\xFF\xFE<\0u\0", 6), false},
  };
  for (const Case& c : cases) {
    LanguageTable table = {{1, L"old"}};
    EXPECT_EQ(ParseLanguage(c.bytes, table), c.valid) << c.name;
    EXPECT_TRUE(c.valid || table.empty()) << c.name;
  }
}

TEST(LanguageParse, TextLines) {
  const std::string a249(249, 'a'), b41(41, 'b');
  struct Case {
    const char* name;
    std::string body;
    LanguageTable table;
  } cases[] = {
      {"header only: line 2 is no text", "", {}},
      {"number space text", "2001 Hello\n", {{2001, L"Hello"}}},
      {"empty text", "2001 \n", {{2001, L""}}},
      {"only the first space separates", "2001  Hello \n", {{2001, L" Hello "}}},
      {"no space", "2001\n", {}},
      {"starts with a space", " 2001 Hello\n", {}},
      {"empty line", "\n\n", {}},
      {"digits end at a letter", "2001Hello World\n", {{2001, L"World"}}},
      {"no number", "Hello World\n", {{0, L"World"}}},
      {"leading tab", "\t5 x\n", {{5, L"x"}}},
      {"escapes", "3000 Line1\\nLine2\\tEnd\n", {{3000, L"Line1\nLine2\tEnd"}}},
      {"no escape for the backslash", "3000 a\\\\nb\n", {{3000, L"a\\\nb"}}},
      {"other escapes stay", "3000 C:\\x\\r\n", {{3000, L"C:\\x\\r"}}},
      {"later line wins", "3002 A\n3002 B\n", {{3002, L"B"}}},
      {"inner CR kept", "3000 a\rb\n", {{3000, L"a\rb"}}},
      {"minus one", "-1 x\n", {{4294967295u, L"x"}}},
      {"saturated", "99999999999 x\n", {{2147483647u, L"x"}}},
      {"CR LF and last line without break", "1 a\r\n2 b", {{1, L"a"}, {2, L"b"}}},
      {"UTF-8 text",
       "2000 \xC3\x9C"
       "ber\n",
       {{2000, L"\u00DCber"}}},
      {"300-character line", "2001 " + a249 + "3002 " + b41 + "\n", {{2001, W(a249)}, {3002, W(b41)}}},
      {"line after a bad one", "x\n2000 y\n", {{2000, L"y"}}},
  };
  for (const Case& c : cases) {
    LanguageTable table;
    EXPECT_TRUE(ParseLanguage(kHeader + c.body, table)) << c.name;
    EXPECT_EQ(table, c.table) << c.name;
  }
}

// A failed load empties the table and says why, so the window can tell the user.
TEST(LanguageLoad, AFailedLoadEmptiesTheTableAndSaysWhy) {
  const struct {
    const char* name;
    std::optional<std::string> bytes;  // nullopt: no such file
    int error;                         // 0: loaded; 1: the system's "not found"; -1: no language file
    LanguageTable table;
  } cases[] = {
      {"loaded", std::string(kHeader) + "2000 Title\n", 0, {{2000, L"Title"}}},
      {"missing", std::nullopt, 1, {}},
      {"no header", std::string("2000 Title\n"), -1, {}},
  };
  for (const auto& c : cases) {
    ScratchFolder folder;
    if (c.bytes) WriteBytes(folder.Path("file.lng"), *c.bytes);
    LanguageTable table = {{1, L"from before"}};
    const Result loaded = LoadLanguage(folder.WidePath("file.lng"), table);
    EXPECT_EQ(c.error == 1    ? loaded.IsNotFound()
              : c.error < 0 ? loaded.status == Result::Status::kInvalid
                            : static_cast<bool>(loaded),
              true)
        << c.name;
    EXPECT_EQ(loaded.why.empty(), c.error == 0) << c.name;
    EXPECT_EQ(table, c.table) << c.name;
  }
}

TEST(LanguageTextFormat, OnlyStringConversionsAreHonoured) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"The sheet %s was not found.", L"The sheet X.props was not found."},
      {L"%ls", L"X.props"},
      {L"%S and %ws", L"X.props and "},
      {L"100%% of %s", L"100% of X.props"},
      {L"%d %n %x %s", L"%d %n %x X.props"},
      {L"no argument", L"no argument"},
      {L"trailing %", L"trailing %"},
      {L"", L""}};
  for (auto [format, expected] : cases) EXPECT_EQ(FormatWithString(format, L"X.props"), expected) << EncodeUtf8(format);
  EXPECT_EQ(FormatWithStrings(L"%s of %ls, %s", {L"1", L"2"}), L"1 of 2, ");
}

std::wstring FolderOf(const ScratchFolder& scratch) { return (scratch.Root() / "").wstring(); }

std::string Language(const std::string& name) { return "<utf-8 encoding>\r\nLangID " + name + "\r\n2000 x\r\n"; }

TEST(LanguageCatalogue, ScanKeepsListingOrderAndSkipsFilesItCannotUse) {
  ScratchFolder scratch;
  for (const auto& [file, name] : {std::pair{"fr.lng",
                                             "Fran\xC3\xA7"
                                             "ais"},
                                   {"de.lng", "Deutsch"},
                                   {"en.lng", "English"},
                                   {"en2.lng", "English"}}) {
    WriteBytes(scratch.Path(file), Language(name));
  }
  WriteBytes(scratch.Path("bad.lng"), "<utf-8 encoding>\r\nLangID\r\n");
  std::filesystem::create_directory(scratch.Path("folder.lng"));
  const struct {
    const char* name;
    std::vector<std::wstring> listing;
    LanguageCatalogue catalogue;
  } cases[] = {
      {"ordered by display name",
       {L"fr.lng", L"en.lng", L"de.lng"},
       {{L"Deutsch", L"de.lng"}, {L"English", L"en.lng"}, {L"Fran\u00E7ais", L"fr.lng"}}},
      {"later file wins a name", {L"en.lng", L"en2.lng"}, {{L"English", L"en2.lng"}}},
      {"later file wins, other order", {L"en2.lng", L"en.lng"}, {{L"English", L"en.lng"}}},
      {"a bad header, a vanished file and a folder are skipped",
       {L"bad.lng", L"de.lng", L"gone.lng", L"folder.lng", L"en.lng"},
       {{L"Deutsch", L"de.lng"}, {L"English", L"en.lng"}}},
      {"nothing listed", {}, {}},
  };
  for (const auto& c : cases) {
    LanguageCatalogue catalogue = {{L"Stale", L"stale.lng"}};
    ScanLanguages(FolderOf(scratch), c.listing, catalogue);
    EXPECT_EQ(catalogue, c.catalogue) << c.name;
  }
  LanguageCatalogue catalogue;
  for (const wchar_t* name : {L"de.lng", L"bad.lng", L"gone.lng", L"folder.lng"}) {
    EXPECT_EQ(ReadLanguageHeader(FolderOf(scratch), name, catalogue), name == std::wstring(L"de.lng"));
  }
  EXPECT_EQ(catalogue, (LanguageCatalogue{{L"Deutsch", L"de.lng"}}));
}

TEST(LanguageCatalogue, ListingAndScanOfAFolderOnDisk) {
  ScratchFolder scratch;
  const std::wstring folder = FolderOf(scratch), missing = folder + L"missing" + folder.back();
  WriteBytes(scratch.Path("b.lng"), Language("English"));
  WriteBytes(scratch.Path("a.lng"), Language("Deutsch"));
  WriteBytes(scratch.Path("notes.txt"), Language("Notes"));
  LanguageCatalogue catalogue;
  ScanLanguages(folder, L"*.lng", catalogue);
  EXPECT_EQ(catalogue, (LanguageCatalogue{{L"Deutsch", L"a.lng"}, {L"English", L"b.lng"}}));
  ScanLanguages(missing, L"*.lng", catalogue);
  EXPECT_TRUE(catalogue.empty());

  WriteBytes(scratch.Path("UPPER.LNG"), Language("Upper"));
  std::filesystem::create_directory(scratch.Path("folder.lng"));
  std::vector<std::wstring> names = ListMatchingEntries(folder, L"*.lng");
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::wstring>{L"UPPER.LNG", L"a.lng", L"b.lng", L"folder.lng"}));
  EXPECT_TRUE(ListMatchingEntries(missing, L"*.lng").empty());
}

const std::string kBom = "\xEF\xBB\xBF";

TEST(LanguageSettings, ParsesLines) {
  const std::string n1023(1023, 'n');
  const std::wstring w1023(1023, L'n');
  const struct {
    const char* name;
    std::string bytes;
    std::wstring language;
    int option;
  } cases[] = {
      {"as written", kBom + "English\r\ntrue\r\n", L"English", 1},
      {"LF, no BOM", "English\ntrue", L"English", 1},
      {"name as it stands", kBom + "english\r\ntrue\r\n", L"english", 1},
      {"one line", kBom + "Deutsch\r\n", L"Deutsch", 0},
      {"one line without break", "Deutsch", L"Deutsch", 0},
      {"True is not true", "English\r\nTrue\r\n", L"English", 0},
      {"trailing space", "English\r\ntrue \r\n", L"English", 0},
      {"1 is not true", "English\r\n1\r\n", L"English", 0},
      {"empty line 1", "\r\ntrue\r\n", L"", 1},
      {"empty file", "", L"", 0},
      {"BOM only", kBom, L"", 0},
      {"UTF-8 name",
       kBom + "Fran\xC3\xA7"
              "ais\r\nfalse\r\n",
       L"Fran\u00E7ais", 0},
      {"1023 characters read whole", n1023 + "\r\ntrue\r\n", w1023, 1},
      {"longer line spills into line 2", n1023 + "true\r\ntrue\r\n", w1023, 1},
      {"longer line, other text", n1023 + "xx\r\ntrue\r\n", w1023, 0},
  };
  for (const auto& c : cases) {
    const Settings settings = ParseSettings(c.bytes);
    EXPECT_TRUE(settings.found) << c.name;
    EXPECT_EQ(settings.language, c.language) << c.name;
    EXPECT_EQ(settings.option, c.option) << c.name;
  }
}

TEST(LanguageSettings, NamedLinesAfterTheFixedTwoAreReadAndWrittenBack) {
  const Settings read = ParseSettings(kBom + "Deutsch\r\ntrue\r\nplatform=x64\r\nno name\r\n=x\r\n"
                                             "width=700\r\nplatform=ARM64\r\nfuture=a=b\r\n");
  EXPECT_EQ(read.language, L"Deutsch");
  EXPECT_EQ(read.option, 1);
  const std::map<std::wstring, std::wstring> expected = {
      {L"platform", L"x64"}, {L"width", L"700"}, {L"future", L"a=b"}};
  EXPECT_EQ(read.values, expected) << "lines without a name are skipped, the first of a name stands";
  EXPECT_EQ(FormatSettings(L"Deutsch", 1, {{L"platform", L"x64"}, {L"bad\nname", L"1"}, {L"v", L"two\nlines"}}),
            kBom + "Deutsch\r\ntrue\r\nplatform=x64\r\n");
}

TEST(LanguageSettings, MissingFileThenWritesThatReplaceTheWholeFile) {
  ScratchFolder folder;
  const std::wstring path = folder.WidePath("programm.ini");
  Settings settings = ReadSettingsFile(path);
  EXPECT_FALSE(settings.found);
  EXPECT_TRUE(settings.language.empty());
  WriteBytes(path, kBom + "A much longer language name\r\ntrue\r\nstray third line\r\n");
  const struct {
    std::wstring language;
    int option;
    std::string bytes;
  } writes[] = {{L"Fran\u00E7ais", 0,
                 kBom + "Fran\xC3\xA7"
                        "ais\r\nfalse\r\n"},
                {L"english", 2, kBom + "english\r\ntrue\r\n"},
                {L"", 0, kBom + "\r\nfalse\r\n"}};
  for (const auto& w : writes) {
    ASSERT_TRUE(WriteSettingsFile(path, w.language, w.option));
    EXPECT_EQ(ReadBytes(path), w.bytes);
    settings = ReadSettingsFile(path);
    EXPECT_TRUE(settings.found);
    EXPECT_EQ(settings.language, w.language);
    EXPECT_EQ(settings.option, w.option ? 1 : 0);
  }
  const std::wstring missing = (folder.Path("missing") / "programm.ini").wstring();
  const Result failed = WriteSettingsFile(missing, L"English", 1);
  EXPECT_FALSE(failed);
  EXPECT_FALSE(failed.why.empty());
  EXPECT_FALSE(PathExists(missing));
}

// Texts used as printf formats with exactly one string argument.
const std::set<uint32_t> kOneStringFormats = {
    text::kListLabel,      text::kMissingSheetText,       text::kSaveFailedText,     text::kListSemicolonText,
    text::kUnreadableText, text::kForbiddenCharacterText, text::kLanguageFailedText, text::kSettingsFailedText,
    text::kAboutVersion,   text::kMainPlatformPresent,    text::kCreateSheetQuestion, text::kSheetGoneText, text::kNotASheetText, text::kKeptAsText,
    text::kListExpanded,   text::kListForbiddenTyped,     text::kListWrittenIn,      text::kListOtherDefinition,
    text::kListInherited,  text::kListUnused,     text::kSavedAsUtf8Text,    text::kLanguageNotAFile,
    text::kReasonDeclaredEncoding, text::kReasonInvalidUtf8, text::kReasonInvalidUtf16, text::kReasonInvalidUtf32,
    text::kReasonBadStartTag, text::kReasonBadEndTag, text::kReasonBadAttribute, text::kReasonBadMarkup,
    text::kReasonNotWellFormed, text::kReasonSecondElement, text::kReasonTooDeep};
// And with two, filled in order.
const std::set<uint32_t> kTwoStringFormats = {text::kReasonNotAscii, text::kReasonDuplicateAttribute,
                                              text::kReasonTooLarge};

std::wstring LangFolder() { return DecodeUtf8(PATHWRIGHT_SOURCE_DIR) + L"/lang/"; }

std::string SourceFile(const char* name) {
  std::string bytes;
  EXPECT_TRUE(ReadFileBytes(DecodeUtf8(PATHWRIGHT_SOURCE_DIR "/") + DecodeUtf8(name), bytes)) << name;
  return bytes;
}

// Every first group of the pattern's matches in the text.
std::vector<std::string> Matches(const std::string& text, const char* pattern) {
  const std::regex expression(pattern);
  std::vector<std::string> found;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), expression); it != std::sregex_iterator(); ++it)
    found.push_back((*it)[1]);
  return found;
}

// The captions of the dialog templates and the strings of the string table, as written in the resource script.
std::vector<std::string> TemplateCaptions() {
  const std::string rc = SourceFile("res/Pathwright.rc");
  std::vector<std::string> captions = Matches(
      rc, R"re(\b(?:CAPTION|CONTROL|[LRC]TEXT|(?:DEF)?PUSHBUTTON|GROUPBOX|[A-Z0-9]*(?:CHECKBOX|RADIOBUTTON))\s+"([^"]*)")re");
  for (const std::string& entry : Matches(rc, R"re(\n\s*IDS_\w+\s+"([^"]*)")re")) captions.push_back(entry);
  return captions;
}

// A caption that is a text number ("2004", or "2000 Pathwright" in the string table) gives it; others give 0.
uint32_t CaptionNumber(const std::string& caption) {
  const std::string digits = caption.substr(0, caption.find(' '));
  if (digits.empty() || digits.size() > 9 || !std::all_of(digits.begin(), digits.end(), ::isdigit)) return 0;
  return static_cast<uint32_t>(std::stoul(digits));
}

size_t Count(const std::wstring& text, std::wstring_view what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::wstring::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// A caption the user sees in English whatever the language would be a fault; only signs stay as written.
TEST(LanguageShippedFiles, EveryVisibleCaptionOfTheTemplatesIsATextNumber) {
  const std::set<std::string> signs = {"", "?", "---"};
  const std::vector<std::string> captions = TemplateCaptions();
  EXPECT_GT(captions.size(), 60u) << "the resource script is read";
  for (const std::string& caption : captions) {
    EXPECT_TRUE(signs.count(caption) || CaptionNumber(caption) != 0) << "a literal caption: \"" << caption << "\"";
  }
}

TEST(LanguageShippedFiles, EveryFileHasEveryTextTheProgramUsesAndSafeFormats) {
  std::set<uint32_t> inTemplates, inHeader;
  for (const std::string& caption : TemplateCaptions()) {
    if (const uint32_t number = CaptionNumber(caption)) inTemplates.insert(number);
  }
  for (const std::string& number : Matches(SourceFile("lang/TextNumbers.h"), R"re(constexpr uint32_t k\w+ = (\d+);)re"))
    inHeader.insert(static_cast<uint32_t>(std::stoul(number)));
  // Where the program takes its text numbers from: each shipped language needs a text for every one of them.
  const struct {
    const char* name;
    std::set<uint32_t> numbers;
  } used[] = {
      {.name = "the list of all text numbers", .numbers = {std::begin(text::kAll), std::end(text::kAll)}},
      {.name = "the text numbers the code can name", .numbers = inHeader},
      {.name = "the captions of the dialog templates", .numbers = inTemplates},
  };
  std::set<uint32_t> anywhere;
  for (const auto& u : used) anywhere.insert(u.numbers.begin(), u.numbers.end());

  // The language files of the source folder are the ones the build ships.
  std::vector<std::wstring> files = ListMatchingEntries(LangFolder(), L"*.lng");
  std::vector<std::wstring> shipped = SplitString(DecodeUtf8(PATHWRIGHT_LANGUAGE_FILES), L"/");
  std::sort(files.begin(), files.end());
  std::sort(shipped.begin(), shipped.end());
  ASSERT_EQ(files, shipped) << "a language file that is not shipped, or one shipped that is not there";
  for (const std::wstring& file : files) {
    const std::string where = EncodeUtf8(file);
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(LangFolder() + file, bytes)) << where;

    // No line may be split by the read limit, or its tail would turn into a stray text.
    Utf8LineReader reader(bytes);
    std::wstring line;
    while (reader.ReadRaw(line, kLanguageLineLimit)) {
      EXPECT_TRUE(line.empty() || line.back() == L'\n' || reader.AtEnd()) << where << ": line too long";
    }

    LanguageTable table;
    ASSERT_TRUE(ParseLanguage(bytes, table)) << where;
    for (const auto& u : used) {
      for (const uint32_t number : u.numbers) EXPECT_TRUE(table.count(number)) << where << " lacks " << number << ", in " << u.name;
    }
    for (const auto& [number, value] : table) {
      EXPECT_TRUE(anywhere.count(number)) << where << ": " << number << " is used nowhere";
      EXPECT_FALSE(value.empty()) << where << " " << number;
      const size_t percents = Count(value, L"%");
      if (const size_t strings = kOneStringFormats.count(number) + 2 * kTwoStringFormats.count(number)) {
        EXPECT_EQ(percents, strings) << where << " " << number;
        EXPECT_EQ(Count(value, L"%s"), strings) << where << " " << number;
      } else {
        EXPECT_EQ(percents, 0u) << where << " " << number;
      }
    }
    EXPECT_EQ(GetText(table, text::kMainTitle), L"Pathwright") << where;
  }
}

}  // namespace
}  // namespace pathwright
