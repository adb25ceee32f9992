// Drives the real Pathwright.exe from outside, as a user would: a start-up folder with the shipped
// language files, the per-user sheet in the prefix's MSBuild folder, windows found by process and
// class, commands and keys sent as real messages. Every wait has a deadline.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pathwright::e2e {

inline constexpr DWORD kTimeoutMs = 20000;  // generous for a loaded machine under Wine

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kTimeoutMs);
std::string ReadBytes(const std::wstring& path);  // "" for a missing file
void WriteBytes(const std::wstring& path, const std::string& bytes);
bool Exists(const std::wstring& path);

// A text of a shipped language file, its one "%s" (if any) replaced by `argument`.
std::wstring ShippedText(const std::wstring& fileName, uint32_t number, const std::wstring& argument = L"");

// Cross-process sends time out, so a stuck program fails a test, never hangs it.
LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
std::wstring Text(HWND window, int id = 0);  // id 0: the window's own text
bool SetText(HWND dialog, int id, const std::wstring& text);
void PostCommand(HWND dialog, int id, WORD code = BN_CLICKED);
void PostKey(HWND window, WPARAM key);
std::vector<std::wstring> ComboItems(HWND combo);
std::vector<std::wstring> ListItems(HWND list);
bool Enabled(HWND dialog, int id);

// What kind of top-level dialog a window is.
bool IsMainWindow(HWND dialog);
bool IsMessageBox(HWND dialog);
bool IsVersionChooser(HWND dialog);
bool IsListEditor(HWND dialog);
bool IsFolderBrowser(HWND dialog);
bool IsAboutBox(HWND dialog);

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

  bool Running() const;
  // The first of the program's dialogs (class #32770) that passes `match`; null at the deadline.
  HWND Wait(const std::function<bool(HWND)>& match, bool visibleOnly = true, DWORD timeoutMs = kTimeoutMs) const;
  DWORD WaitExit() const;  // STILL_ACTIVE when the program has not ended by the deadline

 private:
  PROCESS_INFORMATION m_process = {};
};

// A small Visual Studio 2012 sheet with a library list, and what a save with an include list makes of it.
inline const std::string kDecl = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
inline std::string Project(const char* tools) {
  return kDecl + "<Project DefaultTargets=\"Build\" ToolsVersion=\"" + tools +
         "\" xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\">\n"
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
