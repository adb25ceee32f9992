// The table of commands: what each takes, which options belong to it, and every text the help shows
// about it. The overview (--help) and one command's help (help COMMAND, COMMAND --help) are both made
// from this table, so a command cannot be added without its help.
#pragma once

#include <string>
#include <string_view>

#include "CommandSupport.h"

namespace pathwright::cli {

// The options, as bits: which a command takes.
enum Options : unsigned {
  kNoOption = 0,
  kJson = 1,
  kDryRun = 2,
  kForce = 4,
  kVs = 8,
  kPlatform = 16,
  kFolder = 32,
  kOutput = 64,
};

// What the words after COMMAND name.
enum class Target {
  kSheet,   // SHEET, or the sheets --platform and --folder pick
  kFile,    // one file of its own (a project, a config), and the folder of the sheets
  kFolder,  // no file: the sheets of a folder (the current user's, or --folder DIR)
  kNone,    // help: at most the name of a command
};

struct CommandInfo {
  const wchar_t* name;
  Command command;
  int (*run)(const Invocation&, Output&);
  int words;            // words after SHEET (or, without one, the files the command names)
  const wchar_t* tail;  // what the usage line shows after SHEET
  const wchar_t* what;  // what it does: lines without indentation
  unsigned options = kNoOption;
  Target target = Target::kSheet;
  unsigned exits = 0;                 // the exit codes beyond 0 and 4 that apply, as bits 1 << code
  const wchar_t* platform = nullptr;  // what --platform means here, when not the usual
  const wchar_t* examples[2] = {};    // command lines after "pathwright-cli "
};

const CommandInfo* FindCommand(std::wstring_view name);

// "show [SHEET] [--json]": the words after the program's name.
std::wstring UsageLine(const CommandInfo& info);

// Where a misplaced option belongs: "--json belongs to show, check, doctor".
std::wstring WhereOptionBelongs(unsigned option);

// --help: every command in short, and how the words are read.
std::wstring OverviewHelp();

// help COMMAND and COMMAND --help: usage, what it does, options, exit codes, examples.
std::wstring CommandHelp(const CommandInfo& info);

}  // namespace pathwright::cli
