// The commands of pathwright-cli, free of any console or system call so that one function takes
// the arguments and returns the exit code and the texts for standard output and standard error.
#pragma once

#include <string>
#include <vector>

namespace pathwright::cli {

inline constexpr int kExitDone = 0;
inline constexpr int kExitUnreadable = 1;  // the sheet cannot be read; nothing was written
inline constexpr int kExitUsage = 2;
inline constexpr int kExitUnwritable = 3;    // the sheet could not be written; the old file is unchanged
inline constexpr int kExitOutputFailed = 4;  // standard output or standard error could not be written

// Why a sheet or the whole run stopped when memory ran out.
inline constexpr const wchar_t* kOutOfMemory = L"there is not enough memory to read it";

struct Output {
  std::wstring out;
  std::wstring err;
};

// args are the words after the program name.
int Run(const std::vector<std::wstring>& args, Output& output);

}  // namespace pathwright::cli
