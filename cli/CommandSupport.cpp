#include "CommandSupport.h"

#include <algorithm>
#include <cstdlib>
#include <new>

#include "Platform.h"
#include "base/Utf8.h"
#include "model/EnvironmentPaths.h"
#include "model/SheetLocation.h"

namespace pathwright::cli {

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
      if (edited.becameUtf8) {
        output.err += L"pathwright-cli: " + sheet +
                      L": its 8-bit encoding cannot hold a new character, so it is now written as UTF-8\n";
      }
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

int WorseExit(int sofar, int next) {
  const auto rank = [](int code) { return code == kExitDone ? 0 : code == kExitProblems ? 1 : 2; };
  return rank(next) > rank(sofar) ? next : sofar;
}

int ForOneSheet(const std::wstring& sheet, Output& output, const std::function<int()>& run) {
  try {
    return run();
  } catch (const std::bad_alloc&) {
    return ReadFailure(output, sheet, kOutOfMemory);
  }
}

std::optional<int> PickSheetFolder(const std::optional<std::wstring>& given, std::wstring& folder, Output& output) {
  if (given) {
    if (given->empty()) return UsageError(output, L"--folder is empty");
    folder = *given;
    return std::nullopt;
  }
  if (!kHasUserSheetFolder) {
    return UsageError(output, L"there is no per-user MSBuild folder on this system; name one with --folder DIR");
  }
  if (!FindUserSheetFolder(folder)) {
    output.err += L"pathwright-cli: cannot find the current user's local application data folder\n";
    return kExitUnreadable;
  }
  return std::nullopt;
}

bool IsConfigPlatformName(std::wstring_view name) { return IsPlatformName(name) && !SameText(name, L"all"); }

std::vector<std::wstring> SheetsInFolder(const std::wstring& folder) {
  // The folder as SheetInFolder ends it, so that the names listed join it the same way.
  const std::wstring any = SheetInFolder(folder, L"*");
  const std::wstring parent = any.substr(0, any.size() - UserSheetName(L"*").size());
  std::vector<std::wstring> names = ListMatchingEntries(parent, UserSheetName(L"*"));
  std::sort(names.begin(), names.end(),
            [](const std::wstring& a, const std::wstring& b) { return LowerCase(a) < LowerCase(b); });
  std::vector<std::wstring> sheets;
  for (const std::wstring& name : names) {
    if (!PlatformOfSheetName(name).empty() && !IsFolder(parent + name)) sheets.push_back(parent + name);
  }
  return sheets;
}

}  // namespace pathwright::cli
