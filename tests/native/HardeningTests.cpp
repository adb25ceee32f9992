// Hostile or extreme input: each case has one defined outcome, and none crashes, fetches, expands
// or loses what the user had.
#include <gtest/gtest.h>

#include <string>

#include "base/Utf8.h"
#include "lang/LanguageFile.h"
#include "lang/Settings.h"
#include "model/DirectorySettings.h"
#include "support/Files.h"

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
// would write it back many times larger (100000 levels: about 5 GB), and is then left alone.
// Lists of blanks alone (found by the fuzzer) must be written so that the next load keeps them. 100 MB
// in one macro go through the small write buffer whole.
TEST(HardenedSheet, LoadSaveAndLoadAgain) {
  ScratchFolder dir;
  const std::string secret = "SECRET-7f3a", uri = "file://" + dir.Path("secret.txt").generic_string();
  WriteBytes(dir.Path("secret.txt"), secret);
  const std::string laughs = "<!DOCTYPE Project [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">"
                             "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;\">]>";
  std::string big;
  while (big.size() < (100u << 20)) big += "C:\\very\\long\\folder\\name\\with\\\xC3\xA4\\umlaut;";
  const struct { const char* name; std::string bytes; std::wstring list; } cases[] = {  // list empty: refused
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
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(dir.Path("sheet.props"), c.bytes);
    DirectorySettings s, again;
    s.m_path = again.m_path = dir.WidePath("sheet.props");
    EXPECT_EQ(bool(s.LoadSheet()), !c.list.empty());
    EXPECT_TRUE(s.m_lists[1] == c.list) << EncodeUtf8(s.m_lists[1].substr(0, 100));  // not all of 100 MB
    ASSERT_TRUE(s.SaveSheet());
    const std::string written = ReadBytes(dir.Path("sheet.props"));
    if (c.list.empty()) {
      EXPECT_EQ(written, c.bytes) << "an unread sheet is left alone";
      continue;
    }
    EXPECT_EQ(written.find(secret), std::string::npos);
    EXPECT_EQ(written.find("<!DOCTYPE"), std::string::npos) << "a sheet never needs a document type";
    ASSERT_TRUE(again.LoadSheet());
    EXPECT_TRUE(again.m_lists[1] == s.m_lists[1]) << EncodeUtf8(again.m_lists[1].substr(0, 100));
  }
}

// MAX_PATH is 260 with the terminator. Linux, Wine and Windows with long paths enabled take longer
// paths; without that, Windows refuses 260 and 261 at the first open, reported as a failed read or write.
TEST(HardenedSheet, PathsAroundTheWindowsLimitLoadAndSave) {
  for (size_t length : {259u, 260u, 261u}) {
    ScratchFolder dir;
    const size_t part = length - dir.Root().wstring().size() - 2 - std::string("sheet.props").size();
    ASSERT_LE(part, 255u) << "the scratch folder's path is too long for this test";
    const std::filesystem::path folder = dir.Root() / std::string(part, 'd');
    std::filesystem::create_directory(folder);
    DirectorySettings s, again;
    s.m_path = again.m_path = (folder / "sheet.props").wstring();
    ASSERT_EQ(s.m_path.size(), length);
    ASSERT_TRUE(s.CreateDefaultSheet(VsVersion::k2012));
    s.m_lists[1] = L"C:\\inc";
    ASSERT_TRUE(s.SaveSheet());
    ASSERT_TRUE(again.LoadSheet()) << length;
    EXPECT_EQ(again.m_lists[1], L"C:\\inc");
  }
}

// One replacement character per bad sequence, the rest of the line and the lines after it kept,
// in language files and the settings file alike.
TEST(HardenedTextFiles, InvalidUtf8AndSurrogatesBecomeReplacementCharacters) {
  const struct { std::string bad; size_t replacements; } cases[] = {
      {"\x80", 1},          {"\xE2\x82", 1},         {"\xC0\xAF", 1} /* overlong */,  {"\xFF", 1},
      {"\xED\xA0\x80", 1} /* lone high surrogate */, {"\xED\xB0\x80", 1} /* lone low surrogate */,
      {"\xED\xA0\xBD\xED\xB8\x80", 2} /* surrogate pair as CESU-8 */, {"\xF4\x90\x80\x80", 1} /* > U+10FFFF */,
  };
  for (const auto& c : cases) {
    const std::wstring expected = L"a" + std::wstring(c.replacements, wchar_t(0xFFFD)) + L"z";
    LanguageTable table;
    ASSERT_TRUE(ParseLanguage("<utf-8 encoding>\nLangID Test\n2001 a" + c.bad + "z\n3000 after\n", table));
    EXPECT_EQ(GetText(table, 2001), expected) << c.bad;
    EXPECT_EQ(GetText(table, 3000), L"after") << c.bad;
    const Settings settings = ParseSettings("\xEF\xBB\xBF" "a" + c.bad + "z\r\ntrue\r\n");
    EXPECT_EQ(settings.language, expected) << c.bad;
    EXPECT_EQ(settings.option, 1) << c.bad;
  }
  LanguageTable table;
  EXPECT_FALSE(ParseLanguage("<utf-8 encoding\xFF>\nLangID Test\n", table)) << "a damaged header is refused";
}

}  // namespace
}  // namespace pathwright
