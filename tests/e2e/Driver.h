// Drives the real Pathwright.exe from outside, as a user would: the shipped language files in a start-up
// folder, the per-user sheet in the prefix's MSBuild folder, real messages. Every wait has a deadline.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "res/resource.h"

namespace pathwright::e2e {

inline constexpr DWORD kTimeoutMs = 20000;  // generous for a loaded machine under Wine

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kTimeoutMs);
std::string ReadBytes(const std::wstring& path);  // "" for a missing file
void WriteBytes(const std::wstring& path, const std::string& bytes);
inline bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
// A text of a shipped language file, its one "%s" (if any) replaced by `argument`.
std::wstring ShippedText(const std::wstring& fileName, uint32_t number, const std::wstring& argument = L"");

// Cross-process sends time out (-1), so a stuck program fails a test, never hangs it.
LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
std::wstring Text(HWND window, int id = 0);  // id 0: the window's own text
inline bool SetText(HWND dialog, int id, const std::wstring& text) {
  return Send(::GetDlgItem(dialog, id), WM_SETTEXT, 0, LPARAM(text.c_str())) == TRUE;
}
inline void PostCommand(HWND dialog, int id, WORD code = BN_CLICKED) {
  ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, code), LPARAM(::GetDlgItem(dialog, id)));
}
inline void PostKey(HWND window, WPARAM key) {
  ::PostMessageW(window, WM_KEYDOWN, key, 1 | LPARAM(::MapVirtualKeyW(UINT(key), MAPVK_VK_TO_VSC)) << 16);
}
std::vector<std::wstring> ComboItems(HWND combo), ListItems(HWND list);
inline bool Enabled(HWND dialog, int id) { return ::IsWindowEnabled(::GetDlgItem(dialog, id)); }

// What kind of top-level dialog a window is, told by its controls.
inline bool Has(HWND dialog, int id) { return ::GetDlgItem(dialog, id); }
inline bool IsMainWindow(HWND dialog) { return Has(dialog, IDC_MAIN_SHEET_PATH); }
inline bool IsMessageBox(HWND dialog) { return Has(dialog, 0xFFFF); }
inline bool IsVersionChooser(HWND dialog) { return Has(dialog, IDC_RESTORE_VERSION) && !IsMainWindow(dialog); }
inline bool IsListEditor(HWND dialog) { return Has(dialog, IDC_LIST_BOX) && Has(dialog, IDC_LIST_DOWN); }
inline bool IsAboutBox(HWND dialog) { return Has(dialog, IDC_ABOUT_VERSION) && !Has(dialog, IDC_LIST_DOWN); }
bool IsFolderBrowser(HWND dialog);

// Every test gets the prefix user's Microsoft.Cpp.Win32.user.props, the file the program opens (what lay
// there, and its .bak, is moved aside and put back afterwards), and a scratch start-up folder with lang\.
class E2e : public ::testing::Test {
 protected:
  E2e();
  ~E2e() override;
  std::wstring sheet, bak, folder, settings;  // settings: the start-up folder's programm.ini
};

// One run of Pathwright.exe in the start-up folder; terminated if a test leaves it running.
class App {
 public:
  explicit App(const std::wstring& folder);
  ~App();
  App(const App&) = delete;
  App& operator=(const App&) = delete;
  bool Running() const { return m_process.hProcess && ::WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT; }
  // The first of the program's dialogs (class #32770) that passes `match`; null at the deadline.
  HWND Wait(const std::function<bool(HWND)>& match, bool visibleOnly = true, DWORD timeoutMs = kTimeoutMs) const;
  DWORD WaitExit() const;  // STILL_ACTIVE when the program has not ended by the deadline

 private:
  PROCESS_INFORMATION m_process = {};
};

// A small Visual Studio 2012 sheet with a library list, and what a save with an include list makes of it.
inline std::string Project(const char* tools) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Project DefaultTargets=\"Build\" ToolsVersion=\"" +
         std::string(tools) + "\" xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\">\n"
         "\t<ImportGroup Label=\"PropertySheets\" />\n\t<PropertyGroup Label=\"UserMacros\" />\n";
}
inline const std::string kTail = "\t<ItemDefinitionGroup />\n\t<ItemGroup />\n</Project>\n";
inline const std::string kNew2013 = Project("12.0") + "\t<PropertyGroup />\n" + kTail;
inline std::string SheetWithInclude(const std::string& list) {
  return Project("4.0") + "\t<PropertyGroup>\n" +
         (list.empty() ? "" : "\t\t<UserInclude>" + list + "</UserInclude>\n"
                              "\t\t<IncludePath>$(UserInclude);$(IncludePath)</IncludePath>\n") +
         "\t\t<UserLibrary>C:\\lib</UserLibrary>\n\t\t<LibraryPath>$(UserLibrary);$(LibraryPath)</LibraryPath>\n"
         "\t</PropertyGroup>\n" + kTail;
}
inline const std::string kSheet = SheetWithInclude("");

}  // namespace pathwright::e2e
