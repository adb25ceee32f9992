#include "Commands.h"

#include <cwchar>
#include <iterator>
#include <optional>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

#include "Platform.h"
#include "base/Utf8.h"
#include "model/DirectoryKinds.h"
#include "model/DirectoryList.h"
#include "model/DirectorySettings.h"
#include "base/FileSystem.h"
#include "base/Version.h"

namespace pathwright::cli {

namespace {

enum class Command { kShow, kGet, kSet, kAdd, kRemove, kCreate };

struct CommandInfo {
  const wchar_t* name;
  Command command;
  int words;             // words after SHEET
  const wchar_t* tail;   // what the usage line shows after SHEET
};

constexpr CommandInfo kCommands[] = {
    {L"show", Command::kShow, 0, L" [--json]"},
    {L"get", Command::kGet, 1, L" KIND"},
    {L"set", Command::kSet, 2, L" KIND LIST"},
    {L"add", Command::kAdd, 2, L" KIND ENTRY"},
    {L"remove", Command::kRemove, 2, L" KIND ENTRY"},
    {L"create", Command::kCreate, 0, L" --vs 2010|2012|2013 [--force]"},
};

// A new sheet replaces whatever stands at SHEET, so it is never aimed at the default sheet implicitly.
bool SheetMayBeLeftOut(const CommandInfo& info) {
  return kHasUserSheetFolder && info.command != Command::kCreate;
}

std::wstring UsageLine(const CommandInfo& info) {
  return std::wstring(info.name) + (SheetMayBeLeftOut(info) ? L" [SHEET]" : L" SHEET") + info.tail;
}

std::wstring HelpText() {
  std::wstring text =
      L"Usage: pathwright-cli COMMAND [ARGUMENTS]\n"
      L"Edits the seven VC++ directory lists of a user MSBuild property sheet\n"
      L"(Microsoft.Cpp.<platform>.user.props).\n"
      L"\n"
      L"Commands:\n";
  const wchar_t* what[] = {
      L"print the seven lists, one \"Title: list\" line each,\n"
      L"        or with --json one JSON object keyed by user macro",
      L"print one list and a newline",
      L"replace one list (an empty LIST empties it)",
      L"append ENTRY to one list",
      L"drop every entry equal to ENTRY from one list",
      L"write a new, empty sheet for that Visual Studio version;\n"
      L"        a sheet that can be read is only replaced with --force,\n"
      L"        and any file replaced is kept as SHEET.bak (SHEET.bak.2,\n"
      L"        SHEET.bak.3... when that name is taken)",
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
        L"SHEET may be left out of show, get, set, add and remove. The number of words\n"
        L"alone decides: \"get include\" reads the default sheet, \"get my.props include\"\n"
        L"reads my.props. The default sheet is the current user's\n"
        L"%LOCALAPPDATA%\\Microsoft\\MSBuild\\v4.0\\Microsoft.Cpp.Win32.user.props;\n"
        L"--platform NAME picks Microsoft.Cpp.NAME.user.props in that folder instead.\n"
        L"\n";
  } else {
    text += L"SHEET is the path of the sheet; it is required on this system.\n\n";
  }
  text +=
      L"Exit codes:\n"
      L"  0  done\n"
      L"  1  the sheet cannot be read (nothing is created or written then)\n"
      L"  2  usage error, or create without --force over a sheet that can be read\n"
      L"  3  the sheet could not be written (the old file is unchanged), also when\n"
      L"     another pathwright-cli kept it locked or other programs kept changing it\n"
      L"  4  standard output or standard error could not be written\n";
  return text;
}

int UsageError(Output& output, const std::wstring& message) {
  output.err += L"pathwright-cli: " + message + L"\nTry 'pathwright-cli --help'.\n";
  return kExitUsage;
}

// Why LoadSheet refused the file, in words for the user. The load itself reports only a yes or no.
std::wstring WhyUnreadable(const std::wstring& path) {
  std::string bytes;
  if (IoResult read = ReadFileBytes(path, bytes); !read) return read.message;
  if (bytes.empty()) return L"the file is empty";
  pugi::xml_document doc;
  const pugi::xml_parse_result parsed = doc.load_buffer(
      bytes.data(), bytes.size(), pugi::parse_default | pugi::parse_declaration, pugi::encoding_auto);
  if (!parsed) return L"not well-formed XML: " + DecodeUtf8(parsed.description());
  if (!doc.child(L"Project")) return L"not an MSBuild property sheet (the top element is not Project)";
  return L"not a readable property sheet";
}

int ReadFailure(Output& output, const std::wstring& path) {
  output.err += L"pathwright-cli: cannot read " + path + L": " + WhyUnreadable(path) + L"\n";
  return kExitUnreadable;
}

int WriteFailure(Output& output, const std::wstring& path, const IoResult& result) {
  output.err += L"pathwright-cli: cannot write " + path + L": " + result.message + L"; the file is unchanged\n";
  return kExitUnwritable;
}

void AppendJsonString(std::wstring& out, std::wstring_view text) {
  out += L'"';
  for (const wchar_t c : text) {
    switch (c) {
      case L'"': out += L"\\\""; break;
      case L'\\': out += L"\\\\"; break;
      case L'\b': out += L"\\b"; break;
      case L'\f': out += L"\\f"; break;
      case L'\n': out += L"\\n"; break;
      case L'\r': out += L"\\r"; break;
      case L'\t': out += L"\\t"; break;
      default:
        if (static_cast<unsigned>(c) < 0x20) {
          wchar_t escaped[8];
          std::swprintf(escaped, std::size(escaped), L"\\u%04x", static_cast<unsigned>(c));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  out += L'"';
}

std::wstring ShowText(const DirectorySettings& settings, bool json) {
  std::wstring text;
  if (json) {
    text += L"{\n";
    for (int k = 0; k < kKindCount; ++k) {
      text += L"  ";
      AppendJsonString(text, kUserMacros[k]);
      text += L": ";
      AppendJsonString(text, settings.m_lists[k]);
      text += k + 1 < kKindCount ? L",\n" : L"\n";
    }
    text += L"}\n";
  } else {
    for (int k = 0; k < kKindCount; ++k) text += std::wstring(kKindTitles[k]) + L": " + settings.m_lists[k] + L"\n";
  }
  return text;
}

struct Invocation {
  const CommandInfo* info = nullptr;
  std::vector<std::wstring> words;
  bool json = false;
  bool force = false;
  std::optional<std::wstring> platform;
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
    if (name == L"--json" || name == L"--force") {
      if (value) return UsageError(output, name + L" takes no value");
      (name == L"--json" ? inv.json : inv.force) = true;
      continue;
    }
    if (name == L"--platform" || name == L"--vs") {
      if (!value) {
        if (i + 1 >= args.size()) {
          return UsageError(output, name + (name == L"--vs" ? L" needs a version" : L" needs a NAME"));
        }
        value = args[++i];
      }
      (name == L"--vs" ? inv.vs : inv.platform) = *value;
      continue;
    }
    return UsageError(output, L"unknown option " + arg);
  }
  return std::nullopt;
}

int ChangeList(const Invocation& inv, const std::wstring& sheet, int kind, const std::wstring& value,
               Output& output) {
  DirectorySettings settings;
  settings.m_path = sheet;
  // Held from the read to the write, so two runs at once each see the other's change.
  if (IoResult locked = settings.LockSheet(); !locked) return WriteFailure(output, sheet, locked);
  if (!settings.LoadSheet()) return ReadFailure(output, sheet);
  std::wstring& list = settings.m_lists[kind];
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
  if (IoResult saved = settings.SaveSheet(); !saved) return WriteFailure(output, sheet, saved);
  return kExitDone;
}

int Create(const Invocation& inv, const std::wstring& sheet, Output& output) {
  if (!inv.vs) return UsageError(output, L"create needs --vs 2010, 2012 or 2013");
  int version = -1;
  if (*inv.vs == L"2010") version = 0;
  if (*inv.vs == L"2012") version = 1;
  if (*inv.vs == L"2013") version = 2;
  if (version < 0) return UsageError(output, L"--vs takes 2010, 2012 or 2013, not \"" + *inv.vs + L"\"");

  DirectorySettings settings;
  settings.m_path = sheet;
  if (IoResult locked = settings.LockSheet(); !locked) return WriteFailure(output, sheet, locked);
  // A device, a pipe or a folder is never read, copied or replaced.
  if (PathExists(sheet) && !IsRegularFile(sheet)) return ReadFailure(output, sheet);
  if (PathExists(sheet) && !inv.force) {
    DirectorySettings probe;
    probe.m_path = sheet;
    if (probe.LoadSheet()) {
      output.err += L"pathwright-cli: " + sheet +
                    L" is a readable sheet already; add --force to replace it (the old file is then kept as " +
                    sheet + L".bak)\n";
      return kExitUsage;
    }
  }
  if (IoResult written = settings.CreateDefaultSheet(version); !written) return WriteFailure(output, sheet, written);
  if (!settings.m_backupPath.empty()) output.out += L"The old file is kept as " + settings.m_backupPath + L"\n";
  return kExitDone;
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
    return UsageError(output, (first.size() > 1 && first[0] == L'-' ? L"unknown option " : L"unknown command ") + first);
  }
  if (std::optional<int> done = ParseOptions(args, inv, output)) return *done;

  const CommandInfo& info = *inv.info;
  if (inv.json && info.command != Command::kShow) return UsageError(output, L"--json belongs to show");
  if ((inv.force || inv.vs) && info.command != Command::kCreate) {
    return UsageError(output, std::wstring(inv.force ? L"--force" : L"--vs") + L" belongs to create");
  }
  if (inv.platform && !SheetMayBeLeftOut(info)) {
    return UsageError(output, kHasUserSheetFolder
                                  ? L"--platform picks one of the current user's sheets; create needs SHEET named"
                                  : L"--platform needs the current user's MSBuild folder, which exists on Windows "
                                    L"only; name the SHEET");
  }

  // The number of words alone tells whether SHEET is there, so a sheet named like a KIND stays a sheet.
  const size_t count = inv.words.size();
  const size_t needed = static_cast<size_t>(info.words);
  const bool sheetNamed = count == needed + 1;
  if (!sheetNamed && !(count == needed && SheetMayBeLeftOut(info))) {
    std::wstring why = count > needed ? L"too many arguments" : L"too few arguments";
    if (count == needed && !kHasUserSheetFolder) why += L" (SHEET is required on this system)";
    return UsageError(output, why + L"; usage: pathwright-cli " + UsageLine(info));
  }
  const std::vector<std::wstring> rest(inv.words.begin() + (sheetNamed ? 1 : 0), inv.words.end());
  if (sheetNamed && inv.words[0].empty()) return UsageError(output, L"SHEET is empty");
  if (sheetNamed && inv.platform) {
    return UsageError(output, L"--platform picks the sheet, so SHEET cannot be named as well");
  }
  if (inv.platform && !IsPlainPlatformName(*inv.platform)) {
    return UsageError(output, L"--platform takes a plain name such as x64");
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

  std::wstring sheet;
  if (sheetNamed) {
    sheet = inv.words[0];
  } else {
    std::wstring folder;
    if (!FindUserSheetFolder(folder)) {
      output.err += L"pathwright-cli: cannot find the current user's local application data folder\n";
      return kExitUnreadable;
    }
    sheet = folder + L"\\Microsoft.Cpp." + inv.platform.value_or(L"Win32") + L".user.props";
  }

  switch (info.command) {
    case Command::kCreate:
      return Create(inv, sheet, output);
    case Command::kShow:
    case Command::kGet: {
      DirectorySettings settings;
      settings.m_path = sheet;
      if (!settings.LoadSheet()) return ReadFailure(output, sheet);
      output.out += info.command == Command::kShow ? ShowText(settings, inv.json) : settings.m_lists[kind] + L"\n";
      return kExitDone;
    }
    default:
      return ChangeList(inv, sheet, kind, rest[1], output);
  }
}

}  // namespace pathwright::cli
