// Drives the real Pathwright.exe from outside, as a user would: the shipped language files in a start-up
// folder, the prefix user's sheet in the MSBuild folder, real messages, a deadline on every wait.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "support/Files.h"
#include "support/Sheets.h"

namespace pathwright::e2e {

using namespace testing;

// The prefix user's Microsoft.Cpp.Win32.user.props, the sheet the program opens (the prefix is the
// project's own: the sheet and its .bak are removed afterwards), and a scratch start-up folder with lang\.
class E2e : public ::testing::Test {
 protected:
  E2e();
  ~E2e() override;
  // Starts the program in the start-up folder, hands its main window to `act` once it is visible, and
  // returns the exit code; STILL_ACTIVE when no window came or the program did not end by the deadline.
  DWORD Run(const std::function<void(HWND main)>& act) const;

  ScratchFolder startUp;
  std::wstring sheet;
};

// A control's text, read and written through sends that time out: a stuck program fails, never hangs.
std::wstring Text(HWND dialog, int id);
bool SetText(HWND dialog, int id, const std::wstring& text);

// A sheet with a library list and, when given, an include list, as a save leaves it.
inline std::string Sheet(const std::string& include = "") {
  return SavedSheet((include.empty() ? "" : Include(include)) + Kind("UserLibrary", "LibraryPath", "C:\\lib"));
}

}  // namespace pathwright::e2e
