#include "Driver.h"

#include <shlobj.h>

#include <filesystem>

#include "base/Handle.h"
#include "base/Utf8.h"
#include "lang/LanguageFile.h"

namespace pathwright::e2e {

namespace fs = std::filesystem;

namespace {
constexpr DWORD kTimeoutMs = 20000;  // generous for a loaded machine under Wine

// A path the build names in Linux terms, as Windows programs under Wine see it (drive Z:).
fs::path WinePath(const char* path) { return L"Z:" + fs::path(DecodeUtf8(path)).make_preferred().wstring(); }

// The first visible top-level window of the process that passes `match`; null at the deadline or once the
// process has ended.
HWND WaitForWindow(DWORD processId, HANDLE process, bool (*match)(HWND)) {
  struct Search {
    DWORD processId;
    bool (*match)(HWND);
    HWND found;
  } search = {processId, match, nullptr};
  for (const ULONGLONG deadline = ::GetTickCount64() + kTimeoutMs; !search.found && ::GetTickCount64() < deadline;) {
    if (::WaitForSingleObject(process, 20) != WAIT_TIMEOUT) break;  // ended: no window will come
    ::EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
          auto* s = reinterpret_cast<Search*>(data);
          DWORD pid = 0;
          ::GetWindowThreadProcessId(window, &pid);
          if (pid == s->processId && ::IsWindowVisible(window) && s->match(window)) s->found = window;
          return !s->found;
        },
        LPARAM(&search));
  }
  return search.found;
}
}  // namespace

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  return ::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result) ? LRESULT(result) : 0;
}

std::wstring EnglishText(uint32_t number) {
  LanguageTable table;
  LoadLanguage(WinePath(PATHWRIGHT_LANG_DIR "/English.lng").wstring(), table);
  return GetText(table, number);
}

E2e::E2e() {
  wchar_t appData[MAX_PATH] = {};
  ::SHGetSpecialFolderPathW(nullptr, appData, CSIDL_LOCAL_APPDATA, FALSE);
  // Spelled out here, not taken from the program's code, so a wrong folder or name shows.
  const std::wstring folder = std::wstring(appData) + L"\\Microsoft\\MSBuild\\v4.0";
  fs::create_directories(folder);
  sheet = folder + L"\\Microsoft.Cpp.Win32.user.props";
  ::DeleteFileW((sheet + L".bak").c_str());
  fs::create_directory(startUp.Path("lang"));
  for (const fs::directory_entry& file : fs::directory_iterator(WinePath(PATHWRIGHT_LANG_DIR)))
    fs::copy_file(file.path(), startUp.Path("lang") / file.path().filename());
}

E2e::~E2e() {
  for (const std::wstring& file : {sheet, sheet + L".bak"}) ::DeleteFileW(file.c_str());
}

DWORD E2e::Run(const std::function<void(HWND window)>& act, bool (*first)(HWND)) const {
  const std::wstring exe = WinePath(PATHWRIGHT_EXE).wstring(), folder = startUp.Root().wstring();
  std::wstring commandLine = L"\"" + exe + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started = {};
  if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &started)) {
    return STILL_ACTIVE;
  }
  const UniqueKernelHandle process(started.hProcess), thread(started.hThread);
  m_running = started;
  const HWND found = WaitFor(first);
  DWORD code = STILL_ACTIVE;
  if (found) act(found);
  if (found && ::WaitForSingleObject(started.hProcess, kTimeoutMs) == WAIT_OBJECT_0) {
    ::GetExitCodeProcess(started.hProcess, &code);
  }
  if (code == STILL_ACTIVE) ::TerminateProcess(started.hProcess, 99);
  return code;
}

HWND E2e::WaitFor(bool (*match)(HWND)) const { return WaitForWindow(m_running.dwProcessId, m_running.hProcess, match); }

std::wstring Text(HWND dialog, int id) {
  HWND control = id ? ::GetDlgItem(dialog, id) : dialog;
  std::wstring text(size_t(Send(control, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
  text.resize(size_t(Send(control, WM_GETTEXT, text.size(), LPARAM(text.data()))));
  return text;
}

bool SetText(HWND dialog, int id, const std::wstring& text) {
  return Send(::GetDlgItem(dialog, id), WM_SETTEXT, 0, LPARAM(text.c_str())) == TRUE;
}

}  // namespace pathwright::e2e
