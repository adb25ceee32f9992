// The language catalogue: display names from file headers, listing order, the scan's stop rule.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/Files.h"
#include "lang/Catalogue.h"
#include "base/FileSystem.h"

namespace pathwright {
namespace {

using testing::ScratchFolder;
using testing::WriteBytes;

std::wstring FolderOf(const ScratchFolder& scratch) { return (scratch.Root() / "").wstring(); }

std::string Language(const std::string& name) { return "<utf-8 encoding>\r\nLangID " + name + "\r\n2000 x\r\n"; }

TEST(LanguageCatalogue, ScanKeepsListingOrderAndStopsAtTheFirstBadHeader) {
  ScratchFolder scratch;
  for (const auto& [file, name] : {std::pair{"fr.lng", "Fran\xC3\xA7" "ais"}, {"de.lng", "Deutsch"},
                                    {"en.lng", "English"}, {"en2.lng", "English"}}) {
    WriteBytes(scratch.Path(file), Language(name));
  }
  WriteBytes(scratch.Path("bad.lng"), "<utf-8 encoding>\r\nLangID\r\n");
  std::filesystem::create_directory(scratch.Path("folder.lng"));
  const struct { const char* name; std::vector<std::wstring> listing; LanguageCatalogue catalogue; } cases[] = {
      {"ordered by display name", {L"fr.lng", L"en.lng", L"de.lng"},
       {{L"Deutsch", L"de.lng"}, {L"English", L"en.lng"}, {L"Fran\u00E7ais", L"fr.lng"}}},
      {"later file wins a name", {L"en.lng", L"en2.lng"}, {{L"English", L"en2.lng"}}},
      {"later file wins, other order", {L"en2.lng", L"en.lng"}, {{L"English", L"en.lng"}}},
      {"bad header ends the scan", {L"de.lng", L"bad.lng", L"en.lng"}, {{L"Deutsch", L"de.lng"}}},
      {"bad first file offers nothing", {L"bad.lng", L"de.lng"}, {}},
      {"vanished file ends the scan", {L"de.lng", L"gone.lng", L"en.lng"}, {{L"Deutsch", L"de.lng"}}},
      {"folder ends the scan", {L"de.lng", L"folder.lng", L"en.lng"}, {{L"Deutsch", L"de.lng"}}},
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

}  // namespace
}  // namespace pathwright
