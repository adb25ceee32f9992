// Hostile or extreme input: each case has one defined outcome, and none crashes, fetches, expands
// or loses what the user had.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "TestFiles.h"
#include "lang/LanguageFile.h"
#include "lang/Settings.h"
#include "lang/Utf8.h"
#include "model/DirectorySettings.h"

namespace pathwright {
namespace {

using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;

const std::string kProjectOpen = "<Project xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\">";

std::string UserGroup(const std::string& includeText) {
  return "<PropertyGroup><UserInclude>" + includeText + "</UserInclude></PropertyGroup>";
}

// A file whose content would show up in a list if the reader ever fetched an external entity.
const std::string kSecret = "SECRET-7f3a";

TEST(HardenedSheet, DoctypeAndEntitiesAreNeitherFetchedNorExpanded) {
  ScratchFolder dir;
  WriteBytes(dir.Path("secret.txt"), kSecret);
  const std::string secretUri = "file://" + dir.Path("secret.txt").generic_string();
  struct Case {
    const char* name;
    std::string doctype;
    std::string text;          // inside UserInclude
    std::wstring expectedList;  // an unknown entity reference is kept as it stands
  };
  const Case cases[] = {
      {"external entity", "<!DOCTYPE Project [<!ENTITY ext SYSTEM \"" + secretUri + "\">]>", "C:\\a;&ext;\\b", L"C:\\a;&ext;\\b"},
      {"external DTD", "<!DOCTYPE Project SYSTEM \"" + secretUri + "\">", "C:\\inc", L"C:\\inc"},
      {"parameter entity", "<!DOCTYPE Project [<!ENTITY % p SYSTEM \"" + secretUri + "\"> %p;]>", "C:\\a", L"C:\\a"},
      {"billion laughs",
       "<!DOCTYPE Project [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
       "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">]>",
       "&d;;x", L"&d;;x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(dir.Path("sheet.props"), c.doctype + kProjectOpen + UserGroup(c.text) + "</Project>");
    DirectorySettings s;
    s.m_path = dir.WidePath("sheet.props");
    ASSERT_TRUE(s.LoadSheet());
    EXPECT_EQ(s.m_lists[1], c.expectedList);
    ASSERT_TRUE(s.SaveSheet());
    const std::string written = ReadBytes(dir.Path("sheet.props"));
    EXPECT_EQ(written.find(kSecret), std::string::npos);
    EXPECT_EQ(written.find("<!DOCTYPE"), std::string::npos) << "a sheet never needs a document type";
    DirectorySettings again;
    again.m_path = s.m_path;
    ASSERT_TRUE(again.LoadSheet());
    EXPECT_EQ(again.m_lists[1], c.expectedList) << "the reference survives as text";
  }
}

TEST(HardenedSheet, DeepNestingIsRefusedLikeADamagedFile) {
  // Every level of an indented save costs one more tab per line, so a deeply nested file would be
  // written back many times larger than it was read (100000 levels: about 5 GB).
  struct Case {
    int levels;
    bool loads;
  };
  const Case cases[] = {{kMaxSheetDepth - 3, true}, {kMaxSheetDepth - 2, false}, {100000, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.levels);
    std::string nested;
    for (int i = 0; i < c.levels; ++i) nested += "<a>";
    nested += "x";
    for (int i = 0; i < c.levels; ++i) nested += "</a>";
    ScratchFolder dir;
    // Project, PropertyGroup and UserInclude are three levels; the nesting goes below them.
    const std::string sheet = kProjectOpen + UserGroup("C:\\inc") + "<PropertyGroup><Deep>" + nested +
                              "</Deep></PropertyGroup></Project>";
    WriteBytes(dir.Path("sheet.props"), sheet);
    DirectorySettings s;
    s.m_path = dir.WidePath("sheet.props");
    EXPECT_EQ(s.LoadSheet(), c.loads);
    EXPECT_EQ(s.m_loaded, c.loads);
    if (!c.loads) {
      EXPECT_EQ(s.m_lists[1], L"");
      EXPECT_TRUE(s.SaveSheet()) << "saving an unloaded record does nothing";
      EXPECT_EQ(ReadBytes(dir.Path("sheet.props")), sheet) << "the file is left alone";
    }
  }
}

// Found by the sheet fuzzer: a list of blanks alone (possible through CDATA or the edit line) was
// written as plain text, which the next load drops, so the list came back empty.
TEST(HardenedSheet, ListsOfBlanksReadBackAsWritten) {
  struct Case {
    std::wstring list;
    std::string written;  // the user macro element as saved
  };
  const Case cases[] = {
      {L"  ", "<UserInclude><![CDATA[  ]]></UserInclude>"},
      {L" \t\n ", "<UserInclude><![CDATA[ \t\n ]]></UserInclude>"},
      {L"  ;", "<UserInclude><![CDATA[  ]]></UserInclude>"},  // the final ";" goes first
      {L";", "<UserInclude></UserInclude>"},                 // empty text stays plain
      {L" a ", "<UserInclude> a </UserInclude>"},            // blanks around text are kept as text
  };
  for (const Case& c : cases) {
    ScratchFolder dir;
    DirectorySettings s;
    s.m_path = dir.WidePath("sheet.props");
    ASSERT_TRUE(s.CreateDefaultSheet(0));
    s.m_lists[1] = c.list;
    ASSERT_TRUE(s.SaveSheet());
    EXPECT_NE(ReadBytes(dir.Path("sheet.props")).find(c.written), std::string::npos) << c.written;
    DirectorySettings again;
    again.m_path = s.m_path;
    ASSERT_TRUE(again.LoadSheet());
    EXPECT_EQ(again.m_lists[1], s.m_lists[1]) << c.written;
  }
}

// ReadBytes goes character by character, which is slow for 100 MB.
std::string ReadWholeFile(const std::filesystem::path& path) {
  std::string bytes(std::filesystem::file_size(path), '\0');
  std::ifstream in(path, std::ios::binary);
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

TEST(HardenedSheet, HundredMegabytesInOneMacroRoundTrip) {
  ScratchFolder dir;
  std::string big;
  big.reserve(100u << 20);
  const std::string entry = "C:\\very\\long\\folder\\name\\with\\\xC3\xA4\\umlaut;";  // 40 bytes
  while (big.size() + entry.size() <= (100u << 20)) big += entry;
  big += "C:\\last";
  WriteBytes(dir.Path("sheet.props"), kProjectOpen + UserGroup(big) + "</Project>");
  DirectorySettings s;
  s.m_path = dir.WidePath("sheet.props");
  ASSERT_TRUE(s.LoadSheet());
  const std::wstring expected = DecodeUtf8(big);
  ASSERT_EQ(s.m_lists[1].size(), expected.size());
  EXPECT_TRUE(s.m_lists[1] == expected);
  ASSERT_TRUE(s.SaveSheet());
  // The file is written through a small buffer; it must hold exactly what the document says.
  EXPECT_TRUE(ReadWholeFile(dir.Path("sheet.props")) == s.SerializeSheet());
  DirectorySettings again;
  again.m_path = s.m_path;
  ASSERT_TRUE(again.LoadSheet());
  EXPECT_TRUE(again.m_lists[1] == expected);
}

// Builds a folder below the scratch folder so that folder + "\\" + name has exactly `length`
// characters, creating it. Empty when the scratch folder itself is too long for that.
std::filesystem::path FolderForPathLength(const ScratchFolder& dir, size_t length, const std::string& name) {
  std::filesystem::path folder = dir.Root();
  const size_t base = folder.wstring().size();
  if (base + 1 + 2 + 1 + name.size() > length) return {};
  size_t remaining = length - base - 1 - name.size();  // for "\\" + subfolders and their separators
  while (remaining > 0) {
    const size_t part = std::min<size_t>(remaining - 1, 100);  // each part: separator + up to 100 chars
    if (part == 0) return {};
    folder /= std::string(part, 'd');
    remaining -= part + 1;
  }
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  return folder;
}

// MAX_PATH is 260 with the terminator. Linux and Wine accept longer paths, and so does Windows 10 and
// later with long paths enabled; without that, Windows refuses 260 and 261 at the first open, which
// the reader and writer report as an unreadable or unwritable sheet, never by crashing.
TEST(HardenedSheet, PathsAroundTheWindowsLimitLoadAndSave) {
  for (size_t length : {259u, 260u, 261u}) {
    SCOPED_TRACE(length);
    ScratchFolder dir;
    const std::filesystem::path folder = FolderForPathLength(dir, length, "sheet.props");
    ASSERT_FALSE(folder.empty());
    const std::wstring path = (folder / "sheet.props").wstring();
    ASSERT_EQ(path.size(), length);

    DirectorySettings s;
    s.m_path = path;
    ASSERT_TRUE(s.CreateDefaultSheet(1));
    ASSERT_TRUE(s.LoadSheet());
    s.m_lists[1] = L"C:\\inc";
    ASSERT_TRUE(s.SaveSheet());
    DirectorySettings again;
    again.m_path = path;
    ASSERT_TRUE(again.LoadSheet());
    EXPECT_EQ(again.m_lists[1], L"C:\\inc");
  }
}

TEST(HardenedLanguageFile, InvalidUtf8AndSurrogatesBecomeReplacementCharacters) {
  const std::wstring fffd(1, static_cast<wchar_t>(0xFFFD));
  struct Case {
    const char* name;
    std::string line;
    std::wstring text;
  };
  // One replacement character per bad sequence; the characters around it are kept.
  const Case cases[] = {
      {"stray continuation byte", "2001 a\x80z", L"a" + fffd + L"z"},
      {"truncated sequence", "2001 a\xE2\x82z", L"a" + fffd + L"z"},
      {"overlong slash", "2001 a\xC0\xAFz", L"a" + fffd + L"z"},
      {"lone high surrogate (CESU)", "2001 a\xED\xA0\x80z", L"a" + fffd + L"z"},
      {"lone low surrogate (CESU)", "2001 a\xED\xB0\x80z", L"a" + fffd + L"z"},
      {"high and low surrogate (CESU pair)", "2001 a\xED\xA0\xBD\xED\xB8\x80z", L"a" + fffd + fffd + L"z"},
      {"beyond U+10FFFF", "2001 a\xF4\x90\x80\x80z", L"a" + fffd + L"z"},
      {"byte FF", "2001 \xFF", fffd},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LanguageTable table;
    ASSERT_TRUE(ParseLanguage("<utf-8 encoding>\nLangID Test\n1000 before\n" + c.line + "\n3000 after\n", table));
    EXPECT_EQ(GetText(table, 2001), c.text);
    EXPECT_EQ(GetText(table, 1000), L"before");
    EXPECT_EQ(GetText(table, 3000), L"after") << "the lines after a bad one are read";
  }
  LanguageTable table;
  EXPECT_FALSE(ParseLanguage("<utf-8 encoding\xFF>\nLangID Test\n", table)) << "a damaged header is refused";
}

TEST(HardenedSettingsFile, InvalidUtf8InTheNameIsReplacedNotFatal) {
  const Settings settings = ParseSettings("\xEF\xBB\xBF" "Deu\xFFtsch\r\ntrue\r\n");
  EXPECT_EQ(settings.language, L"Deu" + std::wstring(1, static_cast<wchar_t>(0xFFFD)) + L"tsch");
  EXPECT_EQ(settings.option, 1);
}

}  // namespace
}  // namespace pathwright
