// The command line as words: the options, and which sheets the words name. The table of commands
// and its help texts are in CommandTable.cpp; the commands themselves in SheetCommands.cpp,
// CheckCommands.cpp, ApplyCommand.cpp and ExportCommand.cpp.
#include "Commands.h"

#include <algorithm>
#include <iterator>

#include "CommandTable.h"
#include "Platform.h"
#include "base/Utf8.h"
#include "base/Version.h"
#include "model/SheetLocation.h"

namespace pathwright::cli {

namespace {

// Reads the options and words after COMMAND. Returns an exit code when the run ends here.
std::optional<int> ParseOptions(const CommandInfo& info, const std::vector<std::wstring>& args, Invocation& inv,
                                Output& output) {
  bool optionsEnded = false;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::wstring& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != L'-') {
      inv.words.push_back(arg);
      continue;
    }
    if (arg == L"--") {
      optionsEnded = true;
      continue;
    }
    std::wstring name = arg;
    std::optional<std::wstring> value;
    if (const size_t eq = arg.find(L'='); arg.compare(0, 2, L"--") == 0 && eq != std::wstring::npos) {
      name = arg.substr(0, eq);
      value = arg.substr(eq + 1);
    }
    if (name == L"--help" || name == L"-h") {
      output.out += CommandHelp(info);
      return kExitDone;
    }
    if (name == L"--json" || name == L"--force" || name == L"--dry-run") {
      if (value) return UsageError(output, name + L" takes no value");
      (name == L"--json" ? inv.json : name == L"--force" ? inv.force : inv.dryRun) = true;
      continue;
    }
    const struct {
      const wchar_t* name;
      std::optional<std::wstring>& target;
      const wchar_t* needs;
    } valued[] = {{L"--platform", inv.platform, L"a NAME"},
                  {L"--vs", inv.vs, L"a version"},
                  {L"--folder", inv.folder, L"a DIR"},
                  {L"--output", inv.output, L"a FILE"}};
    const auto option = std::find_if(std::begin(valued), std::end(valued), [&](auto& v) { return name == v.name; });
    if (option == std::end(valued)) return UsageError(output, L"unknown option " + arg);
    if (!value && i + 1 >= args.size()) return UsageError(output, name + L" needs " + option->needs);
    option->target = value ? *value : args[++i];
  }
  return std::nullopt;
}

// Options that belong to other commands, and platform names that are no plain names.
std::optional<int> CheckOptions(const CommandInfo& info, const Invocation& inv, Output& output) {
  if (info.command == Command::kApply && inv.platform) {
    return UsageError(output, L"apply takes its platforms from CONFIG, not from --platform");
  }
  const std::pair<bool, unsigned> given[] = {{inv.json, kJson},
                                             {inv.dryRun, kDryRun},
                                             {inv.force, kForce},
                                             {inv.vs.has_value(), kVs},
                                             {inv.platform.has_value(), kPlatform},
                                             {inv.folder.has_value(), kFolder},
                                             {inv.output.has_value(), kOutput}};
  for (const auto& [there, option] : given) {
    if (!there || (info.options & option)) continue;
    return UsageError(output, WhereOptionBelongs(option));
  }
  if (inv.platform && *inv.platform != L"all" && !IsPlatformName(*inv.platform)) {
    return UsageError(output, L"--platform takes a plain name such as x64 (letters, digits, _ and -), or all");
  }
  if (inv.output && inv.output->empty()) return UsageError(output, L"--output is empty");
  return std::nullopt;
}

// doctor, apply and export: the file named, if any, and the folder of the sheets.
std::optional<int> ResolveFolderCommand(const CommandInfo& info, Invocation& inv, Output& output) {
  if (inv.words.size() != static_cast<size_t>(info.words)) {
    return UsageError(output,
                      std::wstring(inv.words.size() < static_cast<size_t>(info.words) ? L"too few" : L"too many") +
                          L" arguments; usage: pathwright-cli " + UsageLine(info));
  }
  if (!inv.words.empty()) inv.file = inv.words[0];
  return PickSheetFolder(inv.folder, inv.sheetFolder, output);
}

// KIND, and the LIST or ENTRY after it.
std::optional<int> ResolveKindAndValue(const CommandInfo& info, const std::vector<std::wstring>& rest, Invocation& inv,
                                       Output& output) {
  if (rest.empty()) return std::nullopt;
  inv.kind = KindFromName(rest[0]);
  if (inv.kind < 0) {
    return UsageError(output, L"unknown KIND \"" + rest[0] +
                                  L"\"; use UserInclude, IncludePath or include, and the like for executable, "
                                  L"reference, library, winrt, source, exclude");
  }
  if (rest.size() < 2) return std::nullopt;
  inv.value = rest[1];
  if (info.command == Command::kSet) return std::nullopt;
  if (inv.value.find(L';') != std::wstring::npos) {
    return UsageError(output, L"ENTRY cannot hold \";\", which separates entries; set replaces a whole list");
  }
  if (info.command == Command::kAdd && inv.value.empty()) return UsageError(output, L"ENTRY is empty");
  return std::nullopt;
}

// The sheet named, or the sheets --platform and --folder pick.
std::optional<int> ResolveSheetList(bool sheetNamed, Invocation& inv, Output& output) {
  if (sheetNamed) {
    inv.sheets.push_back(inv.words[0]);
    return std::nullopt;
  }
  std::wstring folder;
  if (std::optional<int> failed = PickSheetFolder(inv.folder, folder, output)) return failed;
  if (inv.platform != L"all") {
    inv.sheets.push_back(SheetInFolder(folder, inv.platform.value_or(kDefaultPlatform)));
    return std::nullopt;
  }
  inv.sheets = SheetsInFolder(folder);
  if (!inv.sheets.empty()) return std::nullopt;
  output.err += L"pathwright-cli: there is no " + UserSheetName(L"*") + L" in " + folder + L"\n";
  return kExitUnreadable;
}

// The commands on sheets: whether SHEET is named, then KIND and the rest, then the sheets.
std::optional<int> ResolveSheetCommand(const CommandInfo& info, Invocation& inv, Output& output) {
  if (info.command == Command::kCreate && inv.platform == L"all") {
    return UsageError(output, L"create makes one sheet; name its platform, not all");
  }
  const bool mayLeaveOut = kHasUserSheetFolder || inv.folder.has_value();
  if (inv.platform && !mayLeaveOut) {
    return UsageError(output,
                      L"--platform needs the current user's MSBuild folder, which exists on Windows only; "
                      L"name the SHEET, or the folder with --folder DIR");
  }
  // The number of words alone tells whether SHEET is there, so a sheet named like a KIND stays a sheet.
  const size_t count = inv.words.size(), needed = static_cast<size_t>(info.words);
  const bool sheetNamed = count == needed + 1;
  if (!sheetNamed && !(count == needed && mayLeaveOut)) {
    std::wstring why = count > needed ? L"too many arguments" : L"too few arguments";
    if (count == needed && !kHasUserSheetFolder) why += L" (SHEET or --folder DIR is required on this system)";
    return UsageError(output, why + L"; usage: pathwright-cli " + UsageLine(info));
  }
  if (sheetNamed && inv.words[0].empty()) return UsageError(output, L"SHEET is empty");
  if (sheetNamed && (inv.platform || inv.folder)) {
    return UsageError(output, L"--platform and --folder pick the sheet, so SHEET cannot be named as well");
  }
  const std::vector<std::wstring> rest(inv.words.begin() + (sheetNamed ? 1 : 0), inv.words.end());
  if (std::optional<int> refused = ResolveKindAndValue(info, rest, inv, output)) return refused;
  return ResolveSheetList(sheetNamed, inv, output);
}

}  // namespace

int Run(const std::vector<std::wstring>& args, Output& output) {
  if (args.empty()) return UsageError(output, L"no command given");
  const std::wstring& first = args[0];
  if (first == L"--help" || first == L"-h") {
    output.out += OverviewHelp();
    return kExitDone;
  }
  if (first == L"--version") {
    output.out += DecodeUtf8(PATHWRIGHT_VERSION "\n");
    return kExitDone;
  }
  const CommandInfo* info = FindCommand(first);
  if (!info) {
    return UsageError(output,
                      (first.size() > 1 && first[0] == L'-' ? L"unknown option " : L"unknown command ") + first);
  }
  Invocation inv{.command = info->command};
  if (std::optional<int> done = ParseOptions(*info, args, inv, output)) return *done;
  if (std::optional<int> refused = CheckOptions(*info, inv, output)) return *refused;
  std::optional<int> unresolved;
  if (info->target == Target::kSheet) unresolved = ResolveSheetCommand(*info, inv, output);
  if (info->target == Target::kFile || info->target == Target::kFolder) {
    unresolved = ResolveFolderCommand(*info, inv, output);
  }
  if (unresolved) return *unresolved;
  return info->run(inv, output);
}

}  // namespace pathwright::cli
