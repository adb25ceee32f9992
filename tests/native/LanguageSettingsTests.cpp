// The settings file programm.ini, byte for byte in both directions.
#include <gtest/gtest.h>

#include <string>

#include "support/Files.h"
#include "lang/Settings.h"

namespace pathwright {
namespace {

const std::string kBom = "\xEF\xBB\xBF";

TEST(LanguageSettings, ParsesLines) {
  const std::string n1023(1023, 'n');
  const std::wstring w1023(1023, L'n');
  const struct { const char* name; std::string bytes; std::wstring language; int option; } cases[] = {
      {"as written", kBom + "English\r\ntrue\r\n", L"English", 1}, {"LF, no BOM", "English\ntrue", L"English", 1},
      {"name as it stands", kBom + "english\r\ntrue\r\n", L"english", 1},
      {"one line", kBom + "Deutsch\r\n", L"Deutsch", 0}, {"one line without break", "Deutsch", L"Deutsch", 0},
      {"True is not true", "English\r\nTrue\r\n", L"English", 0},
      {"trailing space", "English\r\ntrue \r\n", L"English", 0}, {"1 is not true", "English\r\n1\r\n", L"English", 0},
      {"empty line 1", "\r\ntrue\r\n", L"", 1}, {"empty file", "", L"", 0}, {"BOM only", kBom, L"", 0},
      {"UTF-8 name", kBom + "Fran\xC3\xA7" "ais\r\nfalse\r\n", L"Fran\u00E7ais", 0},
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

TEST(LanguageSettings, MissingFileThenWritesThatReplaceTheWholeFile) {
  testing::ScratchFolder folder;
  const std::wstring path = folder.WidePath("programm.ini");
  Settings settings = ReadSettingsFile(path);
  EXPECT_FALSE(settings.found);
  EXPECT_TRUE(settings.language.empty());
  testing::WriteBytes(path, kBom + "A much longer language name\r\ntrue\r\nstray third line\r\n");
  const struct { std::wstring language; int option; std::string bytes; } writes[] = {
      {L"Fran\u00E7ais", 0, kBom + "Fran\xC3\xA7" "ais\r\nfalse\r\n"}, {L"english", 2, kBom + "english\r\ntrue\r\n"},
      {L"", 0, kBom + "\r\nfalse\r\n"}};
  for (const auto& w : writes) {
    ASSERT_TRUE(WriteSettingsFile(path, w.language, w.option));
    EXPECT_EQ(testing::ReadBytes(path), w.bytes);
    settings = ReadSettingsFile(path);
    EXPECT_TRUE(settings.found);
    EXPECT_EQ(settings.language, w.language);
    EXPECT_EQ(settings.option, w.option ? 1 : 0);
  }
  const std::wstring missing = (folder.Path("missing") / "programm.ini").wstring();
  const IoResult failed = WriteSettingsFile(missing, L"English", 1);
  EXPECT_FALSE(failed);
  EXPECT_FALSE(failed.message.empty());
  EXPECT_FALSE(PathExists(missing));
}

}  // namespace
}  // namespace pathwright
