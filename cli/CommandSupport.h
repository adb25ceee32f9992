// What the commands share beyond Commands.h: the command line as parsed, the failure reports, and
// the commands themselves, which the table in Commands.cpp dispatches to. The rules they apply are
// the model's; here they are only called and their results printed.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Commands.h"
#include "base/Environment.h"
#include "model/EditSession.h"

namespace pathwright::cli {

inline constexpr int kExitProblems = 5;     // check or doctor found something wrong
inline constexpr int kExitWouldChange = 6;  // apply --dry-run: a run without it would change a sheet

enum class Command { kShow, kGet, kSet, kAdd, kRemove, kCreate, kCheck, kDoctor, kApply, kExport, kHelp };

// One run's command line: the options, and what the words after COMMAND came to.
struct Invocation {
  Command command = Command::kShow;
  std::vector<std::wstring> words{};  // the words that are no options, in order
  bool json = false;
  bool force = false;
  bool dryRun = false;
  std::optional<std::wstring> platform{};
  std::optional<std::wstring> folder{};
  std::optional<std::wstring> vs{};
  std::optional<std::wstring> output{};  // export: the file to write instead of standard output

  std::vector<std::wstring> sheets{};  // the sheets a sheet command works on
  int kind = -1;                     // the KIND named, if any
  std::wstring value{};                // the LIST or ENTRY
  std::wstring sheetFolder{};          // doctor and apply: the folder of the sheets
  std::wstring file{};                 // doctor and apply: the project or config named
};

int UsageError(Output& output, const std::wstring& message);
int ReadFailure(Output& output, const std::wstring& path, const std::wstring& why);
int WriteFailure(Output& output, const std::wstring& path, const Result& result);

// The exit code of an edit or a creation of the sheet, its failure told on standard error.
int EditExit(const std::wstring& sheet, const EditOutcome& edited, Output& output);

// One sheet's part of a command over several: its exit code. Memory running out on it fails that
// sheet alone as unreadable (a clear message, no abort), and the other sheets are still handled.
int ForOneSheet(const std::wstring& sheet, Output& output, const std::function<int()>& run);

// The worst of two exit codes: a failure over problems found, problems over success; the first failure stays.
int WorseExit(int sofar, int next);

// The folder named with --folder, else the current user's. Returns an exit code when there is none.
std::optional<int> PickSheetFolder(const std::optional<std::wstring>& given, std::wstring& folder, Output& output);

// Whether a config may name the platform: it becomes part of a sheet's file name and nothing else.
bool IsConfigPlatformName(std::wstring_view name);

// Every sheet of a platform in the folder (Microsoft.Cpp.<platform>.user.props, where the platform is
// a plain name), in name order.
std::vector<std::wstring> SheetsInFolder(const std::wstring& folder);

// The commands.
int ShowLists(const Invocation& inv, Output& output);  // show, get
int ChangeList(const Invocation& inv, Output& output);  // set, add, remove
int CreateNewSheet(const Invocation& inv, Output& output);
int CheckSheets(const Invocation& inv, Output& output);
int DoctorProjects(const Invocation& inv, Output& output);
int ApplyConfig(const Invocation& inv, Output& output);
int ExportLists(const Invocation& inv, Output& output);

}  // namespace pathwright::cli
