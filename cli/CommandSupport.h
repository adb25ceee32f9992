// What the commands share beyond Commands.h: the failure reports, the one read-modify-write every edit
// of a sheet goes through, where the sheets of a folder are, and the commands that look at a setup
// as a whole (check, doctor, apply).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Commands.h"
#include "base/FileSystem.h"
#include "model/EditSession.h"

namespace pathwright::cli {

inline constexpr int kExitProblems = 5;     // check or doctor found something wrong
inline constexpr int kExitWouldChange = 6;  // apply --dry-run: a run without it would change a sheet

int UsageError(Output& output, const std::wstring& message);
int ReadFailure(Output& output, const std::wstring& path, const std::wstring& why);
int WriteFailure(Output& output, const std::wstring& path, const Result& result);

// The exit code of an edit or a creation of the sheet, its failure told on standard error.
int EditExit(const std::wstring& sheet, const EditOutcome& edited, Output& output);

// The sheet of a platform in an MSBuild folder.
std::wstring SheetInFolder(const std::wstring& folder, const std::wstring& platform);

// The folder named with --folder, else the current user's. Returns an exit code when there is none.
std::optional<int> PickSheetFolder(const std::optional<std::wstring>& given, std::wstring& folder, Output& output);

// Every Microsoft.Cpp.*.user.props file in the folder, in name order.
std::vector<std::wstring> SheetsInFolder(const std::wstring& folder);

// A variable of the program's environment (names in any letter case on Windows).
std::optional<std::wstring> EnvironmentVariable(const std::wstring& name);

// The worst of two exit codes: a failure over problems found, problems over success; the first failure stays.
int WorseExit(int sofar, int next);

int CheckSheets(const std::vector<std::wstring>& sheets, bool json, Output& output);
int DoctorProjects(const std::wstring& path, const std::wstring& folder, const std::optional<std::wstring>& platform,
                   bool json, Output& output);
int ApplyConfig(const std::wstring& config, const std::wstring& folder, bool dryRun, Output& output);

}  // namespace pathwright::cli
