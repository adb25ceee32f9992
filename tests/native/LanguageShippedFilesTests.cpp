// The language files shipped with the program: valid, complete, and safe to use as formats.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "lang/LanguageFile.h"
#include "lang/TextNumbers.h"
#include "base/Utf8.h"
#include "base/FileSystem.h"

namespace pathwright {
namespace {

// Texts used as printf formats with exactly one string argument.
const std::set<uint32_t> kOneStringFormats = {text::kListLabel, text::kMissingSheetText, text::kSaveFailedText};

std::wstring LangFolder() { return DecodeUtf8(PATHWRIGHT_SOURCE_DIR) + L"/lang/"; }

size_t Count(const std::wstring& text, std::wstring_view what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::wstring::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(LanguageShippedFiles, EveryFileHasEveryTextAndSafeFormats) {
  const std::vector<std::wstring> files = ListMatchingEntries(LangFolder(), L"*.lng");
  ASSERT_EQ(files.size(), 3u);
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
    std::set<uint32_t> numbers;
    for (const auto& [number, value] : table) {
      numbers.insert(number);
      EXPECT_FALSE(value.empty()) << where << " " << number;
      const size_t percents = Count(value, L"%");
      if (kOneStringFormats.count(number)) {
        EXPECT_EQ(percents, 1u) << where << " " << number;
        EXPECT_EQ(Count(value, L"%s"), 1u) << where << " " << number;
      } else {
        EXPECT_EQ(percents, 0u) << where << " " << number;
      }
    }
    EXPECT_EQ(numbers, std::set<uint32_t>(std::begin(text::kAll), std::end(text::kAll))) << where;
    EXPECT_EQ(GetText(table, text::kMainTitle), L"Pathwright") << where;
  }
}

}  // namespace
}  // namespace pathwright
