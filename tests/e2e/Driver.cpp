#include "Driver.h"

#include <shlobj.h>

#include <filesystem>

#include "base/Utf8.h"
#include "res/resource.h"

namespace pathwright::e2e {

namespace fs = std::filesystem;

namespace {
constexpr DWORD kTimeoutMs = 20000;  // generous for a loaded machine under Wine

// A path the build names in Linux terms, as Windows programs under Wine see it (drive Z:).
fs::path WinePath(const char* path) { return L"Z:" + fs::path(DecodeUtf8(path)).make_preferred().wstring(); }

void MoveAside(const fs::path& from, const fs::path& to) {
  std::error_code ignored;
  fs::remove(to, ignored);
  fs::rename(from, to, ignored);
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  return ::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result) ? LRESULT(result) : 0;
}
}  // namespace

E2e::E2e() {
  wchar_t appData[MAX_PATH] = {};
  ::SHGetSpecialFolderPathW(nullptr, appData, CSIDL_LOCAL_APPDATA, FALSE);
  // Spelled out here, not taken from the program's code, so a wrong folder or name shows.
  const std::wstring folder = std::wstring(appData) + L"\\Microsoft\\MSBuild\\v4.0";
  fs::create_directories(folder);
  sheet = folder + L"\\Microsoft.Cpp.Win32.user.props";
  for (const std::wstring& file : {sheet, sheet + L".bak"}) MoveAside(file, file + L".e2e-kept");
  fs::create_directory(startUp.Path("lang"));
  for (const fs::directory_entry& file : fs::directory_iterator(WinePath(PATHWRIGHT_LANG_DIR)))
    fs::copy_file(file.path(), startUp.Path("lang") / file.path().filename());
}

E2e::~E2e() {
  for (const std::wstring& file : {sheet, sheet + L".bak"}) MoveAside(file + L".e2e-kept", file);
}

App::App(const std::wstring& folder) {
  const std::wstring exe = WinePath(PATHWRIGHT_EXE).wstring();
  std::wstring commandLine = L"\"" + exe + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &process)) {
    return;
  }
  ::CloseHandle(process.hThread);
  m_process.Reset(process.hProcess);
  m_processId = process.dwProcessId;
}

App::~App() {
  if (m_process && ::WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT) ::TerminateProcess(m_process.Get(), 99);
}

HWND App::WaitForMainWindow() const {
  struct Search { DWORD processId; HWND found; } search = {m_processId, nullptr};
  const ULONGLONG deadline = ::GetTickCount64() + kTimeoutMs;
  // No point waiting for the windows of a program that has ended.
  while (!search.found && m_process && ::WaitForSingleObject(m_process.Get(), 20) == WAIT_TIMEOUT &&
         ::GetTickCount64() < deadline) {
    ::EnumWindows([](HWND window, LPARAM data) -> BOOL {
      auto* s = reinterpret_cast<Search*>(data);
      DWORD pid = 0;
      ::GetWindowThreadProcessId(window, &pid);
      if (pid == s->processId && ::IsWindowVisible(window) && ::GetDlgItem(window, IDC_MAIN_SHEET_PATH)) s->found = window;
      return !s->found;
    }, LPARAM(&search));
  }
  return search.found;
}

DWORD App::WaitExit() const {
  DWORD code = STILL_ACTIVE;
  if (m_process && ::WaitForSingleObject(m_process.Get(), kTimeoutMs) == WAIT_OBJECT_0)
    ::GetExitCodeProcess(m_process.Get(), &code);
  return code;
}

std::wstring Text(HWND dialog, int id) {
  HWND control = ::GetDlgItem(dialog, id);
  std::wstring text(size_t(Send(control, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
  text.resize(size_t(Send(control, WM_GETTEXT, text.size(), LPARAM(text.data()))));
  return text;
}

bool SetText(HWND dialog, int id, const std::wstring& text) {
  return Send(::GetDlgItem(dialog, id), WM_SETTEXT, 0, LPARAM(text.c_str())) == TRUE;
}

}  // namespace pathwright::e2e
