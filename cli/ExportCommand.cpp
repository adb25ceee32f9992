// export: the lists of a machine's sheets written down as the config apply reads, so that a team
// lead's setup can be applied on the other machines.
#include "CommandSupport.h"
#include "Json.h"
#include "model/DirectoryList.h"
#include "model/SheetLocation.h"

namespace pathwright::cli {

namespace {

// The platform a sheet of the folder is for, from its file name; empty when the name has not the
// sheet's form.
std::wstring PlatformOfSheet(const std::wstring& folder, const std::wstring& sheet) {
  const std::wstring pattern = UserSheetName(L"*"), any = SheetInFolder(folder, L"*");
  const size_t star = pattern.find(L'*'), start = any.size() - pattern.size() + star;
  const size_t suffix = pattern.size() - star - 1;
  if (sheet.size() <= start + suffix) return L"";
  return sheet.substr(start, sheet.size() - start - suffix);
}

// One platform's lists as apply reads them: the entries of each list that holds any, by user macro.
// An empty entry (";;") means nothing to MSBuild, and apply would refuse it.
Json ListsJson(const DirectoryLists& lists) {
  Json json = Json::object();
  for (int k = 0; k < kKindCount; ++k) {
    Json entries = Json::array();
    for (const std::wstring& entry : SplitEntries(lists[k])) {
      if (!entry.empty()) entries.push_back(JsonText(entry));
    }
    if (!entries.empty()) json[EncodeUtf8(kUserMacros[k])] = std::move(entries);
  }
  return json;
}

}  // namespace

int ExportLists(const Invocation& inv, Output& output) {
  std::vector<std::wstring> sheets;
  if (inv.platform && *inv.platform != L"all") {
    sheets.push_back(SheetInFolder(inv.sheetFolder, *inv.platform));
  } else {
    sheets = SheetsInFolder(inv.sheetFolder);
    if (sheets.empty()) {
      output.err += L"pathwright-cli: there is no " + UserSheetName(L"*") + L" in " + inv.sheetFolder + L"\n";
      return kExitUnreadable;
    }
  }

  // Every sheet must read and be for a platform apply takes: half a setup would pass for all of it.
  Json platforms = Json::object();
  for (const std::wstring& sheet : sheets) {
    const std::wstring platform = PlatformOfSheet(inv.sheetFolder, sheet);
    if (!IsConfigPlatformName(platform)) {
      return ReadFailure(output, sheet, L"\"" + platform + L"\" is no platform name apply can take");
    }
    SheetSnapshot read;
    if (Result loaded = ReadSheet(sheet, read); !loaded) return ReadFailure(output, sheet, loaded.why);
    platforms[EncodeUtf8(platform)] = ListsJson(read.lists);
  }
  const Json config = {{"mode", "ensure"}, {"platforms", std::move(platforms)}};

  if (!inv.output) {
    output.out += JsonOutput(config);
    return kExitDone;
  }
  if (Result written = ReplaceFileAtomically(*inv.output, EncodeUtf8(JsonOutput(config))); !written) {
    return WriteFailure(output, *inv.output, written);
  }
  return kExitDone;
}

}  // namespace pathwright::cli
