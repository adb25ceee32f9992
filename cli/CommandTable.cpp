#include "CommandTable.h"

#include <algorithm>

#include "Platform.h"
#include "model/SheetLocation.h"

namespace pathwright::cli {

namespace {

constexpr unsigned Exits(std::initializer_list<int> codes) {
  unsigned bits = 0;
  for (const int code : codes) bits |= 1u << code;
  return bits;
}

// The help command itself, below the texts it prints.
int ShowHelp(const Invocation& inv, Output& output);

constexpr unsigned kPick = kPlatform | kFolder;  // the sheet commands pick sheets without naming one

constexpr CommandInfo kCommands[] = {
    {.name = L"show",
     .command = Command::kShow,
     .run = ShowLists,
     .words = 0,
     .tail = L" [--json]",
     .what = L"print the seven lists, one \"Title: list\" line each,\n"
             L"or with --json one JSON object keyed by user macro",
     .options = kJson | kPick,
     .exits = Exits({1, 2}),
     .examples = {L"show --platform x64", L"show --folder D:\\sheets --platform all --json"}},
    {.name = L"get",
     .command = Command::kGet,
     .run = ShowLists,
     .words = 1,
     .tail = L" KIND",
     .what = L"print one list and a newline",
     .options = kPick,
     .exits = Exits({1, 2}),
     .examples = {L"get include", L"get D:\\sheets\\Microsoft.Cpp.x64.user.props library"}},
    {.name = L"set",
     .command = Command::kSet,
     .run = ChangeList,
     .words = 2,
     .tail = L" KIND LIST",
     .what = L"replace one list (an empty LIST empties it)",
     .options = kPick,
     .exits = Exits({1, 2, 3}),
     .examples = {L"set include \"C:\\boost;C:\\libs\\zlib\\include\"", L"set --platform x64 library \"\""}},
    {.name = L"add",
     .command = Command::kAdd,
     .run = ChangeList,
     .words = 2,
     .tail = L" KIND ENTRY",
     .what = L"append ENTRY to one list",
     .options = kPick,
     .exits = Exits({1, 2, 3}),
     .examples = {L"add include C:\\libs\\zlib\\include", L"add --platform all library C:\\libs\\zlib\\lib"}},
    {.name = L"remove",
     .command = Command::kRemove,
     .run = ChangeList,
     .words = 2,
     .tail = L" KIND ENTRY",
     .what = L"drop every entry equal to ENTRY from one list",
     .options = kPick,
     .exits = Exits({1, 2, 3}),
     .examples = {L"remove include C:\\old\\include", L"remove --platform all library C:\\old\\lib"}},
    {.name = L"create",
     .command = Command::kCreate,
     .run = CreateNewSheet,
     .words = 0,
     .tail = L" --vs 2010|2012|2013 [--force]",
     .what = L"write a new, empty sheet for that Visual Studio version (2013 also\n"
             L"serves every later version), creating missing folders; a sheet\n"
             L"that can be read (or a file that cannot be opened at all) is only\n"
             L"replaced with --force, and any file replaced is kept as SHEET.bak\n"
             L"(SHEET.bak.2, SHEET.bak.3... when that name is taken)",
     .options = kVs | kForce | kPick,
     .exits = Exits({1, 2, 3}),
     .platform = L"the sheet of that one platform (not all)",
     .examples = {L"create --vs 2013", L"create --platform x64 --vs 2013 --force"}},
    {.name = L"check",
     .command = Command::kCheck,
     .run = CheckSheets,
     .words = 0,
     .tail = L" [--json]",
     .what = L"judge every entry in force: the lists, folders written inline\n"
             L"in path properties, conditional elements and other groups;\n"
             L"one line per entry, problems first, or one JSON object",
     .options = kJson | kPick,
     .exits = Exits({1, 2, 5}),
     .examples = {L"check --platform x64", L"check --platform all --json"}},
    {.name = L"doctor",
     .command = Command::kDoctor,
     .run = DoctorProjects,
     .words = 1,
     .tail = L" PROJECT.vcxproj|SOLUTION.sln [--json]",
     .what = L"tell for each platform of a project (or of each project of a\n"
             L"solution) whether it imports that platform's sheet, and\n"
             L"whether the sheet exists and reads",
     .options = kJson | kPick,
     .target = Target::kFile,
     .exits = Exits({1, 2, 5}),
     .platform = L"that platform of the projects only",
     .examples = {L"doctor C:\\src\\app\\app.sln", L"doctor app.vcxproj --platform x64 --json"}},
    {.name = L"apply",
     .command = Command::kApply,
     .run = ApplyConfig,
     .words = 1,
     .tail = L" CONFIG.json [--dry-run]",
     .what = L"make the sheets of the folder hold the lists CONFIG names:\n"
             L"{\"mode\": \"ensure\"|\"exact\", \"platforms\": {\"x64\":\n"
             L"{\"include\": [\"C:\\\\inc\"]}}}; a missing sheet is created;\n"
             L"--dry-run prints the changes and writes nothing",
     .options = kDryRun | kFolder,
     .target = Target::kFile,
     .exits = Exits({1, 2, 3, 6}),
     .examples = {L"apply team.json --dry-run", L"apply team.json --folder D:\\sheets"}},
    {.name = L"export",
     .command = Command::kExport,
     .run = ExportLists,
     .words = 0,
     .tail = L" [--platform NAME|all] [--folder DIR] [--output FILE]",
     .what = L"write the lists of the sheets as a CONFIG for apply: \"ensure\"\n"
             L"mode, one entry per platform, each list that holds entries keyed\n"
             L"by user macro; apply of it onto another machine makes sheets with\n"
             L"the same lists (the rest of a sheet is not written)",
     .options = kOutput | kPick,
     .target = Target::kFolder,
     .exits = Exits({1, 2, 3}),
     .platform = L"that platform's sheet only; all (the default): every\nsheet of the folder",
     .examples = {L"export --output team.json", L"export --platform x64 --folder D:\\sheets"}},
    {.name = L"help",
     .command = Command::kHelp,
     .run = ShowHelp,
     .words = 1,
     .tail = L" [COMMAND]",
     .what = L"print the usage, options, exit codes and examples of COMMAND,\n"
             L"or without it the overview (as --help does)",
     .target = Target::kNone,
     .exits = Exits({2}),
     .examples = {L"help export", L"help check"}},
};

struct ExitText {
  int code;
  const wchar_t* what;
};

constexpr ExitText kExitTexts[] = {
    {kExitDone, L"done"},
    {kExitUnreadable,
     L"a sheet (or the project or CONFIG named) cannot be read; nothing\n"
     L"is created or written then; with --platform all, at least one sheet could\n"
     L"not be read (each sheet's outcome is listed, and the others were handled)"},
    {kExitUsage,
     L"usage error, create without --force over a sheet that can be read, or a\n"
     L"list holding a character XML does not allow (nothing is written then)"},
    {kExitUnwritable,
     L"a file could not be written (the old file is unchanged), also when\n"
     L"another pathwright-cli kept a sheet locked or other programs kept\nchanging it"},
    {kExitOutputFailed, L"standard output or standard error could not be written"},
    {kExitProblems, L"check or doctor found a problem"},
    {kExitWouldChange, L"apply --dry-run: a run without it would change a sheet"},
};

struct OptionText {
  unsigned option;
  const wchar_t* usage;
  const wchar_t* what;
};

// --platform's usual text is made at run time, since it names the sheet's file.
constexpr OptionText kOptionTexts[] = {
    {kJson, L"--json", L"one JSON object instead of lines (an array of them for\nseveral sheets or projects)"},
    {kDryRun, L"--dry-run", L"print what a run would change and write nothing"},
    {kVs, L"--vs 2010|2012|2013", L"the Visual Studio version whose format the sheet takes"},
    {kForce, L"--force", L"replace whatever file is there, keeping it as SHEET.bak"},
    {kPlatform, L"--platform NAME|all", nullptr},
    {kFolder, L"--folder DIR", L"the sheets of DIR instead of the current user's"},
    {kOutput, L"--output FILE", L"write FILE (UTF-8, replaced in one step) instead of\nstandard output"},
};

constexpr const wchar_t* kKindText =
    L"KIND names one list by its user macro (UserInclude), its path property\n"
    L"(IncludePath) or one word: executable, include, reference, library, winrt,\n"
    L"source, exclude; in any letter case.\n"
    L"Entries in a list are separated by \";\". ENTRY cannot hold \";\".\n";

constexpr const wchar_t* kOptionPlaceText =
    L"Options may stand anywhere after COMMAND. \"--\" ends the options, so a LIST\n"
    L"or ENTRY that begins with \"-\" goes after it.\n";

// Every line of the text after `indent`; lines after the first after `more`.
std::wstring Indent(std::wstring_view text, std::wstring_view indent, std::wstring_view more) {
  std::wstring out(indent);
  for (const wchar_t c : text) {
    out += c;
    if (c == L'\n') out += more;
  }
  return out + L"\n";
}

// Which sheet the words name, on this system.
std::wstring SheetText() {
  if (!kHasUserSheetFolder) {
    return L"SHEET is the path of the sheet; it is required on this system unless\n"
           L"--folder DIR names the folder of the sheets (--platform NAME then picks\n" +
           UserSheetName(L"NAME") + L" there; " + kDefaultPlatform + L" by default).\n";
  }
  return L"SHEET may be left out of every command. The number of words\n"
         L"alone decides: \"get include\" reads the default sheet, \"get my.props include\"\n"
         L"reads my.props. The default sheet is the current user's\n" +
         UserSheetPath(L"%LOCALAPPDATA%", kDefaultPlatform) + L";\n--platform NAME picks " + UserSheetName(L"NAME") +
         L" in that folder instead.\n"
         L"--folder DIR takes the sheets of DIR instead of the current user's.\n";
}

std::wstring AllText() {
  return L"--platform all takes every " + UserSheetName(L"*") +
         L" of the folder in name\n"
         L"order; the text of each sheet then follows a line \"== SHEET\", and --json\n"
         L"gives an array. set, add and remove print \"SHEET: done\" or \"SHEET: unchanged\"\n"
         L"for each sheet; a sheet that fails is named on standard error with the reason,\n"
         L"and the other sheets are still handled.\n";
}

std::wstring ExitCodesText(unsigned exits) {
  std::wstring text = L"Exit codes:\n";
  for (const ExitText& exit : kExitTexts) {
    if (exits & (1u << exit.code)) text += Indent(exit.what, L"  " + std::to_wstring(exit.code) + L"  ", L"     ");
  }
  return text;
}

std::wstring OptionLine(std::wstring_view usage, std::wstring_view what) {
  std::wstring head = L"  " + std::wstring(usage);
  head.resize(std::max<size_t>(head.size() + 2, 24), L' ');
  return Indent(what, head, std::wstring(24, L' '));
}

}  // namespace

const CommandInfo* FindCommand(std::wstring_view name) {
  for (const CommandInfo& info : kCommands) {
    if (name == info.name) return &info;
  }
  return nullptr;
}

std::wstring UsageLine(const CommandInfo& info) {
  if (info.target != Target::kSheet) return info.name + std::wstring(info.tail);
  return std::wstring(info.name) + (kHasUserSheetFolder ? L" [SHEET]" : L" SHEET") + info.tail;
}

std::wstring WhereOptionBelongs(unsigned option) {
  std::wstring text;
  for (const OptionText& known : kOptionTexts) {
    if (known.option == option) text = std::wstring(known.usage).substr(0, std::wstring_view(known.usage).find(L' '));
  }
  text += L" belongs to ";
  bool first = true;
  for (const CommandInfo& info : kCommands) {
    if (!(info.options & option)) continue;
    text += (first ? L"" : L", ") + std::wstring(info.name);
    first = false;
  }
  return text;
}

std::wstring OverviewHelp() {
  std::wstring text =
      L"Usage: pathwright-cli COMMAND [ARGUMENTS]\nEdits the seven VC++ directory lists of a user "
      L"MSBuild property sheet\n(" +
      UserSheetName(L"<platform>") + L").\n\nCommands:\n";
  for (const CommandInfo& info : kCommands)
    text += L"  " + UsageLine(info) + L"\n" + Indent(info.what, L"        ", L"        ");
  text +=
      L"  --help     print this text\n"
      L"  --version  print the version\n"
      L"For one command's options, exit codes and examples: pathwright-cli help COMMAND\n"
      L"(or pathwright-cli COMMAND --help).\n\n" +
      std::wstring(kKindText) + kOptionPlaceText + L"\n" + SheetText() + L"\n" + AllText() + L"\n" + ExitCodesText(~0u);
  return text;
}

std::wstring CommandHelp(const CommandInfo& info) {
  std::wstring text = L"Usage: pathwright-cli " + UsageLine(info) + L"\n\n" + Indent(info.what, L"  ", L"  ");
  text += L"\nOptions:\n";
  for (const OptionText& option : kOptionTexts) {
    if (!(info.options & option.option)) continue;
    const std::wstring usual = L"the sheet " + UserSheetName(L"NAME") + L" of the folder\n(" + kDefaultPlatform +
                               L" when left out); all: every sheet";
    text += OptionLine(option.usage, option.what ? option.what : info.platform ? info.platform : usual.c_str());
  }
  if (info.target == Target::kSheet)
    text += OptionLine(L"--", L"ends the options: a LIST or ENTRY that begins with \"-\"\ngoes after it");
  text += OptionLine(L"--help", L"print this text");
  if (info.target == Target::kSheet) {
    text += L"\n" + SheetText();
    if (info.words > 0) text += L"\n" + std::wstring(kKindText);
  }
  text += L"\n" + ExitCodesText(info.exits | Exits({kExitDone, kExitOutputFailed})) + L"\nExamples:\n";
  for (const wchar_t* example : info.examples) text += L"  pathwright-cli " + std::wstring(example) + L"\n";
  return text;
}

namespace {
int ShowHelp(const Invocation& inv, Output& output) {
  if (inv.words.empty()) {
    output.out += OverviewHelp();
    return kExitDone;
  }
  const CommandInfo* info = inv.words.size() == 1 ? FindCommand(inv.words[0]) : nullptr;
  if (!info) {
    return UsageError(output, inv.words.size() > 1 ? L"help takes one COMMAND" : L"unknown command " + inv.words[0]);
  }
  output.out += CommandHelp(*info);
  return kExitDone;
}

}  // namespace

}  // namespace pathwright::cli
