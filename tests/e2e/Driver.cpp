#include "Driver.h"

#include <shlobj.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "lang/LanguageFile.h"
#include "lang/Utf8.h"
#include "res/resource.h"

namespace pathwright::e2e {

namespace fs = std::filesystem;

namespace {
// A path the build names in Linux terms, as Windows programs under Wine see it (drive Z:).
std::wstring WinePath(const char* linuxPath) { return L"Z:" + fs::path(DecodeUtf8(linuxPath)).make_preferred().wstring(); }

void MoveFile(const std::wstring& from, const std::wstring& to) {
  std::error_code ignored;
  fs::remove(to, ignored);
  fs::rename(from, to, ignored);
}

bool HasChild(HWND dialog, int id) { return ::GetDlgItem(dialog, id) != nullptr; }

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, ARRAYSIZE(name));
  return name;
}

std::vector<std::wstring> Items(HWND control, UINT count, UINT length, UINT text) {
  std::vector<std::wstring> items(static_cast<size_t>(std::max<LRESULT>(Send(control, count), 0)));
  for (size_t i = 0; i < items.size(); ++i) {
    items[i].resize(static_cast<size_t>(std::max<LRESULT>(Send(control, length, i), 0)) + 1);
    items[i].resize(static_cast<size_t>(std::max<LRESULT>(Send(control, text, i, LPARAM(items[i].data())), 0)));
  }
  return items;
}
}  // namespace

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  for (const ULONGLONG deadline = ::GetTickCount64() + timeoutMs; !condition(); ::Sleep(20)) {
    if (::GetTickCount64() >= deadline) return false;
  }
  return true;
}

std::string ReadBytes(const std::wstring& path) {
  std::ifstream in(fs::path(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
  std::ofstream(fs::path(path), std::ios::binary) << bytes;
}

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

E2e::E2e() {
  wchar_t appData[MAX_PATH] = {};
  ::SHGetSpecialFolderPathW(nullptr, appData, CSIDL_LOCAL_APPDATA, FALSE);
  fs::create_directories(std::wstring(appData) + L"\\Microsoft\\MSBuild\\v4.0");
  sheet = std::wstring(appData) + L"\\Microsoft\\MSBuild\\v4.0\\Microsoft.Cpp.Win32.user.props";
  bak = sheet + L".bak";
  MoveFile(sheet, sheet + L".e2e-kept");
  MoveFile(bak, bak + L".e2e-kept");
  static int counter = 0;
  folder = (fs::temp_directory_path() / ("pathwright-e2e-" + std::to_string(::GetCurrentProcessId()) + "-" +
                                         std::to_string(++counter))).wstring();
  settings = folder + L"\\programm.ini";
  fs::remove_all(folder);
  fs::create_directories(folder + L"\\lang");
  for (const auto& file : fs::directory_iterator(WinePath(PATHWRIGHT_LANG_DIR))) {
    if (file.path().extension() == ".lng") fs::copy_file(file.path(), folder + L"\\lang\\" + file.path().filename().wstring());
  }
}

E2e::~E2e() {
  MoveFile(sheet + L".e2e-kept", sheet);
  MoveFile(bak + L".e2e-kept", bak);
  std::error_code ignored;
  fs::remove_all(folder, ignored);
}

std::wstring ShippedText(const std::wstring& fileName, uint32_t number, const std::wstring& argument) {
  LanguageTable table;
  LoadLanguage(WinePath(PATHWRIGHT_LANG_DIR) + L"\\" + fileName, table);
  std::wstring text = GetText(table, number);
  if (const size_t at = text.find(L"%s"); at != std::wstring::npos) text.replace(at, 2, argument);
  return text;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result)) return -1;
  return static_cast<LRESULT>(result);
}

std::wstring Text(HWND window, int id) {
  if (id) window = ::GetDlgItem(window, id);
  std::wstring text(static_cast<size_t>(std::max<LRESULT>(Send(window, WM_GETTEXTLENGTH), 0)) + 1, L'\0');
  text.resize(static_cast<size_t>(std::max<LRESULT>(Send(window, WM_GETTEXT, text.size(), LPARAM(text.data())), 0)));
  return text;
}

bool SetText(HWND dialog, int id, const std::wstring& text) {
  return Send(::GetDlgItem(dialog, id), WM_SETTEXT, 0, LPARAM(text.c_str())) == TRUE;
}

void PostCommand(HWND dialog, int id, WORD code) {
  ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, code), LPARAM(::GetDlgItem(dialog, id)));
}

void PostKey(HWND window, WPARAM key) {
  const LPARAM scan = ::MapVirtualKeyW(static_cast<UINT>(key), MAPVK_VK_TO_VSC);
  ::PostMessageW(window, WM_KEYDOWN, key, 1 | (scan << 16));
}

std::vector<std::wstring> ComboItems(HWND combo) { return Items(combo, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT); }
std::vector<std::wstring> ListItems(HWND list) { return Items(list, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT); }
bool Enabled(HWND dialog, int id) { return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE; }

bool IsMainWindow(HWND dialog) { return HasChild(dialog, IDC_MAIN_SHEET_PATH); }
bool IsMessageBox(HWND dialog) { return HasChild(dialog, 0xFFFF); }
bool IsVersionChooser(HWND dialog) { return HasChild(dialog, IDC_RESTORE_VERSION) && !IsMainWindow(dialog); }
bool IsListEditor(HWND dialog) { return HasChild(dialog, IDC_LIST_BOX) && HasChild(dialog, IDC_LIST_DOWN); }
bool IsFolderBrowser(HWND dialog) { return ClassOf(::GetDlgItem(dialog, 14145)) == L"SysTreeView32"; }
bool IsAboutBox(HWND dialog) { return HasChild(dialog, IDC_ABOUT_VERSION) && !HasChild(dialog, IDC_LIST_DOWN); }

App::App(const std::wstring& folder) {
  std::wstring exe = WinePath(PATHWRIGHT_EXE), commandLine = L"\"" + exe + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &m_process)) {
    m_process = {};
  }
}

App::~App() {
  if (!m_process.hProcess) return;
  if (Running()) ::TerminateProcess(m_process.hProcess, 99);
  ::WaitForSingleObject(m_process.hProcess, kTimeoutMs);
  ::CloseHandle(m_process.hThread);
  ::CloseHandle(m_process.hProcess);
}

bool App::Running() const {
  return m_process.hProcess && ::WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT;
}

HWND App::Wait(const std::function<bool(HWND)>& match, bool visibleOnly, DWORD timeoutMs) const {
  struct Search {
    DWORD pid;
    bool visibleOnly;
    const std::function<bool(HWND)>& match;
    HWND found;
  } search{m_process.dwProcessId, visibleOnly, match, nullptr};
  WaitUntil([&] {
    ::EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
          auto& s = *reinterpret_cast<Search*>(param);
          DWORD pid = 0;
          ::GetWindowThreadProcessId(window, &pid);
          if (pid == s.pid && ClassOf(window) == L"#32770" && (!s.visibleOnly || ::IsWindowVisible(window)) &&
              s.match(window)) {
            s.found = window;
          }
          return !s.found;
        },
        LPARAM(&search));
    return search.found || !Running();  // no point waiting for the windows of a program that has ended
  }, timeoutMs);
  return search.found;
}

DWORD App::WaitExit() const {
  DWORD code = STILL_ACTIVE;
  if (m_process.hProcess && ::WaitForSingleObject(m_process.hProcess, kTimeoutMs) == WAIT_OBJECT_0) {
    ::GetExitCodeProcess(m_process.hProcess, &code);
  }
  return code;
}

}  // namespace pathwright::e2e
