#include "Driver.h"

#include <shlobj.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "lang/LanguageFile.h"
#include "base/Utf8.h"

namespace pathwright::e2e {

namespace fs = std::filesystem;

// A path the build names in Linux terms, as Windows programs under Wine see it (drive Z:).
static std::wstring WinePath(const char* path) { return L"Z:" + fs::path(DecodeUtf8(path)).make_preferred().wstring(); }

static void MoveFile(const std::wstring& from, const std::wstring& to) {
  std::error_code ignored;
  fs::remove(to, ignored), fs::rename(from, to, ignored);
}

static std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, ARRAYSIZE(name));
  return name;
}

static size_t Size(LRESULT result) { return size_t(std::max<LRESULT>(result, 0)); }  // a failed send counts as none

static std::vector<std::wstring> Items(HWND control, UINT count, UINT length, UINT text) {
  std::vector<std::wstring> items(Size(Send(control, count)));
  for (size_t i = 0; i < items.size(); ++i) {
    items[i].resize(Size(Send(control, length, i)) + 1);
    items[i].resize(Size(Send(control, text, i, LPARAM(items[i].data()))));
  }
  return items;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  for (const ULONGLONG deadline = ::GetTickCount64() + timeoutMs; !condition(); ::Sleep(20))
    if (::GetTickCount64() >= deadline) return false;
  return true;
}

std::string ReadBytes(const std::wstring& path) {
  std::ifstream in(fs::path(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
  std::ofstream(fs::path(path), std::ios::binary) << bytes;
}

E2e::E2e() {
  wchar_t appData[MAX_PATH] = {};
  ::SHGetSpecialFolderPathW(nullptr, appData, CSIDL_LOCAL_APPDATA, FALSE);
  fs::create_directories(std::wstring(appData) + L"\\Microsoft\\MSBuild\\v4.0");
  sheet = std::wstring(appData) + L"\\Microsoft\\MSBuild\\v4.0\\Microsoft.Cpp.Win32.user.props", bak = sheet + L".bak";
  MoveFile(sheet, sheet + L".e2e-kept"), MoveFile(bak, bak + L".e2e-kept");
  static int counter = 0;
  folder = fs::temp_directory_path() / ("pathwright-e2e-" + std::to_string(::GetCurrentProcessId()) + "-" +
                                        std::to_string(++counter));
  settings = folder + L"\\programm.ini";
  fs::remove_all(folder);
  fs::create_directories(folder + L"\\lang");
  for (const fs::path& file : fs::directory_iterator(WinePath(PATHWRIGHT_LANG_DIR)))
    if (file.extension() == ".lng") fs::copy_file(file, folder + L"\\lang\\" + file.filename().wstring());
}

E2e::~E2e() {
  MoveFile(sheet + L".e2e-kept", sheet), MoveFile(bak + L".e2e-kept", bak);
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
  return ::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result) ? LRESULT(result) : -1;
}

std::wstring Text(HWND window, int id) {
  if (id) window = ::GetDlgItem(window, id);
  std::wstring text(Size(Send(window, WM_GETTEXTLENGTH)) + 1, L'\0');
  text.resize(Size(Send(window, WM_GETTEXT, text.size(), LPARAM(text.data()))));
  return text;
}

std::vector<std::wstring> ComboItems(HWND combo) { return Items(combo, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT); }
std::vector<std::wstring> ListItems(HWND list) { return Items(list, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT); }
bool IsFolderBrowser(HWND dialog) { return ClassOf(::GetDlgItem(dialog, 14145)) == L"SysTreeView32"; }

App::App(const std::wstring& folder) {
  std::wstring exe = WinePath(PATHWRIGHT_EXE), commandLine = L"\"" + exe + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &m_process))
    m_process = {};
}

App::~App() {
  if (!m_process.hProcess) return;
  if (Running()) ::TerminateProcess(m_process.hProcess, 99);
  ::WaitForSingleObject(m_process.hProcess, kTimeoutMs);
  ::CloseHandle(m_process.hThread), ::CloseHandle(m_process.hProcess);
}

HWND App::Wait(const std::function<bool(HWND)>& match, bool visibleOnly, DWORD timeoutMs) const {
  HWND found = nullptr;
  const std::function<bool(HWND)> test = [&](HWND window) {  // true: found, the enumeration stops
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    return pid == m_process.dwProcessId && ClassOf(window) == L"#32770" &&
           (!visibleOnly || ::IsWindowVisible(window)) && match(window) && (found = window);
  };
  WaitUntil([&] {
    ::EnumWindows([](HWND w, LPARAM t) -> BOOL { return !(*reinterpret_cast<decltype(&test)>(t))(w); }, LPARAM(&test));
    return found || !Running();  // no point waiting for the windows of a program that has ended
  }, timeoutMs);
  return found;
}

DWORD App::WaitExit() const {
  DWORD code = STILL_ACTIVE;
  if (m_process.hProcess && ::WaitForSingleObject(m_process.hProcess, kTimeoutMs) == WAIT_OBJECT_0)
    ::GetExitCodeProcess(m_process.hProcess, &code);
  return code;
}

}  // namespace pathwright::e2e
