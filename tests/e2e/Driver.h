// Drives the real Pathwright.exe from outside, as a user would: a prepared start-up folder, the
// per-user sheet in the prefix's MSBuild folder, windows found by process and class, commands and
// keys sent as real messages, and the exit code and file bytes checked afterwards.
// Every wait has a deadline, and a program still running when its test ends is terminated.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pathwright::e2e {

// Generous for a loaded machine under Wine; a healthy start takes well under a second.
inline constexpr DWORD kTimeoutMs = 20000;

// Polls `condition` until it holds or the deadline passes; true when it held.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kTimeoutMs);

// Whole-file helpers on wide paths. ReadFileBytes gives "" for a missing file; ask FileExists.
std::string ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
bool FileExists(const std::wstring& path);
// Creates every missing folder of a full path; removes a folder with everything in it.
void CreateFolders(const std::wstring& path);
void RemoveTree(const std::wstring& folder);

// A path the build names in Linux terms, as Windows programs under Wine see it (drive Z:).
std::wstring WinePath(const char* linuxPath);

// The default sheet of this prefix's user, Microsoft.Cpp.Win32.user.props in the MSBuild folder
// (<local app data>\Microsoft\MSBuild\v4.0). Whatever lies there (and its .bak) is moved aside while the
// test runs and put back afterwards, so a developer's own prefix loses nothing.
class SheetSlot {
 public:
  SheetSlot();
  ~SheetSlot();
  SheetSlot(const SheetSlot&) = delete;
  SheetSlot& operator=(const SheetSlot&) = delete;

  const std::wstring& Path() const { return m_path; }
  std::wstring BackupPath() const { return m_path + L".bak"; }
  void Write(const std::string& bytes) const;
  std::string Read() const { return ReadFileBytes(m_path); }

 private:
  std::wstring m_path;
};

// A scratch start-up folder: lang\ with the shipped language files (unless told otherwise) and,
// when a test writes one, programm.ini. Removed with everything in it afterwards.
class StartFolder {
 public:
  explicit StartFolder(bool withLanguages = true);
  ~StartFolder();
  StartFolder(const StartFolder&) = delete;
  StartFolder& operator=(const StartFolder&) = delete;

  const std::wstring& Path() const { return m_path; }
  std::wstring SettingsPath() const { return m_path + L"\\programm.ini"; }

 private:
  std::wstring m_path;
};

// Texts of a shipped language file (lang\<fileName>), looked up by text number.
std::wstring ShippedText(const std::wstring& fileName, uint32_t number);
// printf-style "%s" replaced by `argument` (the one string argument of 4003, 4005 and 3001).
std::wstring FormatOne(const std::wstring& format, const std::wstring& argument);

// Window helpers. Cross-process sends use a timeout, so a stuck program fails a test, never hangs it.
std::wstring WindowText(HWND window);
std::wstring ItemText(HWND dialog, int id);
bool SetItemText(HWND dialog, int id, const std::wstring& text);
LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
void PostCommand(HWND dialog, int id, WORD code = BN_CLICKED);
void PostKey(HWND window, WPARAM key);
bool HasChild(HWND dialog, int id);
std::wstring ClassOf(HWND window);
std::vector<std::wstring> ComboItems(HWND combo);
std::vector<std::wstring> ListItems(HWND list);

// One run of Pathwright.exe in a start-up folder.
class App {
 public:
  explicit App(const StartFolder& folder);
  ~App();  // terminates the program if a test left it running
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  bool Started() const { return m_process.hProcess != nullptr; }
  bool Running() const;

  // Top-level dialogs (class #32770) of the program; visible ones only unless asked otherwise.
  std::vector<HWND> Dialogs(bool visibleOnly = true) const;
  // The first dialog that passes `match`, waited for; null at the deadline.
  HWND WaitDialog(const std::function<bool(HWND)>& match, bool visibleOnly = true,
                  DWORD timeoutMs = kTimeoutMs) const;
  // The main window once it is visible; the message box (static 0xFFFF) of any owner.
  HWND WaitMainWindow(DWORD timeoutMs = kTimeoutMs) const;
  HWND WaitMessageBox(DWORD timeoutMs = kTimeoutMs) const;
  // The main window even while hidden (it exists hidden during its own initialisation).
  HWND FindMainWindow(bool visibleOnly) const;

  // The exit code, or STILL_ACTIVE when the program has not ended by the deadline.
  DWORD WaitExit(DWORD timeoutMs = kTimeoutMs) const;
  // Waits for the program to close its windows and stop; ends it when it does not.
  void Close();

 private:
  PROCESS_INFORMATION m_process = {};
};

// Predicates for App::WaitDialog.
bool IsMainWindow(HWND dialog);
bool IsMessageBox(HWND dialog);
bool IsVersionChooser(HWND dialog);
bool IsListEditor(HWND dialog);
bool IsFolderBrowser(HWND dialog);
bool IsAboutBox(HWND dialog);

}  // namespace pathwright::e2e
