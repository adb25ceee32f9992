// The language catalogue: display names from file headers, listing order, the scan's stop rule.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "lang/Catalogue.h"
#include "lang/Utf8.h"
#include "model/FileSystem.h"

namespace pathwright {
namespace {

std::wstring FolderOf(const testing::ScratchFolder& scratch) {
  std::wstring folder = scratch.Root().wstring();
  folder += std::filesystem::path::preferred_separator;
  return folder;
}

std::string Language(const std::string& name) { return "<utf-8 encoding>\r\nLangID " + name + "\r\n2000 x\r\n"; }

class LanguageCatalogueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::WriteBytes(m_scratch.Path("fr.lng"), Language("Fran\xC3\xA7" "ais"));
    testing::WriteBytes(m_scratch.Path("de.lng"), Language("Deutsch"));
    testing::WriteBytes(m_scratch.Path("en.lng"), Language("English"));
    testing::WriteBytes(m_scratch.Path("en2.lng"), Language("English"));
    testing::WriteBytes(m_scratch.Path("bad.lng"), "<utf-8 encoding>\r\nLangID\r\n");
    m_folder = FolderOf(m_scratch);
  }
  testing::ScratchFolder m_scratch;
  std::wstring m_folder;
};

TEST_F(LanguageCatalogueTest, ScanKeepsListingOrderAndStopsAtTheFirstBadHeader) {
  struct Case {
    const char* name;
    std::vector<std::wstring> listing;
    LanguageCatalogue catalogue;
  } cases[] = {
      {"ordered by display name", {L"fr.lng", L"en.lng", L"de.lng"},
       {{L"Deutsch", L"de.lng"}, {L"English", L"en.lng"}, {L"Fran\u00E7ais", L"fr.lng"}}},
      {"later file wins a name", {L"en.lng", L"en2.lng"}, {{L"English", L"en2.lng"}}},
      {"later file wins, other order", {L"en2.lng", L"en.lng"}, {{L"English", L"en.lng"}}},
      {"bad header ends the scan", {L"de.lng", L"bad.lng", L"en.lng"}, {{L"Deutsch", L"de.lng"}}},
      {"bad first file offers nothing", {L"bad.lng", L"de.lng"}, {}},
      {"vanished file ends the scan", {L"de.lng", L"gone.lng", L"en.lng"}, {{L"Deutsch", L"de.lng"}}},
      {"nothing listed", {}, {}},
  };
  for (const Case& c : cases) {
    LanguageCatalogue catalogue = {{L"Stale", L"stale.lng"}};
    ScanLanguages(m_folder, c.listing, catalogue);
    EXPECT_EQ(catalogue, c.catalogue) << c.name;
  }
}

TEST_F(LanguageCatalogueTest, ReadLanguageHeaderReportsValidity) {
  LanguageCatalogue catalogue;
  EXPECT_TRUE(ReadLanguageHeader(m_folder, L"de.lng", catalogue));
  EXPECT_FALSE(ReadLanguageHeader(m_folder, L"bad.lng", catalogue));
  EXPECT_FALSE(ReadLanguageHeader(m_folder, L"gone.lng", catalogue));
  EXPECT_EQ(catalogue, (LanguageCatalogue{{L"Deutsch", L"de.lng"}}));
}

TEST_F(LanguageCatalogueTest, ListingFindsMatchingEntriesFoldersIncluded) {
  testing::WriteBytes(m_scratch.Path("readme.txt"), "x");
  testing::WriteBytes(m_scratch.Path("UPPER.LNG"), Language("Upper"));
  std::filesystem::create_directory(m_scratch.Path("folder.lng"));
  std::vector<std::wstring> names = ListMatchingEntries(m_folder, L"*.lng");
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::wstring>{L"UPPER.LNG", L"bad.lng", L"de.lng", L"en.lng", L"en2.lng",
                                              L"folder.lng", L"fr.lng"}));
  EXPECT_TRUE(ListMatchingEntries(m_folder + L"missing" + m_folder.back(), L"*.lng").empty());
}

TEST_F(LanguageCatalogueTest, FolderMatchingThePatternEndsTheScan) {
  testing::ScratchFolder other;
  std::filesystem::create_directory(other.Path("folder.lng"));
  LanguageCatalogue catalogue;
  EXPECT_FALSE(ReadLanguageHeader(FolderOf(other), L"folder.lng", catalogue));
  ScanLanguages(FolderOf(other), L"*.lng", catalogue);
  EXPECT_TRUE(catalogue.empty());
}

TEST_F(LanguageCatalogueTest, ScanOfAFolderOnDisk) {
  testing::ScratchFolder other;
  testing::WriteBytes(other.Path("b.lng"), Language("English"));
  testing::WriteBytes(other.Path("a.lng"), Language("Deutsch"));
  testing::WriteBytes(other.Path("notes.txt"), "not a language");
  LanguageCatalogue catalogue;
  ScanLanguages(FolderOf(other), L"*.lng", catalogue);
  EXPECT_EQ(catalogue, (LanguageCatalogue{{L"Deutsch", L"a.lng"}, {L"English", L"b.lng"}}));

  ScanLanguages(FolderOf(other) + L"missing" + FolderOf(other).back(), L"*.lng", catalogue);
  EXPECT_TRUE(catalogue.empty());
}

}  // namespace
}  // namespace pathwright
