// Shared pieces of the in-process window tests: a scratch folder, files, platform services that
// answer from a script and record what they were asked, and small message helpers.
#pragma once

#include <windows.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "win/FileDialog.h"
#include "ui/Platform.h"

namespace pathwright::wintest {

// A fresh folder under the temporary folder, removed with everything in it afterwards.
class ScratchDir {
 public:
  ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  ~ScratchDir();
  const std::wstring& Path() const { return m_path; }
  std::wstring operator/(const std::wstring& name) const { return m_path + L"\\" + name; }

 private:
  std::wstring m_path;
};

void MakeFolders(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
std::string ReadFileBytes(const std::wstring& path);  // "<missing>" when it cannot be read
bool FileExists(const std::wstring& path);
std::string SheetWithInclude(const std::string& include);  // a valid sheet with only the user include list

// Holds a file open without sharing, so every write to it (and every replacement) fails.
class FileLock {
 public:
  explicit FileLock(const std::wstring& path)
      : m_file(::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  ~FileLock() { Release(); }
  bool Held() const { return m_file != INVALID_HANDLE_VALUE; }
  void Release() {
    if (m_file != INVALID_HANDLE_VALUE) ::CloseHandle(m_file);
    m_file = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE m_file;
};

struct ShownMessage { HWND owner; bool ownerVisible; std::wstring text, caption; UINT type; };
struct FileDialogAnswer { INT_PTR result; std::wstring path, title; };
struct FileDialogSeen { std::wstring initialFolder; DWORD flags; std::wstring filter, defaultExtension; bool open; };
struct ChooserAnswer { INT_PTR result; int version; };

class FakePlatform : public PlatformServices {
 public:
  std::wstring appData;  // empty: the shell has no folder
  std::deque<FileDialogAnswer> fileAnswers;  // none left: cancelled
  std::deque<ChooserAnswer> chooserAnswers;
  std::vector<ShownMessage> messages;
  std::vector<FileDialogSeen> fileDialogs;
  std::vector<int> chooserVersionsOnEntry;
  std::map<HWND, std::wstring> accessibleNames;

  std::wstring LocalAppDataFolder() override { return appData; }
  INT_PTR RunFileDialog(CFileDialog& dialog, HWND owner) override;
  INT_PTR RunVersionChooser(HWND owner, int& version, uint32_t prompt) override;
  int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) override;
  bool SetAccessibleName(HWND control, const std::wstring& name) override { return accessibleNames[control] = name, true; }
  bool BrowseForFolder(HWND, const std::wstring&, const std::wstring&, std::wstring&) override { return false; }
};

int TakeQuitCode();   // a posted WM_QUIT's exit code, or -1 when none is waiting
void PumpMessages();  // runs the waiting messages, leaving a WM_QUIT in the queue
std::wstring WindowText(HWND window);

}  // namespace pathwright::wintest
