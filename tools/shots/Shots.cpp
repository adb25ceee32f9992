// Pictures of every dialog of the real program, for judging the layout by eye: it drives Pathwright.exe as the
// end-to-end tests do and checks nothing: every dialog and message box, the window without a sheet, and a long list
// with problems, in each shipped language. scripts/shots.sh runs it in prefixes set to 96, 144 and 192 DPI,
// with PATHWRIGHT_SHOTS naming the folder that receives the .bmp files.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>

#include "Driver.h"

namespace pathwright::e2e {
namespace {

void Shoot(HWND window, const std::string& name) {
  ASSERT_TRUE(window) << name;
  // Painted by now: the redraw waits for the program to paint every control, which a fixed wait alone did not
  // ensure on a busy machine (the first picture came out half drawn).
  ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  ::Sleep(1200);
  RECT place = {};
  ::GetWindowRect(window, &place);
  const int width = place.right - place.left, height = place.bottom - place.top;
  HDC screen = ::GetDC(nullptr), memory = ::CreateCompatibleDC(screen);
  HBITMAP picture = ::CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ previous = ::SelectObject(memory, picture);
  ::BitBlt(memory, 0, 0, width, height, screen, place.left, place.top, SRCCOPY);
  ::SelectObject(memory, previous);
  BITMAPINFOHEADER info = {sizeof(info), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  std::string pixels(size_t((width * 3 + 3) & ~3) * size_t(height), '\0');
  ::GetDIBits(memory, picture, 0, UINT(height), pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  ::DeleteObject(picture), ::DeleteDC(memory), ::ReleaseDC(nullptr, screen);
  const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof(info);
  const BITMAPFILEHEADER file = {0x4D42, DWORD(offset + pixels.size()), 0, 0, offset};
  WriteBytes(std::wstring(_wgetenv(L"PATHWRIGHT_SHOTS")) + L"\\" + std::wstring(name.begin(), name.end()) + L".bmp",
             std::string(reinterpret_cast<const char*>(&file), sizeof(file)) +
                 std::string(reinterpret_cast<const char*>(&info), sizeof(info)) + pixels);
}

void Close(HWND window, int id = IDCANCEL) {
  PostCommand(window, id);
  for (int i = 0; i < 500 && ::IsWindow(window); ++i) ::Sleep(20);
}

using Screens = E2e;

TEST_F(Screens, EveryDialog) {
  ASSERT_TRUE(_wgetenv(L"PATHWRIGHT_SHOTS"));
  // The language as the settings file names it (UTF-8), and the ASCII name its pictures take.
  for (const auto& [setting, language] : {std::pair<std::string, std::string>{"English", "English"},
                                          {"Deutsch", "Deutsch"},
                                          {"Fran\xC3\xA7" "ais", "Francais"}}) {
    WriteBytes(startUp.Path("programm.ini"), setting + "\r\ntrue\r\n");
    WriteBytes(sheet, "<Project");  // read but no sheet: the chooser
    Run(
        [&](HWND chooser) {
          Shoot(chooser, language + "-chooser-unreadable");
          Close(chooser);
          Close(WaitFor(IsMainWindow));
        },
        IsVersionChooser);
    ::DeleteFileW(sheet.c_str());  // missing: the question, then the window without a sheet
    Run(
        [&](HWND box) {
          Shoot(box, language + "-missing-question");
          Close(box, IDNO);
          HWND main = WaitFor(IsMainWindow);
          Shoot(main, language + "-main-nosheet");
          Close(main);
        },
        IsMessageBox);
    WriteBytes(sheet, Sheet("C:\\inc;D:\\a rather long folder name for the list\\include;E:\\x"));
    Run([&](HWND main) {
      Shoot(main, language + "-main");
      PostCommand(main, IDC_MAIN_FIRST_BUTTON + 1);
      HWND editor = WaitFor([](HWND window) -> bool { return ::GetDlgItem(window, IDC_LIST_BOX); });
      HWND list = ::GetDlgItem(editor, IDC_LIST_BOX);
      // The second entry selected, as two presses of Down in the list do.
      for (int i = 0; i < 2; ++i) ::PostMessageW(list, WM_KEYDOWN, VK_DOWN, 1);
      // Taken as the keys were still being handled, the header came out half painted under Wine.
      ::Sleep(300);
      Shoot(editor, language + "-editor");
      // The selection stays in sight while another control has the focus.
      ::PostMessageW(list, WM_KEYDOWN, VK_TAB, 1);
      ::Sleep(300);
      Shoot(editor, language + "-editor-unfocused");
      Close(editor);
      PostCommand(main, IDC_MAIN_ABOUT);
      HWND about = WaitFor([](HWND window) -> bool { return ::GetDlgItem(window, IDC_ABOUT_VERSION); });
      Shoot(about, language + "-about");
      Close(about, IDOK);
      ::DeleteFileW(sheet.c_str());  // gone while open: OK says so, then writes it anew
      PostCommand(main, IDOK);
      HWND gone = WaitFor(IsMessageBox);
      Shoot(gone, language + "-gone-message");
      Close(gone, IDOK);
      for (int i = 0; i < 500 && ::IsWindow(main); ++i) ::Sleep(20);
    });
    // A long list with problems, inline entries around it and a macro the path property does not use.
    std::string list;
    for (int i = 0; i < 14; ++i) list += "C:\\no such folder\\number " + std::to_string(i) + ";";
    list += "C:\\Windows;%TEMP%;$(NO_SUCH_VARIABLE)\\include;$(SolutionDir)third_party;C:\\windows\\";
    WriteBytes(sheet, SavedSheet("\t\t<IncludePath>C:\\inline;$(IncludePath)</IncludePath>\n\t\t<UserInclude>" + list +
                                 "</UserInclude>\n" + Kind("UserLibrary", "LibraryPath", list)));
    Run([&](HWND main) {
      Shoot(main, language + "-main-problems");
      PostCommand(main, IDC_MAIN_FIRST_BUTTON + 1);
      HWND editor = WaitFor([](HWND window) -> bool { return ::GetDlgItem(window, IDC_LIST_BOX); });
      ::Sleep(2500);  // the look-ups answered
      Shoot(editor, language + "-editor-problems");
      // At the end: the lines in force from elsewhere, read-only.
      ::PostMessageW(::GetDlgItem(editor, IDC_LIST_BOX), WM_KEYDOWN, VK_END, 1);
      Shoot(editor, language + "-editor-problems-end");
      // A typed entry with ";" is refused with the reason.
      HWND entries = ::GetDlgItem(editor, IDC_LIST_BOX);
      ::PostMessageW(entries, WM_CHAR, L'x', 1);
      ::Sleep(300);
      const HWND edit = HWND(Send(entries, LVM_GETEDITCONTROL));
      Send(edit, WM_SETTEXT, 0, LPARAM(L"x;y"));
      ::PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 1);
      HWND refused = WaitFor(IsMessageBox);
      Shoot(refused, language + "-editor-refused-message");
      Close(refused, IDOK);
      ::Sleep(300);
      if (const HWND reopened = HWND(Send(entries, LVM_GETEDITCONTROL))) ::PostMessageW(reopened, WM_KEYDOWN, VK_ESCAPE, 1);
      ::Sleep(300);
      Close(editor);
      // A character no sheet can hold is refused on OK.
      SetText(main, IDC_MAIN_FIRST_EDIT, L"C:\\a\x01");
      PostCommand(main, IDOK);
      HWND forbidden = WaitFor(IsMessageBox);
      Shoot(forbidden, language + "-forbidden-message");
      Close(forbidden, IDOK);
      SetText(main, IDC_MAIN_FIRST_EDIT, L"");
      // Another program holds the sheet: the save fails and says why.
      HANDLE held = ::CreateFileW(sheet.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
      PostCommand(main, IDOK);
      HWND failed = WaitFor(IsMessageBox);
      Shoot(failed, language + "-save-failed-message");
      Close(failed, IDOK);
      Close(main);
      ::CloseHandle(held);
    });
    // A language file gone bad since the start: choosing it keeps the texts and says why. Then the settings
    // file held by another program: the option's change is kept for this run only, which the window says.
    WriteBytes(sheet, Sheet());
    Run([&](HWND main) {
      const std::filesystem::path broken = startUp.Path("lang") / (language == "English" ? L"Deutsch.lng" : L"English.lng");
      const std::string kept = ReadBytes(broken);
      WriteBytes(broken, "no header any more");
      HWND combo = ::GetDlgItem(main, IDC_MAIN_LANGUAGE);
      Send(combo, CB_SELECTSTRING, WPARAM(-1), LPARAM(language == "English" ? L"Deutsch" : L"English"));
      ::PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDC_MAIN_LANGUAGE, CBN_SELCHANGE), LPARAM(combo));
      HWND notLoaded = WaitFor(IsMessageBox);
      Shoot(notLoaded, language + "-language-failed-message");
      Close(notLoaded, IDOK);
      WriteBytes(broken, kept);
      const std::wstring ini = startUp.WidePath("programm.ini");
      HANDLE settings = ::CreateFileW(ini.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
      Send(::GetDlgItem(main, IDC_MAIN_ENV_OPTION), BM_SETCHECK, BST_UNCHECKED);
      PostCommand(main, IDC_MAIN_ENV_OPTION);
      HWND notWritten = WaitFor(IsMessageBox);
      Shoot(notWritten, language + "-settings-failed-message");
      Close(notWritten, IDOK);
      Close(main);
      ::CloseHandle(settings);
    });
    // Held at the start: it cannot be read, which the window says before it opens.
    HANDLE held = ::CreateFileW(sheet.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    Run(
        [&](HWND box) {
          Shoot(box, language + "-unreadable-message");
          Close(box, IDOK);
          Close(WaitFor(IsMainWindow));
        },
        IsMessageBox);
    ::CloseHandle(held);
  }
}

}  // namespace
}  // namespace pathwright::e2e
