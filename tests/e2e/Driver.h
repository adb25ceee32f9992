// Drives the real Pathwright.exe from outside, as a user would: the shipped language files in a start-up
// folder, the prefix user's sheet in the MSBuild folder, real messages, a deadline on every wait.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "base/Handle.h"
#include "support/Files.h"
#include "support/Sheets.h"

namespace pathwright::e2e {

using namespace testing;

// The prefix user's Microsoft.Cpp.Win32.user.props, the sheet the program opens (what lay there, and its
// .bak, is put aside and back afterwards), and a scratch start-up folder holding lang\.
class E2e : public ::testing::Test {
 protected:
  E2e();
  ~E2e() override;
  ScratchFolder startUp;
  std::wstring sheet;
};

// One run of Pathwright.exe in the start-up folder; terminated if a test leaves it running.
class App {
 public:
  explicit App(const std::wstring& folder);
  ~App();
  HWND WaitForMainWindow() const;  // null when none is visible by the deadline
  DWORD WaitExit() const;          // STILL_ACTIVE when the program has not ended by the deadline

 private:
  UniqueKernelHandle m_process;
  DWORD m_processId = 0;
};

// A control's text through a send that times out, so a stuck program fails a test instead of hanging it.
std::wstring Text(HWND dialog, int id);
bool SetText(HWND dialog, int id, const std::wstring& text);

// A sheet with a library list and, when given, an include list, as a save leaves it.
inline std::string Sheet(const std::string& include = "") {
  return SavedSheet((include.empty() ? "" : Include(include)) + Kind("UserLibrary", "LibraryPath", "C:\\lib"));
}

}  // namespace pathwright::e2e
