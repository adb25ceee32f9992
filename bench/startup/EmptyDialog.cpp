// The baseline for the start-up time: the least a dialog program does to show its window. It
// creates a modeless dialog from a template, shows it and runs a message loop, as Pathwright does.
// With --com it first initialises COM and the common controls as Pathwright must, which tells how
// much of Pathwright's start-up those two calls alone take.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <cwchar>

namespace {
INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM, LPARAM) {
  if (message == WM_CLOSE) {
    DestroyWindow(dialog);
    return TRUE;
  }
  if (message == WM_DESTROY) {
    PostQuitMessage(2);
    return TRUE;
  }
  return message == WM_INITDIALOG;
}
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int showCommand) {
  if (std::wcsstr(commandLine, L"--com")) {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
  }
  HWND dialog = CreateDialogParamW(instance, MAKEINTRESOURCEW(1), nullptr, DialogProc, 0);
  if (!dialog) return 0;
  ShowWindow(dialog, showCommand);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(dialog, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}
