// The settings file programm.ini, byte for byte in both directions.
#include <gtest/gtest.h>

#include <string>

#include "TestFiles.h"
#include "lang/Settings.h"

namespace pathwright {
namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";

TEST(LanguageSettings, FormatsExactBytes) {
  struct Case {
    std::wstring language;
    int option;
    std::string bytes;
  } cases[] = {
      {L"English", 1, std::string(kBom) + "English\r\ntrue\r\n"},
      {L"Deutsch", 0, std::string(kBom) + "Deutsch\r\nfalse\r\n"},
      {L"Fran\u00E7ais", 2, std::string(kBom) + "Fran\xC3\xA7" "ais\r\ntrue\r\n"},
      {L"", 0, std::string(kBom) + "\r\nfalse\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatSettings(c.language, c.option), c.bytes);
}

TEST(LanguageSettings, ParsesLines) {
  const std::string long1023(1023, 'n');
  struct Case {
    const char* name;
    std::string bytes;
    std::wstring language;
    int option;
  } cases[] = {
      {"as written", std::string(kBom) + "English\r\ntrue\r\n", L"English", 1},
      {"no BOM, LF, no final break", "English\ntrue", L"English", 1},
      {"name kept as it stands", std::string(kBom) + "english\r\ntrue\r\n", L"english", 1},
      {"one line", std::string(kBom) + "Deutsch\r\n", L"Deutsch", 0},
      {"one line without break", "Deutsch", L"Deutsch", 0},
      {"True is not true", "English\r\nTrue\r\n", L"English", 0},
      {"trailing space", "English\r\ntrue \r\n", L"English", 0},
      {"1 is not true", "English\r\n1\r\n", L"English", 0},
      {"empty line 1", "\r\ntrue\r\n", L"", 1},
      {"empty file", "", L"", 0},
      {"BOM only", kBom, L"", 0},
      {"UTF-8 name", std::string(kBom) + "Fran\xC3\xA7" "ais\r\nfalse\r\n", L"Fran\u00E7ais", 0},
      {"1023 characters read whole", long1023 + "\r\ntrue\r\n", std::wstring(1023, L'n'), 1},
      {"longer line spills into line 2", long1023 + "true\r\ntrue\r\n", std::wstring(1023, L'n'), 1},
      {"longer line, other text", long1023 + "xx\r\ntrue\r\n", std::wstring(1023, L'n'), 0},
  };
  for (const Case& c : cases) {
    const Settings settings = ParseSettings(c.bytes);
    EXPECT_TRUE(settings.found) << c.name;
    EXPECT_EQ(settings.language, c.language) << c.name;
    EXPECT_EQ(settings.option, c.option) << c.name;
  }
}

TEST(LanguageSettings, MissingFileIsNotFound) {
  testing::ScratchFolder folder;
  const Settings settings = ReadSettingsFile(folder.WidePath("programm.ini"));
  EXPECT_FALSE(settings.found);
  EXPECT_TRUE(settings.language.empty());
}

TEST(LanguageSettings, WriteReplacesTheWholeFileAndReadsBack) {
  testing::ScratchFolder folder;
  const auto path = folder.Path("programm.ini");
  testing::WriteBytes(path, std::string(kBom) + "A much longer language name\r\ntrue\r\nstray third line\r\n");

  ASSERT_TRUE(WriteSettingsFile(path.wstring(), L"Fran\u00E7ais", 0));
  EXPECT_EQ(testing::ReadBytes(path), std::string(kBom) + "Fran\xC3\xA7" "ais\r\nfalse\r\n");
  Settings settings = ReadSettingsFile(path.wstring());
  EXPECT_TRUE(settings.found);
  EXPECT_EQ(settings.language, L"Fran\u00E7ais");
  EXPECT_EQ(settings.option, 0);

  ASSERT_TRUE(WriteSettingsFile(path.wstring(), L"english", 1));
  EXPECT_EQ(testing::ReadBytes(path), std::string(kBom) + "english\r\ntrue\r\n");
  settings = ReadSettingsFile(path.wstring());
  EXPECT_EQ(settings.language, L"english");
  EXPECT_EQ(settings.option, 1);
}

TEST(LanguageSettings, FailedWriteIsReportedAndLeavesNoFile) {
  testing::ScratchFolder folder;
  const auto path = folder.Path("missing") / "programm.ini";
  const IoResult result = WriteSettingsFile(path.wstring(), L"English", 1);
  EXPECT_FALSE(result);
  EXPECT_FALSE(result.message.empty());
  EXPECT_FALSE(PathExists(path.wstring()));
}

}  // namespace
}  // namespace pathwright
