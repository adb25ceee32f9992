// Start-up time under Wine: from CreateProcessW until the program's main window is visible, for
// Pathwright and for a minimal program showing an empty dialog from a template, alternating, with
// the median of each. Every run is closed with WM_CLOSE.
//   StartupBench PATHWRIGHT.EXE EMPTYDIALOG.EXE [RUNS [STYLEDEMPTYDIALOG.EXE]]
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

StartResult StartAndClose(const std::wstring& exe, int childId, const std::wstring& arguments = L"") {
  StartResult result;
  std::wstring commandLine = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
  std::wstring folder = exe.substr(0, exe.find_last_of(L"\\/"));
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  LARGE_INTEGER start, now;
  QueryPerformanceCounter(&start);
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                      &startup, &process)) {
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
    EnumChildWindows(search.found, CountUntranslated, reinterpret_cast<LPARAM>(&result.untranslated));
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
    const StartResult r = StartAndClose(argv[2], kSheetPathBoxId);
    std::printf("window shown after %.1f ms, %d untranslated captions, exit code %lu\n", r.seconds * 1e3,
                r.untranslated, static_cast<unsigned long>(r.exitCode));
    return r.seconds >= 0 && r.untranslated == 0 && r.exitCode == 2 ? 0 : 1;
  }
  if (argc < 3) {
    std::fprintf(stderr, "usage: StartupBench PATHWRIGHT.EXE EMPTYDIALOG.EXE [RUNS]\n");
    return 2;
  }
  const int runs = argc > 3 ? _wtoi(argv[3]) : 15;
  EnsureDefaultSheet();
  // One start of each first, unmeasured: the first start of a program in a prefix pays for
  // loading Wine's DLLs from disk.
  TimeOneStart(argv[1], kSheetPathBoxId);
  TimeOneStart(argv[2], 0);
  const std::wstring styled = argc > 4 ? argv[4] : L"";
  std::vector<double> ours, base, withCom, withStyles;
  for (int i = 0; i < runs; ++i) {
    const double a = TimeOneStart(argv[1], kSheetPathBoxId);
    const double b = TimeOneStart(argv[2], 0);
    const double c = TimeOneStart(argv[2], 0, L"--com");
    const double d = styled.empty() ? 0 : TimeOneStart(styled, 0, L"--com");
    if (a < 0 || b < 0 || c < 0 || d < 0) {
      std::fprintf(stderr, "run %d: a window did not appear (%.3f, %.3f, %.3f)\n", i, a, b, c);
      continue;
    }
    ours.push_back(a);
    base.push_back(b);
    withCom.push_back(c);
    withStyles.push_back(d);
    std::fprintf(stderr,
                 "run %2d: Pathwright %.1f ms, empty dialog %.1f ms, with COM and common controls %.1f ms, "
                 "also with visual styles %.1f ms\n",
                 i, a * 1e3, b * 1e3, c * 1e3, d * 1e3);
  }
  if (ours.empty()) return 1;
  const double a = Median(ours), b = Median(base), c = Median(withCom), ratio = a / b;
  std::printf("start-up to visible main window, Wine, median of %zu (vs empty dialog)\t%.1f ms\t%.1f ms\t%.2fx\t"
              "<= 1.25x\t%s\n",
              ours.size(), a * 1e3, b * 1e3, ratio, ratio <= 1.25 ? "yes" : "NO");
  std::printf("  the empty dialog after CoInitializeEx + InitCommonControlsEx (vs empty dialog)\t%.1f ms\t%.1f ms\t"
              "%.2fx\t(reference)\t-\n",
              c * 1e3, b * 1e3, c / b);
  if (!styled.empty()) {
    const double d = Median(withStyles);
    std::printf("  the same with the common-controls 6 manifest (vs empty dialog)\t%.1f ms\t%.1f ms\t%.2fx\t"
                "(reference)\t-\n",
                d * 1e3, b * 1e3, d / b);
    std::printf("start-up, Pathwright vs the themed empty dialog with COM\t%.1f ms\t%.1f ms\t%.2fx\t(reference)\t-\n",
                a * 1e3, d * 1e3, a / d);
  }
  return 0;
}
