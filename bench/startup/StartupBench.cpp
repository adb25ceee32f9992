// Start-up time under Wine: from CreateProcessW until the program's main window is visible, for
// Pathwright and for a program showing the same main dialog template with no logic, alternating,
// with the median of each; an empty dialog (plain, after COM and the common controls, themed) is
// measured alongside for reference. Every run is closed with WM_CLOSE.
//   StartupBench PATHWRIGHT.EXE BAREMAINDIALOG.EXE [RUNS [EMPTYDIALOG.EXE [STYLEDEMPTYDIALOG.EXE]]]
//   StartupBench --open-close PATHWRIGHT.EXE   (one start: the window must show with translated
//                                              captions and close on WM_CLOSE with exit code 2)
// Pathwright's window counts as its main window once it is a visible dialog holding the sheet
// path box (a message box, also a dialog, does not count). Prints one tab-separated row:
// measure, value, baseline, ratio, target, met.
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kSheetPathBoxId = 57693;

struct Search {
  DWORD pid;
  int childId;  // 0: any visible dialog
  HWND found;
};

BOOL CALLBACK FindWindowOf(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != search->pid || !IsWindowVisible(window)) return TRUE;
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  if (lstrcmpW(className, L"#32770") != 0) return TRUE;
  if (search->childId != 0 && !GetDlgItem(window, search->childId)) return TRUE;
  search->found = window;
  return FALSE;
}

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// A caption that is still a bare text number was not translated: the language files were not found.
BOOL CALLBACK CountUntranslated(HWND control, LPARAM param) {
  wchar_t text[64] = {};
  const int n = GetWindowTextW(control, text, 64);
  bool digits = n >= 4;
  for (int i = 0; i < n && digits; ++i) digits = text[i] >= L'0' && text[i] <= L'9';
  if (digits) {
    ++*reinterpret_cast<int*>(param);
    std::fprintf(stderr, "untranslated caption %ls\n", text);
  }
  return TRUE;
}

struct StartResult {
  double seconds = -1;  // until the window showed; negative when it never did within 20 s
  int untranslated = 0;
  DWORD exitCode = STILL_ACTIVE;
};

StartResult StartAndClose(const std::wstring& exe, int childId, const std::wstring& arguments = L"",
                          bool countUntranslated = false) {
  StartResult result;
  std::wstring commandLine = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
  std::wstring folder = exe.substr(0, exe.find_last_of(L"\\/"));
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  LARGE_INTEGER start, now;
  QueryPerformanceCounter(&start);
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                      &process)) {
    return result;
  }
  Search search{process.dwProcessId, childId, nullptr};
  for (;;) {
    EnumWindows(FindWindowOf, reinterpret_cast<LPARAM>(&search));
    QueryPerformanceCounter(&now);
    if (search.found) {
      result.seconds = Seconds(start, now);
      break;
    }
    if (Seconds(start, now) > 20 || WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) break;
    Sleep(0);
  }
  if (search.found) {
    if (countUntranslated) {
      EnumChildWindows(search.found, CountUntranslated, reinterpret_cast<LPARAM>(&result.untranslated));
    }
    PostMessageW(search.found, WM_CLOSE, 0, 0);
  }
  if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 99);
  GetExitCodeProcess(process.hProcess, &result.exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return result;
}

double TimeOneStart(const std::wstring& exe, int childId, const std::wstring& arguments = L"") {
  return StartAndClose(exe, childId, arguments).seconds;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? -1 : values[values.size() / 2];
}

// Pathwright reports a missing default sheet in a message box before its window opens; give it one.
void EnsureDefaultSheet() {
  wchar_t local[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathW(nullptr, local, CSIDL_LOCAL_APPDATA, TRUE)) return;
  std::wstring folder = std::wstring(local) + L"\\Microsoft\\MSBuild\\v4.0";
  SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
  const std::wstring sheet = folder + L"\\Microsoft.Cpp.Win32.user.props";
  if (GetFileAttributesW(sheet.c_str()) != INVALID_FILE_ATTRIBUTES) return;
  const char text[] =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Project DefaultTargets=\"Build\" ToolsVersion=\"4.0\" "
      "xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\">\n\t<PropertyGroup>\n"
      "\t\t<UserInclude>C:\\inc</UserInclude>\n\t\t<IncludePath>$(UserInclude);$(IncludePath)</IncludePath>\n"
      "\t</PropertyGroup>\n</Project>\n";
  HANDLE file = CreateFileW(sheet.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, text, sizeof text - 1, &written, nullptr);
  CloseHandle(file);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 3 && std::wstring(argv[1]) == L"--open-close") {
    EnsureDefaultSheet();
    const StartResult r = StartAndClose(argv[2], kSheetPathBoxId, L"", true);
    std::printf("window shown after %.1f ms, %d untranslated captions, exit code %lu\n", r.seconds * 1e3,
                r.untranslated, static_cast<unsigned long>(r.exitCode));
    return r.seconds >= 0 && r.untranslated == 0 && r.exitCode == 2 ? 0 : 1;
  }
  if (argc < 3) {
    std::fprintf(stderr, "usage: StartupBench PATHWRIGHT.EXE BAREMAINDIALOG.EXE [RUNS [EMPTY.EXE [STYLED.EXE]]]\n");
    return 2;
  }
  const int runs = argc > 3 ? _wtoi(argv[3]) : 15;
  const std::wstring empty = argc > 4 ? argv[4] : L"", styled = argc > 5 ? argv[5] : L"";
  EnsureDefaultSheet();
  // One start of each first, unmeasured: the first start of a program in a prefix pays for
  // loading Wine's DLLs from disk.
  TimeOneStart(argv[1], kSheetPathBoxId);
  TimeOneStart(argv[2], kSheetPathBoxId);
  // Each run: Pathwright, the bare main dialog, then the references (0 when not given).
  std::vector<std::vector<double>> times(5);
  for (int i = 0; i < runs; ++i) {
    const double run[5] = {TimeOneStart(argv[1], kSheetPathBoxId), TimeOneStart(argv[2], kSheetPathBoxId),
                           empty.empty() ? 0 : TimeOneStart(empty, 0),
                           empty.empty() ? 0 : TimeOneStart(empty, 0, L"--com"),
                           styled.empty() ? 0 : TimeOneStart(styled, 0, L"--com")};
    if (*std::min_element(run, run + 5) < 0) {
      std::fprintf(stderr, "run %d: a window did not appear\n", i);
      continue;
    }
    for (int k = 0; k < 5; ++k) times[k].push_back(run[k]);
    std::fprintf(stderr,
                 "run %2d: Pathwright %.1f ms, bare main dialog %.1f ms, empty dialog %.1f ms, with COM and common "
                 "controls %.1f ms, also with visual styles %.1f ms\n",
                 i, run[0] * 1e3, run[1] * 1e3, run[2] * 1e3, run[3] * 1e3, run[4] * 1e3);
  }
  if (times[0].empty()) return 1;
  const double ours = Median(times[0]), bare = Median(times[1]), ratio = ours / bare;
  std::printf(
      "start-up to visible main window, Wine, median of %zu (vs the main dialog template alone)\t%.1f ms\t"
      "%.1f ms\t%.2fx\t<= 1.10x\t%s\n",
      times[0].size(), ours * 1e3, bare * 1e3, ratio, ratio <= 1.10 ? "yes" : "NO");
  const char* references[] = {"", "", "an empty dialog", "an empty dialog after CoInitializeEx + InitCommonControlsEx",
                              "the same with the common-controls 6 manifest"};
  for (int k = 2; k < 5; ++k) {
    if ((k < 4 && empty.empty()) || (k == 4 && styled.empty())) continue;
    const double value = Median(times[k]);
    std::printf("  %s (vs the main dialog template alone)\t%.1f ms\t%.1f ms\t%.2fx\t(reference)\t-\n", references[k],
                value * 1e3, bare * 1e3, value / bare);
  }
  return 0;
}
