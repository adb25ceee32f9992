#include "Commands.h"

#include <iterator>
#include <optional>
#include <string_view>
#include <vector>

#include "CommandSupport.h"
#include "Json.h"
#include "Platform.h"
#include "base/Utf8.h"
#include "model/DirectoryKinds.h"
#include "model/DirectoryList.h"
#include "model/SheetLocation.h"
#include "base/FileSystem.h"
#include "base/Version.h"

namespace pathwright::cli {

namespace {

enum class Command { kShow, kGet, kSet, kAdd, kRemove, kCreate, kCheck, kDoctor, kApply };

struct CommandInfo {
  const wchar_t* name;
  Command command;
  int words;            // words after SHEET
  const wchar_t* tail;  // what the usage line shows after SHEET
  bool sheet = true;    // false: the command names a file of its own and works on a folder's sheets
};

constexpr CommandInfo kCommands[] = {
    {L"show", Command::kShow, 0, L" [--json]"},
    {L"get", Command::kGet, 1, L" KIND"},
    {L"set", Command::kSet, 2, L" KIND LIST"},
    {L"add", Command::kAdd, 2, L" KIND ENTRY"},
    {L"remove", Command::kRemove, 2, L" KIND ENTRY"},
    {L"create", Command::kCreate, 0, L" --vs 2010|2012|2013 [--force]"},
    {L"check", Command::kCheck, 0, L" [--json]"},
    {L"doctor", Command::kDoctor, 1, L" PROJECT.vcxproj|SOLUTION.sln [--json]", false},
    {L"apply", Command::kApply, 1, L" CONFIG.json [--dry-run]", false},
};

// Every command may work on the current user's sheet; create replaces a readable one only with --force.
bool SheetMayBeLeftOut(const CommandInfo&) { return kHasUserSheetFolder; }

std::wstring UsageLine(const CommandInfo& info) {
  if (!info.sheet) return info.name + std::wstring(info.tail);
  return std::wstring(info.name) + (SheetMayBeLeftOut(info) ? L" [SHEET]" : L" SHEET") + info.tail;
}

std::wstring HelpText() {
  std::wstring text =
      L"Usage: pathwright-cli COMMAND [ARGUMENTS]\n"
      L"Edits the seven VC++ directory lists of a user MSBuild property sheet\n"
      L"(" +
      UserSheetName(L"<platform>") +
      L").\n"
      L"\n"
      L"Commands:\n";
  const wchar_t* what[] = {
      L"print the seven lists, one \"Title: list\" line each,\n"
      L"        or with --json one JSON object keyed by user macro",
      L"print one list and a newline",
      L"replace one list (an empty LIST empties it)",
      L"append ENTRY to one list",
      L"drop every entry equal to ENTRY from one list",
      L"write a new, empty sheet for that Visual Studio version (2013 also\n"
      L"        serves every later version), creating missing folders; a sheet\n"
      L"        that can be read (or a file that cannot be opened at all) is only\n"
      L"        replaced with --force, and any file replaced is kept as SHEET.bak\n"
      L"        (SHEET.bak.2, SHEET.bak.3... when that name is taken)",
      L"judge every entry in force: the lists, folders written inline\n"
      L"        in path properties, conditional elements and other groups;\n"
      L"        one line per entry, problems first, or one JSON object",
      L"tell for each platform of a project (or of each project of a\n"
      L"        solution) whether it imports that platform's sheet, and\n"
      L"        whether the sheet exists and reads",
      L"make the sheets of the folder hold the lists CONFIG names:\n"
      L"        {\"mode\": \"ensure\"|\"exact\", \"platforms\": {\"x64\":\n"
      L"        {\"include\": [\"C:\\\\inc\"]}}}; a missing sheet is created;\n"
      L"        --dry-run prints the changes and writes nothing",
  };
  for (size_t i = 0; i < std::size(kCommands); ++i) {
    text += L"  " + UsageLine(kCommands[i]) + L"\n        " + what[i] + L"\n";
  }
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
      L"\n";
  if (kHasUserSheetFolder) {
    text +=
        L"SHEET may be left out of every command. The number of words\n"
        L"alone decides: \"get include\" reads the default sheet, \"get my.props include\"\n"
        L"reads my.props. The default sheet is the current user's\n" +
        UserSheetPath(L"%LOCALAPPDATA%", kDefaultPlatform) + L";\n" + L"--platform NAME picks " +
        UserSheetName(L"NAME") +
        L" in that folder instead.\n"
        L"--folder DIR takes the sheets of DIR instead of the current user's.\n"
        L"\n";
  } else {
    text +=
        L"SHEET is the path of the sheet; it is required on this system unless\n"
        L"--folder DIR names the folder of the sheets (--platform NAME then picks\n" +
        UserSheetName(L"NAME") + L" there; " + kDefaultPlatform + L" by default).\n\n";
  }
  text += L"--platform all takes every " + UserSheetName(L"*") +
          L" of the folder in name\n"
          L"order; the text of each sheet then follows a line \"== SHEET\", and --json\n"
          L"gives an array.\n"
          L"\n";
  text +=
      L"Exit codes:\n"
      L"  0  done\n"
      L"  1  the sheet cannot be read (nothing is created or written then)\n"
      L"  2  usage error, create without --force over a sheet that can be read, or a\n"
      L"     list holding a character XML does not allow (nothing is written then)\n"
      L"  3  the sheet could not be written (the old file is unchanged), also when\n"
      L"     another pathwright-cli kept it locked or other programs kept changing it\n"
      L"  4  standard output or standard error could not be written\n"
      L"  5  check or doctor found a problem\n"
      L"  6  apply --dry-run: a run without it would change a sheet\n";
  return text;
}

}  // namespace

int UsageError(Output& output, const std::wstring& message) {
  output.err += L"pathwright-cli: " + message + L"\nTry 'pathwright-cli --help'.\n";
  return kExitUsage;
}

int ReadFailure(Output& output, const std::wstring& path, const std::wstring& why) {
  output.err += L"pathwright-cli: cannot read " + path + L": " + why + L"\n";
  return kExitUnreadable;
}

int WriteFailure(Output& output, const std::wstring& path, const Result& result) {
  output.err += L"pathwright-cli: cannot write " + path + L": " + result.why + L"; the file is unchanged\n";
  return kExitUnwritable;
}

int EditExit(const std::wstring& sheet, const EditOutcome& edited, Output& output) {
  switch (edited.stop) {
    case EditStop::kNone:
      return kExitDone;
    case EditStop::kReading:
      return ReadFailure(output, sheet, edited.result.why);
    case EditStop::kIsASheet:
      output.err += L"pathwright-cli: " + sheet +
                    L" is a readable sheet already; add --force to replace it (the old file is then kept as " + sheet +
                    L".bak)\n";
      return kExitUsage;
    case EditStop::kForbiddenCharacter:
      // MSBuild would refuse the whole sheet; the user gets to mend the list first.
      output.err += L"pathwright-cli: " + std::wstring(kUserMacros[edited.forbidden->kind]) +
                    L" would hold a character XML does not allow (" +
                    DescribeForbiddenCharacter(edited.forbidden->character) + L"); nothing was written\n";
      return kExitUsage;
    case EditStop::kWriting:
      break;
  }
  return WriteFailure(output, sheet, edited.result);
}

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

struct Invocation {
  const CommandInfo* info = nullptr;
  std::vector<std::wstring> words;
  bool json = false;
  bool force = false;
  bool dryRun = false;
  std::optional<std::wstring> platform;
  std::optional<std::wstring> folder;
  std::optional<std::wstring> vs;
};

const CommandInfo* FindCommand(std::wstring_view name) {
  for (const CommandInfo& info : kCommands) {
    if (name == info.name) return &info;
  }
  return nullptr;
}

// A platform name becomes part of a file name in the user's MSBuild folder and nothing else.
bool IsPlainPlatformName(std::wstring_view name) {
  if (name.empty() || name == L"." || name == L"..") return false;
  return name.find_first_of(L"\\/:*?\"<>|") == std::wstring_view::npos;
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
    if (name == L"--platform" || name == L"--vs" || name == L"--folder") {
      if (!value) {
        if (i + 1 >= args.size()) {
          return UsageError(output, name + (name == L"--vs"       ? L" needs a version"
                                            : name == L"--folder" ? L" needs a DIR"
                                                                  : L" needs a NAME"));
        }
        value = args[++i];
      }
      (name == L"--vs" ? inv.vs : name == L"--folder" ? inv.folder : inv.platform) = *value;
      continue;
    }
    return UsageError(output, L"unknown option " + arg);
  }
  return std::nullopt;
}

int ChangeList(const Invocation& inv, const std::wstring& sheet, int kind, const std::wstring& value, Output& output) {
  const SheetChange change = [&](DirectoryLists& lists, const SheetDocument&) {
    std::wstring& list = lists[kind];
    if (inv.info->command == Command::kSet) {
      list = value;
    } else {
      std::vector<std::wstring> entries = SplitEntries(list);
      if (inv.info->command == Command::kAdd) {
        entries.push_back(value);
      } else {
        std::erase(entries, value);
      }
      list = JoinEntries(entries);
    }
    return true;
  };
  return EditExit(sheet, EditSheet(sheet, change), output);
}

int Create(const Invocation& inv, const std::wstring& sheet, Output& output) {
  if (!inv.vs) return UsageError(output, L"create needs --vs 2010, 2012 or 2013");
  std::optional<VsVersion> version;
  if (*inv.vs == L"2010") version = VsVersion::k2010;
  if (*inv.vs == L"2012") version = VsVersion::k2012;
  if (*inv.vs == L"2013") version = VsVersion::k2013;
  if (!version) return UsageError(output, L"--vs takes 2010, 2012 or 2013, not \"" + *inv.vs + L"\"");

  const EditOutcome created =
      CreateSheet(sheet, *version, {.replaceAnything = inv.force, .makeFolders = true});
  if (!created.backupPath.empty()) output.out += L"The old file is kept as " + created.backupPath + L"\n";
  return EditExit(sheet, created, output);
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

  Invocation inv;
  inv.info = FindCommand(first);
  if (!inv.info) {
    return UsageError(output,
                      (first.size() > 1 && first[0] == L'-' ? L"unknown option " : L"unknown command ") + first);
  }
  if (std::optional<int> done = ParseOptions(args, inv, output)) return *done;

  const CommandInfo& info = *inv.info;
  const bool json =
      info.command == Command::kShow || info.command == Command::kCheck || info.command == Command::kDoctor;
  if (inv.json && !json) return UsageError(output, L"--json belongs to show, check and doctor");
  if (inv.dryRun && info.command != Command::kApply) return UsageError(output, L"--dry-run belongs to apply");
  if ((inv.force || inv.vs) && info.command != Command::kCreate) {
    return UsageError(output, std::wstring(inv.force ? L"--force" : L"--vs") + L" belongs to create");
  }
  if (inv.platform && *inv.platform != L"all" && !IsPlainPlatformName(*inv.platform)) {
    return UsageError(output, L"--platform takes a plain name such as x64, or all");
  }
  if (!info.sheet) {
    if (inv.words.size() != 1) {
      return UsageError(output, std::wstring(inv.words.empty() ? L"too few" : L"too many") +
                                    L" arguments; usage: pathwright-cli " + UsageLine(info));
    }
    if (info.command == Command::kApply && inv.platform) {
      return UsageError(output, L"apply takes its platforms from CONFIG, not from --platform");
    }
    std::wstring folder;
    if (std::optional<int> failed = PickSheetFolder(inv.folder, folder, output)) return *failed;
    if (info.command == Command::kApply) return ApplyConfig(inv.words[0], folder, inv.dryRun, output);
    return DoctorProjects(inv.words[0], folder, inv.platform, inv.json, output);
  }
  if (info.command == Command::kCreate && inv.platform == L"all") {
    return UsageError(output, L"create makes one sheet; name its platform, not all");
  }
  const bool mayLeaveOut = SheetMayBeLeftOut(info) || inv.folder.has_value();
  if (inv.platform && !mayLeaveOut) {
    return UsageError(output,
                      L"--platform needs the current user's MSBuild folder, which exists on Windows only; "
                      L"name the SHEET, or the folder with --folder DIR");
  }

  // The number of words alone tells whether SHEET is there, so a sheet named like a KIND stays a sheet.
  const size_t count = inv.words.size();
  const size_t needed = static_cast<size_t>(info.words);
  const bool sheetNamed = count == needed + 1;
  if (!sheetNamed && !(count == needed && mayLeaveOut)) {
    std::wstring why = count > needed ? L"too many arguments" : L"too few arguments";
    if (count == needed && !kHasUserSheetFolder) why += L" (SHEET or --folder DIR is required on this system)";
    return UsageError(output, why + L"; usage: pathwright-cli " + UsageLine(info));
  }
  const std::vector<std::wstring> rest(inv.words.begin() + (sheetNamed ? 1 : 0), inv.words.end());
  if (sheetNamed && inv.words[0].empty()) return UsageError(output, L"SHEET is empty");
  if (sheetNamed && (inv.platform || inv.folder)) {
    return UsageError(output, L"--platform and --folder pick the sheet, so SHEET cannot be named as well");
  }

  int kind = -1;
  if (!rest.empty()) {
    kind = KindFromName(rest[0]);
    if (kind < 0) {
      return UsageError(output, L"unknown KIND \"" + rest[0] +
                                    L"\"; use UserInclude, IncludePath or include, and the like for executable, "
                                    L"reference, library, winrt, source, exclude");
    }
  }
  if (rest.size() == 2 && info.command != Command::kSet) {
    if (rest[1].find(L';') != std::wstring::npos) {
      return UsageError(output, L"ENTRY cannot hold \";\", which separates entries; set replaces a whole list");
    }
    if (info.command == Command::kAdd && rest[1].empty()) return UsageError(output, L"ENTRY is empty");
  }

  std::vector<std::wstring> sheets;
  if (sheetNamed) {
    sheets.push_back(inv.words[0]);
  } else {
    std::wstring folder;
    if (std::optional<int> failed = PickSheetFolder(inv.folder, folder, output)) return *failed;
    if (inv.platform == L"all") {
      sheets = SheetsInFolder(folder);
      if (sheets.empty()) {
        output.err += L"pathwright-cli: there is no " + UserSheetName(L"*") + L" in " + folder + L"\n";
        return kExitUnreadable;
      }
    } else {
      sheets.push_back(SheetInFolder(folder, inv.platform.value_or(kDefaultPlatform)));
    }
  }

  if (info.command == Command::kCreate) return Create(inv, sheets[0], output);
  if (info.command == Command::kCheck) return CheckSheets(sheets, inv.json, output);
  int code = kExitDone;
  Json shown = Json::array();  // show --json over several sheets
  for (const std::wstring& sheet : sheets) {
    if (info.command != Command::kShow && info.command != Command::kGet) {
      code = WorseExit(code, ChangeList(inv, sheet, kind, rest[1], output));
      continue;
    }
    SheetSnapshot read;
    if (sheets.size() > 1 && !inv.json) output.out += L"== " + sheet + L"\n";
    if (Result loaded = ReadSheet(sheet, read); !loaded) {
      code = WorseExit(code, ReadFailure(output, sheet, loaded.why));
    } else if (info.command == Command::kGet) {
      output.out += read.lists[kind] + L"\n";
    } else if (!inv.json) {
      output.out += ShowText(read.lists);
    } else if (sheets.size() == 1) {
      output.out += JsonOutput(ShowJson(read.lists));
    } else {
      Json one = {{"sheet", JsonText(sheet)}};
      one.update(ShowJson(read.lists));
      shown.push_back(std::move(one));
    }
  }
  if (!shown.empty()) output.out += JsonOutput(shown);
  return code;
}

}  // namespace pathwright::cli
