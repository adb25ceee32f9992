// The commands on the lists of one sheet or of every sheet of a folder: show, get, set, add, remove,
// and create.
#include "CommandSupport.h"
#include "Json.h"
#include "model/ListEdits.h"

namespace pathwright::cli {

namespace {
// The seven lists keyed by user macro, in their fixed order.
Json ShowJson(const DirectoryLists& lists) {
  Json json = Json::object();
  for (int k = 0; k < kKindCount; ++k) json[EncodeUtf8(kUserMacros[k])] = JsonText(lists[k]);
  return json;
}

std::wstring ShowText(const DirectoryLists& lists) {
  std::wstring text;
  for (int k = 0; k < kKindCount; ++k) text += std::wstring(kKindTitles[k]) + L": " + lists[k] + L"\n";
  return text;
}
}  // namespace

int ShowLists(const Invocation& inv, Output& output) {
  const bool several = inv.sheets.size() > 1;
  int code = kExitDone;
  Json shown = Json::array();  // show --json over several sheets
  for (const std::wstring& sheet : inv.sheets) {
    if (several && !inv.json) output.out += L"== " + sheet + L"\n";
    code = WorseExit(code, ForOneSheet(sheet, output, [&] {
                       SheetSnapshot read;
                       if (Result loaded = ReadSheet(sheet, read); !loaded) return ReadFailure(output, sheet, loaded.why);
                       if (inv.command == Command::kGet) {
                         output.out += read.lists[inv.kind] + L"\n";
                       } else if (!inv.json) {
                         output.out += ShowText(read.lists);
                       } else if (!several) {
                         output.out += JsonOutput(ShowJson(read.lists));
                       } else {
                         Json one = {{"sheet", JsonText(sheet)}};
                         one.update(ShowJson(read.lists));
                         shown.push_back(std::move(one));
                       }
                       return kExitDone;
                     }));
  }
  if (!shown.empty()) output.out += JsonOutput(shown);
  return code;
}

int ChangeList(const Invocation& inv, Output& output) {
  const SheetChange change = [&](DirectoryLists& lists, const SheetDocument&) {
    std::wstring& list = lists[inv.kind];
    if (inv.command == Command::kSet) return SetList(list, inv.value).changed;
    if (inv.command == Command::kAdd) return AddEntry(list, inv.value).changed;
    return RemoveEntry(list, inv.value).changed;  // an entry already there, or one absent: nothing to write
  };
  // Over several sheets each gets its line: a script learns which were written when one fails.
  const bool several = inv.sheets.size() > 1;
  int code = kExitDone;
  for (const std::wstring& sheet : inv.sheets) {
    code = WorseExit(code, ForOneSheet(sheet, output, [&] {
                       const EditOutcome edited = EditSheet(sheet, change);
                       const int done = EditExit(sheet, edited, output);
                       if (several && done == kExitDone) output.out += sheet + (edited.written ? L": done\n" : L": unchanged\n");
                       return done;
                     }));
  }
  return code;
}

int CreateNewSheet(const Invocation& inv, Output& output) {
  if (!inv.vs) return UsageError(output, L"create needs --vs 2010, 2012 or 2013");
  std::optional<VsVersion> version;
  if (*inv.vs == L"2010") version = VsVersion::k2010;
  if (*inv.vs == L"2012") version = VsVersion::k2012;
  if (*inv.vs == L"2013") version = VsVersion::k2013;
  if (!version) return UsageError(output, L"--vs takes 2010, 2012 or 2013, not \"" + *inv.vs + L"\"");
  const std::wstring& sheet = inv.sheets[0];
  const EditOutcome created = CreateSheet(sheet, *version, {.replaceAnything = inv.force, .makeFolders = true});
  if (!created.backupPath.empty()) output.out += L"The old file is kept as " + created.backupPath + L"\n";
  return EditExit(sheet, created, output);
}

}  // namespace pathwright::cli
