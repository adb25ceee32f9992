// Hostile or extreme input: each case has one defined outcome, and none crashes, fetches, expands
// or loses what the user had.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>

#include "base/FileSystem.h"
#include "base/Utf8.h"
#include "lang/Catalogue.h"
#include "lang/LanguageFile.h"
#include "lang/Settings.h"
#include "model/DirectorySettings.h"
#include "support/Files.h"

#ifndef _WIN32
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace pathwright {
namespace {

using namespace testing;

std::string Sheet(const std::string& include, const std::string& more = "") {
  return "<Project xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\"><PropertyGroup><UserInclude>" +
         include + "</UserInclude></PropertyGroup>" + more + "</Project>";
}

std::string Nested(int levels) {
  std::string s;
  for (int i = 0; i < levels; ++i) s += "<a>";
  for (int i = 0; i < levels; ++i) s += "</a>";
  return "<PropertyGroup Label=\"Deep\"><Deep>" + s + "</Deep></PropertyGroup>";
}

// Entities are never fetched (the secret never shows up) nor expanded (references stay as text). A
// sheet nested deeper than kMaxSheetDepth is refused like a damaged file, since an indented save
// would write it back many times larger (100000 levels: about 5 GB). Lists of blanks alone (found by
// the fuzzer) must be written so that the next read keeps them. 100 MB in one macro go through whole.
TEST(HardenedSheet, ReadWriteAndReadAgain) {
  ScratchFolder dir;
  const std::string secret = "SECRET-7f3a", uri = "file://" + dir.Path("secret.txt").generic_string();
  WriteBytes(dir.Path("secret.txt"), secret);
  const std::string laughs =
      "<!DOCTYPE Project [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">"
      "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;\">]>";
  std::string big;
  while (big.size() < (100u << 20)) big += "C:\\very\\long\\folder\\name\\with\\\xC3\xA4\\umlaut;";
  const struct {
    const char* name;
    std::string bytes;
    std::wstring list;
  } cases[] = {
      // list empty: refused
      {"external entity", "<!DOCTYPE Project [<!ENTITY ext SYSTEM \"" + uri + "\">]>" + Sheet("C:\\a;&ext;\\b"),
       L"C:\\a;&ext;\\b"},
      {"external document type", "<!DOCTYPE Project SYSTEM \"" + uri + "\">" + Sheet("C:\\inc"), L"C:\\inc"},
      {"parameter entity", "<!DOCTYPE Project [<!ENTITY % p SYSTEM \"" + uri + "\"> %p;]>" + Sheet("C:\\a"), L"C:\\a"},
      {"billion laughs", laughs + Sheet("&d;;x"), L"&d;;x"},
      {"deepest readable nesting", Sheet("C:\\inc", Nested(kMaxSheetDepth - 3)), L"C:\\inc"},  // Project, group, Deep
      {"one level too deep", Sheet("C:\\inc", Nested(kMaxSheetDepth - 2)), L""},
      {"100000 levels", Sheet("C:\\inc", Nested(100000)), L""},
      {"blanks in CDATA", Sheet("<![CDATA[  ]]>"), L"  "},
      {"blanks and breaks in CDATA", Sheet("<![CDATA[ \t\n ]]>"), L" \t\n "},
      {"blanks around text", Sheet(" a "), L" a "},
      {"blanks once the final ; is gone", Sheet("<![CDATA[  ;]]>"), L"  ;"},
      {"100 MB in one macro", Sheet(big + "C:\\last"), DecodeUtf8(big + "C:\\last")},
      {"cp1252 beyond ASCII", "<?xml version=\"1.0\" encoding=\"cp1252\"?>" + Sheet("C:\\\x80\xE9"), L"C:\\\u20AC\u00E9"},
      {"a UTF-8 byte order mark outranks the declaration",
       "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"windows-1252\"?>" + Sheet("C:\\\xC3\xA9"), L"C:\\\u00E9"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SheetDocument sheet, again;
    ASSERT_EQ(bool(sheet.Parse(c.bytes)), !c.list.empty());
    if (c.list.empty()) continue;
    DirectoryLists lists = sheet.Lists();
    EXPECT_TRUE(lists[1] == c.list) << EncodeUtf8(lists[1].substr(0, 100));  // not all of 100 MB
    lists[0] = L"C:\\exe";
    const std::string written = sheet.WithLists(lists).bytes;
    EXPECT_EQ(written.find(secret), std::string::npos) << "a document type is kept as written, never followed";
    ASSERT_TRUE(again.Parse(written));
    const std::wstring readBack = again.Lists()[1];
    EXPECT_TRUE(readBack == c.list) << EncodeUtf8(readBack.substr(0, 100));
  }
}

// MAX_PATH is 260 with the terminator: files around it (folders of 247 to 249 characters), and folders
// far beyond it. Nothing in the file store has a fixed-size path buffer; Windows takes the long ones
// in their "\\?\" form.
TEST(HardenedFiles, LongPathsAreWrittenAndRead) {
  for (const size_t length : {247u, 248u, 249u, 250u, 300u, 400u}) {
    SCOPED_TRACE(length);
    ScratchFolder dir;
    std::wstring folder = dir.Root().wstring();
    ASSERT_LT(folder.size() + 20, length) << "the scratch folder's path is too long for this test";
    while (folder.size() < length)
      folder += L"/" + std::wstring(std::min<size_t>(length - folder.size() - 1, 200), L'd');
    ASSERT_TRUE(CreateFolders(folder));
    const std::wstring sheet = folder + L"/sheet.props";
    std::wstring backup;
    std::string bytes;
    WriteLock lock;
    ASSERT_TRUE(ReplaceFileAtomically(sheet, "first", ExpectedContent::Nothing()));
    ASSERT_TRUE(lock.Acquire(sheet, std::chrono::milliseconds(0)) && lock.Held());
    ASSERT_TRUE(WriteBackupFile(sheet, "first", backup));
    ASSERT_TRUE(ReplaceFileAtomically(sheet, "second", ExpectedContent::Bytes("first")));
    EXPECT_TRUE(IsRegularFile(sheet) && IsFolder(folder));
    EXPECT_TRUE(ReadFileBytes(sheet, bytes) && bytes == "second");
    EXPECT_TRUE(ReadFileBytes(backup, bytes) && bytes == "first");
    lock.Release();
    // Removed one by one: a recursive removal does not reach that deep on Windows.
#ifdef _WIN32
    const std::wstring system = L"\\\\?\\" + std::filesystem::path(folder).make_preferred().wstring();
#else
    const std::wstring system = folder;
#endif
    std::error_code ignored;
    for (const char* name : {"sheet.props", "sheet.props.bak"})
      std::filesystem::remove(std::filesystem::path(system) / name, ignored);
    for (std::filesystem::path p = system;
         p.wstring().size() > system.size() - folder.size() + dir.Root().wstring().size(); p = p.parent_path()) {
      std::filesystem::remove(p, ignored);
    }
  }
}

// Only regular files are read, copied or replaced: a folder, a pipe, a socket or a device is refused
// at once, named as what it is (reading a pipe waits for a writer, a device may never end), and stays
// what it is. A size limit lets
// a file of exactly that size through and refuses one byte more unread. Language and settings files
// far larger than any real one are not read either.
TEST(HardenedFiles, OnlyRegularFilesOfSaneSizesAreRead) {
  ScratchFolder dir;
  std::vector<std::pair<std::wstring, std::wstring>> specials = {{dir.Root().wstring(), L"a folder"}};
#ifdef _WIN32
  specials.emplace_back(L"NUL", L"a device");
#else
  ASSERT_EQ(::mkfifo(dir.Path("pipe").c_str(), 0644), 0);
  specials.emplace_back(dir.WidePath("pipe"), L"a pipe");
  const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address = {.sun_family = AF_UNIX, .sun_path = {}};
  dir.Path("socket").native().copy(address.sun_path, sizeof address.sun_path - 1);
  if (::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
    specials.emplace_back(dir.WidePath("socket"), L"a socket");
  }
  if (::mknod(dir.Path("zero").c_str(), S_IFCHR | 0644, ::makedev(1, 5)) == 0) {
    specials.emplace_back(dir.WidePath("zero"), L"a device");
  }
#endif
  for (const auto& [special, what] : specials) {
    SCOPED_TRACE(EncodeUtf8(special));
    std::error_code ignored;
    const auto type = std::filesystem::status(special, ignored).type();
    std::string bytes;
    WriteLock lock;
    EXPECT_FALSE(IsRegularFile(special));
    const Result read = ReadFileBytes(special, bytes);
    EXPECT_NE(read.why.find(what), std::wstring::npos) << EncodeUtf8(read.why);
    EXPECT_FALSE(ReplaceFileAtomically(special, "sheet"));
    EXPECT_TRUE(lock.Acquire(special, std::chrono::milliseconds(0)) && !lock.Held());
    EXPECT_FALSE(ReadSettingsFile(special).found);
    LanguageCatalogue catalogue;
    EXPECT_FALSE(ReadLanguageHeader(L"", special, catalogue));
    EXPECT_EQ(std::filesystem::status(special, ignored).type(), type);
  }
#ifndef _WIN32
  ::close(listener);
#endif
  const struct {
    const char* name;
    size_t size;
    ReadLimits limits;
    size_t read;  // SIZE_MAX: refused
  } sizes[] = {
      {"exactly the largest size", 100, {.maxFileSize = 100}, 100},
      {"one byte over it", 101, {.maxFileSize = 100}, SIZE_MAX},
      {"only the start", 100, {.maxRead = 10}, 10},
      {"several pieces", 300000, {}, 300000},
      {"empty", 0, {.maxFileSize = 0}, 0},
  };
  for (const auto& row : sizes) {
    WriteBytes(dir.Path("sized"), std::string(row.size, 's'));
    std::string bytes = "old";
    std::uint64_t refused = 0;  // the size a refusal tells, for the user's message
    ReadLimits limits = row.limits;
    limits.refusedSize = &refused;
    const Result read = ReadFileBytes(dir.WidePath("sized"), bytes, limits);
    EXPECT_EQ(bool(read), row.read != SIZE_MAX) << row.name;
    EXPECT_EQ(bytes.size(), row.read == SIZE_MAX ? 0 : row.read) << row.name;
    EXPECT_EQ(refused, row.read == SIZE_MAX ? row.size : 0) << row.name;
  }
  WriteBytes(dir.Path("big.lng"), "<utf-8 encoding>\nLangID Big\n" + std::string(4 << 20, 'x'));
  LanguageCatalogue catalogue;
  EXPECT_FALSE(ReadLanguageHeader(dir.Root().wstring() + L"/", L"big.lng", catalogue));
  LanguageTable table;
  EXPECT_FALSE(LoadLanguage(dir.WidePath("big.lng"), table));
  WriteBytes(dir.Path("programm.ini"),
             "\xEF\xBB\xBF"
             "English\r\ntrue\r\n" +
                 std::string(64 * 1024, ' '));
  EXPECT_FALSE(ReadSettingsFile(dir.WidePath("programm.ini")).found);
}

// One replacement character per bad sequence, the rest of the line and the lines after it kept,
// in language files and the settings file alike.
TEST(HardenedTextFiles, InvalidUtf8AndSurrogatesBecomeReplacementCharacters) {
  const struct {
    std::string bad;
    size_t replacements;
  } cases[] = {
      {"\x80", 1},
      {"\xE2\x82", 1},
      {"\xC0\xAF", 1} /* overlong */,
      {"\xFF", 1},
      {"\xED\xA0\x80", 1} /* lone high surrogate */,
      {"\xED\xB0\x80", 1} /* lone low surrogate */,
      {"\xED\xA0\xBD\xED\xB8\x80", 2} /* surrogate pair as CESU-8 */,
      {"\xF4\x90\x80\x80", 1} /* > U+10FFFF */,
  };
  for (const auto& c : cases) {
    const std::wstring expected = L"a" + std::wstring(c.replacements, wchar_t(0xFFFD)) + L"z";
    LanguageTable table;
    ASSERT_TRUE(ParseLanguage("<utf-8 encoding>\nLangID Test\n2001 a" + c.bad + "z\n3000 after\n", table));
    EXPECT_EQ(GetText(table, 2001), expected) << c.bad;
    EXPECT_EQ(GetText(table, 3000), L"after") << c.bad;
    const Settings settings = ParseSettings(
        "\xEF\xBB\xBF"
        "a" +
        c.bad + "z\r\ntrue\r\n");
    EXPECT_EQ(settings.language, expected) << c.bad;
    EXPECT_EQ(settings.option, 1) << c.bad;
  }
  LanguageTable table;
  EXPECT_FALSE(ParseLanguage("<utf-8 encoding\xFF>\nLangID Test\n", table)) << "a damaged header is refused";
}

}  // namespace
}  // namespace pathwright
