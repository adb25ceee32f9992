// The command line as words: the table of commands, the options, which sheets the words name, and
// the help text. The commands themselves are in SheetCommands.cpp, CheckCommands.cpp and
// ApplyCommand.cpp.
#include "Commands.h"

#include <iterator>

#include "CommandSupport.h"
#include "Platform.h"
#include "base/Utf8.h"
#include "base/Version.h"
#include "model/SheetLocation.h"

namespace pathwright::cli {

namespace {

enum Options : unsigned { kNone = 0, kJson = 1, kDryRun = 2, kCreate = 4 };

struct CommandInfo {
  const wchar_t* name;
  Command command;
  int (*run)(const Invocation&, Output&);
  int words;            // words after SHEET (or, without one, the file the command names)
  const wchar_t* tail;  // what the usage line shows after SHEET
  const wchar_t* what;  // the help text's description
  unsigned options = kNone;
  bool sheet = true;  // false: the command names a file of its own and works on a folder's sheets
};

constexpr CommandInfo kCommands[] = {
    {L"show", Command::kShow, ShowLists, 0, L" [--json]",
     L"print the seven lists, one \"Title: list\" line each,\n"
     L"        or with --json one JSON object keyed by user macro",
     kJson},
    {L"get", Command::kGet, ShowLists, 1, L" KIND", L"print one list and a newline"},
    {L"set", Command::kSet, ChangeList, 2, L" KIND LIST", L"replace one list (an empty LIST empties it)"},
    {L"add", Command::kAdd, ChangeList, 2, L" KIND ENTRY", L"append ENTRY to one list"},
    {L"remove", Command::kRemove, ChangeList, 2, L" KIND ENTRY", L"drop every entry equal to ENTRY from one list"},
    {L"create", Command::kCreate, CreateNewSheet, 0, L" --vs 2010|2012|2013 [--force]",
     L"write a new, empty sheet for that Visual Studio version (2013 also\n"
     L"        serves every later version), creating missing folders; a sheet\n"
     L"        that can be read (or a file that cannot be opened at all) is only\n"
     L"        replaced with --force, and any file replaced is kept as SHEET.bak\n"
     L"        (SHEET.bak.2, SHEET.bak.3... when that name is taken)",
     kCreate},
    {L"check", Command::kCheck, CheckSheets, 0, L" [--json]",
     L"judge every entry in force: the lists, folders written inline\n"
     L"        in path properties, conditional elements and other groups;\n"
     L"        one line per entry, problems first, or one JSON object",
     kJson},
    {L"doctor", Command::kDoctor, DoctorProjects, 1, L" PROJECT.vcxproj|SOLUTION.sln [--json]",
     L"tell for each platform of a project (or of each project of a\n"
     L"        solution) whether it imports that platform's sheet, and\n"
     L"        whether the sheet exists and reads",
     kJson, false},
    {L"apply", Command::kApply, ApplyConfig, 1, L" CONFIG.json [--dry-run]",
     L"make the sheets of the folder hold the lists CONFIG names:\n"
     L"        {\"mode\": \"ensure\"|\"exact\", \"platforms\": {\"x64\":\n"
     L"        {\"include\": [\"C:\\\\inc\"]}}}; a missing sheet is created;\n"
     L"        --dry-run prints the changes and writes nothing",
     kDryRun, false},
};

std::wstring UsageLine(const CommandInfo& info) {
  if (!info.sheet) return info.name + std::wstring(info.tail);
  return std::wstring(info.name) + (kHasUserSheetFolder ? L" [SHEET]" : L" SHEET") + info.tail;
}

// Which sheet the words name, on this system.
std::wstring SheetHelp() {
  if (!kHasUserSheetFolder) {
    return L"SHEET is the path of the sheet; it is required on this system unless\n"
           L"--folder DIR names the folder of the sheets (--platform NAME then picks\n" +
           UserSheetName(L"NAME") + L" there; " + kDefaultPlatform + L" by default).\n\n";
  }
  return L"SHEET may be left out of every command. The number of words\n"
         L"alone decides: \"get include\" reads the default sheet, \"get my.props include\"\n"
         L"reads my.props. The default sheet is the current user's\n" +
         UserSheetPath(L"%LOCALAPPDATA%", kDefaultPlatform) + L";\n--platform NAME picks " + UserSheetName(L"NAME") +
         L" in that folder instead.\n"
         L"--folder DIR takes the sheets of DIR instead of the current user's.\n\n";
}

std::wstring HelpText() {
  std::wstring text = L"Usage: pathwright-cli COMMAND [ARGUMENTS]\nEdits the seven VC++ directory lists of a user "
                      L"MSBuild property sheet\n(" +
                      UserSheetName(L"<platform>") + L").\n\nCommands:\n";
  for (const CommandInfo& info : kCommands) text += L"  " + UsageLine(info) + L"\n        " + info.what + L"\n";
  text +=
      L"  --help     print this text\n"
      L"  --version  print the version\n"
      L"\n"
      L"KIND names one list by its user macro (UserInclude), its path property\n"
      L"(IncludePath) or one word: executable, include, reference, library, winrt,\n"
      L"source, exclude; in any letter case.\n"
      L"Entries in a list are separated by \";\". ENTRY cannot hold \";\".\n"
      L"Options may stand anywhere after COMMAND. \"--\" ends the options, so a LIST\n"
      L"or ENTRY that begins with \"-\" goes after it.\n"
      L"\n" +
      SheetHelp() + L"--platform all takes every " + UserSheetName(L"*") +
      L" of the folder in name\n"
      L"order; the text of each sheet then follows a line \"== SHEET\", and --json\n"
      L"gives an array. set, add and remove print \"SHEET: done\" or \"SHEET: unchanged\"\n"
      L"for each sheet; a sheet that fails is named on standard error with the reason,\n"
      L"and the other sheets are still handled.\n"
      L"\n"
      L"Exit codes:\n"
      L"  0  done\n"
      L"  1  the sheet cannot be read (nothing is created or written then); with\n"
      L"     --platform all, at least one sheet could not be read (each sheet's\n"
      L"     outcome is listed, and the others were handled)\n"
      L"  2  usage error, create without --force over a sheet that can be read, or a\n"
      L"     list holding a character XML does not allow (nothing is written then)\n"
      L"  3  the sheet could not be written (the old file is unchanged), also when\n"
      L"     another pathwright-cli kept it locked or other programs kept changing it\n"
      L"  4  standard output or standard error could not be written\n"
      L"  5  check or doctor found a problem\n"
      L"  6  apply --dry-run: a run without it would change a sheet\n";
  return text;
}

const CommandInfo* FindCommand(std::wstring_view name) {
  for (const CommandInfo& info : kCommands) {
    if (name == info.name) return &info;
  }
  return nullptr;
}

// Reads the options and words after COMMAND. Returns an exit code when the run ends here.
std::optional<int> ParseOptions(const std::vector<std::wstring>& args, Invocation& inv, Output& output) {
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
      output.out += HelpText();
      return kExitDone;
    }
    if (name == L"--json" || name == L"--force" || name == L"--dry-run") {
      if (value) return UsageError(output, name + L" takes no value");
      (name == L"--json" ? inv.json : name == L"--force" ? inv.force : inv.dryRun) = true;
      continue;
    }
    if (name != L"--platform" && name != L"--vs" && name != L"--folder") {
      return UsageError(output, L"unknown option " + arg);
    }
    if (!value && i + 1 >= args.size()) {
      return UsageError(output, name + (name == L"--vs" ? L" needs a version" : name == L"--folder" ? L" needs a DIR"
                                                                                                   : L" needs a NAME"));
    }
    (name == L"--vs" ? inv.vs : name == L"--folder" ? inv.folder : inv.platform) = value ? *value : args[++i];
  }
  return std::nullopt;
}

// Options that belong to other commands, and platform names that are no plain names.
std::optional<int> CheckOptions(const CommandInfo& info, const Invocation& inv, Output& output) {
  if (inv.json && !(info.options & kJson)) return UsageError(output, L"--json belongs to show, check and doctor");
  if (inv.dryRun && !(info.options & kDryRun)) return UsageError(output, L"--dry-run belongs to apply");
  if ((inv.force || inv.vs) && !(info.options & kCreate)) {
    return UsageError(output, std::wstring(inv.force ? L"--force" : L"--vs") + L" belongs to create");
  }
  if (inv.platform && *inv.platform != L"all" && !IsPlatformName(*inv.platform)) {
    return UsageError(output, L"--platform takes a plain name such as x64 (letters, digits, _ and -), or all");
  }
  return std::nullopt;
}

// doctor and apply: the one file named, and the folder of the sheets.
std::optional<int> ResolveFolderCommand(const CommandInfo& info, Invocation& inv, Output& output) {
  if (inv.words.size() != 1) {
    return UsageError(output, std::wstring(inv.words.empty() ? L"too few" : L"too many") +
                                  L" arguments; usage: pathwright-cli " + UsageLine(info));
  }
  if (info.command == Command::kApply && inv.platform) {
    return UsageError(output, L"apply takes its platforms from CONFIG, not from --platform");
  }
  inv.file = inv.words[0];
  return PickSheetFolder(inv.folder, inv.sheetFolder, output);
}

// KIND, and the LIST or ENTRY after it.
std::optional<int> ResolveKindAndValue(const CommandInfo& info, const std::vector<std::wstring>& rest,
                                       Invocation& inv, Output& output) {
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
    output.out += HelpText();
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
  if (std::optional<int> done = ParseOptions(args, inv, output)) return *done;
  if (std::optional<int> refused = CheckOptions(*info, inv, output)) return *refused;
  const std::optional<int> unresolved =
      info->sheet ? ResolveSheetCommand(*info, inv, output) : ResolveFolderCommand(*info, inv, output);
  if (unresolved) return *unresolved;
  return info->run(inv, output);
}

}  // namespace pathwright::cli
