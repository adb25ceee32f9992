// The baseline for Pathwright's start-up: its own main dialog template from its own resources
// (manifest, icon and version record included), shown with no logic at all: no language files, no
// sheet, no COM. It closes on WM_CLOSE with exit code 2, as Pathwright does.
#include <windows.h>

#include "res/resource.h"

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

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int showCommand) {
  HWND dialog = CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, DialogProc, 0);
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
