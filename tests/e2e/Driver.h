// Drives the real Pathwright.exe from outside, as a user would: the shipped language files in a start-up
// folder, the prefix user's sheet in the MSBuild folder, real messages, a deadline on every wait.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "res/resource.h"
#include "support/Files.h"
#include "support/Sheets.h"

namespace pathwright::e2e {

using namespace testing;

// What kind of the program's windows one is, told by its controls.
inline bool IsMainWindow(HWND window) { return ::GetDlgItem(window, IDC_MAIN_SHEET_PATH); }
inline bool IsVersionChooser(HWND window) { return ::GetDlgItem(window, IDC_RESTORE_PROMPT); }
inline bool IsMessageBox(HWND window) {  // its text is static 0xFFFF; no dialog of the program has a 1001 and a 1004
  return ::GetDlgItem(window, 0xFFFF) && !::GetDlgItem(window, 1001) && !::GetDlgItem(window, IDC_ABOUT_VERSION);
}

// The prefix user's Microsoft.Cpp.Win32.user.props, the sheet the program opens (the prefix is the
// project's own: the sheet and its .bak are removed afterwards), and a scratch start-up folder with lang\.
class E2e : public ::testing::Test {
 protected:
  E2e();
  ~E2e() override;
  // Starts the program in the start-up folder, hands `act` the first of its windows that passes `first` once
  // it is visible, and returns the exit code; STILL_ACTIVE when no window came or the program did not end by
  // the deadline.
  DWORD Run(const std::function<void(HWND window)>& act, bool (*first)(HWND) = IsMainWindow) const;
  // Within `act`: a visible window of the running program that passes `match`; null at the deadline.
  HWND WaitFor(bool (*match)(HWND)) const;

  ScratchFolder startUp;
  std::wstring sheet;

 private:
  mutable PROCESS_INFORMATION m_running = {};
};

// A control's text (id 0: the window's own), read and written through sends that time out: a stuck program
// fails, never hangs.
std::wstring Text(HWND dialog, int id = 0);
bool SetText(HWND dialog, int id, const std::wstring& text);
LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
inline void PostCommand(HWND dialog, int id) {
  ::PostMessageW(dialog, WM_COMMAND, id, LPARAM(::GetDlgItem(dialog, id)));
}
// A text of the shipped English.lng.
std::wstring EnglishText(uint32_t number);

// A sheet with a library list and, when given, an include list, as a save leaves it.
inline std::string Sheet(const std::string& include = "") {
  return SavedSheet((include.empty() ? "" : Include(include)) + Kind("UserLibrary", "LibraryPath", "C:\\lib"));
}

}  // namespace pathwright::e2e
