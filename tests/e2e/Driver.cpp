#include "Driver.h"

#include <shlobj.h>

#include <algorithm>

#include "lang/LanguageFile.h"
#include "lang/Utf8.h"
#include "res/resource.h"

namespace pathwright::e2e {

namespace {

constexpr DWORD kPollMs = 20;
constexpr UINT kSendTimeoutMs = 5000;
constexpr int kMessageBoxTextId = 0xFFFF;
constexpr int kFolderTreeId = 14145;

std::wstring Concat(const std::wstring& folder, const std::wstring& name) {
  return folder.empty() || folder.back() == L'\\' ? folder + name : folder + L"\\" + name;
}

}  // namespace

void CreateFolders(const std::wstring& path) {
  for (size_t at = path.find(L'\\', 3); at != std::wstring::npos; at = path.find(L'\\', at + 1)) {
    ::CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
  }
  ::CreateDirectoryW(path.c_str(), nullptr);
}

void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW found = {};
  HANDLE search = ::FindFirstFileW(Concat(folder, L"*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = Concat(folder, name);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(path.c_str());
      }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
  }
  ::RemoveDirectoryW(folder.c_str());
}

namespace {

// Moves `path` aside to `aside` (or forgets a stale `aside` when there is nothing to keep).
void MoveAside(const std::wstring& path, const std::wstring& aside) {
  ::DeleteFileW(aside.c_str());
  ::MoveFileExW(path.c_str(), aside.c_str(), MOVEFILE_REPLACE_EXISTING);
}

void PutBack(const std::wstring& aside, const std::wstring& path) {
  ::DeleteFileW(path.c_str());
  if (FileExists(aside)) ::MoveFileExW(aside.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

std::wstring LanguageSourceFolder() { return WinePath(PATHWRIGHT_LANG_DIR); }

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
  for (;;) {
    if (condition()) return true;
    if (::GetTickCount64() >= deadline) return false;
    ::Sleep(kPollMs);
  }
}

std::string ReadFileBytes(const std::wstring& path) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  char buffer[65536];
  DWORD got = 0;
  while (::ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) bytes.append(buffer, got);
  ::CloseHandle(file);
  return bytes;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size();
  ::CloseHandle(file);
  return ok;
}

bool FileExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring WinePath(const char* linuxPath) {
  std::wstring path = DecodeUtf8(linuxPath);
  if (path.empty() || path[0] != L'/') return path;
  std::replace(path.begin(), path.end(), L'/', L'\\');
  return L"Z:" + path;
}

SheetSlot::SheetSlot() {
  // The program asks the same question in the same prefix, so this is the file it opens.
  wchar_t folder[MAX_PATH] = {};
  if (::SHGetSpecialFolderPathW(nullptr, folder, CSIDL_LOCAL_APPDATA, FALSE)) {
    const std::wstring msbuild = std::wstring(folder) + L"\\Microsoft\\MSBuild\\v4.0";
    CreateFolders(msbuild);
    m_path = msbuild + L"\\Microsoft.Cpp.Win32.user.props";
  }
  MoveAside(m_path, m_path + L".e2e-kept");
  MoveAside(BackupPath(), BackupPath() + L".e2e-kept");
}

SheetSlot::~SheetSlot() {
  PutBack(m_path + L".e2e-kept", m_path);
  PutBack(BackupPath() + L".e2e-kept", BackupPath());
}

void SheetSlot::Write(const std::string& bytes) const { WriteFileBytes(m_path, bytes); }

StartFolder::StartFolder(bool withLanguages) {
  static int counter = 0;
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  m_path = Concat(temp, L"pathwright-e2e-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                            std::to_wstring(++counter));
  RemoveTree(m_path);
  CreateFolders(m_path);
  if (!withLanguages) return;

  const std::wstring lang = m_path + L"\\lang";
  ::CreateDirectoryW(lang.c_str(), nullptr);
  const std::wstring source = LanguageSourceFolder();
  WIN32_FIND_DATAW found = {};
  HANDLE search = ::FindFirstFileW(Concat(source, L"*.lng").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    ::CopyFileW(Concat(source, found.cFileName).c_str(), Concat(lang, found.cFileName).c_str(), FALSE);
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
}

StartFolder::~StartFolder() { RemoveTree(m_path); }

std::wstring ShippedText(const std::wstring& fileName, uint32_t number) {
  LanguageTable table;
  LoadLanguage(Concat(LanguageSourceFolder(), fileName), table);
  return GetText(table, number);
}

std::wstring FormatOne(const std::wstring& format, const std::wstring& argument) {
  std::wstring text = format;
  const size_t at = text.find(L"%s");
  if (at != std::wstring::npos) text.replace(at, 2, argument);
  return text;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result)) return -1;
  return static_cast<LRESULT>(result);
}

std::wstring WindowText(HWND window) {
  const LRESULT length = Send(window, WM_GETTEXTLENGTH);
  if (length <= 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT got = Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return text;
}

std::wstring ItemText(HWND dialog, int id) { return WindowText(::GetDlgItem(dialog, id)); }

bool SetItemText(HWND dialog, int id, const std::wstring& text) {
  HWND item = ::GetDlgItem(dialog, id);
  return item && Send(item, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())) == TRUE;
}

void PostCommand(HWND dialog, int id, WORD code) {
  ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

void PostKey(HWND window, WPARAM key) {
  const UINT scan = ::MapVirtualKeyW(static_cast<UINT>(key), MAPVK_VK_TO_VSC);
  ::PostMessageW(window, WM_KEYDOWN, key, 1 | (static_cast<LPARAM>(scan) << 16));
}

bool HasChild(HWND dialog, int id) { return ::GetDlgItem(dialog, id) != nullptr; }

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, ARRAYSIZE(name));
  return name;
}

std::vector<std::wstring> ComboItems(HWND combo) {
  std::vector<std::wstring> items;
  const LRESULT count = Send(combo, CB_GETCOUNT);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = Send(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i));
    std::wstring text(static_cast<size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
    const LRESULT got = Send(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    items.push_back(text);
  }
  return items;
}

std::vector<std::wstring> ListItems(HWND list) {
  std::vector<std::wstring> items;
  const LRESULT count = Send(list, LB_GETCOUNT);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = Send(list, LB_GETTEXTLEN, static_cast<WPARAM>(i));
    std::wstring text(static_cast<size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
    const LRESULT got = Send(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    items.push_back(text);
  }
  return items;
}

bool IsMainWindow(HWND dialog) { return HasChild(dialog, IDC_MAIN_SHEET_PATH); }
bool IsMessageBox(HWND dialog) { return HasChild(dialog, kMessageBoxTextId); }
bool IsVersionChooser(HWND dialog) {
  return HasChild(dialog, IDC_RESTORE_VERSION) && !HasChild(dialog, IDC_MAIN_SHEET_PATH);
}
bool IsListEditor(HWND dialog) { return HasChild(dialog, IDC_LIST_BOX) && HasChild(dialog, IDC_LIST_DOWN); }
bool IsFolderBrowser(HWND dialog) {
  HWND tree = ::GetDlgItem(dialog, kFolderTreeId);
  return tree && ClassOf(tree) == L"SysTreeView32";
}
bool IsAboutBox(HWND dialog) { return HasChild(dialog, IDC_ABOUT_VERSION) && !HasChild(dialog, IDC_LIST_DOWN); }

App::App(const StartFolder& folder) {
  std::wstring exe = WinePath(PATHWRIGHT_EXE);
  std::wstring commandLine = L"\"" + exe + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.Path().c_str(), &startup, &m_process)) {
    m_process = {};
  }
}

App::~App() {
  if (!Started()) return;
  if (Running()) {
    ::TerminateProcess(m_process.hProcess, 99);
    ::WaitForSingleObject(m_process.hProcess, kTimeoutMs);
  }
  ::CloseHandle(m_process.hThread);
  ::CloseHandle(m_process.hProcess);
}

bool App::Running() const {
  return Started() && ::WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT;
}

std::vector<HWND> App::Dialogs(bool visibleOnly) const {
  struct Search {
    DWORD pid;
    bool visibleOnly;
    std::vector<HWND> found;
  } search{m_process.dwProcessId, visibleOnly, {}};
  ::EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(param);
        DWORD pid = 0;
        ::GetWindowThreadProcessId(window, &pid);
        if (pid == s.pid && ClassOf(window) == L"#32770" && (!s.visibleOnly || ::IsWindowVisible(window))) {
          s.found.push_back(window);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND App::WaitDialog(const std::function<bool(HWND)>& match, bool visibleOnly, DWORD timeoutMs) const {
  HWND result = nullptr;
  WaitUntil(
      [&] {
        for (HWND dialog : Dialogs(visibleOnly)) {
          if (match(dialog)) {
            result = dialog;
            return true;
          }
        }
        return !Running();  // no point waiting for the windows of a program that has ended
      },
      timeoutMs);
  return result;
}

HWND App::WaitMainWindow(DWORD timeoutMs) const { return WaitDialog(IsMainWindow, true, timeoutMs); }

HWND App::WaitMessageBox(DWORD timeoutMs) const { return WaitDialog(IsMessageBox, true, timeoutMs); }

HWND App::FindMainWindow(bool visibleOnly) const {
  for (HWND dialog : Dialogs(visibleOnly)) {
    if (IsMainWindow(dialog)) return dialog;
  }
  return nullptr;
}

DWORD App::WaitExit(DWORD timeoutMs) const {
  if (!Started()) return STILL_ACTIVE;
  DWORD code = STILL_ACTIVE;
  if (::WaitForSingleObject(m_process.hProcess, timeoutMs) == WAIT_OBJECT_0) {
    ::GetExitCodeProcess(m_process.hProcess, &code);
  }
  return code;
}

void App::Close() {
  if (!Running()) return;
  if (HWND main = FindMainWindow(false)) PostCommand(main, IDCANCEL);
  if (WaitExit(3000) == STILL_ACTIVE) ::TerminateProcess(m_process.hProcess, 99);
}

}  // namespace pathwright::e2e
